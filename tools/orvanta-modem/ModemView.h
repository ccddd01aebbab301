#pragma once
// The card, the SIM and the network as the notices so far describe them. Each command
// hands every notice it takes to take(); what it shows and how it ends follow from here.

#include "ClientSession.h"
#include "FoundNetworks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::modem {

enum class SimStatus { unknown, ready, pinNeeded, pukNeeded, otherCodeNeeded, missing, blocked };

struct ModemView {
    bool libraryFailed = false;
    std::optional<long long> deviceState;
    bool cardArrived = false;

    // The SIM: the last PIN state, and the last request for a code with its counters,
    // open until the PIN state says the code was accepted.
    std::optional<long long> pinState;
    bool codeRequested = false;
    std::optional<long long> pinKind;
    std::optional<long long> pinCount;
    std::optional<long long> pukCount;
    std::optional<long long> pinMode;
    bool simMissing = false;
    bool simBlocked = false;

    std::optional<long long> radioState;
    bool radioReported = false; // by the radio machine itself, which then takes commands
    std::optional<long long> registration;

    // The network the card is on.
    std::optional<std::int64_t> mccmnc;
    std::optional<std::string> longName;
    std::optional<std::string> shortName;
    std::optional<long long> technology;
    std::optional<long long> signal;

    bool scanActive = false;
    std::optional<std::vector<client::FoundNetwork>> networks;

    std::optional<long long> lastError;

    void take(const client::Notice& notice);

    SimStatus simStatus() const;
    bool registered() const;
};

} // namespace Orvanta::modem
