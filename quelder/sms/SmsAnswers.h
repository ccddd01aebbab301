#pragma once
// What the SMS and phonebook operations make of the card's answers, as functions of the
// answer lines alone (after the command's prefix, where one is named). A malformed answer
// raises kQdNotAvailable, as a failed parse step of the AT engine does; a list skips the
// entries it cannot read and keeps the others.

#include "quelder/sms/SmsRecords.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace GSM {

// The PDU line of a message: hex digits only, an even number of them, fitting the
// physical record.
bool IsStorablePdu(std::string_view pdu) noexcept;

// "0,,23" or "1,\"Bob\",23" (the rest of a "+CMGR:" line): status and TPDU length.
struct MessageHeader {
    int status = 0;
    int tpduLength = 0;
};
MessageHeader MessageHeaderOf(std::string_view fields);

// One message: a "+CMGR:" header (after the prefix) and the PDU line after it.
QdPhysicalSms PhysicalMessageOf(int index, std::string_view header, std::string_view pdu);

// The answer lines of "AT+CMGL=4": a "+CMGL: index,status,[alpha],length" line before
// each PDU line. An entry without its PDU, or one that does not read, is left out.
std::vector<QdPhysicalSms> PhysicalMessageListOf(std::span<const std::string> lines);

// "\"SM\",3,30,\"SM\",3,30,\"SM\",1,30" (the answer to "AT+CPMS?"), or the numbers alone
// (the answer to "AT+CPMS="): each storage with its used and total counts.
struct StorageCount {
    std::string name; // empty when the answer does not name it
    int used = 0;
    int total = 0;
    bool operator==(const StorageCount&) const = default;
};
std::vector<StorageCount> StorageCountsOf(std::string_view answer);

// "\"+12065550100\",145": the service centre's number.
std::string ServiceCentreOf(std::string_view cscaAnswer);

// "(1-250),40,18" (the answer to "AT+CPBR=?"): the indices and the longest number and text.
struct PhonebookRange {
    int first = 0;
    int last = 0;
    int numberLength = 0;
    int textLength = 0;
    bool operator==(const PhonebookRange&) const = default;
};
PhonebookRange PhonebookRangeOf(std::string_view answer);

// "\"SM\",12,250" (the answer to "AT+CPBS?"): the entries used and the entries there are.
struct PhonebookCount {
    int used = 0;
    int total = 0;
    bool operator==(const PhonebookCount&) const = default;
};
PhonebookCount PhonebookCountOf(std::string_view answer);

// "1,\"+15551230000\",145,\"Alice\"" (a "+CPBR:" line after its prefix). The text as it
// stood between the quotes; decoding it is the caller's, who knows the character set.
struct PhonebookLine {
    int index = 0;
    std::string number;
    int type = 0;
    std::string text;
};
PhonebookLine PhonebookLineOf(std::string_view fields);

} // namespace GSM
