#include "quelder/sms/SubmitEncoder.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/CodePage949.h"
#include "quelder/sms/DataCodingScheme.h"
#include "quelder/sms/GsmString.h"
#include "quelder/sms/Packers.h"
#include "quelder/sms/PduHex.h"
#include "quelder/sms/SmsAddress.h"
#include "quelder/sms/Ucs2Text.h"

#include <atomic>
#include <cstring>
#include <new>

namespace SMS {
namespace {

constexpr std::uint8_t kFirstOctetSubmit = 0x11; // SMS-SUBMIT, relative validity period
constexpr std::uint8_t kFirstOctetReplyPath = 0x80;
constexpr std::uint8_t kFirstOctetStatusReportRequest = 0x20;
constexpr std::uint8_t kFirstOctetUserDataHeader = 0x40;
constexpr std::uint8_t kElementConcatenation = 0x00;
constexpr std::uint8_t kElementReplyAddress = 0x22;
constexpr std::size_t kMaximumSegments = 255;
constexpr std::size_t kConcatenationHeaderOctets = 6;

bool hasReplyAddress(const Tpdu& message) noexcept { return AddressDigitCount(message.replyAddress) > 0; }

// The text in its coding's units, and where each PDU's share of it ends.
class CodedText {
public:
    CodedText(int coding, std::string_view utf8) : coding_(coding)
    {
        if (coding == kCodingUcs2)
            ucs2_ = Utf8ToUtf16(utf8);
        else if (coding == kCoding8bit)
            octets_ = Utf8ToCodePage949(utf8);
        else
            septets_ = GsmString::FromUtf8(utf8);
    }

    std::size_t Units() const noexcept
    {
        return coding_ == kCodingUcs2 ? ucs2_.size() : coding_ == kCoding8bit ? octets_.size() : septets_.size();
    }

    std::size_t CutPoint(std::size_t start, std::size_t limit) const noexcept
    {
        if (coding_ == kCodingUcs2)
            return Utf16CutPoint(ucs2_, start, limit);
        if (coding_ == kCodingGsm7)
            return septets_.CutPoint(start, limit);
        return CodePage949CutPoint(octets_, start, limit);
    }

    // The user-data length of `count` units behind a header of `headerOctets`.
    std::size_t UserDataLength(std::size_t count, std::size_t headerOctets) const noexcept
    {
        if (coding_ == kCodingGsm7)
            return (headerOctets > 0 ? (8 * headerOctets + 6) / 7 : 0) + count;
        return headerOctets + (coding_ == kCodingUcs2 ? 2 * count : count);
    }

