// Feeds arbitrary bytes, line by line, to the parser of the virtual card's control
// socket, which takes commands from any program of the user, and applies what it accepts
// as the card would: forced answers to fault rules, network commands to a card state
// whose alarms ring after each command, the "sms" commands to its message store.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/FaultRules.h"
#include "sim/cardsim/NetworkControl.h"
#include "sim/cardsim/Profile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool printable(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

// What the card later writes into an AT line must keep the line whole and its quotes paired.
void checkNetworkCommand(const Cardsim::ControlCommand& command)
{
    using Verb = Cardsim::ControlCommand::Verb;
    switch (command.verb) {
    case Verb::servingOperator:
    case Verb::operators:
        if (!command.on && (!Cardsim::isOperatorNumber(command.operatorInfo.numeric) ||
                            !Cardsim::isOperatorName(command.operatorInfo.longName) ||
                            !Cardsim::isOperatorName(command.operatorInfo.shortName)))
            __builtin_trap();
        break;
    case Verb::ussd:
        if (!printable(command.text) || command.text.find('"') != std::string::npos)
            __builtin_trap();
        break;
    case Verb::ring:
        if (!Cardsim::VoiceCall::validNumber(command.text))
            __builtin_trap();
        break;
    case Verb::imsi:
        if (!Cardsim::isImsi(command.text))
            __builtin_trap();
        break;
    case Verb::cell:
        if (command.cell.lac > 0xFFFF || command.cell.ci > 0xFFFFFFF)
            __builtin_trap();
        break;
    case Verb::signal:
        if (command.value < 0 || (command.value > 31 && command.value != 99))
            __builtin_trap();
        break;
    case Verb::sms:
        // A sender and a text end up in PDUs; the PDU given must be hex.
        if (!printable(command.sms.number) || !printable(command.sms.text))
            __builtin_trap();
        if (command.sms.action == Cardsim::SmsOrder::Action::deliverPdu &&
            command.sms.text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            __builtin_trap();
        break;
    default: break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Cardsim::ControlCommand;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Cardsim::FaultRules faults;
    Cardsim::ManualAlarms alarms;
    Cardsim::CardState state(alarms.maker());
    Cardsim::CardFacts facts = Cardsim::factsFor(*Cardsim::findProfile("gps"), "RX0001");
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        const Cardsim::ParsedControl parsed = Cardsim::parseControlLine(line);
        if (!parsed.command) {
            if (parsed.problem.empty())
                __builtin_trap(); // a refusal always says why
            continue;
        }
        const ControlCommand& command = *parsed.command;
        if (Cardsim::isNetworkVerb(command.verb)) {
            checkNetworkCommand(command);
            const std::string reply = Cardsim::executeNetworkCommand(command, state, facts);
            // "OK", "OK" with what was asked for ("sim" shows the SIM), or "ERROR" and why.
            if (reply != "OK" && reply.rfind("OK ", 0) != 0 && reply.rfind("ERROR ", 0) != 0)
                __builtin_trap();
            // One line, whatever a listing ("sms store", "sms sent") holds.
            if (reply.find_first_of("\r\n") != std::string::npos)
                __builtin_trap();
            alarms.advance(std::chrono::seconds(2));
            continue;
        }
        switch (command.verb) {
        case ControlCommand::Verb::fail:
            if (command.commandKey.rfind("AT", 0) != 0 || (command.times && *command.times < 1))
                __builtin_trap();
            faults.set(command.commandKey, command.answer, command.times);
            if (!faults.take(command.commandKey))
                __builtin_trap();
            break;
        case ControlCommand::Verb::heal:
            if (!command.commandKey.empty() && command.commandKey.rfind("AT", 0) != 0)
                __builtin_trap();
            faults.heal(command.commandKey);
            break;
        case ControlCommand::Verb::garble:
            if (command.count < 1)
                __builtin_trap();
            break;
        case ControlCommand::Verb::urc:
            if (!printable(command.text))
                __builtin_trap(); // it would break the framing of the port's lines
            break;
        default: break;
        }
    }
    return 0;
}
