#include "quelder/sms/PduDecoder.h"

#include "platform/HexDigits.h"
#include "quelder/BackendLog.h"
#include "quelder/sms/OctetReader.h"
#include "quelder/sms/PduHex.h"
#include "quelder/sms/SmsAddress.h"
#include "quelder/sms/SmsTimeStamp.h"
#include "quelder/sms/UserDataDecoder.h"

#include <cstring>
#include <new>

namespace SMS {
namespace {

constexpr std::uint8_t kMessageTypeMask = 0x03;
constexpr std::uint8_t kStatusReportIndicator = 0x02;
constexpr std::uint8_t kStatusReportFlag = 0x20;
constexpr std::uint8_t kUserDataHeaderFlag = 0x40;
constexpr std::uint8_t kReplyPathFlag = 0x80;
// A status report's parameter indicator: which optional fields follow.
constexpr std::uint8_t kParameterProtocolIdentifier = 0x01;
constexpr std::uint8_t kParameterDataCoding = 0x02;
constexpr std::uint8_t kParameterUserData = 0x04;

// Validity period formats (bits 4-3 of a submit's first octet).
constexpr unsigned kValidityNone = 0;
constexpr unsigned kValidityRelative = 2;

int messageTypeOf(std::uint8_t firstOctet) noexcept
{
    switch (firstOctet & kMessageTypeMask) {
    case 0: return kTypeDeliver;
    case 1: return kTypeSubmit;
    case 2: return kTypeDeliver;
    default: return kTypeOther;
    }
}

void readTimeStamp(OctetReader& reader, char* field, std::size_t capacity)
{
    const auto octets = reader.Take(kTimeStampOctets);
    CopyText(TimeStampText(octets.first<kTimeStampOctets>()), field, capacity);
}

void readServiceCentreTime(OctetReader& reader, Tpdu& message)
{
    readTimeStamp(reader, message.serviceCentreTime, sizeof message.serviceCentreTime);
    std::int64_t fileTime = 0;
    if (TextToFileTime(message.serviceCentreTime, fileTime))
        message.setTimeStamp(fileTime);
}

void readDeliver(OctetReader& reader, Tpdu& message)
{
    ReadAddress(reader, message.address);
    message.protocolIdentifier = reader.Octet();
    message.dataCodingScheme = reader.Octet();
    readServiceCentreTime(reader, message);
    DecodeUserData(reader, message);
}

void readSubmit(OctetReader& reader, std::uint8_t firstOctet, Tpdu& message)
{
    message.messageReference = reader.Octet();
    ReadAddress(reader, message.address);
    message.protocolIdentifier = reader.Octet();
    message.dataCodingScheme = reader.Octet();
    const unsigned validityFormat = (firstOctet >> 3) & 0x03;
    if (validityFormat == kValidityRelative)
        message.validityPeriod = reader.Octet();
    else if (validityFormat != kValidityNone)
        reader.Take(7); // enhanced or absolute: seven octets the record has no field for
    DecodeUserData(reader, message);
}

void readStatusReport(OctetReader& reader, Tpdu& message)
{
    message.messageReference = reader.Octet();
    ReadAddress(reader, message.address);
    readServiceCentreTime(reader, message);
    readTimeStamp(reader, message.dischargeTime, sizeof message.dischargeTime);
    message.status = reader.Octet();
    // The optional tail: a parameter indicator and the fields it names.
    if (reader.Remaining() == 0)
        return;
    const std::uint8_t parameters = reader.Octet();
    if (parameters & kParameterProtocolIdentifier)
        message.protocolIdentifier = reader.Octet();
    if (parameters & kParameterDataCoding)
        message.dataCodingScheme = reader.Octet();
    if (parameters & kParameterUserData)
        DecodeUserData(reader, message);
}

} // namespace

void DecodeOctets(std::span<const std::uint8_t> octets, Tpdu& message)
{
    OctetReader reader(octets);
    ReadServiceCentreAddress(reader, message.serviceCentre);
    const std::uint8_t firstOctet = reader.Octet();
    message.messageType = messageTypeOf(firstOctet);
    message.statusReport = (firstOctet & kMessageTypeMask) == kStatusReportIndicator ? 1 : 0;
    message.statusReportRequest = (firstOctet & kStatusReportFlag) != 0 ? 1 : 0;
    message.userDataHeader = (firstOctet & kUserDataHeaderFlag) != 0 ? 1 : 0;
    message.replyPath = (firstOctet & kReplyPathFlag) != 0 ? 1 : 0;
    if (message.statusReport)
        readStatusReport(reader, message);
    else if (message.messageType == kTypeDeliver)
        readDeliver(reader, message);
    else if (message.messageType == kTypeSubmit)
        readSubmit(reader, firstOctet, message);
    else {
        GSM::xlog(GSM::logError, "Qd: The PDU is not recognized");
        GSM::Raise(kQdMalformedPdu);
    }
}

QdResult Decode(std::string_view hex, int tpduLength, Tpdu& message, bool ndisCard)
{
    message = Tpdu{};
    if (!Validate(hex, tpduLength, ndisCard))
        return kQdMalformedPdu;
    try {
        // Small enough to stay off the heap for any PDU a card sends; Validate has
        // checked every digit.
        std::uint8_t buffer[512];
        std::vector<std::uint8_t> large;
        std::span<const std::uint8_t> octets;
        if (hex.size() / 2 <= sizeof buffer) {
            for (std::size_t i = 0; i < hex.size() / 2; ++i)
                buffer[i] = static_cast<std::uint8_t>(Os::hexDigitValue(hex[2 * i]) << 4 |
                                                      Os::hexDigitValue(hex[2 * i + 1]));
            octets = std::span<const std::uint8_t>(buffer, hex.size() / 2);
        } else {
            HexToOctets(hex, large);
            octets = large;
        }
        DecodeOctets(octets, message);
        return kQdSuccess;
    } catch (const GSM::ResultError& error) {
        message = Tpdu{};
        return error.code();
    } catch (const std::bad_alloc&) {
        message = Tpdu{};
        return kQdOutOfMemory;
    }
}

} // namespace SMS
