#include "sim/cardsim/SmsPdu.h"

#include "platform/HexDigits.h"
#include "sim/cardsim/SmsText.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace Cardsim {
namespace {

constexpr std::uint8_t kTypeInternational = 0x91;
constexpr std::uint8_t kTypeUnknown = 0x81;
constexpr std::uint8_t kTypeAlphanumeric = 0xD0;
constexpr std::size_t kMaxAddressDigits = 20;
constexpr std::size_t kMaxAlphanumericSeptets = 11; // 20 semi-octets
constexpr std::size_t kMaxServiceCentreOctets = 11; // type and 20 digits

// First octets: message types and the flags the card sets or reads.
constexpr std::uint8_t kTypeMask = 0x03;
constexpr std::uint8_t kDeliver = 0x00;
constexpr std::uint8_t kSubmit = 0x01;
constexpr std::uint8_t kStatusReport = 0x02;
constexpr std::uint8_t kNoMoreMessages = 0x04;
constexpr std::uint8_t kStatusReportFlag = 0x20;
constexpr std::uint8_t kHeaderFlag = 0x40;

// What one message or one part holds.
constexpr std::size_t kSingleSeptets = 160;
constexpr std::size_t kSingleOctets = 140;
constexpr std::size_t kPartSeptets = 153;
constexpr std::size_t kPartOctets = 134;
constexpr std::uint8_t kConcatenation8bit = 0x00;
constexpr std::uint8_t kConcatenation16bit = 0x08;

constexpr char kSemiOctetDigits[] = "0123456789*#abc";

using PduOctets = std::vector<std::uint8_t>;

std::string hexText(const PduOctets& octets)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t octet : octets) {
        out += kHex[octet >> 4];
        out += kHex[octet & 0x0F];
    }
    return out;
}

std::optional<PduOctets> octetsOfHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    PduOctets out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = Os::hexDigitValue(hex[i]);
        const int low = Os::hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return out;
}

std::uint8_t swappedBcd(int value) { return static_cast<std::uint8_t>((value % 10) << 4 | (value / 10 % 10)); }

// Septets packed least significant bit first, starting `fillBits` into the first octet.
PduOctets packSeptets(const std::vector<std::uint8_t>& septets, std::size_t fillBits)
{
    PduOctets out((fillBits + 7 * septets.size() + 7) / 8, 0);
    std::size_t bit = fillBits;
    for (const std::uint8_t septet : septets) {
        for (int k = 0; k < 7; ++k, ++bit)
            if (septet >> k & 1)
                out[bit / 8] |= static_cast<std::uint8_t>(1 << (bit % 8));
    }
    return out;
}

// `count` septets from bit `firstBit` of `octets`, which must hold them.
std::vector<std::uint8_t> unpackSeptets(const PduOctets& octets, std::size_t firstBit, std::size_t count)
{
    std::vector<std::uint8_t> septets;
    std::size_t bit = firstBit;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t septet = 0;
        for (int k = 0; k < 7; ++k, ++bit)
            if (octets[bit / 8] >> (bit % 8) & 1)
                septet |= static_cast<std::uint8_t>(1 << k);
        septets.push_back(septet);
    }
    return septets;
}

bool isDialString(std::string_view number)
{
    const std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    return !digits.empty() && digits.size() <= kMaxAddressDigits &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return (c >= '0' && c <= '9') || c == '*' || c == '#'; });
}

void appendSemiOctets(std::string_view digits, PduOctets& out)
{
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        auto value = [](char c) { return static_cast<std::uint8_t>(c == '*' ? 10 : c == '#' ? 11 : c - '0'); };
        const std::uint8_t low = value(digits[i]);
        const std::uint8_t high = i + 1 < digits.size() ? value(digits[i + 1]) : 0x0F;
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
}

