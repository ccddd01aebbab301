#include "quelder/sms/OutgoingMessage.h"

#include "quelder/sms/DataCodingScheme.h"
#include "quelder/sms/SmsAddress.h"

#include <atomic>
#include <cstring>

namespace SMS {
namespace {

// Concatenated messages from one sender must not share a reference while their parts
// may still meet at the receiver.
std::atomic<unsigned> lastReference{0};

bool inRange(int value, int low, int high) noexcept { return value >= low && value <= high; }

} // namespace

int NextConcatenationReference() noexcept { return static_cast<int>(lastReference.fetch_add(1) % 255 + 1); }

QdResult CreateOutgoing(const char* destination, const char* text, const char* serviceCentre, int messageClass,
                        int coding, int validityPeriod, int statusReportRequest, int replyPath, Tpdu& message)
{
    message = Tpdu{};
    if (destination == nullptr || text == nullptr)
        return kQdNullPointer;
    const std::size_t textLength = std::strlen(text);
    if (!inRange(messageClass, 0, 4) || !inRange(coding, kCodingGsm7, kCodingUcs2) ||
        !inRange(validityPeriod, 0, 255) || textLength >= sizeof message.text ||
        !ParseNumber(destination, message.address) ||
        (serviceCentre != nullptr && !ParseNumber(serviceCentre, message.serviceCentre))) {
        message = Tpdu{};
        return kQdInvalidParameter;
    }
    message.messageType = kTypeSubmit;
    message.messageClass = messageClass;
    message.coding = coding;
    message.dataCodingScheme = SubmitDataCoding(messageClass, coding);
    message.validityPeriod = validityPeriod;
    message.statusReportRequest = statusReportRequest != 0 ? 1 : 0;
    message.replyPath = replyPath != 0 ? 1 : 0;
    message.concatReference = NextConcatenationReference();
    message.concatReferenceBits = 8;
    std::memcpy(message.text, text, textLength + 1);
    return kQdSuccess;
}

} // namespace SMS
