#include "quelder/sms/PduHex.h"

#include "platform/HexDigits.h"

namespace SMS {

bool HexToOctets(std::string_view hex, std::vector<std::uint8_t>& octets)
{
    octets.clear();
    if (hex.size() % 2 != 0)
        return false;
    octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = Os::hexDigitValue(hex[i]);
        const int low = Os::hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            octets.clear();
            return false;
        }
        octets.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return true;
}

void AppendHexOctet(std::string& hex, std::uint8_t octet)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    hex += kDigits[octet >> 4];
    hex += kDigits[octet & 0x0F];
}

void AppendHex(std::string& hex, std::span<const std::uint8_t> octets)
{
    hex.reserve(hex.size() + 2 * octets.size());
    for (const std::uint8_t octet : octets)
        AppendHexOctet(hex, octet);
}

} // namespace SMS
