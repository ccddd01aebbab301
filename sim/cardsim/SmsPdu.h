#pragma once
// The card's own short-message PDUs (3GPP TS 23.040), as hex text with the service
// centre's address in front, the form AT commands carry them in: the SMS-DELIVER PDUs of
// a message the network brings (cut into concatenated parts when it is long), the status
// report of a message the host sent, and a reader for every PDU a host hands over or the
// store holds. The reader takes outside input and checks every length against the octets
// there are.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

enum class SmsCoding { gsm7, eightBit, ucs2 };

// "gsm7", "8bit", "ucs2".
std::string_view codingName(SmsCoding coding);
std::optional<SmsCoding> codingFromName(std::string_view name);

// A service centre time stamp as the PDU carries it: local time and its zone.
struct SmsTimeStamp {
    int year = 0; // two digits
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zoneQuarters = 0; // quarter hours east of UTC
};

// The present time, in UTC.
SmsTimeStamp timeStampNow();

// A PDU as the AT commands carry it.
struct PduText {
    std::string hex;    // service-centre address included, upper case
    int tpduLength = 0; // the octets after the service-centre address
    bool operator==(const PduText&) const = default;
};

struct DeliverRequest {
    std::string serviceCentre; // "+15550000000"; empty: none
    std::string sender;        // digits, '+' in front for an international number, or a name of letters
    std::string text;          // UTF-8; 8-bit data takes its bytes as they are
    SmsCoding coding = SmsCoding::gsm7;
    std::optional<int> messageClass; // 0 to 3
    SmsTimeStamp timeStamp;
    std::uint8_t reference = 0; // of the concatenated parts
};

// The most parts a concatenated message has.
inline constexpr std::size_t kMaxMessageParts = 255;

struct EncodedDeliver {
    std::vector<PduText> parts; // empty when the message cannot be encoded
    std::string problem;
};

// The SMS-DELIVER PDUs of a message: one, or parts that carry a concatenation header.
EncodedDeliver encodeDeliver(const DeliverRequest& request);

// The SMS-STATUS-REPORT of a message the host sent with reference `reference` to
// `recipient`: delivered (status 0) at `discharged`.
PduText encodeStatusReport(std::string_view serviceCentre, int reference, std::string_view recipient,
                           const SmsTimeStamp& submitted, const SmsTimeStamp& discharged, int status = 0);

struct ConcatenationPart {
    int reference = 0;
    int total = 0;
    int sequence = 0;
};

// What a PDU says, as far as the card cares.
struct PduContent {
    enum class Type { deliver, submit, statusReport };
    Type type = Type::deliver;
    std::string serviceCentre;
    std::string number; // originating, destination or recipient address
    int reference = 0;  // message reference of a submit or status report
    bool statusReportRequest = false;
    std::optional<int> messageClass;
    SmsCoding coding = SmsCoding::gsm7;
    std::string text; // UTF-8; 8-bit data as hex ("0x" in front) unless it is printable ASCII
    std::optional<ConcatenationPart> part;
    int status = 0; // of a status report
    int tpduLength = 0;
};

struct DecodedPdu {
    std::optional<PduContent> content;
    std::string problem; // why there is none
};

// Reads `hex` (service-centre address first); with `tpduLength` the octets after that
// address must be exactly as many.
DecodedPdu decodePdu(std::string_view hex, std::optional<int> tpduLength = std::nullopt);

} // namespace Cardsim
