#include "sim/cardsim/Alarm.h"

#include "sim/cardsim/Reactor.h"

namespace Cardsim {
namespace {

class TimerAlarm final : public Alarm {
public:
    TimerAlarm(Reactor& reactor, std::function<void()> ring) : timer_(reactor, std::move(ring)) {}
    void set(std::chrono::milliseconds delay) override { timer_.startOnce(delay); }
    void cancel() override { timer_.stop(); }
    bool pending() const override { return timer_.running(); }

private:
    Timer timer_;
};

} // namespace

AlarmMaker reactorAlarms(Reactor& reactor)
{
    return [&reactor](std::function<void()> ring) -> std::unique_ptr<Alarm> {
        return std::make_unique<TimerAlarm>(reactor, std::move(ring));
    };
}

class ManualAlarms::ManualAlarm final : public Alarm {
public:
    ManualAlarm(ManualAlarms& owner, std::uint64_t id) : owner_(owner), id_(id) {}
    ~ManualAlarm() override { owner_.entries_.erase(id_); }
    void set(std::chrono::milliseconds delay) override
    {
        Entry& entry = owner_.entries_.at(id_);
        entry.due = owner_.now_ + delay;
        entry.order = owner_.nextOrder_++;
    }
    void cancel() override { owner_.entries_.at(id_).due.reset(); }
    bool pending() const override { return owner_.entries_.at(id_).due.has_value(); }

private:
    ManualAlarms& owner_;
    const std::uint64_t id_;
};

AlarmMaker ManualAlarms::maker()
{
    return [this](std::function<void()> ring) -> std::unique_ptr<Alarm> {
        const std::uint64_t id = nextId_++;
        entries_.emplace(id, Entry{std::nullopt, 0, std::move(ring)});
        return std::make_unique<ManualAlarm>(*this, id);
    };
}

std::optional<std::uint64_t> ManualAlarms::nextDue(std::optional<std::chrono::milliseconds> until) const
{
    std::optional<std::uint64_t> best;
    for (const auto& [id, entry] : entries_) {
        if (!entry.due || (until && *entry.due > *until))
            continue;
        const Entry* current = best ? &entries_.at(*best) : nullptr;
        if (current == nullptr || *entry.due < *current->due ||
            (*entry.due == *current->due && entry.order < current->order))
            best = id;
    }
    return best;
}

void ManualAlarms::ringOne(std::uint64_t id)
{
    Entry& entry = entries_.at(id);
    if (*entry.due > now_)
        now_ = *entry.due;
    entry.due.reset();
    // A copy: the ring may set alarms, which must not move the function being called.
    const std::function<void()> ring = entry.ring;
    ring();
}

void ManualAlarms::advance(std::chrono::milliseconds span)
{
    const std::chrono::milliseconds until = now_ + span;
    while (const auto id = nextDue(until))
        ringOne(*id);
    now_ = until;
}

void ManualAlarms::runAll(int limit)
{
    for (int rung = 0; rung < limit; ++rung) {
        const auto id = nextDue(std::nullopt);
        if (!id)
            return;
        ringOne(*id);
    }
}

std::size_t ManualAlarms::pendingCount() const
{
    std::size_t count = 0;
    for (const auto& [id, entry] : entries_)
        count += entry.due ? 1 : 0;
    return count;
}

} // namespace Cardsim
