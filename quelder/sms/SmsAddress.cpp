#include "quelder/sms/SmsAddress.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/GsmString.h"
#include "quelder/sms/Packers.h"

#include <cstring>

namespace SMS {
namespace {

constexpr char kDigitTable[] = "0123456789*#abc";
constexpr std::uint8_t kFiller = 0x0F;
constexpr std::size_t kAddressTextLimit = kAddressCapacity - 1;

[[noreturn]] void raiseTooBig(int length)
{
    GSM::xlog(GSM::logError, "Qd: Too big address length (%d), probably corrupted PDU", length);
    GSM::Raise(kQdMalformedPdu);
}

// Semi-octet digits; the filler (15) is skipped wherever it stands.
void readDigits(std::span<const std::uint8_t> octets, std::size_t digits, bool international, Address& address)
{
    std::size_t length = 0;
    if (international)
        address.text[length++] = '+';
    for (std::size_t i = 0; i < digits; ++i) {
        const std::uint8_t octet = octets[i / 2];
        const std::uint8_t nibble = i % 2 == 0 ? octet & 0x0F : octet >> 4;
        if (nibble != kFiller)
            address.text[length++] = kDigitTable[nibble];
    }
    address.text[length] = '\0';
}

void readTyped(OctetReader& reader, Address& address, int lengthField, std::size_t digits, std::size_t octets)
{
    const std::uint8_t type = reader.Octet();
    address.typeOfNumber = (type >> 4) & 0x07;
    address.international = address.typeOfNumber == kTypeInternational ? 1 : 0;
    if (address.typeOfNumber == kTypeAlphanumeric) {
        const std::size_t characters = digits * 4 / 7;
        if (characters > kAddressTextLimit)
            raiseTooBig(lengthField);
        const auto packed = reader.Take(octets);
        CopyText(GsmString(Unpack7bit(packed, characters)).ToUtf8(), address.text, sizeof address.text);
        return;
    }
    if (digits + static_cast<std::size_t>(address.international) > kAddressTextLimit)
        raiseTooBig(lengthField);
    readDigits(reader.Take(octets), digits, address.international != 0, address);
}

int digitValue(char c) noexcept
{
    const char lower = c >= 'A' && c <= 'C' ? static_cast<char>(c - 'A' + 'a') : c;
    const char* found = lower != '\0' ? std::strchr(kDigitTable, lower) : nullptr;
    return found ? static_cast<int>(found - kDigitTable) : -1;
}

std::string_view digitsOf(const Address& address) noexcept
{
    std::string_view text(address.text, ::strnlen(address.text, sizeof address.text));
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    return text;
}

std::uint8_t typeOctet(const Address& address) noexcept
{
    return static_cast<std::uint8_t>(0x81 | (address.typeOfNumber & 0x07) << 4);
}

void appendSemiOctets(std::vector<std::uint8_t>& out, std::string_view digits)
{
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int low = digitValue(digits[i]);
        const int high = i + 1 < digits.size() ? digitValue(digits[i + 1]) : kFiller;
        out.push_back(static_cast<std::uint8_t>((high & 0x0F) << 4 | (low & 0x0F)));
    }
}

} // namespace

void CopyText(std::string_view text, char* field, std::size_t capacity) noexcept
{
    if (capacity == 0)
        return;
    std::size_t length = text.size() < capacity ? text.size() : capacity - 1;
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

void ReadServiceCentreAddress(OctetReader& reader, Address& address)
{
    const std::uint8_t length = reader.Octet();
    if (length == 0)
        return;
    const std::size_t octets = length - 1u;
    readTyped(reader, address, length, 2 * octets, octets);
    // The digit count is not sent here: a filler nibble ends an odd one.
}

void ReadAddress(OctetReader& reader, Address& address)
{
    const std::uint8_t digits = reader.Octet();
    readTyped(reader, address, digits, digits, (digits + 1u) / 2);
}

bool ParseNumber(std::string_view number, Address& address)
{
    address = Address{};
    const bool international = !number.empty() && number.front() == '+';
    const std::string_view digits = international ? number.substr(1) : number;
    if (digits.size() + (international ? 1 : 0) > kAddressTextLimit)
        return false;
    for (const char c : digits)
        if (digitValue(c) < 0)
            return false;
    address.international = international ? 1 : 0;
    address.typeOfNumber = international ? kTypeInternational : 0;
    CopyText(number, address.text, sizeof address.text);
    return true;
}

int AddressDigitCount(const Address& address) noexcept { return static_cast<int>(digitsOf(address).size()); }

void AppendServiceCentreAddress(std::vector<std::uint8_t>& out, const Address& address)
{
    const std::string_view digits = digitsOf(address);
    if (digits.empty()) {
        out.push_back(0);
        return;
    }
    out.push_back(static_cast<std::uint8_t>((digits.size() + 1) / 2 + 1));
    out.push_back(typeOctet(address));
    appendSemiOctets(out, digits);
}

void AppendAddress(std::vector<std::uint8_t>& out, const Address& address)
{
    const std::string_view digits = digitsOf(address);
    out.push_back(static_cast<std::uint8_t>(digits.size()));
    out.push_back(typeOctet(address));
    appendSemiOctets(out, digits);
}

} // namespace SMS
