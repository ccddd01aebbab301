// The checks and corners of received PDUs: validation, data coding schemes, addresses,
// header elements, time stamps.

#include "quelder/sms/DataCodingScheme.h"
#include "quelder/sms/Tpdu.h"
#include "tests/quelder/support/BackendLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

namespace SMS {
namespace {

using Orvanta::testing::BackendLog;

struct ValidationCase {
    const char* name;
    std::string hex;
    int length;
    bool ndis;
    bool valid;
    const char* logged; // nullptr: nothing expected
};

class Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, AcceptsOnlyLengthsThatMatch)
{
    const ValidationCase& c = GetParam();
    BackendLog log;
    EXPECT_EQ(Validate(c.hex, c.length, c.ndis), c.valid);
    if (c.logged) {
        EXPECT_TRUE(log.Contains(c.logged));
    }
    // Decoding checks the same way before it reads anything.
    Tpdu message;
    if (!c.valid) {
        EXPECT_EQ(Decode(c.hex, c.length, message, c.ndis), kQdMalformedPdu);
    }
}

constexpr const char* kShortOrOdd = "PDU is too short or has an odd length";
constexpr const char* kNotHex = "PDU contains not only hexadecimal characters";
constexpr const char* kBadLength = "PDU length is invalid (its reported size does not match the real length)";
// A deliver of "hellohello": service centre of 7 octets, TPDU of 28.
const std::string kDeliver = "07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37";

INSTANTIATE_TEST_SUITE_P(
    Cases, Validation,
    ::testing::Values(ValidationCase{"Empty", "", 0, false, false, kShortOrOdd},
                      ValidationCase{"OneCharacter", "0", 0, false, false, kShortOrOdd},
                      ValidationCase{"OddLength", kDeliver.substr(1), 28, false, false, kShortOrOdd},
                      ValidationCase{"NotHex", "07912143658709F1040B9181005515G2", 8, false, false, kNotHex},
                      ValidationCase{"AfterTheServiceCentre", kDeliver, 28, false, true, nullptr},
                      ValidationCase{"WholeLength", kDeliver, 36, false, true, nullptr},
                      ValidationCase{"LowerCase", "0011000b915155661632f4000000", 13, false, true, nullptr},
                      ValidationCase{"NdisCountsTheLengthOctet", kDeliver, 29, true, true, nullptr},
                      ValidationCase{"NdisLengthOnOtherCards", kDeliver, 29, false, false, kBadLength},
                      ValidationCase{"TooShortForTheLength", kDeliver, 27, false, false, kBadLength},
                      ValidationCase{"NegativeLength", "00", -1, false, false, kBadLength},
                      ValidationCase{"HugeLength", kDeliver, 0x7FFFFFFF, true, false, kBadLength}),
    [](const auto& info) { return std::string(info.param.name); });

struct CodingCase {
    int dcs;
    int coding;
    int messageClass;
    bool cdma;
};

class DataCodingSchemes : public ::testing::TestWithParam<CodingCase> {};

TEST_P(DataCodingSchemes, Classify)
{
    const DataCoding coding = ClassifyDataCoding(static_cast<std::uint8_t>(GetParam().dcs));
    EXPECT_EQ(coding.coding, GetParam().coding);
    EXPECT_EQ(coding.messageClass, GetParam().messageClass);
    EXPECT_EQ(coding.cdma7bit, GetParam().cdma);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataCodingSchemes,
                         ::testing::Values(CodingCase{0x00, kCodingGsm7, 0, false},
                                           CodingCase{0x08, kCodingUcs2, 0, false},
                                           CodingCase{0x04, kCoding8bit, 0, false},
                                           CodingCase{0x10, kCodingGsm7, 1, false},
                                           CodingCase{0x13, kCodingGsm7, 4, false},
                                           CodingCase{0x18, kCodingUcs2, 1, false},
                                           CodingCase{0xF4, kCoding8bit, 1, false},
                                           CodingCase{0xF0, kCodingGsm7, 1, false},
                                           CodingCase{0xF8, kCodingGsm7, 1, false}, // bit 3 is reserved there
                                           CodingCase{0x80, kCodingGsm7, 0, true},
                                           CodingCase{0x84, kCoding8bit, 0, false},
                                           CodingCase{0x88, kCodingUcs2, 0, false},
                                           // Marked for automatic deletion, otherwise as group 0.
                                           CodingCase{0x45, kCoding8bit, 0, false},
                                           CodingCase{0x48, kCodingUcs2, 0, false},
                                           CodingCase{0x52, kCodingGsm7, 3, false},
                                           CodingCase{0xC8, kCodingGsm7, 0, false},
                                           CodingCase{0xE0, kCodingUcs2, 0, false},
                                           CodingCase{0xA4, kCodingGsm7, 0, false}));

TEST(DataCodingSchemes, SubmitOctet)
{
    EXPECT_EQ(SubmitDataCoding(0, kCodingGsm7), 0x00);
    EXPECT_EQ(SubmitDataCoding(1, kCodingGsm7), 0x10);
    EXPECT_EQ(SubmitDataCoding(4, kCoding8bit), 0x17);
    EXPECT_EQ(SubmitDataCoding(0, kCodingUcs2), 0x08);
    EXPECT_EQ(SubmitDataCoding(2, kCodingUcs2), 0x19);
}

TEST(CdmaMessages, AreUnpackedMostSignificantBitFirstAndLogged)
{
    BackendLog log;
    // DCS 0x80; user data "Hi" in the CDMA order.
    const std::string pdu = "00040B918100551512F2008011101021436500" "02" "91A4";
    Tpdu message;
    ASSERT_EQ(Decode(pdu, static_cast<int>(pdu.size() / 2) - 1, message), kQdSuccess);
    EXPECT_EQ(message.cdma7bit, 1);
    EXPECT_STREQ(message.text, "Hi");
    EXPECT_TRUE(log.Contains("CDMA 7-bit message detected!"));
}

struct DecodeCase {
    const char* name;
    std::string pdu;
    QdResult rc;
    const char* logged;
    // Checked on success.
    const char* address;
    const char* text;
    std::optional<int> concatReference = std::nullopt;
    int emsMms = 0;
    const char* replyAddress = "";
};

class Decoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, Fields)
{
    const DecodeCase& c = GetParam();
    BackendLog log;
    Tpdu message;
    EXPECT_EQ(Decode(c.pdu, static_cast<int>(c.pdu.size() / 2) - 1 - std::stoi(c.pdu.substr(0, 2), nullptr, 16),
                     message),
              c.rc);
    if (c.logged) {
        EXPECT_TRUE(log.Contains(c.logged)) << ::testing::PrintToString(log.Messages());
    }
    if (c.rc != kQdSuccess) {
        static const Tpdu cleared{};
        EXPECT_EQ(std::memcmp(&message, &cleared, sizeof message), 0);
        return;
    }
    EXPECT_STREQ(message.address.text, c.address);
    EXPECT_STREQ(message.text, c.text);
    if (c.concatReference) {
        EXPECT_EQ(message.concatReference, *c.concatReference);
    }
    EXPECT_EQ(message.emsMms, c.emsMms);
    EXPECT_STREQ(message.replyAddress.text, c.replyAddress);
}