// An address field: its length in digits (semi-octets for a name), type and value.
bool appendAddress(std::string_view number, PduOctets& out)
{
    if (isDialString(number)) {
        const bool international = number.starts_with('+');
        const std::string_view digits = international ? number.substr(1) : number;
        out.push_back(static_cast<std::uint8_t>(digits.size()));
        out.push_back(international ? kTypeInternational : kTypeUnknown);
        appendSemiOctets(digits, out);
        return true;
    }
    const auto text = codePointsOf(number);
    const auto septets = text ? gsmSeptetsOf(*text) : std::nullopt;
    if (!septets || septets->empty() || septets->size() > kMaxAlphanumericSeptets)
        return false;
    out.push_back(static_cast<std::uint8_t>((septets->size() * 7 + 3) / 4));
    out.push_back(kTypeAlphanumeric);
    const PduOctets packed = packSeptets(*septets, 0);
    out.insert(out.end(), packed.begin(), packed.end());
    return true;
}

// The service centre's field: its length in octets (none: 0), type and digits.
bool appendServiceCentre(std::string_view number, PduOctets& out)
{
    if (number.empty()) {
        out.push_back(0);
        return true;
    }
    if (!isDialString(number))
        return false;
    const bool international = number.starts_with('+');
    const std::string_view digits = international ? number.substr(1) : number;
    out.push_back(static_cast<std::uint8_t>(1 + (digits.size() + 1) / 2));
    out.push_back(international ? kTypeInternational : kTypeUnknown);
    appendSemiOctets(digits, out);
    return true;
}

void appendTimeStamp(const SmsTimeStamp& stamp, PduOctets& out)
{
    for (const int value : {stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second})
        out.push_back(swappedBcd(value));
    const int quarters = std::abs(stamp.zoneQuarters);
    out.push_back(static_cast<std::uint8_t>(swappedBcd(quarters) | (stamp.zoneQuarters < 0 ? 0x08 : 0x00)));
}

std::uint8_t codingScheme(SmsCoding coding, std::optional<int> messageClass)
{
    const std::uint8_t alphabet = coding == SmsCoding::eightBit ? 0x04 : coding == SmsCoding::ucs2 ? 0x08 : 0x00;
    return messageClass ? static_cast<std::uint8_t>(0x10 | alphabet | (*messageClass & 0x03)) : alphabet;
}

// The text of a message in its coding: septets, octets, or UCS2 units.
struct MessagePayload {
    std::vector<std::uint8_t> septets;
    PduOctets octets;
    std::u16string units;
};

// Where a message in `coding` may be cut into parts of at most `limit` units: never
// inside an escape pair or a surrogate pair.
std::vector<std::pair<std::size_t, std::size_t>> partCuts(const MessagePayload& payload, SmsCoding coding, std::size_t limit)
{
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    const std::size_t size = coding == SmsCoding::gsm7     ? payload.septets.size()
                             : coding == SmsCoding::ucs2 ? payload.units.size()
                                                         : payload.octets.size();
    for (std::size_t start = 0; start < size;) {
        std::size_t end = std::min(size, start + limit);
        if (end < size) {
            if (coding == SmsCoding::gsm7 && payload.septets[end - 1] == kGsmEscape)
                --end;
            else if (coding == SmsCoding::ucs2 && payload.units[end - 1] >= 0xD800 && payload.units[end - 1] <= 0xDBFF)
                --end;
        }
        pieces.emplace_back(start, end);
        start = end;
    }
    if (pieces.empty())
        pieces.emplace_back(0, 0);
    return pieces;
}

