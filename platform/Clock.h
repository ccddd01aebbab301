#pragma once
// The time a MessageLoop's timers run on. Production uses the steady clock; tests use a
// ManualClock and move it forward, so a five-minute time-out passes in microseconds.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace Os {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Cancels a callback given to onAdvance when it goes; after that it is never called.
    class Subscription {
    public:
        Subscription() = default;
        explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
        Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription()
        {
            if (cancel_)
                cancel_();
        }

    private:
        std::function<void()> cancel_;
    };

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // When, on the real steady clock, `deadline` on this clock will have come; nothing
    // when only advance() moves this clock, and waiters must wait for onAdvance instead.
    virtual std::optional<std::chrono::steady_clock::time_point> realTimeOf(TimePoint deadline) const = 0;
    // `callback` runs whenever the clock jumps forward. The steady clock never jumps.
    virtual Subscription onAdvance(std::function<void()> callback) = 0;
};

// The process's steady clock.
Clock& steadyClock();

// A clock that stands still until told to move.
class ManualClock final : public Clock {
public:
    ManualClock() = default;
    TimePoint now() const override;
    std::optional<std::chrono::steady_clock::time_point> realTimeOf(TimePoint) const override { return std::nullopt; }
    Subscription onAdvance(std::function<void()> callback) override;

    void advance(std::chrono::milliseconds step);

private:
    std::atomic<std::int64_t> elapsedNs_{0};
    std::mutex mutex_; // guards observers_ and nextId_; held while observers run so that
                       // a cancelled observer is never called afterwards
    std::map<std::uint64_t, std::function<void()>> observers_;
    std::uint64_t nextId_ = 0;
};

} // namespace Os