// Deliver, no service centre, to +18005551212, GSM 7-bit, time stamp, then `userData`.
std::string deliver(const char* firstOctet, const char* userData)
{
    return std::string("00") + firstOctet + "0B918100551512F20000111010214365" "00" + userData;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decoding,
    ::testing::Values(
        DecodeCase{"SemiOctetDigitTable", "00040C81214365A7CBED0000111010214365000141", kQdSuccess, nullptr,
                   "1234567*#abc", "A"},
        DecodeCase{"FillerIsSkipped", "00040581214F650000111010214365000141", kQdSuccess, nullptr, "1245", "A"},
        DecodeCase{"AddressTooLong", "0004209121436587092143658709214365870921436587090000111010214365000141",
                   kQdMalformedPdu, "Qd: Too big address length (32), probably corrupted PDU", "", ""},
        DecodeCase{"ServiceCentreTooLong", "0E91214365870921436587092143658709", kQdMalformedPdu,
                   "Qd: Too big address length (14), probably corrupted PDU", "", ""},
        DecodeCase{"CutInTheTimeStamp", "00040B918100551512F200001110102143", kQdMalformedPdu,
                   "Qd: Invalid nibble conversion parameters, probably corrupted PDU (too big offset)", "", ""},
        DecodeCase{"ReservedMessageType", "0003", kQdMalformedPdu, "Qd: The PDU is not recognized", "", ""},
        // 16-bit reference 0x1234, part 2 of 3; header of 7 octets, so the text starts
        // after 8 septets (no fill bit needed beyond the seven).
        DecodeCase{"SixteenBitReference", deliver("44", "090608041234030241"), kQdSuccess, nullptr, "+18005551212",
                   "A", 0x1234},
        // Element 0x05 (application ports) is one of the enhanced messaging ones.
        DecodeCase{"EmsElement", deliver("44", "0906050400000000" "41"), kQdSuccess, "MMS/EMS message detected!",
                   "+18005551212", "A", std::nullopt, 1},
        DecodeCase{"UnknownElement", deliver("44", "0906240400000000" "41"), kQdSuccess,
                   "Ignoring unknown UDH Information Element type 0x24", "+18005551212", "A"},
        // Reply address +4915 (4 digits: 2 semi-octets), element length 4.
        DecodeCase{"ReplyAddress", deliver("44", "090622040491945141"), kQdSuccess, nullptr, "+18005551212", "A",
                   std::nullopt, 0, "+4915"},
        DecodeCase{"ReplyAddressOfTheWrongLength", deliver("44", "0B07220504919451004011"), kQdSuccess,
                   "Incorrect Reply Address, ignoring it...", "+18005551212", "E"},
        DecodeCase{"ElementPastTheHeader", deliver("44", "090600050000000041"), kQdMalformedPdu,
                   "Qd: Invalid nibble conversion parameters", "", ""},
        DecodeCase{"HeaderPastTheUserData", deliver("44", "020900"), kQdMalformedPdu, nullptr, "", ""},
        DecodeCase{"HeaderLongerThanTheSeptets", deliver("44", "06050003010201"), kQdMalformedPdu, nullptr, "",
                   ""},
        DecodeCase{"UserDataShorterThanItsLength", deliver("04", "0BE8329BFD4697D9EC37"), kQdMalformedPdu,
                   "Qd: Invalid nibble conversion parameters", "", ""},
        // UCS2 with an odd octet and a lone surrogate: both read as what they can be.
        DecodeCase{"Ucs2OddAndLoneSurrogate",
                   "00040B918100551512F20008111010214365" "00" "050442D83D04", kQdSuccess, nullptr, "+18005551212",
                   "\xD1\x82\xEF\xBF\xBD"},
        // A status report: reference 0x5A, recipient, two time stamps, status 0x30.
        DecodeCase{"StatusReport", "00065A098136397339F72190117004638021901170046380" "30", kQdSuccess, nullptr,
                   "639337937", ""},
        // Alphanumeric originator "Test": four characters take 28 bits, 7 semi-octets.
        DecodeCase{"AlphanumericAddress", "000407D0D4F29C0E0000111010214365000141", kQdSuccess, nullptr, "Test",
                   "A"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StatusReports, KeepTheirTimeStampsAndStatus)
{
    const std::string pdu = "07914356060013F1065A098136397339F7219011700463802190117004638030";
    Tpdu message;
    ASSERT_EQ(Decode(pdu, 24, message), kQdSuccess);
    EXPECT_EQ(message.statusReport, 1);
    EXPECT_EQ(message.messageReference, 0x5A);
    EXPECT_EQ(message.status, 0x30);
    EXPECT_STREQ(message.serviceCentreTime, "12/09/11,07:40:36+08");
    EXPECT_STREQ(message.dischargeTime, "12/09/11,07:40:36+08");
}

struct TimeStampCase {
    const char* octets;
    const char* text;
};

class TimeStamps : public ::testing::TestWithParam<TimeStampCase> {};

TEST_P(TimeStamps, AsText)
{
    std::uint8_t octets[7];
    for (int i = 0; i < 7; ++i)
        octets[i] = static_cast<std::uint8_t>(std::stoi(std::string(GetParam().octets + 2 * i, 2), nullptr, 16));
    EXPECT_EQ(TimeStampText(octets), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeStamps,
                         ::testing::Values(TimeStampCase{"11101021436500", "11/01/01,12:34:56+00"},
                                           TimeStampCase{"21405291651569", "12/04/25,19:56:51-16"},
                                           TimeStampCase{"11309291024061", "11/03/29,19:20:04+16"},
                                           TimeStampCase{"99211232959528", "99/12/21,23:59:59-02"},
                                           // Nibbles that are not digits stay visible.
                                           TimeStampCase{"FF000000000000", "FF/00/00,00:00:00+00"}));

// Local time is read in UTC here, so that the expected values hold on any machine.
class FileTimes : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* zone = std::getenv("TZ");
        if (zone)
            previous_ = zone;
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> previous_;
};

TEST_F(FileTimes, FromText)
{
    constexpr std::int64_t kSecond = 10000000;
    constexpr std::int64_t kUnixEpoch = 116444736000000000;
    const struct {
        const char* text;
        bool ok;
        std::int64_t unixSeconds;
    } cases[] = {
        {"11/01/01,12:34:56+00", true, 1293885296}, {"89/12/31,23:59:59", true, 3786911999},
        {"90/01/01,00:00:00", true, 631152000},     {"2012/4/25,19:56:51", true, 1335383811},
        {"12/13/01,00:00:00", false, 0},            {"12/01/01", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t fileTime = -1;
        EXPECT_EQ(TextToFileTime(c.text, fileTime), c.ok) << c.text;
        EXPECT_EQ(fileTime, c.ok ? c.unixSeconds * kSecond + kUnixEpoch : 0) << c.text;
    }
}

TEST_F(FileTimes, FollowAChangeOfZone)
{
    std::int64_t inUtc = 0;
    std::int64_t inNewYork = 0;
    ASSERT_TRUE(TextToFileTime("11/01/01,12:34:56", inUtc));
    ::setenv("TZ", "EST5", 1);
    ::tzset();
    ASSERT_TRUE(TextToFileTime("11/01/01,12:34:56", inNewYork));
    EXPECT_EQ(inNewYork - inUtc, 5LL * 3600 * 10000000);
}

TEST_F(FileTimes, DecodedMessagesCarryTheirTimeStamp)
{
    Tpdu message;
    ASSERT_EQ(Decode(kDeliver, 28, message), kQdSuccess);
    EXPECT_EQ(message.timeStamp(), 1293885296LL * 10000000 + 116444736000000000LL);
}

} // namespace
} // namespace SMS
