#pragma once
// The fixed records the SMS and phonebook functions exchange with the client. Plain
// little structs of fixed size, no pointers, so that lists of them are single blocks.

#include <cstdint>

// One message as the card stores or sends it: the PDU in hex, service-centre field
// included, and the TPDU length (the octets after that field) that goes with it.
struct QdPhysicalSms {
    std::int32_t index;      // storage index on the SIM; -1 for a message that is on no storage
    std::int32_t status;     // QdSmsStatus
    std::int32_t tpduLength;
    char pdu[804];           // NUL-terminated hex text, upper or lower case
};
static_assert(sizeof(QdPhysicalSms) == 816);

// The message states of "+CMGL"/"+CMGR" and of "AT+CMGW=" (3GPP TS 27.005, PDU mode).
enum QdSmsStatus : int {
    QdSmsReceivedUnread = 0,
    QdSmsReceivedRead = 1,
    QdSmsStoredUnsent = 2,
    QdSmsStoredSent = 3,
};

// The data of event 17: a status report. `timeStamp` is the discharge time (when the
// recipient got the message, or the attempt ended) as 100 ns since 1601-01-01 UTC.
struct QdSmsStatusReport {
    std::int64_t timeStamp;
    char recipient[22];      // 21 characters and NUL
    std::uint8_t status;     // TP-Status: 0 delivered, 0x20-0x3F still trying, 0x40 and up failed
    std::uint8_t reserved;
};
static_assert(sizeof(QdSmsStatusReport) == 32);

// One entry of the SIM phonebook. `text` is UTF-8.
struct QdPhonebookEntry {
    std::int32_t index;      // 1 and up; 0 on a write: the first free entry
    std::int32_t type;       // type of number: 145 international, 129 otherwise
    char number[48];
    char text[248];
};
static_assert(sizeof(QdPhonebookEntry) == 304);
