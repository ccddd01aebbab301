#pragma once
// Walking UTF-8 text one character at a time, and writing characters back.

#include <string>
#include <string_view>

namespace GSM::Utf8 {

// The character that starts at `position`, which moves past it. A byte that does not start
// a well-formed sequence (overlong forms and surrogates included) reads as U+FFFD and
// moves one byte on.
char32_t Next(std::string_view text, std::size_t& position) noexcept;
void Append(std::string& out, char32_t character);

} // namespace GSM::Utf8
