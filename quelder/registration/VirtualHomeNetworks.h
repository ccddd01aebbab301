#pragma once
// Networks that a SIM counts as its home although their numbers differ from the SIM's:
// a roaming report on one of them is shown as a home registration. Each row pairs up to
// ten network numbers with up to ten SIM home numbers, MCC and MNC written as one
// decimal number (302720); a 0 ends a list.

#include "quelder/QdResult.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

namespace GSM {

// The two numbers a SIM's home network may be written as: the IMSI's first five digits
// (a two-digit MNC) and its first six (a three-digit MNC); 0 where the IMSI is too short
// or not all digits there.
struct SimHomeNumbers {
    int fiveDigits = 0;
    int sixDigits = 0;
    bool operator==(const SimHomeNumbers&) const = default;
};
SimHomeNumbers HomeNumbersOf(std::string_view imsi) noexcept;

// "302720": the number of a numeric network id; 0 for anything but 5 or 6 digits.
int NetworkNumberOf(std::string_view id) noexcept;

class VirtualHomeNetworks {
public:
    static constexpr std::size_t kRows = 10;
    static constexpr std::size_t kNumbers = 10;

    // With the one row every device starts with: network 302720, SIM 302370.
    VirtualHomeNetworks();

    // kQdNotAvailable when the table holds kRows rows already; an invalid parameter when
    // a list holds more than kNumbers numbers before its end.
    QdResult Add(std::span<const int> networks, std::span<const int> sims);
    bool IsVirtualHome(int network, const SimHomeNumbers& sim) const;

private:
    using Numbers = std::array<int, kNumbers>;
    struct Row {
        Numbers networks{};
        Numbers sims{};
    };
    static bool Holds(const Numbers& list, int number) noexcept;

    mutable std::mutex mutex_; // guards rows_: added to from any thread, read by the communicator's roaming check
    std::vector<Row> rows_;
};

} // namespace GSM
