#include "quelder/Thread.h"

#include "nodekin/XLog.h"
#include "platform/SystemError.h"
#include "quelder/QdResult.h"

#include <atomic>
#include <cassert>
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
        std::lock_guard lock(mutex_);
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
    assert(!IsCurrent() && "a backend thread cannot stop itself (QdShutdown from a client callback?)");
    const bool wait = RequestStop();
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Stopping thread 0x%x...", logId_);
    if (wait) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kStopTimeout, [this] { return ended_; }))
            Nodekin::xlog(Nodekin::logWarning, "Qd: Thread termination timed out");
    }
    // A thread that overran its time is still waited for: it works on this object, and
    // leaving it running would let it touch freed memory.
    thread_.join();
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Closing handle for thread 0x%x", logId_);
}

} // namespace GSM
