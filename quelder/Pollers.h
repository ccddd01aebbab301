#pragma once
// The communicator's periodic pollers: each is on or off and counts the communicator's
// idle seconds; a poller that is on fires when its counter is 0 and then advances it
// modulo its period, so one started now fires on the next idle second and then every
// period.

#include "quelder/QueueMessages.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace GSM {

enum class Poller : int { dataCall, cellType, sim, gobi, signal };

class Pollers {
public:
    void Start(Poller poller);
    void Stop(Poller poller);
    bool IsOn(Poller poller) const;
    // One idle second: the messages of the pollers that fire, in table order.
    std::vector<std::uint32_t> Tick();

private:
    struct Entry {
        std::uint32_t message;
        int period;
        bool on = false;
        int counter = 0;
    };

    mutable std::mutex mutex_; // guards entries_: started and stopped from any thread, ticked by the communicator
    std::array<Entry, 5> entries_{{
        {WM_QD_DATA_CALL_POLL, 2},
        {WM_QD_CELL_TYPE_POLL, 5},
        {WM_QD_SIM_POLL, 2},
        {WM_QD_GOBI_POLL, 2},
        {WM_QD_SIGNAL_POLL, 5},
    }};
};

} // namespace GSM
