#include "platform/Clock.h"

namespace Os {

Clock::Subscription& Clock::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        if (cancel_)
            cancel_();
        cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
}

namespace {

class SteadyClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    std::optional<std::chrono::steady_clock::time_point> realTimeOf(TimePoint deadline) const override
    {
        return deadline;
    }
    Subscription onAdvance(std::function<void()>) override { return {}; }
};

} // namespace

Clock& steadyClock()
{
    static SteadyClock clock;
    return clock;
}

Clock::TimePoint ManualClock::now() const
{
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(std::chrono::nanoseconds(elapsedNs_.load())));
}

Clock::Subscription ManualClock::onAdvance(std::function<void()> callback)
{
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextId_++;
    observers_.emplace(id, std::move(callback));
    return Subscription([this, id] {
        std::lock_guard cancelLock(mutex_);
        observers_.erase(id);
    });
}

void ManualClock::advance(std::chrono::milliseconds step)
{
    elapsedNs_.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(step).count());
    std::lock_guard lock(mutex_);
    for (auto& [id, observer] : observers_)
        observer();
}

} // namespace Os
