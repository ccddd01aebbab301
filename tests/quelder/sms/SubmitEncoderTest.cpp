// SMS-SUBMIT PDUs worked out by hand octet for octet, the capacity rules, segment counts
// and the checks of an outgoing record.

#include "platform/Charset.h"
#include "quelder/sms/SmsAddress.h"
#include "quelder/sms/SubmitEncoder.h"
#include "quelder/sms/Tpdu.h"
#include "tests/quelder/support/BackendLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace SMS {
namespace {

using Orvanta::testing::BackendLog;

Tpdu outgoing(const char* destination, const std::string& text, const char* serviceCentre = nullptr,
              int messageClass = 0, int coding = kCodingGsm7, int validity = 0xAF, int statusReport = 0,
              int replyPath = 0)
{
    Tpdu message;
    EXPECT_EQ(CreateOutgoing(destination, text.c_str(), serviceCentre, messageClass, coding, validity, statusReport,
                             replyPath, message),
              kQdSuccess);
    return message;
}

std::vector<SubmitPdu> encode(const Tpdu& message, bool concatenation = true)
{
    std::vector<SubmitPdu> pdus;
    EXPECT_EQ(EncodeSubmit(message, pdus, concatenation), kQdSuccess);
    return pdus;
}

bool codePage949Installed() { return Os::isValidCodePage(949); }

struct HandWorked {
    const char* name;
    Tpdu message;
    const char* replyAddress;
    std::string hex;
    int tpduLength;
};

class HandWorkedPdus : public ::testing::TestWithParam<HandWorked> {};

TEST_P(HandWorkedPdus, EncodeOctetForOctet)
{
    Tpdu message = GetParam().message;
    if (GetParam().replyAddress) {
        ASSERT_TRUE(ParseNumber(GetParam().replyAddress, message.replyAddress));
    }
    const auto pdus = encode(message);
    ASSERT_EQ(pdus.size(), 1u);
    EXPECT_EQ(pdus[0].hex, GetParam().hex);
    EXPECT_EQ(pdus[0].tpduLength, GetParam().tpduLength);
    EXPECT_TRUE(Validate(pdus[0].hex, pdus[0].tpduLength));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandWorkedPdus,
    ::testing::Values(
        // No service centre, 0x11, reference 0, +18005551212, PID 0, DCS 0, VP 0xAF, 10 septets.
        HandWorked{"Gsm7", outgoing("+18005551212", "hellohello"), nullptr,
                   "00" "11" "00" "0B918100551512F2" "00" "00" "AF" "0A" "E8329BFD4697D9EC37", 23},
        // Class 0 UCS2 with a status report and the reply path: 0x91 | 0x20, DCS 0x18.
        HandWorked{"Ucs2ClassZeroReplyPathStatusReport",
                   outgoing("0123", "Hi", "+4915", 1, kCodingUcs2, 0, 1, 1), nullptr,
                   "03919451" "B1" "00" "04811032" "00" "18" "00" "04" "00480069", 14},
        // A reply address needs a header: 6 octets of it and its length octet, 8 septets;
        // the text starts on the septet boundary right after it.
        HandWorked{"ReplyAddress", outgoing("+18005551212", "A"), "+4915",
                   "00" "51" "00" "0B918100551512F2" "00" "00" "AF" "09" "06220404919451" "41", 22}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubmitEncoder, EightBitTextGoesThroughCodePage949)
{
    if (!codePage949Installed())
        GTEST_SKIP() << "code page 949 is not installed";
    BackendLog log;
    // U+AC00 is B0A1 in the code page.
    const auto pdus = encode(outgoing("1", "A\xEA\xB0\x80", nullptr, 0, kCoding8bit));
    ASSERT_EQ(pdus.size(), 1u);
    EXPECT_EQ(pdus[0].hex, "00" "11" "00" "0181F1" "00" "04" "AF" "03" "41B0A1");
    EXPECT_TRUE(log.Contains("Input Unicode SMS string (2 characters):"));
    EXPECT_TRUE(log.Contains("Output 8-bit SMS string (3 characters):"));

    // A character the code page lacks is sent as "?", with a warning.
    const auto lossy = encode(outgoing("1", "\xF0\x9F\x98\x80", nullptr, 0, kCoding8bit));
    ASSERT_EQ(lossy.size(), 1u);
    EXPECT_EQ(lossy[0].hex.substr(lossy[0].hex.size() - 2), "3F");
    EXPECT_TRUE(log.Contains("Warning, Unicode text could not fully be translated to 8-bit MBCS string!"));
}

TEST(SubmitEncoder, ConcatenatedSegmentsCarryTheirHeaderAndOneFillBit)
{
    Tpdu message = outgoing("+18005551212", std::string(161, 'A'));
    const auto pdus = encode(message);
    ASSERT_EQ(pdus.size(), 2u);
    char reference[3];
    std::snprintf(reference, sizeof reference, "%02X", message.concatReference & 0xFF);
    const std::string prefix = std::string("00" "51" "00" "0B918100551512F2" "00" "00" "AF");
    // 152 septets behind the header's 7: 140 octets of user data.
    EXPECT_EQ(pdus[0].hex.substr(0, prefix.size() + 14), prefix + "9F" "050003" + reference + "0201");
    EXPECT_EQ(pdus[0].tpduLength, 14 + 140);
    // 9 septets after one fill bit: worked by hand, 'A' least significant bit first.
    EXPECT_EQ(pdus[1].hex, prefix + "10" "050003" + reference + "0202" "82C16030180C0683");
    EXPECT_EQ(pdus[1].tpduLength, 14 + 6 + 8);
}

TEST(SubmitEncoder, SingleMessageCapacities)
{
    struct Case {
        const char* name;
        int coding;
        std::string text;
        const char* replyAddress;
        std::size_t decodedLength;
    };
    const Case cases[] = {
        {"161 septets", kCodingGsm7, std::string(161, 'x'), nullptr, 160},
        {"reply address of 11 digits", kCodingGsm7, std::string(161, 'x'), "+12345678901", 147},
        {"71 UCS2 characters", kCodingUcs2, std::string(71, 'x'), nullptr, 70},
        {"UCS2 with a reply address", kCodingUcs2, std::string(71, 'x'), "+12345678901", 64},
        {"extension pair at the limit", kCodingGsm7, std::string(159, 'x') + "\xE2\x82\xAC", nullptr, 159},
    };
    for (const Case& c : cases) {
        Tpdu message = outgoing("+1", c.text, nullptr, 0, c.coding);
        if (c.replyAddress) {
            ASSERT_TRUE(ParseNumber(c.replyAddress, message.replyAddress));
        }
        const auto pdus = encode(message, false);
        ASSERT_EQ(pdus.size(), 1u) << c.name;
        Tpdu decoded;
        ASSERT_EQ(Decode(pdus[0].hex, pdus[0].tpduLength, decoded), kQdSuccess) << c.name;
        EXPECT_EQ(std::strlen(decoded.text), c.decodedLength) << c.name;
        EXPECT_LE(pdus[0].tpduLength, 4 + 12 + 1 + 140) << c.name;
    }
}

TEST(SubmitEncoder, CapacityFormulas)
{
    EXPECT_EQ(CapacityOf(kCodingGsm7, 0).single, 160u);
    EXPECT_EQ(CapacityOf(kCodingGsm7, 0).segment, 152u);
    EXPECT_EQ(CapacityOf(kCodingGsm7, 11).single, 147u);
    EXPECT_EQ(CapacityOf(kCoding8bit, 0).single, 140u);
    EXPECT_EQ(CapacityOf(kCoding8bit, 11).segment, 124u);
    EXPECT_EQ(CapacityOf(kCodingUcs2, 0).single, 70u);
    EXPECT_EQ(CapacityOf(kCodingUcs2, 0).segment, 67u);
    EXPECT_EQ(CapacityOf(kCodingUcs2, 11).single, 64u);
}

TEST(SubmitEncoder, HeaderAskedForWithoutAReasonIsLeftOut)
{
    BackendLog log;
    Tpdu message = outgoing("+18005551212", "hellohello");
    message.userDataHeader = 1;
    const auto pdus = encode(message);
    ASSERT_EQ(pdus.size(), 1u);
    EXPECT_EQ(pdus[0].hex.substr(2, 2), "11");
    EXPECT_TRUE(log.Contains(
        "Corrupted internal state; SMS UDH was requested but neither segmentation nor reply address was found!"));
}

TEST(CountSegments, ByCoding)
{
    const std::string euro = "\xE2\x82\xAC";
    std::string euros80, euros81;
    for (int i = 0; i < 80; ++i)
        euros80 += euro;
    euros81 = euros80 + euro;
    const struct {
        std::string text;
        int coding;
        int segments;
    } cases[] = {
        {"", kCodingGsm7, 1},
        {std::string(160, 'a'), kCodingGsm7, 1},
        {std::string(161, 'a'), kCodingGsm7, 2},
        {std::string(200, 'a'), kCodingGsm7, 2},
        {std::string(304, 'a'), kCodingGsm7, 2},
        {std::string(305, 'a'), kCodingGsm7, 3},
        {euros80, kCodingGsm7, 1},
        {euros81, kCodingGsm7, 2},
        {std::string(70, 'a'), kCodingUcs2, 1},
        {std::string(71, 'a'), kCodingUcs2, 2},
        {std::string(134, 'a'), kCodingUcs2, 2},
        {std::string(135, 'a'), kCodingUcs2, 3},
        {"a", 3, 0},
        {"a", -1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountSegments(c.text, c.coding), c.segments) << c.text.size() << " in coding " << c.coding;
}

TEST(CreateOutgoing, RefusesWhatCannotBeSentAndLeavesTheRecordCleared)
{
    const std::string tooLong(kTextCapacity, 'a');
    const struct {
        const char* name;
        const char* destination;
        const char* text;
        const char* serviceCentre;
        int messageClass, coding, validity;
        QdResult rc;
    } cases[] = {
        {"no destination", nullptr, "a", nullptr, 0, 0, 0, kQdNullPointer},
        {"no text", "+1", nullptr, nullptr, 0, 0, 0, kQdNullPointer},
        {"class", "+1", "a", nullptr, 5, 0, 0, kQdInvalidParameter},
        {"negative class", "+1", "a", nullptr, -1, 0, 0, kQdInvalidParameter},
        {"coding", "+1", "a", nullptr, 0, 3, 0, kQdInvalidParameter},
        {"validity", "+1", "a", nullptr, 0, 0, 256, kQdInvalidParameter},
        {"destination digits", "+12x4", "a", nullptr, 0, 0, 0, kQdInvalidParameter},
        {"destination length", "+123456789012345678901234", "a", nullptr, 0, 0, 0, kQdInvalidParameter},
        {"service centre", "+1", "a", "+49 15", 0, 0, 0, kQdInvalidParameter},
        {"text length", "+1", tooLong.c_str(), nullptr, 0, 0, 0, kQdInvalidParameter},
    };
    static const Tpdu cleared{};
    for (const auto& c : cases) {
        Tpdu message;
        message.messageType = 7;
        EXPECT_EQ(CreateOutgoing(c.destination, c.text, c.serviceCentre, c.messageClass, c.coding, c.validity, 0, 0,
                                 message),
                  c.rc)
            << c.name;
        EXPECT_EQ(std::memcmp(&message, &cleared, sizeof message), 0) << c.name;
    }
}

TEST(CreateOutgoing, FillsTheRecord)
{
    const Tpdu message = outgoing("+4915*#", "text", "+4900", 2, kCodingUcs2, 167, 1, 0);
    EXPECT_EQ(message.messageType, kTypeSubmit);
    EXPECT_STREQ(message.address.text, "+4915*#");
    EXPECT_EQ(message.address.international, 1);
    EXPECT_STREQ(message.serviceCentre.text, "+4900");
    EXPECT_EQ(message.messageClass, 2);
    EXPECT_EQ(message.dataCodingScheme, 0x19);
    EXPECT_EQ(message.validityPeriod, 167);
    EXPECT_EQ(message.statusReportRequest, 1);
    EXPECT_STREQ(message.text, "text");
    EXPECT_GE(message.concatReference, 1);
    EXPECT_LE(message.concatReference, 255);
    EXPECT_NE(outgoing("+1", "a").concatReference, outgoing("+1", "a").concatReference);
}

TEST(TpduBinary, TurnsAPduIntoOctetsCheckedAgainstItsLength)
{
    const struct {
        const char* name;
        SubmitPdu pdu;
        QdResult rc;
        std::size_t octets;
    } cases[] = {
        {"with service centre", {"03919451" "B1000481103200180004" "00480069", 14}, kQdSuccess, 18},
        {"without", {"0011000181F10000AF0141", 10}, kQdSuccess, 11},
        {"length off by one", {"0011000181F10000AF0141", 11}, kQdMalformedPdu, 0},
        {"odd", {"0011000181F10000AF014", 10}, kQdMalformedPdu, 0},
        {"empty", {"", 0}, kQdMalformedPdu, 0},
        {"not hex", {"0011000181F10000AF01ZZ", 10}, kQdMalformedPdu, 0},
    };
    for (const auto& c : cases) {
        BackendLog log;
        std::vector<std::uint8_t> octets{1, 2};
        int length = -1;
        EXPECT_EQ(Tpdu::binary(c.pdu, octets, length), c.rc) << c.name;
        EXPECT_EQ(octets.size(), c.octets) << c.name;
        EXPECT_EQ(length, c.rc == kQdSuccess ? c.pdu.tpduLength : 0) << c.name;
        if (c.rc != kQdSuccess) {
            EXPECT_TRUE(log.Contains("Qd: Tpdu::binary(): Wrong PDU length")) << c.name;
        }
    }
}

} // namespace
} // namespace SMS