// The user data length and user data of one PDU: `header` (with its length octet, or
// empty) and the text units [begin, end).
void appendUserData(const MessagePayload& payload, SmsCoding coding, const PduOctets& header, std::size_t begin, std::size_t end,
                    PduOctets& out)
{
    if (coding == SmsCoding::gsm7) {
        const std::size_t headerSeptets = (8 * header.size() + 6) / 7;
        const std::vector<std::uint8_t> septets(payload.septets.begin() + static_cast<std::ptrdiff_t>(begin),
                                                payload.septets.begin() + static_cast<std::ptrdiff_t>(end));
        out.push_back(static_cast<std::uint8_t>(headerSeptets + septets.size()));
        out.insert(out.end(), header.begin(), header.end());
        const PduOctets packed = packSeptets(septets, headerSeptets * 7 - 8 * header.size());
        out.insert(out.end(), packed.begin(), packed.end());
        return;
    }
    PduOctets body = header;
    if (coding == SmsCoding::ucs2) {
        for (std::size_t i = begin; i < end; ++i) {
            body.push_back(static_cast<std::uint8_t>(payload.units[i] >> 8));
            body.push_back(static_cast<std::uint8_t>(payload.units[i] & 0xFF));
        }
    } else {
        body.insert(body.end(), payload.octets.begin() + static_cast<std::ptrdiff_t>(begin),
                    payload.octets.begin() + static_cast<std::ptrdiff_t>(end));
    }
    out.push_back(static_cast<std::uint8_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

PduText pduTextOf(const PduOctets& octets)
{
    return {hexText(octets), static_cast<int>(octets.size()) - 1 - octets.front()};
}

// Reads a PDU front to back; every read past the end leaves it failed and yields zeros.
class OctetReader {
public:
    explicit OctetReader(const PduOctets& octets) : octets_(octets) {}
    bool failed() const { return failed_; }
    std::size_t left() const { return octets_.size() - position_; }
    std::uint8_t next()
    {
        if (position_ >= octets_.size()) {
            failed_ = true;
            return 0;
        }
        return octets_[position_++];
    }
    PduOctets take(std::size_t count)
    {
        if (count > left()) {
            failed_ = true;
            position_ = octets_.size();
            return PduOctets(count, 0);
        }
        PduOctets out(octets_.begin() + static_cast<std::ptrdiff_t>(position_),
                   octets_.begin() + static_cast<std::ptrdiff_t>(position_ + count));
        position_ += count;
        return out;
    }
    void fail() { failed_ = true; }

private:
    const PduOctets& octets_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

std::string semiOctetDigits(const PduOctets& octets, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const int value = i % 2 == 0 ? octets[i / 2] & 0x0F : octets[i / 2] >> 4;
        if (value != 0x0F)
            out += kSemiOctetDigits[value];
    }
    return out;
}

std::string readAddress(OctetReader& in)
{
    const std::size_t digits = in.next();
    const std::uint8_t type = in.next();
    if (digits > kMaxAddressDigits) {
        in.fail();
        return {};
    }
    const PduOctets value = in.take((digits + 1) / 2);
    if (in.failed())
        return {};
    if ((type & 0x70) == 0x50)
        return utf8Of(textOfGsmSeptets(unpackSeptets(value, 0, digits * 4 / 7)));
    return ((type & 0x70) == 0x10 ? "+" : "") + semiOctetDigits(value, digits);
}

std::string readServiceCentre(OctetReader& in)
{
    const std::size_t length = in.next();
    if (length == 0)
        return {};
    if (length > kMaxServiceCentreOctets) {
        in.fail();
        return {};
    }
    const std::uint8_t type = in.next();
    const PduOctets value = in.take(length - 1);
    if (in.failed())
        return {};
    return ((type & 0x70) == 0x10 ? "+" : "") + semiOctetDigits(value, 2 * value.size());
}

// The data coding scheme's alphabet and class (3GPP TS 23.038).
void classifyCodingScheme(std::uint8_t scheme, PduContent& content)
{
    const int group = scheme >> 4;
    content.coding = SmsCoding::gsm7;
    content.messageClass.reset();
    if (group <= 0x07) { // general data coding, with automatic deletion or without
        if (scheme & 0x10)
            content.messageClass = scheme & 0x03;
        const int alphabet = scheme >> 2 & 0x03;
        // Compressed text is not the card's to read: shown as data.
        if (alphabet == 1 || (scheme & 0x20))
            content.coding = SmsCoding::eightBit;
        else if (alphabet == 2)
            content.coding = SmsCoding::ucs2;
    } else if (group == 0x0E) {
        content.coding = SmsCoding::ucs2;
    } else if (group == 0x0F) {
        content.messageClass = scheme & 0x03;
        if (scheme & 0x04)
            content.coding = SmsCoding::eightBit;
    }
}

std::string eightBitText(const PduOctets& data)
{
    if (std::all_of(data.begin(), data.end(), [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; }))
        return std::string(data.begin(), data.end());
    return "0x" + hexText(data);
}

// The concatenation element of a user-data header, if it has one; false when the
// header's elements overrun it.
bool readUserDataHeader(const PduOctets& header, PduContent& content)
{
    for (std::size_t i = 0; i < header.size();) {
        if (i + 2 > header.size())
            return false;
        const std::uint8_t element = header[i];
        const std::size_t length = header[i + 1];
        if (i + 2 + length > header.size())
            return false;
        const std::uint8_t* value = header.data() + i + 2;
        if (element == kConcatenation8bit && length == 3)
            content.part = ConcatenationPart{value[0], value[1], value[2]};
        else if (element == kConcatenation16bit && length == 4)
            content.part = ConcatenationPart{value[0] << 8 | value[1], value[2], value[3]};
        i += 2 + length;
    }
    return true;
}

// The user data length and user data: the header when `withHeader`, then the text.
bool readUserData(OctetReader& in, bool withHeader, PduContent& content)
{
    const std::size_t length = in.next();
    const bool septets = content.coding == SmsCoding::gsm7;
    if (length > (septets ? kSingleSeptets : kSingleOctets)) {
        in.fail();
        return false;
    }
    const PduOctets data = in.take(septets ? (length * 7 + 7) / 8 : length);
    if (in.failed())
        return false;
    std::size_t headerOctets = 0;
    if (withHeader) {
        if (data.empty() || data[0] + 1u > data.size())
            return false;
        headerOctets = data[0] + 1u;
        if (!readUserDataHeader(PduOctets(data.begin() + 1, data.begin() + static_cast<std::ptrdiff_t>(headerOctets)), content))
            return false;
    }
    if (septets) {
        const std::size_t headerSeptets = (8 * headerOctets + 6) / 7;
        if (headerSeptets > length)
            return false;
        content.text = utf8Of(textOfGsmSeptets(unpackSeptets(data, headerSeptets * 7, length - headerSeptets)));
        return true;
    }
    const PduOctets text(data.begin() + static_cast<std::ptrdiff_t>(headerOctets), data.end());
    if (content.coding == SmsCoding::eightBit) {
        content.text = eightBitText(text);
        return true;
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        units += static_cast<char16_t>(text[i] << 8 | text[i + 1]);
    content.text = utf8Of(textOfUtf16(units));
    return true;
}

void skipValidityPeriod(OctetReader& in, std::uint8_t firstOctet)
{
    switch (firstOctet >> 3 & 0x03) {
    case 0: break;
    case 2: in.next(); break;
    default: in.take(7); break; // enhanced or absolute: seven octets
    }
}

} // namespace

std::string_view codingName(SmsCoding coding)
{
    switch (coding) {
    case SmsCoding::gsm7: return "gsm7";
    case SmsCoding::eightBit: return "8bit";
    case SmsCoding::ucs2: return "ucs2";
    }
    return "gsm7";
}

std::optional<SmsCoding> codingFromName(std::string_view name)
{
    for (const SmsCoding coding : {SmsCoding::gsm7, SmsCoding::eightBit, SmsCoding::ucs2})
        if (codingName(coding) == name)
            return coding;
    return std::nullopt;
}

SmsTimeStamp timeStampNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    return {parts.tm_year % 100, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, 0};
}

EncodedDeliver encodeDeliver(const DeliverRequest& request)
{
    MessagePayload payload;
    std::size_t single = kSingleOctets;
    std::size_t part = kPartOctets;
    if (request.coding == SmsCoding::eightBit) {
        payload.octets.assign(request.text.begin(), request.text.end());
    } else {
        const auto text = codePointsOf(request.text);
        if (!text)
            return {{}, "the text is not UTF-8"};
        if (request.coding == SmsCoding::gsm7) {
            const auto septets = gsmSeptetsOf(*text);
            if (!septets)
                return {{}, "the text has characters outside the GSM 7-bit alphabet (try coding=ucs2)"};
            payload.septets = *septets;
            single = kSingleSeptets;
            part = kPartSeptets;
        } else {
            payload.units = utf16Of(*text);
            single = kSingleOctets / 2;
            part = kPartOctets / 2;
        }
    }
    if (request.messageClass && (*request.messageClass < 0 || *request.messageClass > 3))
        return {{}, "the class must be 0 to 3"};

    const std::size_t size = std::max({payload.septets.size(), payload.units.size(), payload.octets.size()});
    const auto pieces = size <= single ? partCuts(payload, request.coding, single) : partCuts(payload, request.coding, part);
    if (pieces.size() > kMaxMessageParts)
        return {{}, "the text needs more than 255 parts"};

    EncodedDeliver encoded;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        PduOctets pdu;
        if (!appendServiceCentre(request.serviceCentre, pdu))
            return {{}, "the service centre is not a number"};
        const bool concatenated = pieces.size() > 1;
        pdu.push_back(static_cast<std::uint8_t>(kDeliver | kNoMoreMessages | (concatenated ? kHeaderFlag : 0)));
        if (!appendAddress(request.sender, pdu))
            return {{}, "the sender must be up to 20 digits ('+' in front for an international number) or a name of "
                        "up to 11 GSM characters"};
        pdu.push_back(0x00); // protocol identifier: a plain message
        pdu.push_back(codingScheme(request.coding, request.messageClass));
        appendTimeStamp(request.timeStamp, pdu);
        PduOctets header;
        if (concatenated)
            header = {5, kConcatenation8bit, 3, request.reference, static_cast<std::uint8_t>(pieces.size()),
                      static_cast<std::uint8_t>(i + 1)};
        appendUserData(payload, request.coding, header, pieces[i].first, pieces[i].second, pdu);
        encoded.parts.push_back(pduTextOf(pdu));
    }
    return encoded;
}

