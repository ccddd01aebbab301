#pragma once
// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038), one septet
// per byte. Text elsewhere in the backend is UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace GSM::Gsm7 {

// Announces that the next septet is read from the extension table.
inline constexpr std::uint8_t kEscape = 0x1B;

enum class Table { none, standard, extension };

// Where a character lives: the table and its septet there.
struct Septet {
    Table table = Table::none;
    std::uint8_t value = 0;
};

Septet Find(char32_t character) noexcept;
// The character of a septet (0 to 127) of the default alphabet; the escape has none (0).
char32_t StandardCharacter(std::uint8_t septet) noexcept;
// The character after the escape; 0 when the extension table has none there.
char32_t ExtensionCharacter(std::uint8_t septet) noexcept;

// UTF-8 to septets: extension characters after the escape, characters without a
// mapping (and bytes that are not UTF-8) left out.
std::string FromUtf8(std::string_view utf8);
// Septets to UTF-8. An escape before a septet the extension table does not hold reads as
// that septet of the default alphabet, as receivers are told to show it; a trailing
// escape is dropped. Bytes above 127 are not septets and are dropped too.
std::string ToUtf8(std::string_view septets);

} // namespace GSM::Gsm7
