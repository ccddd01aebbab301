#pragma once
// The short-message record the backend and the middleware pass around, and the codec
// that turns it into SMS-SUBMIT PDUs for "AT+CMGS=" and received PDUs back into it.

#include "quelder/QdResult.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace SMS {

enum Coding : int { kCodingGsm7 = 0, kCoding8bit = 1, kCodingUcs2 = 2 };

// Message types, from the message-type indicator of the first octet.
enum MessageType : int { kTypeDeliver = 1, kTypeSubmit = 3, kTypeOther = 4 };

// Where a record came from: built here, or read from the SIM at `storageIndex`.
enum Storage : int { kStorageNone = 0, kStorageSim = 1 };

// Room for an address's text: 23 characters and the NUL.
inline constexpr int kAddressCapacity = 24;
// A received message's text is at most 420 bytes of UTF-8 after decoding; the record
// gives an outgoing one the room it has left over (683 bytes and the NUL).
inline constexpr int kDecodedTextLimit = 420;
inline constexpr int kTextCapacity = 684;
// The 8-bit user data of one PDU, after its header.
inline constexpr int kUserDataCapacity = 140;
// Room for a time stamp's text, "yy/MM/dd,hh:mm:ss+zz" and the NUL.
inline constexpr int kTimeTextCapacity = 24;

struct SubmitPdu;

struct Address {
    std::int32_t international = 0;  // 1: "+" in front of the digits
    std::int32_t typeOfNumber = 0;   // bits 6 to 4 of the type octet: 1 international, 5 alphanumeric
    char text[kAddressCapacity] = {}; // "+" and digits, or the alphanumeric name, as UTF-8; NUL-terminated
};

// The message record: one per message, sent or received. Standard layout, no pointers,
// exactly 1060 bytes (the size the temporary-SMS event hands to clients). Every field
// is 32-bit or a character array, so the record has no padding between fields.
struct Tpdu {
    Address serviceCentre;
    Address address;       // destination of a submit, originator of a deliver, recipient of a status report
    Address replyAddress;  // from the user-data header's reply-address element
    std::int32_t messageType = 0;  // MessageType
    // Message-type indicator 2: an SMS-STATUS-REPORT, read with its own layout (reference,
    // recipient, both time stamps, status); messageType stays 1 for it.
    std::int32_t statusReport = 0;
    std::int32_t statusReportRequest = 0;
    std::int32_t replyPath = 0;
    std::int32_t userDataHeader = 0;
    std::int32_t messageClass = 0;  // 0 none, 1 to 4 for classes 0 to 3
    std::int32_t coding = 0;        // Coding
    std::int32_t cdma7bit = 0;
    std::int32_t emsMms = 0;
    std::int32_t dataCodingScheme = 0;   // the octet as received or sent
    std::int32_t protocolIdentifier = 0;
    std::int32_t validityPeriod = 0;     // relative-format octet, for sending
    std::int32_t messageReference = 0;
    std::int32_t status = 0;             // a status report's status octet
    // Received: 0 unless the message is one of a concatenated set. Outgoing: the 8-bit
    // reference its segments carry when it needs more than one PDU.
    std::int32_t concatReference = 0;
    std::int32_t concatReferenceBits = 0; // 8 or 16
    std::int32_t concatTotal = 0;        // parts, from 1
    std::int32_t concatSequence = 0;     // this part's number, from 1
    std::int32_t storage = 0;            // Storage
    std::int32_t storageIndex = 0;
    // The service-centre time stamp as a UTC file time (100 ns since 1601-01-01), split
    // in halves so that the record stays 4-byte aligned; see timeStamp().
    std::uint32_t timeStampLow = 0;
    std::uint32_t timeStampHigh = 0;
    char serviceCentreTime[kTimeTextCapacity] = {};
    char dischargeTime[kTimeTextCapacity] = {};
    // An 8-bit message's payload as it came, for the readers that do not want it as text.
    std::int32_t userDataLength = 0;
    std::uint8_t userData[kUserDataCapacity] = {};
    char text[kTextCapacity] = {}; // UTF-8, NUL-terminated

    std::int64_t timeStamp() const noexcept
    {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(timeStampHigh) << 32) | timeStampLow);
    }
    void setTimeStamp(std::int64_t fileTime) noexcept
    {
        timeStampLow = static_cast<std::uint32_t>(static_cast<std::uint64_t>(fileTime));
        timeStampHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(fileTime) >> 32);
    }

    // One encoded PDU as octets, checked against its TPDU length
    // ("Qd: Tpdu::binary(): Wrong PDU length"); for platforms that send binary PDUs.
    static QdResult binary(const SubmitPdu& pdu, std::vector<std::uint8_t>& octets, int& tpduLength);
};
static_assert(sizeof(Tpdu) == 1060);
static_assert(std::is_standard_layout_v<Tpdu> && std::is_trivially_copyable_v<Tpdu>);

struct SubmitPdu {           // one "AT+CMGS=" exchange
    std::string hex;         // the PDU as hex text, service-centre address included
    int tpduLength = 0;      // the octets after the service-centre field
};

// Builds the record of an outgoing message (QdCreateOutgoingSmsMessage's work).
QdResult CreateOutgoing(const char* destination, const char* text, const char* serviceCentre, int messageClass,
                        int coding, int validityPeriod, int statusReportRequest, int replyPath, Tpdu& message);
// The SMS-SUBMIT PDUs of a message, split into concatenated segments as the send path
// sends them; without `concatenation` (the card cannot join them), cut to one PDU.
QdResult EncodeSubmit(const Tpdu& message, std::vector<SubmitPdu>& pdus, bool concatenation = true);
// How many segments a text takes in a coding (QdCalculateSmsSegments); 0 for a text that
// cannot be coded so.
int CountSegments(std::string_view utf8Text, int coding);
// Checks a received PDU against the TPDU length the card reported; logs the reason when not.
bool Validate(std::string_view hex, int tpduLength, bool ndisCard = false);
// Decodes a received PDU (deliver, submit or status report) into a cleared record.
QdResult Decode(std::string_view hex, int tpduLength, Tpdu& message, bool ndisCard = false);

// The text form of a 7-octet time stamp: "yy/MM/dd,hh:mm:ss+zz".
std::string TimeStampText(std::span<const std::uint8_t, 7> octets);
// A text of the form "%d/%d/%d,%d:%d:%d", read as local time, as a UTC file time; false
// when the text is not of that form or not a valid time.
bool TextToFileTime(std::string_view text, std::int64_t& fileTime);

} // namespace SMS
