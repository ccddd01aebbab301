#pragma once
// The networks a scan found, as the network-list notice carries them: under "list" the
// scan's record, whose own array "list" holds one record per network.

#include "ClientSession.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::client {

struct FoundNetwork {
    std::int64_t mccmnc = 0;
    long long state = 0;      // a NetworkState
    long long technology = 0; // 0 not known, 1 GSM, 2 UMTS
    std::string longName;
    std::string shortName;

    bool operator==(const FoundNetwork&) const = default;
};

// In the order the card listed them; empty for any other notice.
std::vector<FoundNetwork> foundNetworks(const Notice& notice);

// The operator code as it is written: five digits (three of country, two of network)
// below 100000, six above, since the number has lost its leading zeros: 101 is "00101".
// None for a number that is no code.
std::optional<std::string> mccmncText(std::int64_t mccmnc);
// The number of a code written with five or six digits; none for anything else.
std::optional<std::int64_t> mccmncNumber(const std::string& text);

} // namespace Orvanta::client
