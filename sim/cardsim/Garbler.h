#pragma once
// Line noise on demand: the next N lines the card writes, on one port or on any, come out
// with one character changed. Lengths and line ends stay, so a reader still finds the
// lines; an NMEA sentence then fails its checksum, an AT answer is no answer it knows.

#include "sim/cardsim/Profile.h"

#include <optional>
#include <string>
#include <string_view>

namespace Cardsim {

class Garbler {
public:
    // Replaces what was armed before. Without a port, lines on every port count.
    void arm(int count, std::optional<PortRole> port);
    // Whether the line about to go out on `port` is to be garbled; it counts as one.
    bool take(PortRole port);
    int pending() const { return remaining_; }

private:
    int remaining_ = 0;
    std::optional<PortRole> port_;
};

// `line` with its middle character replaced by another printable one.
std::string garbled(std::string_view line);

} // namespace Cardsim
