#pragma once
// The text "pdu encode" sends: from the command line or standard input, checked to be
// text the codec can take.

#include "CommandLine.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

namespace Orvanta::modem {

// More than a concatenated message of 255 segments can carry in any coding.
inline constexpr std::size_t kMostInputBytes = 64 * 1024;

// The request's text, read from `input` for "--text -" (one final line end dropped, as a
// line typed or echoed ends with one); the usage failure for input that is not UTF-8,
// holds a NUL character or is longer than kMostInputBytes.
std::variant<std::string, Failure> messageTextOf(const PduRequest& request, std::FILE* input);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view text) noexcept;

} // namespace Orvanta::modem
