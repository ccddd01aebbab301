#include "corvane/traits/DetachedThreads.h"

#include "corvane/Logging.h"
#include "corvane/threads/LibraryThread.h"
#include "corvane/threads/ShutdownPatience.h"

#include <system_error>
#include <thread>

namespace Corvane {

DetachedThreads::DetachedThreads() : count_(std::make_shared<Count>()) {}

DetachedThreads::~DetachedThreads()
{
    if (waitUntilIdleFor(shutdownPatience()))
        return;
    leaveBehind(nullptr); // its bookkeeping is shared with it; what its work uses is the owner's
    LOG4CPLUS_ERROR(logging::logger(logging::category::worker),
                    "A trait thread did not end in time; it is left to end on its own");
}

bool DetachedThreads::start(std::function<void()> work)
{
    {
        std::lock_guard lock(count_->mutex);
        ++count_->running;
    }
    try {
        std::thread([count = count_, work = std::move(work)]() mutable {
            {
                const LibraryThreadMark mark;
                work();
                work = nullptr; // what the work holds goes while its owner surely exists
            }
            finished(*count);
        }).detach();
        return true;
    } catch (const std::system_error&) {
        finished(*count_);
        return false;
    }
}

void DetachedThreads::finished(Count& count)
{
    // Notified under the lock: a waiter cannot return, and let go of the count, before
    // the thread has let go of the mutex.
    std::lock_guard lock(count.mutex);
    --count.running;
    count.idle.notify_all();
}

bool DetachedThreads::waitUntilIdleFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(count_->mutex);
    return count_->idle.wait_for(lock, timeout, [this] { return count_->running == 0; });
}

} // namespace Corvane
