#pragma once
// Why this user cannot use a card's ports, in the words of Os::describeOpenFailure, read
// off the port nodes without opening them: opening a modem's tty can hang up a call or
// reset the modem. "cards" prints each problem under its port; the receiver commands
// print them when a card was found but its receiver never came.

#include "nodekin/Nodekin.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Orvanta::gps {

// Whether this process may open `path` for reading and writing: 0, or a system error
// number of platform/SystemError.h (kErrorAccessDenied, kErrorFileNotFound ...).
using AccessCheck = std::function<int(const std::string& path)>;

// The system's answer, for the effective user and groups, as an open would use them.
int checkPortAccess(const std::string& path);

// The ports of the card-information record, in the order "cards" shows them.
struct PortField {
    const char* label; // "GPS data port"
    char (NkCardInfo::*name)[NkNameSize];
};
std::span<const PortField> portFields();

// The device node of a port name of the record ("/dev/ttyUSB2"; a bare "ttyUSB2" is
// taken to live in /dev).
std::string portPath(const char* name);

// What keeps this user from opening the port at `path`; none when nothing does.
std::optional<std::string> portProblem(const std::string& path, const AccessCheck& check);

struct PortProblem {
    const char* label;
    std::string words;
};
// The problems of every port the record names.
std::vector<PortProblem> portProblems(const NkCardInfo& card, const AccessCheck& check);

} // namespace Orvanta::gps
