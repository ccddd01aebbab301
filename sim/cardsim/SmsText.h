#pragma once
// The character sets a short message's text travels in: the GSM 7-bit default alphabet
// with its extension table (3GPP TS 23.038), UCS2 as UTF-16 code units, and the UTF-8 the
// card's control side speaks. Septets are kept one a byte here; packing them into octets
// is the PDU's business.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

inline constexpr std::uint8_t kGsmEscape = 0x1B;

// The code points of UTF-8 text; nothing when it is not well-formed.
std::optional<std::u32string> codePointsOf(std::string_view utf8);
std::string utf8Of(std::u32string_view codePoints);

// The septets of `text`, an extension character as the escape and its code; nothing when
// a character has no place in the alphabet.
std::optional<std::vector<std::uint8_t>> gsmSeptetsOf(std::u32string_view text);
// The text of septets; an unknown extension code reads as the character of the default
// table (as TS 23.038 asks of a receiver), a septet above 0x7F as '?'.
std::u32string textOfGsmSeptets(const std::vector<std::uint8_t>& septets);

// UTF-16 code units, characters beyond the basic plane as surrogate pairs.
std::u16string utf16Of(std::u32string_view text);
// Unpaired surrogates read as U+FFFD.
std::u32string textOfUtf16(std::u16string_view units);

} // namespace Cardsim
