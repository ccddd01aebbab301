#pragma once
// A thread that waits with poll() on one descriptor and hands each readiness to a
// handler. It is the receiver loop of ports and sockets and the watch loop of the device
// trees.
//
// stop() may be called from any thread, the handler's own included, and from several at
// once: a port whose receiver reports a pulled card is typically closed from inside that
// report while its owner closes it too. The thread's state is shared with the thread
// itself, so once stop() has been called the handler is never called again, even when the
// owner is destroyed while the handler is still returning. Whatever the handler needs
// after that (the descriptor above all) it must own through its captures.

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Os {

class PollThread {
public:
    // Called on the thread with the poll events of the descriptor; returning false ends
    // the thread.
    using Handler = std::function<bool(short revents)>;

    PollThread() = default;
    PollThread(const PollThread&) = delete;
    PollThread& operator=(const PollThread&) = delete;
    ~PollThread() { stop(); }

    // Starts the thread on `fd` (waiting for `events`). A running thread must be stopped
    // first. Returns 0 or a system error number.
    int start(int fd, short events, Handler handler);
    // Ends the thread: waits for it, unless called on the thread itself or while another
    // caller is already waiting for it.
    void stop();
    // False once the thread has ended, for whatever reason.
    bool running() const;

    struct State;

private:
    mutable std::mutex mutex_; // guards state_ and thread_; never held while waiting for the thread
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace Os
