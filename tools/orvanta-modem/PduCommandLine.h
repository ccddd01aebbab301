#pragma once
// The command lines of "orvanta-modem pdu decode|encode", whose options are their own.

#include "CommandLine.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Orvanta::modem {

// The whole command line, "pdu" among its words.
std::variant<Request, Failure> parsePduCommandLine(const std::vector<std::string>& arguments);

// "gsm7", "8bit", "ucs2" as SMS::Coding values, and back.
std::optional<int> codingNamed(std::string_view name);
const char* codingName(int coding) noexcept;

} // namespace Orvanta::modem
