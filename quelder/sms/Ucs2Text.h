#pragma once
// UTF-8 text and the UCS2 user data (UTF-16, high byte first) of a short message.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace SMS {

// Bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Big-endian units; an odd last octet is dropped, a surrogate without its partner reads
// as U+FFFD.
std::string Ucs2ToUtf8(std::span<const std::uint8_t> octets);

// The longest start of at most `limit` units from `start` that does not part a
// surrogate pair.
std::size_t Utf16CutPoint(std::u16string_view text, std::size_t start, std::size_t limit) noexcept;

} // namespace SMS
