#include "ClientCommand.h"

#include <array>
#include <string_view>

namespace Orvanta::gps {
namespace {

struct CommandName {
    std::string_view name;
    ClientCommand::Kind kind;
    bool takesArgument;
};

constexpr std::array<CommandName, 5> kCommandNames{{
    {"VERSION", ClientCommand::Kind::version, false},
    {"DEVICES", ClientCommand::Kind::devices, false},
    {"DEVICE", ClientCommand::Kind::device, true},
    {"WATCH", ClientCommand::Kind::watch, true},
    {"POLL", ClientCommand::Kind::poll, false},
}};

ClientCommand commandError(std::string problem)
{
    return ClientCommand{ClientCommand::Kind::error, std::nullopt, std::move(problem)};
}

// A piece of the client's text for a message: short, and printable.
std::string quotedPiece(std::string_view text)
{
    std::string piece;
    for (const char c : text.substr(0, 32))
        piece.push_back(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f ? c : '?');
    return piece;
}

} // namespace

ClientCommand parseClientCommand(const std::string& text)
{
    const std::string_view command(text);
    if (command.empty() || command.front() != '?')
        return commandError("unrecognized request '" + quotedPiece(command) + "'");
    const std::size_t equals = command.find('=');
    const std::string_view name = command.substr(1, equals == std::string_view::npos ? std::string_view::npos : equals - 1);
    for (const CommandName& known : kCommandNames) {
        if (name != known.name)
            continue;
        if (equals == std::string_view::npos)
            return ClientCommand{known.kind, std::nullopt, {}};
        if (!known.takesArgument)
            return commandError("?" + std::string(known.name) + " takes no argument");
        nlohmann::json argument = nlohmann::json::parse(command.substr(equals + 1), nullptr, false);
        if (argument.is_discarded())
            return commandError("invalid JSON in ?" + std::string(known.name));
        if (!argument.is_object())
            return commandError("?" + std::string(known.name) + " wants a JSON object");
        return ClientCommand{known.kind, std::move(argument), {}};
    }
    return commandError("unrecognized request '" + quotedPiece(command) + "'");
}

} // namespace Orvanta::gps