    void Pack(std::vector<std::uint8_t>& out, std::size_t start, std::size_t count, std::size_t headerOctets) const
    {
        if (coding_ == kCodingUcs2) {
            Packer16bit packer(out);
            packer.Pack(std::u16string_view(ucs2_).substr(start, count));
        } else if (coding_ == kCoding8bit) {
            Packer8bit packer(out);
            packer.Pack(reinterpret_cast<const std::uint8_t*>(octets_.data()) + start, count);
        } else {
            const int fillBits = headerOctets > 0 ? static_cast<int>((7 - (8 * headerOctets) % 7) % 7) : 0;
            Packer7bit packer(out, fillBits);
            packer.Pack(reinterpret_cast<const std::uint8_t*>(septets_.septets().data()) + start, count);
        }
    }

private:
    int coding_;
    std::u16string ucs2_;
    std::string octets_;
    GsmString septets_;
};

struct Segment {
    std::size_t start = 0;
    std::size_t count = 0;
};

std::vector<Segment> split(const CodedText& text, const UserDataCapacity& capacity, bool concatenation)
{
    std::vector<Segment> segments;
    if (!concatenation || text.Units() <= capacity.single) {
        segments.push_back({0, text.CutPoint(0, capacity.single)});
        return segments;
    }
    for (std::size_t start = 0; start < text.Units() && segments.size() < kMaximumSegments;) {
        const std::size_t count = text.CutPoint(start, capacity.segment);
        if (count == 0)
            break;
        segments.push_back({start, count});
        start += count;
    }
    return segments;
}

void appendHeader(std::vector<std::uint8_t>& out, const Tpdu& message, std::size_t headerOctets, bool segmented,
                  std::size_t sequence, std::size_t total)
{
    out.push_back(static_cast<std::uint8_t>(headerOctets - 1));
    if (segmented) {
        out.push_back(kElementConcatenation);
        out.push_back(3);
        out.push_back(static_cast<std::uint8_t>(message.concatReference & 0xFF));
        out.push_back(static_cast<std::uint8_t>(total));
        out.push_back(static_cast<std::uint8_t>(sequence));
    }
    if (hasReplyAddress(message)) {
        out.push_back(kElementReplyAddress);
        out.push_back(static_cast<std::uint8_t>((AddressDigitCount(message.replyAddress) + 1) / 2 + 2));
        AppendAddress(out, message.replyAddress);
    }
}

SubmitPdu encodeOne(const Tpdu& message, const CodedText& text, const Segment& segment, bool segmented,
                    std::size_t sequence, std::size_t total)
{
    const int replyDigits = AddressDigitCount(message.replyAddress);
    const bool header = segmented || replyDigits > 0;
    const std::size_t headerOctets =
        header ? (segmented ? kConcatenationHeaderOctets : 1) + (replyDigits > 0 ? (replyDigits + 1) / 2 + 4 : 0)
               : 0;

    std::vector<std::uint8_t> octets;
    octets.reserve(180);
    AppendServiceCentreAddress(octets, message.serviceCentre);
    const std::size_t serviceCentreOctets = octets.size();
    std::uint8_t firstOctet = kFirstOctetSubmit;
    if (message.replyPath)
        firstOctet |= kFirstOctetReplyPath;
    if (message.statusReportRequest)
        firstOctet |= kFirstOctetStatusReportRequest;
    if (header)
        firstOctet |= kFirstOctetUserDataHeader;
    octets.push_back(firstOctet);
    octets.push_back(0); // message reference: the card numbers what it sends
    AppendAddress(octets, message.address);
    octets.push_back(0); // protocol identifier
    octets.push_back(SubmitDataCoding(message.messageClass, message.coding));
    octets.push_back(static_cast<std::uint8_t>(message.validityPeriod & 0xFF));
    octets.push_back(static_cast<std::uint8_t>(text.UserDataLength(segment.count, headerOctets)));
    if (header)
        appendHeader(octets, message, headerOctets, segmented, sequence, total);
    text.Pack(octets, segment.start, segment.count, headerOctets);

    SubmitPdu pdu;
    AppendHex(pdu.hex, octets);
    pdu.tpduLength = static_cast<int>(octets.size() - serviceCentreOctets);
    return pdu;
}

} // namespace

UserDataCapacity CapacityOf(int coding, int replyDigits) noexcept
{
    const std::size_t single = replyDigits > 0 ? static_cast<std::size_t>(replyDigits + 1) / 2 + 5 : 0;
    const std::size_t segment = replyDigits > 0 ? single - 1 : 0;
    switch (coding) {
    case kCoding8bit: return {140 - single, 134 - segment};
    case kCodingUcs2: return {70 - (single + 1) / 2, 67 - (segment + 1) / 2};
    default: return {160 - (8 * single + 6) / 7, 152 - (8 * segment + 6) / 7};
    }
}

void EncodeSubmitText(const Tpdu& message, std::string_view text, bool concatenation, std::vector<SubmitPdu>& pdus)
{
    pdus.clear();
    const CodedText coded(message.coding, text);
    const std::vector<Segment> segments =
        split(coded, CapacityOf(message.coding, AddressDigitCount(message.replyAddress)), concatenation);
    const bool segmented = segments.size() > 1;
    if (message.userDataHeader && !segmented && !hasReplyAddress(message))
        GSM::xlog(GSM::logError, "Corrupted internal state; SMS UDH was requested but neither segmentation nor "
                                 "reply address was found!");
    pdus.reserve(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i)
        pdus.push_back(encodeOne(message, coded, segments[i], segmented, i + 1, segments.size()));
}

QdResult EncodeSubmit(const Tpdu& message, std::vector<SubmitPdu>& pdus, bool concatenation)
{
    try {
        EncodeSubmitText(message, std::string_view(message.text, ::strnlen(message.text, sizeof message.text)),
                         concatenation, pdus);
        return kQdSuccess;
    } catch (const GSM::ResultError& error) {
        pdus.clear();
        return error.code();
    } catch (const std::bad_alloc&) {
        pdus.clear();
        return kQdOutOfMemory;
    }
}

int CountSegments(std::string_view utf8Text, int coding)
{
    if (coding != kCodingGsm7 && coding != kCoding8bit && coding != kCodingUcs2)
        return 0;
    try {
        const CodedText coded(coding, utf8Text);
        return static_cast<int>(split(coded, CapacityOf(coding, 0), true).size());
    } catch (const GSM::ResultError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

} // namespace SMS
