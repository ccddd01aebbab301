#pragma once
// PDU hex text (two digits an octet, either case) to octets and back.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SMS {

// False, with `octets` cleared, when the text has an odd length or a non-hex character.
bool HexToOctets(std::string_view hex, std::vector<std::uint8_t>& octets);
// Upper-case digits, as "AT+CMGS=" is sent.
void AppendHex(std::string& hex, std::span<const std::uint8_t> octets);
void AppendHexOctet(std::string& hex, std::uint8_t octet);

} // namespace SMS
