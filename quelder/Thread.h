#pragma once
// A backend thread: Start returns once the body runs, Stop asks the body to end
// (RequestStop) and waits for it, at most 10 s: a body stuck longer (in a client callback
// that does not return) is left running, and the object must outlive it. The base of the Communicator and of threads of later
// parts of the backend.

#include <condition_variable>
#include <mutex>
#include <thread>

namespace GSM {

class Thread {
public:
    Thread();
    // A subclass stops the thread in its own destructor: the body runs its overrides.
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // 0, or the system error of a thread that could not be made, as a result code.
    int Start();
    // Asks the body to end and waits for it; nothing when it does not run.
    void Stop();
    bool IsCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }
    unsigned LogId() const { return logId_; }

protected:
    // The thread body; returns when asked to stop.
    virtual void Loop() = 0;
    // Asks Loop to return; false when the stopper should not wait for it.
    virtual bool RequestStop() = 0;

private:
    void Body();

    static constexpr auto kStopTimeout = std::chrono::milliseconds(10000);

    const unsigned logId_;
    std::mutex mutex_; // guards started_ and ended_: the body reports, Start and Stop wait
    std::condition_variable changed_;
    bool started_ = false;
    bool ended_ = false;
    std::thread thread_; // owned by whoever calls Start and Stop (the library, under its lock)
};

} // namespace GSM
