#include "PduJson.h"

#include "PduCommandLine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace Orvanta::modem {

namespace {

// A NUL-terminated text field of the record, read no further than its array.
template <std::size_t size>
std::string fieldText(const char (&field)[size])
{
    return std::string(field, strnlen(field, size));
}


// A time stamp's text, or null for a message that carries none.
nlohmann::json timeText(const std::string& text)
{
    return text.empty() ? nlohmann::json(nullptr) : nlohmann::json(text);
}

std::string hexOf(std::span<const std::uint8_t> octets)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t octet : octets) {
        hex += kDigits[octet >> 4];
        hex += kDigits[octet & 0x0F];
    }
    return hex;
}

const char* typeName(const SMS::Tpdu& message) noexcept
{
    if (message.statusReport != 0)
        return "status-report";
    switch (message.messageType) {
    case SMS::kTypeDeliver: return "deliver";
    case SMS::kTypeSubmit: return "submit";
    default: return "other";
    }
}

} // namespace

nlohmann::json pduJson(const SMS::Tpdu& message)
{
    nlohmann::json json{
        {"type", typeName(message)},
        {"smsc", fieldText(message.serviceCentre.text)},
        {"number", fieldText(message.address.text)},
        {"text", fieldText(message.text)},
        {"coding", codingName(message.coding)},
        // The record keeps "no class" as 0 and classes 0 to 3 as 1 to 4.
        {"class", message.messageClass >= 1 && message.messageClass <= 4 ? nlohmann::json(message.messageClass - 1)
                                                                         : nlohmann::json(nullptr)},
        {"timestamp", timeText(fieldText(message.serviceCentreTime))},
        {"pid", message.protocolIdentifier},
        {"dcs", message.dataCodingScheme},
        {"udh", message.userDataHeader != 0},
        // A message on its own is part 1 of 1.
        {"reference", message.concatReference},
        {"parts", message.concatTotal > 0 ? message.concatTotal : 1},
        {"part", message.concatSequence > 0 ? message.concatSequence : 1},
        {"status_report_request", message.statusReportRequest != 0},
        {"reply_path", message.replyPath != 0},
        {"message_reference", message.messageReference},
    };
    if (const std::string reply = fieldText(message.replyAddress.text); !reply.empty())
        json["reply_address"] = reply;
    // An 8-bit message is often data rather than text: its octets as they came.
    if (message.coding == SMS::kCoding8bit) {
        const int length = std::clamp(message.userDataLength, 0, SMS::kUserDataCapacity);
        json["user_data"] = hexOf(std::span(message.userData, static_cast<std::size_t>(length)));
    }
    if (message.cdma7bit != 0)
        json["cdma_7bit"] = true;
    if (message.emsMms != 0)
        json["ems"] = true;
    if (message.statusReport != 0) {
        json["discharge_time"] = timeText(fieldText(message.dischargeTime));
        json["status"] = message.status;
    }
    return json;
}

nlohmann::json segmentJson(const SMS::SubmitPdu& segment, std::size_t number, std::size_t count)
{
    return {{"segment", number}, {"segments", count}, {"length", segment.tpduLength}, {"pdu", segment.hex}};
}

} // namespace Orvanta::modem
