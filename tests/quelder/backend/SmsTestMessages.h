#pragma once
// Messages as a card stores and reports them, for the tests of the SMS work: PDUs with
// the TPDU lengths that go with them, and what they decode to.

#include "quelder/sms/SmsRecords.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Orvanta::testing {

// Delivered from +15551234567 through the centre +31624000000, 7-bit.
inline const std::string kHelloPdu = "07911326040000F0040B915155214365F700002130125100000005E8329BFD06";
inline constexpr int kHelloLength = 24;
inline const std::string kHiPdu = "07911326040000F0040B915155214365F700002130125100000002E834";
inline constexpr int kHiLength = 21;
// A status report for +15551234567 with TP-Status 0x41 (failed: incompatible destination).
inline const std::string kReportPdu = "0006050B915155214365F721201171342000212011713445" "0041";
inline constexpr int kReportLength = 25;
// Hex that is no message at all.
inline const std::string kBrokenPdu = "07911326040000F0FF";
inline constexpr int kBrokenLength = 1;

inline QdPhysicalSms StoredAt(int index, const std::string& pdu, int tpduLength, int status = QdSmsReceivedUnread)
{
    QdPhysicalSms message{};
    message.index = index;
    message.status = status;
    message.tpduLength = tpduLength;
    std::memcpy(message.pdu, pdu.data(), std::min(pdu.size(), sizeof message.pdu - 1));
    return message;
}

} // namespace Orvanta::testing
