#include "quelder/Communicator.h"

#include "nodekin/XLog.h"

#include <cstdlib>
#include <new>

namespace GSM {

Communicator::Communicator(DeviceWork& work, Os::Clock& clock) : work_(work), clock_(clock)
{
    // A clock that only jumps (a test's) wakes the waiting loop when it moves.
    clockSubscription_ = clock_.onAdvance([this] {
        std::lock_guard lock(queueMutex_);
        queueChanged_.notify_all();
    });
}

Communicator::~Communicator() { Stop(); }

int Communicator::Start(EventCallback eventCallback, ErrorCallback errorCallback)
{
    stop_ = false;
    eventCallback_ = eventCallback;
    errorCallback_ = errorCallback;
    {
        std::lock_guard lock(queueMutex_);
        for (const QueueEntry& entry : queue_)
            Discard(entry);
        queue_.clear();
        accepting_ = true;
        nextTick_ = clock_.now() + kTick;
    }
    const int rc = Thread::Start();
    if (rc != kQdSuccess) {
        std::lock_guard lock(queueMutex_);
        accepting_ = false;
    }
    return rc;
}

void Communicator::Stop()
{
    Thread::Stop();
    std::deque<QueueEntry> left;
    {
        std::lock_guard lock(queueMutex_);
        accepting_ = false;
        left.swap(queue_);
    }
    for (const QueueEntry& entry : left)
        Discard(entry);
    eventCallback_ = nullptr;
    errorCallback_ = nullptr;
}

bool Communicator::IsRunning() const
{
    std::lock_guard lock(queueMutex_);
    return accepting_;
}

bool Communicator::RequestStop()
{
    stop_ = true;
    std::lock_guard lock(queueMutex_);
    queueChanged_.notify_all();
    return true;
}

int Communicator::Post(std::uint32_t message, std::uintptr_t wParam, std::uintptr_t lParam)
{
    std::lock_guard lock(queueMutex_);
    if (!accepting_)
        return kQdNotInitialized;
    try {
        queue_.push_back({message, wParam, lParam});
    } catch (const std::bad_alloc&) {
        Nodekin::xlog(Nodekin::logError, "Qd: Communicator::Enqueue(): Cannot relocate the queue, out of memory");
        return kQdOutOfMemory;
    }
    queueChanged_.notify_all();
    return kQdSuccess;
}

int Communicator::PostClientEvent(int event, void* data)
{
    return Post(WM_QD_CLIENT_EVENT, static_cast<std::uintptr_t>(event), reinterpret_cast<std::uintptr_t>(data));
}

int Communicator::PostClientError(int kind, int code, int extra)
{
    if (!IsRunning())
        return kQdNotInitialized;
    auto* pair = static_cast<int*>(std::malloc(2 * sizeof(int)));
    if (pair == nullptr)
        return kQdOutOfMemory;
    pair[0] = code;
    pair[1] = extra;
    const int rc = Post(WM_QD_CLIENT_ERROR, static_cast<std::uintptr_t>(kind), reinterpret_cast<std::uintptr_t>(pair));
    if (rc != kQdSuccess)
        std::free(pair);
    return rc;
}

void Communicator::StartPoller(Poller poller) { pollers_.Start(poller); }

void Communicator::Loop()
{
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Communicator thread started");
    std::unique_lock lock(queueMutex_);
    while (!stop_) {
        if (!queue_.empty()) {
            // Drained in order; a stop request ends the loop before the next entry.
            while (!stop_ && !queue_.empty()) {
                const QueueEntry entry = queue_.front();
                queue_.pop_front();
                lock.unlock();
                Dispatch(entry);
                lock.lock();
            }
            nextTick_ = clock_.now() + kTick;
            continue;
        }
        const Os::Clock::TimePoint now = clock_.now();
        if (now >= nextTick_) {
            lock.unlock();
            RunPollers();
            lock.lock();
            // A clock that jumped by several seconds gets a tick for each; a loop that
            // was busy for longer than a tick does not make up what it missed.
            nextTick_ += kTick;
            if (nextTick_ <= clock_.now() - kTick)
                nextTick_ = clock_.now() + kTick;
            ++idleTicks_;
            continue;
        }
        if (const auto realDeadline = clock_.realTimeOf(nextTick_))
            queueChanged_.wait_until(lock, *realDeadline);
        else
            queueChanged_.wait(lock);
    }
    // Entries still queued are released by Stop, once posting is refused.
    lock.unlock();
    stop_ = false;
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Communicator thread stopped");
}

void Communicator::RunPollers()
{
    for (const std::uint32_t message : pollers_.Tick())
        work_.Run(QueueEntry{message, 0, 0});
}

void Communicator::Dispatch(const QueueEntry& entry)
{
    switch (entry.message) {
    case WM_QD_CLIENT_EVENT: {
        const int event = static_cast<int>(entry.wParam);
        void* data = reinterpret_cast<void*>(entry.lParam);
        if (eventCallback_ != nullptr)
            eventCallback_(event, data);
        else
            Discard(entry);
        break;
    }
    case WM_QD_CLIENT_ERROR: {
        auto* pair = reinterpret_cast<int*>(entry.lParam);
        if (errorCallback_ != nullptr)
            errorCallback_(static_cast<int>(entry.wParam), pair[0], pair[1]);
        std::free(pair);
        break;
    }
    default:
        work_.Run(entry);
        break;
    }
}

void Communicator::Discard(const QueueEntry& entry) noexcept
{
    if (entry.message == WM_QD_CLIENT_ERROR ||
        (entry.message == WM_QD_CLIENT_EVENT && EventCarriesBuffer(static_cast<int>(entry.wParam))))
        std::free(reinterpret_cast<void*>(entry.lParam));
}

} // namespace GSM
