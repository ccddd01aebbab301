#pragma once
// One-shot alarms for what the card does some time after it was asked: a network scan
// that answers late, a registration that follows the radio being switched on, a ring that
// repeats. On the card they are the reactor's timers, so the card stays responsive while
// it waits; tests and fuzzers ring them by hand with ManualAlarms.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace Cardsim {

class Reactor;

class Alarm {
public:
    virtual ~Alarm() = default;
    // Rings once, `delay` from now; setting a pending alarm again moves it.
    virtual void set(std::chrono::milliseconds delay) = 0;
    virtual void cancel() = 0;
    virtual bool pending() const = 0;
};

// Makes an alarm that calls `ring` on the card's thread. An alarm may be set, cancelled
// and read from its own ring, but must not be destroyed by it.
using AlarmMaker = std::function<std::unique_ptr<Alarm>(std::function<void()> ring)>;

// Alarms on timers of `reactor`, which must outlive them.
AlarmMaker reactorAlarms(Reactor& reactor);

// Alarms on a clock that moves only when told. It must outlive its alarms.
class ManualAlarms {
public:
    ManualAlarms() = default;
    ManualAlarms(const ManualAlarms&) = delete;
    ManualAlarms& operator=(const ManualAlarms&) = delete;

    AlarmMaker maker();
    // Moves the clock on by `span`, ringing the alarms that fall due on the way in the
    // order of their times (those that a ring sets within the span included).
    void advance(std::chrono::milliseconds span);
    // Rings whatever is pending, the soonest first, until nothing is or `limit` rings
    // have rung (an alarm that sets itself again would ring for ever).
    void runAll(int limit = 1000);
    std::size_t pendingCount() const;
    std::chrono::milliseconds now() const { return now_; }

private:
    class ManualAlarm;
    struct Entry {
        std::optional<std::chrono::milliseconds> due;
        std::uint64_t order = 0; // when it was set, for alarms due at the same time
        std::function<void()> ring;
    };
    // The pending alarm due first, if it is due by `until`.
    std::optional<std::uint64_t> nextDue(std::optional<std::chrono::milliseconds> until) const;
    void ringOne(std::uint64_t id);

    std::chrono::milliseconds now_{0};
    std::uint64_t nextId_ = 1;
    std::uint64_t nextOrder_ = 1;
    std::map<std::uint64_t, Entry> entries_;
};

} // namespace Cardsim
