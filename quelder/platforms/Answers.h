#pragma once
// What the start-up and identity operations make of the card's answers, as functions of
// the answer text alone (after the command's prefix, where it has one). A malformed
// answer raises a result code, as a failed parse step of the AT engine does.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace GSM {

struct FirmwareVersion {
    int major = 0, minor = 0, build = 0;
    bool operator==(const FirmwareVersion&) const = default;
    auto operator<=>(const FirmwareVersion&) const = default;
};

// "4.2.17" and "4.2.17 [Jun 30 2009]": the first three numbers; nothing when the text
// does not start with them.
std::optional<FirmwareVersion> FirmwareVersionOf(std::string_view text);

// "+CPIN: " answers ("READY", "SIM PIN", ...) as PIN/PUK states: 1 Ready to 16, 0 for
// anything else.
int PinPukStateOf(std::string_view answer) noexcept;

// "144,0,\"98101430121181157002\"": the ICCID's digits, nibbles swapped back, filler
// left out. kQdNotAvailable when the SIM refused the read.
std::string IccidOf(std::string_view crsmAnswer);

// "3,10,3,10" (docs/at-dialect.md, AT_TERCN?) or "3,10" (+ZPINPUK): the attempts left
// for PIN1 and PUK1, the first two numbers. kQdNotAvailable for anything else, a
// negative count included.
struct PinPukCounters {
    int pin = 0;
    int puk = 0;
};
PinPukCounters PinPukCountersOf(std::string_view answer);

// "\"Voice\",\"+15551230000\",145": the number.
std::string OwnNumberOf(std::string_view cnumAnswer);

// "8,6": the HSDPA and HSUPA categories as peak rates in bit/s (0 for an unknown one).
struct HsxpaRates {
    int download = 0;
    int upload = 0;
};
HsxpaRates HsxpaRatesOf(std::string_view categories);

} // namespace GSM
