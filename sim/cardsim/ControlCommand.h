#pragma once
// The commands of the control socket, one per line: a verb and its arguments separated by
// blanks ("fail AT_TGPS= 3", "garble 5 gps-data"). The table of verbs is also the help.

#include "sim/cardsim/FinalResult.h"
#include "sim/cardsim/NetworkTypes.h"
#include "sim/cardsim/Profile.h"
#include "sim/cardsim/SmsOrder.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Cardsim {

struct ControlCommand {
    enum class Verb {
        help, status, unplug, plug, replug, loseFix, regainFix, gps, fail, heal,
        silence, unsilence, garble, urc, suspend, resume, stop,
        // The network the card meets, its calls and its hardware.
        registration, servingOperator, operators, signal, technology, cell, radioSwitch, ussd, ring, hangup,
        temperature, antenna, scanDelay, imsi,
        // The SIM.
        sim, simRemove, simInsert, simReset,
        // The SIM's messages and phonebook.
        sms, phonebook,
    };

    Verb verb = Verb::help;
    bool on = false;               // gps; radio-switch on; antenna out; operators clear; phonebook clear
    std::string commandKey;        // fail, heal ("" for every command): "AT_TGPS="
    FinalResult answer;            // fail
    std::optional<int> times;      // fail: how often; always when empty
    int count = 0;                 // garble
    std::optional<PortRole> port;  // garble, urc: every port when empty
    std::string text;              // urc, ussd; ring (the number), imsi (the digits)
    Registration registration = Registration::home; // register
    Domain domain = Domain::both;  // register
    OperatorInfo operatorInfo;     // operator, operators add
    int value = 0;                 // signal, temperature
    Technology technology = Technology::hsdpa; // tech
    CellLocation cell;             // cell
    std::chrono::milliseconds delay{0}; // scan-delay
    SmsOrder sms;                  // sms
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
