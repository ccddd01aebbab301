// Feeds arbitrary text, as a card might report it after "+CMGR:", "+CMT:" or "+CDS:",
// through the PDU check and the decoder. The first byte picks the card kind (bit 0: NDIS)
// and where the TPDU length comes from: bit 1 set, from the text's own service-centre
// octet, so that mutations reach the decoder rather than the length check; clear, from
// the next two bytes (little endian).

#include "nodekin/XLog.h"
#include "quelder/QdResult.h"
#include "quelder/sms/Tpdu.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr int hexValue(char c) noexcept
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

template <std::size_t N>
void checkTerminated(const char (&field)[N])
{
    if (::memchr(field, '\0', N) == nullptr)
        __builtin_trap();
}

void checkDecoded(const SMS::Tpdu& message)
{
    checkTerminated(message.serviceCentre.text);
    checkTerminated(message.address.text);
    checkTerminated(message.replyAddress.text);
    checkTerminated(message.serviceCentreTime);
    checkTerminated(message.dischargeTime);
    checkTerminated(message.text);
    if (std::strlen(message.text) > static_cast<std::size_t>(SMS::kDecodedTextLimit))
        __builtin_trap();
    if (message.coding < SMS::kCodingGsm7 || message.coding > SMS::kCodingUcs2 || message.messageClass < 0 ||
        message.messageClass > 4 || message.userDataLength < 0 || message.userDataLength > SMS::kUserDataCapacity)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Nodekin::setLogLevel(Nodekin::logError);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const bool ndis = (data[0] & 0x01) != 0;
    const bool ownLength = (data[0] & 0x02) != 0;
    int length = static_cast<std::int16_t>(data[1] | data[2] << 8);
    const std::string_view hex(reinterpret_cast<const char*>(data) + 3, size - 3);
    if (ownLength && hex.size() >= 2 && hexValue(hex[0]) >= 0 && hexValue(hex[1]) >= 0)
        length = static_cast<int>(hex.size() / 2) - (hexValue(hex[0]) << 4 | hexValue(hex[1])) - 1;

    const bool valid = SMS::Validate(hex, length, ndis);
    SMS::Tpdu message;
    std::memset(static_cast<void*>(&message), 0x5A, sizeof message); // a record that was not cleared shows
    const QdResult rc = SMS::Decode(hex, length, message, ndis);
    if (rc == kQdSuccess) {
        if (!valid)
            __builtin_trap();
        checkDecoded(message);
        return 0;
    }
    if (rc != kQdMalformedPdu && rc != kQdCodePageMissing)
        __builtin_trap();
    static const SMS::Tpdu cleared{};
    if (std::memcmp(&message, &cleared, sizeof message) != 0)
        __builtin_trap();
    return 0;
}
