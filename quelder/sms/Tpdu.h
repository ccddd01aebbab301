#pragma once
// Provisional stand-in for the codec's interface, replaced when the codec is merged.

#include "quelder/QdResult.h"

#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

namespace SMS {
enum Coding : int { kCodingGsm7 = 0, kCoding8bit = 1, kCodingUcs2 = 2 };

struct Address {
    std::int32_t international;
    std::int32_t typeOfNumber;
    char digits[24];
};

struct Tpdu {
    Address serviceCentre;
    Address address;
    std::int32_t messageType;
    std::int32_t statusReport;
    std::int32_t statusReportRequest;
    std::int32_t replyPath;
    std::int32_t userDataHeader;
    std::int32_t messageClass;
    std::int32_t coding;
    std::int32_t cdma7bit;
    std::int32_t emsMms;
    std::int32_t validityPeriod;
    std::int32_t concatenationReference;
    std::int32_t concatenationTotal;
    std::int32_t concatenationSequence;
    Address replyAddress;
    char serviceCentreTime[24];
    char dischargeTime[24];
    std::int32_t protocolId;
    std::int32_t status;
    std::int32_t messageReference;
    char text[424];
    char reserved[428];
};
static_assert(sizeof(Tpdu) == 1060);

struct SubmitPdu {
    std::string hex;
    int tpduLength = 0;
};
QdResult CreateOutgoing(const char* destination, const char* text, const char* serviceCentre, int messageClass,
                        int coding, int validityPeriod, int statusReportRequest, int replyPath, Tpdu& message);
QdResult EncodeSubmit(const Tpdu& message, std::vector<SubmitPdu>& pdus);
int CountSegments(std::string_view utf8Text, int coding);
bool Validate(std::string_view hex, int tpduLength, bool ndisCard = false);
QdResult Decode(std::string_view hex, int tpduLength, Tpdu& message, bool ndisCard = false);
} // namespace SMS
