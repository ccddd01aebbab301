// Feeds arbitrary bytes, line by line, to the parser of the virtual card's control
// socket, which takes commands from any program of the user, and applies the forced
// answers it accepts as the card would.

#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/FaultRules.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Cardsim::ControlCommand;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Cardsim::FaultRules faults;
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
            for (const char c : command.text)
                if (static_cast<unsigned char>(c) < 0x20)
                    __builtin_trap(); // it would break the framing of the port's lines
            break;
        default: break;
        }
    }
    return 0;
}
