#include "quelder/sms/UserDataDecoder.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/CodePage949.h"
#include "quelder/sms/DataCodingScheme.h"
#include "quelder/sms/GsmString.h"
#include "quelder/sms/Packers.h"
#include "quelder/sms/SmsAddress.h"
#include "quelder/sms/Ucs2Text.h"

#include <algorithm>
#include <cstring>

namespace SMS {
namespace {

constexpr std::uint8_t kReceivedConcatenation8 = 0x00;
constexpr std::uint8_t kReceivedConcatenation16 = 0x08;
constexpr std::uint8_t kReceivedReplyAddress = 0x22;
constexpr std::size_t kUcs2Limit = 140;

// Elements of the enhanced messaging and multimedia services.
bool isEmsElement(std::uint8_t type) noexcept
{
    return type == 0x04 || type == 0x05 || type == 0x09 || (type >= 0x0D && type <= 0x1F);
}

void readConcatenation(std::span<const std::uint8_t> data, int referenceBits, Tpdu& message)
{
    const std::size_t referenceOctets = referenceBits / 8;
    if (data.size() != referenceOctets + 2) {
        GSM::xlog(GSM::logWarning, "Ignoring unknown UDH Information Element type 0x%x",
                  referenceBits == 8 ? kReceivedConcatenation8 : kReceivedConcatenation16);
        return;
    }
    message.concatReference = referenceBits == 8 ? data[0] : data[0] << 8 | data[1];
    message.concatReferenceBits = referenceBits;
    message.concatTotal = data[referenceOctets];
    message.concatSequence = data[referenceOctets + 1];
}

void readReplyAddress(std::span<const std::uint8_t> data, Tpdu& message)
{
    // The element holds the address field and nothing else.
    if (data.empty() || data.size() != (data[0] + 1u) / 2 + 2) {
        GSM::xlog(GSM::logWarning, "Incorrect Reply Address, ignoring it...");
        return;
    }
    try {
        OctetReader reader(data);
        ReadAddress(reader, message.replyAddress);
    } catch (const GSM::ResultError&) {
        message.replyAddress = Address{};
        GSM::xlog(GSM::logWarning, "Incorrect Reply Address, ignoring it...");
    }
}

void storeText(std::string_view text, Tpdu& message)
{
    CopyText(text.substr(0, std::min<std::size_t>(text.size(), kDecodedTextLimit + 1)), message.text,
             kDecodedTextLimit + 1);
}

void decodeSeptets(std::span<const std::uint8_t> userData, std::size_t length, std::size_t headerOctets,
                   Tpdu& message)
{
    // The text starts on the first septet boundary after the header.
    const std::size_t headerSeptets = headerOctets > 0 ? (8 * headerOctets + 6) / 7 : 0;
    if (headerSeptets > length)
        RaiseCorruptedPdu();
    const std::size_t count = length - headerSeptets;
    const std::string septets = message.cdma7bit ? UnpackCdma7bit(userData, count, 7 * headerSeptets)
                                                 : Unpack7bit(userData, count, 7 * headerSeptets);
    storeText(GsmString(septets).ToUtf8(), message);
}

} // namespace

void ReadUserDataHeader(std::span<const std::uint8_t> elements, Tpdu& message)
{
    std::size_t position = 0;
    while (position + 2 <= elements.size()) {
        const std::uint8_t type = elements[position];
        const std::size_t length = elements[position + 1];
        position += 2;
        if (length > elements.size() - position)
            RaiseCorruptedPdu();
        const auto data = elements.subspan(position, length);
        position += length;
        if (type == kReceivedConcatenation8)
            readConcatenation(data, 8, message);
        else if (type == kReceivedConcatenation16)
            readConcatenation(data, 16, message);
        else if (type == kReceivedReplyAddress)
            readReplyAddress(data, message);
        else {
            GSM::xlog(GSM::logWarning, "Ignoring unknown UDH Information Element type 0x%x", type);
            if (isEmsElement(type)) {
                GSM::xlog(GSM::logNormal, "MMS/EMS message detected!");
                message.emsMms = 1;
            }
        }
    }
    // A lone octet after the last element is not one.
    if (position != elements.size())
        RaiseCorruptedPdu();
}

void DecodeUserData(OctetReader& reader, Tpdu& message)
{
    const DataCoding coding = ClassifyDataCoding(static_cast<std::uint8_t>(message.dataCodingScheme));
    message.messageClass = coding.messageClass;
    message.coding = coding.coding;
    message.cdma7bit = coding.cdma7bit ? 1 : 0;

    const std::size_t length = reader.Octet();
    const bool septets = coding.coding == kCodingGsm7;
    const auto userData = reader.Take(septets ? (7 * length + 7) / 8 : length);
    std::size_t headerOctets = 0;
    if (message.userDataHeader) {
        if (userData.empty() || static_cast<std::size_t>(userData[0]) + 1 > userData.size())
            RaiseCorruptedPdu();
        headerOctets = userData[0] + 1u;
        ReadUserDataHeader(userData.subspan(1, headerOctets - 1), message);
    }
    if (septets) {
        decodeSeptets(userData, length, headerOctets, message);
        return;
    }
    const auto text = userData.subspan(headerOctets);
    if (coding.coding == kCodingUcs2) {
        storeText(Ucs2ToUtf8(text.first(std::min(text.size(), kUcs2Limit))), message);
        return;
    }
    message.userDataLength = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), kUserDataCapacity));
    std::memcpy(message.userData, text.data(), static_cast<std::size_t>(message.userDataLength));
    storeText(CodePage949ToUtf8(text), message);
}

} // namespace SMS
