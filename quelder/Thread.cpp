#include "quelder/Thread.h"

#include "nodekin/XLog.h"
#include "quelder/BackendThread.h"
#include "platform/SystemError.h"
#include "quelder/QdResult.h"

#include <atomic>
#include <system_error>

namespace GSM {
namespace {

unsigned NextThreadLogId() noexcept
{
    static std::atomic<unsigned> next{1};
    return next++;
}

} // namespace

Thread::Thread() : logId_(NextThreadLogId()) {}

Thread::~Thread()
{
    // The body calls virtual functions of the subclass, which is gone by now: a
    // subclass that did not stop its thread is a programming error, but joining is
    // still better than std::terminate.
    if (thread_.joinable())
        thread_.join();
}

int Thread::Start()
{
    if (thread_.joinable())
        return kQdSuccess;
    {
        std::unique_lock lock(mutex_);
        // A body left running by a stop that ran out of time still works on this object:
        // a second one must not start beside it.
        if (started_ && !ended_ && !changed_.wait_for(lock, kStopTimeout, [this] { return ended_; })) {
            Nodekin::xlog(Nodekin::logError, "Qd: Thread 0x%x cannot start: its previous run has not ended", logId_);
            return qdSystemError(Os::kErrorBusy);
        }
        started_ = false;
        ended_ = false;
    }
    try {
        thread_ = std::thread(&Thread::Body, this);
    } catch (const std::system_error& error) {
        return qdSystemError(Os::systemErrorFromErrno(error.code().value()));
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
    return kQdSuccess;
}

void Thread::Body()
{
    const BackendThreadMark mark;
    {
        std::lock_guard lock(mutex_);
        started_ = true;
    }
    changed_.notify_all();
    Loop();
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Thread 0x%x's loop is returning", logId_);
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void Thread::Stop()
{
    if (!thread_.joinable())
        return;
    if (IsCurrent()) {
        // Refused where it is asked for (QdShutdown from a callback); waiting here would
        // be waiting for ourselves.
        Nodekin::xlog(Nodekin::logError, "Qd: Thread 0x%x cannot stop itself", logId_);
        return;
    }
    const bool wait = RequestStop();
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Stopping thread 0x%x...", logId_);
    bool ended = true;
    {
        std::unique_lock lock(mutex_);
        ended = changed_.wait_for(lock, wait ? kStopTimeout : std::chrono::milliseconds(0), [this] { return ended_; });
    }
    if (!ended) {
        // Stuck in a call that does not return (a client callback that blocks): nobody
        // may wait for it without limit, the process's exit included. It is left to end
        // on its own; the object it works on outlives it (Start waits for it, and the
        // library's objects live until the process ends).
        if (wait)
            Nodekin::xlog(Nodekin::logWarning, "Qd: Thread termination timed out");
        thread_.detach();
    } else {
        thread_.join();
    }
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Closing handle for thread 0x%x", logId_);
}

} // namespace GSM
