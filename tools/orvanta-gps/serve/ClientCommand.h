#pragma once
// One command of a position-server client, read: which request, and for ?WATCH= the
// settings it changes.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace Orvanta::gps {

struct ClientCommand {
    enum class Kind { version, devices, device, watch, poll, error };
    Kind kind;
    // ?WATCH={...} and ?DEVICE={...}: the object given.
    std::optional<nlohmann::json> argument;
    // For Kind::error: what is wrong, for the ERROR report.
    std::string problem;
};

// `text` is a command as CommandReader gives it, without its end.
ClientCommand parseClientCommand(const std::string& text);

} // namespace Orvanta::gps
