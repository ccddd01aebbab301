#pragma once
// Cuts one AT command line into its commands, the way a modem reads it: "AT" and then
// basic commands ("E0", "&F", "S0=1", "D*99#") and extended commands ("+CMEE=1",
// "_TGPS?") separated by ';'. Each command is named by a key that says how it was used:
// "ATE" for E0, "AT+CMEE=" for a set, "AT_TGPS?" for a read, "AT+CMEE=?" for a test,
// "AT+CGMR" for an action. Keys are upper case; arguments stay as sent.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

struct AtCommand {
    std::string key;
    std::string arguments;

    bool operator==(const AtCommand&) const = default;
};

// The commands of `line` (without its CR), in order; an empty list for a bare "AT".
// Nothing when the line holds no "AT" prefix: a modem ignores such lines. Text in front
// of the prefix is line noise and skipped.
std::optional<std::vector<AtCommand>> parseCommandLine(std::string_view line);

} // namespace Cardsim
