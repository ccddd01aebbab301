#include "corvane/traits/DetachedThreads.h"

#include <system_error>
#include <thread>

namespace Corvane {

bool DetachedThreads::start(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex_);
        ++running_;
    }
    try {
        std::thread([this, work = std::move(work)]() mutable {
            work();
            work = nullptr; // what the work holds goes while its owner surely exists
            finished();
        }).detach();
        return true;
    } catch (const std::system_error&) {
        finished();
        return false;
    }
}

void DetachedThreads::finished()
{
    // Notified under the lock: a waiter cannot return, and destroy this object, before
    // the thread has let go of the mutex, its last touch of it.
    std::lock_guard lock(mutex_);
    --running_;
    idle_.notify_all();
}

void DetachedThreads::waitUntilIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return running_ == 0; });
}

bool DetachedThreads::waitUntilIdleFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return running_ == 0; });
}

} // namespace Corvane
