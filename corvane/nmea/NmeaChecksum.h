#pragma once
// The two sides of an NMEA checksum: the one computed over the text, and the one the
// sentence carries after its "*".

#include <cstdint>
#include <optional>
#include <string_view>

namespace Corvane::nmea {

// The exclusive OR of the bytes strictly between the first "$" (or the start, when there
// is none) and the first "*". Nothing when the text has no "*": its checksum range has no
// end inside the text.
std::optional<std::uint8_t> computedChecksum(std::string_view text) noexcept;

// `word` read as strtol(word, nullptr, 16) reads it: leading white space, a sign, an
// optional "0x", then hexadecimal digits up to the first other character; no digits read
// as 0, and a value past the range of long as that range's end.
std::int64_t transmittedChecksum(std::string_view word) noexcept;

} // namespace Corvane::nmea
