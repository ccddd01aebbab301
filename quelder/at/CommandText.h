#pragma once
// What a command looks like on the wire, and whether it may be logged.

#include <string>
#include <string_view>

namespace GSM {

// The command with every character between double quotes turned into the GSM 7-bit
// default alphabet, extension characters after the escape 0x1B, characters without a
// mapping left out. Line ends are left out too: a CR inside the quotes would end the
// command there and have the card run the rest as a command of its own.
std::string ToCardCharacters(std::string_view command);

// Commands that carry a PIN, PUK or password ("AT+CPIN=\"1234\""). They are never
// logged in clear, whatever kind they were sent with.
bool CarriesSecret(std::string_view command) noexcept;

} // namespace GSM