PduText encodeStatusReport(std::string_view serviceCentre, int reference, std::string_view recipient,
                           const SmsTimeStamp& submitted, const SmsTimeStamp& discharged, int status)
{
    PduOctets pdu;
    if (!appendServiceCentre(serviceCentre, pdu))
        pdu = {0};
    pdu.push_back(kStatusReport | kNoMoreMessages);
    pdu.push_back(static_cast<std::uint8_t>(reference));
    if (!appendAddress(recipient, pdu)) {
        pdu.push_back(0);
        pdu.push_back(kTypeUnknown);
    }
    appendTimeStamp(submitted, pdu);
    appendTimeStamp(discharged, pdu);
    pdu.push_back(static_cast<std::uint8_t>(status));
    return pduTextOf(pdu);
}

DecodedPdu decodePdu(std::string_view hex, std::optional<int> tpduLength)
{
    const auto octets = octetsOfHex(hex);
    if (!octets || octets->empty())
        return {std::nullopt, "the PDU is not hexadecimal octets"};
    OctetReader in(*octets);
    PduContent content;
    content.serviceCentre = readServiceCentre(in);
    if (in.failed())
        return {std::nullopt, "the service centre address runs past the PDU"};
    content.tpduLength = static_cast<int>(in.left());
    if (tpduLength && *tpduLength != content.tpduLength)
        return {std::nullopt, "the length given is not the length of the PDU"};
    const std::uint8_t first = in.next();
    bool complete = true;
    switch (first & kTypeMask) {
    case kDeliver:
        content.type = PduContent::Type::deliver;
        content.number = readAddress(in);
        in.next(); // protocol identifier
        classifyCodingScheme(in.next(), content);
        in.take(7); // service centre time stamp
        complete = !in.failed() && readUserData(in, first & kHeaderFlag, content);
        break;
    case kSubmit:
        content.type = PduContent::Type::submit;
        content.statusReportRequest = first & kStatusReportFlag;
        content.reference = in.next();
        content.number = readAddress(in);
        in.next();
        classifyCodingScheme(in.next(), content);
        skipValidityPeriod(in, first);
        complete = !in.failed() && readUserData(in, first & kHeaderFlag, content);
        break;
    case kStatusReport:
        content.type = PduContent::Type::statusReport;
        content.reference = in.next();
        content.number = readAddress(in);
        in.take(14); // the time stamps of the message and of its delivery
        content.status = in.next();
        break;
    default: return {std::nullopt, "the message type is reserved"};
    }
    if (in.failed() || !complete)
        return {std::nullopt, "a field runs past the PDU or past its own length"};
    return {std::move(content), {}};
}

} // namespace Cardsim
