#include "platform/MessageLoop.h"

#include <algorithm>
#include <cassert>

namespace Os {

MessageLoop::MessageLoop(Handler handler, Clock& clock)
    : handler_(std::move(handler)), clock_(clock)
{
    clockSubscription_ = clock_.onAdvance([this] {
        std::lock_guard lock(mutex_);
        wake_.notify_all();
    });
    thread_ = std::thread([this] { run(); });
}

MessageLoop::~MessageLoop()
{
    stop();
    clockSubscription_ = Clock::Subscription();
}

void MessageLoop::stop()
{
    assert(!isLoopThread() && "a MessageLoop cannot be stopped by its own handler");
    quit();
    if (thread_.joinable())
        thread_.join();
}

bool MessageLoop::post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return post(Message{message, wParam, lParam, {}});
}

bool MessageLoop::post(Message message)
{
    std::lock_guard lock(mutex_);
    if (quitting_)
        return false;
    queue_.push_back(std::move(message));
    wake_.notify_all();
    return true;
}

void MessageLoop::setTimer(std::uintptr_t id, std::chrono::milliseconds period)
{
    period = std::max(period, std::chrono::milliseconds(1));
    std::lock_guard lock(mutex_);
    timers_[id] = Timer{period, clock_.now() + period};
    wake_.notify_all();
}

bool MessageLoop::killTimer(std::uintptr_t id)
{
    std::lock_guard lock(mutex_);
    return timers_.erase(id) > 0;
}

void MessageLoop::quit()
{
    std::lock_guard lock(mutex_);
    quitting_ = true;
    wake_.notify_all();
}

bool MessageLoop::takeDueTimer(std::uintptr_t& id)
{
    const Clock::TimePoint now = clock_.now();
    auto due = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->second.due <= now && (due == timers_.end() || it->second.due < due->second.due))
            due = it;
    if (due == timers_.end())
        return false;
    id = due->first;
    // Ticks missed while the handler was busy (or the clock jumped) are not made up.
    due->second.due = now + due->second.period;
    return true;
}

void MessageLoop::waitForWork(std::unique_lock<std::mutex>& lock)
{
    if (timers_.empty()) {
        wake_.wait(lock);
        return;
    }
    const auto next = std::min_element(timers_.begin(), timers_.end(),
                                       [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
    if (const auto realDeadline = clock_.realTimeOf(next->second.due))
        wake_.wait_until(lock, *realDeadline);
    else
        wake_.wait(lock);
}

void MessageLoop::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!queue_.empty()) {
            Message message = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            handler_(message);
            lock.lock();
            continue;
        }
        if (quitting_)
            return;
        std::uintptr_t id = 0;
        if (takeDueTimer(id)) {
            lock.unlock();
            handler_(Message{kWmTimer, id, 0, {}});
            lock.lock();
            continue;
        }
        waitForWork(lock);
    }
}

} // namespace Os
