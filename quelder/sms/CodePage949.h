#pragma once
// The 8-bit coding's text: code page 949, converted through the system's iconv.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace SMS {

inline constexpr unsigned kCodePage8bit = 949;

// UTF-8 to code page 949, characters it lacks as "?" (logged). Raises kQdCodePageMissing
// (logged) when this system cannot convert to it.
std::string Utf8ToCodePage949(std::string_view utf8);
// Octets the code page cannot read become U+FFFD. Raises kQdCodePageMissing too.
std::string CodePage949ToUtf8(std::span<const std::uint8_t> octets);

// The longest start of at most `limit` octets from `start` that does not part a lead
// octet (0x81 to 0xFE) from its trail octet.
std::size_t CodePage949CutPoint(std::string_view text, std::size_t start, std::size_t limit) noexcept;

} // namespace SMS
