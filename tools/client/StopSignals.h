#pragma once
// Ending a tool properly on SIGINT, SIGTERM, SIGHUP or SIGQUIT: the signals are blocked
// before the library starts its threads, which inherit the mask, so only one waiting
// thread takes them and hands them to `onStop`, which tells the command to end. The
// command can then close the library and put the terminal back, which a signal handler
// could not do.
//
// Construct it before the first client session and before any other thread starts; call
// watch() once the command is ready to be told (a signal that came meanwhile waits).

#include <atomic>
#include <functional>
#include <thread>

namespace Orvanta::client {

class StopSignals {
public:
    // Blocks the signals in the calling thread and in every thread it starts from now on.
    StopSignals();
    // Hands the first signal to `onStop`, on a thread of its own.
    void watch(std::function<void(int signal)> onStop);
    // Releases the waiting thread when no signal came and waits for it, so that `onStop`
    // has ended and cannot start again: call it before what `onStop` touches goes. The
    // signals stay blocked: the library's threads, which may still run, must not take
    // them. Calling it again does nothing.
    void stopWatching();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that ended the command; 0 when none came.
    int caught() const noexcept { return caught_.load(); }

private:
    std::atomic<int> caught_{0};
    std::thread waiter_;
};

} // namespace Orvanta::client
