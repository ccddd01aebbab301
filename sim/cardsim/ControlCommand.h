#pragma once
// The commands of the control socket, one per line: a verb and its arguments separated by
// blanks ("fail AT_TGPS= 3", "garble 5 gps-data"). The table of verbs is also the help.

#include "sim/cardsim/FinalResult.h"
#include "sim/cardsim/Profile.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Cardsim {

struct ControlCommand {
    enum class Verb {
        help, status, unplug, plug, replug, loseFix, regainFix, gps, fail, heal,
        silence, unsilence, garble, urc, suspend, resume, stop,
    };

    Verb verb = Verb::help;
    bool on = false;               // gps
    std::string commandKey;        // fail, heal ("" for every command): "AT_TGPS="
    FinalResult answer;            // fail
    std::optional<int> times;      // fail: how often; always when empty
    int count = 0;                 // garble
    std::optional<PortRole> port;  // garble, urc: every port when empty
    std::string text;              // urc
};

struct ControlVerb {
    std::string_view name;
    std::string_view arguments;
    std::string_view help;
};

std::span<const ControlVerb> controlVerbs();

struct ParsedControl {
    std::optional<ControlCommand> command;
    std::string problem; // why there is no command
};

// One line, without its line end (a trailing CR is ignored).
ParsedControl parseControlLine(std::string_view line);

} // namespace Cardsim
