#include "quelder/Pollers.h"

namespace GSM {

void Pollers::Start(Poller poller)
{
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[static_cast<std::size_t>(poller)];
    entry.counter = 0;
    entry.on = true;
}

void Pollers::Stop(Poller poller)
{
    std::lock_guard lock(mutex_);
    entries_[static_cast<std::size_t>(poller)].on = false;
}

bool Pollers::IsOn(Poller poller) const
{
    std::lock_guard lock(mutex_);
    return entries_[static_cast<std::size_t>(poller)].on;
}

std::vector<std::uint32_t> Pollers::Tick()
{
    std::vector<std::uint32_t> fired;
    std::lock_guard lock(mutex_);
    for (Entry& entry : entries_) {
        if (!entry.on)
            continue;
        if (entry.counter == 0)
            fired.push_back(entry.message);
        entry.counter = (entry.counter + 1) % entry.period;
    }
    return fired;
}

} // namespace GSM
