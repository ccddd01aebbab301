// The card's own PDUs: SMS-DELIVER and status reports it encodes, compared octet for octet
// with known PDUs, concatenated parts, and the reader of what hosts hand over, which must
// refuse every PDU that runs short. The known PDUs are rows of the shared SMS vector set
// (its README names their source and licence; keep that with any copy).

#include "sim/cardsim/SmsPdu.h"
#include "sim/cardsim/SmsText.h"

#include <gtest/gtest.h>

#include <string>

namespace Cardsim::pdu_test {
namespace {

SmsTimeStamp stamp(int year, int month, int day, int hour, int minute, int second, int zoneQuarters)
{
    return {year, month, day, hour, minute, second, zoneQuarters};
}

struct DeliverCase {
    const char* name;
    const char* serviceCentre;
    const char* sender;
    std::string text;
    SmsCoding coding;
    SmsTimeStamp timeStamp;
    const char* expected;
};

class DeliverEncoding : public ::testing::TestWithParam<DeliverCase> {};

TEST_P(DeliverEncoding, MatchesTheKnownPdu)
{
    const DeliverCase& c = GetParam();
    DeliverRequest request;
    request.serviceCentre = c.serviceCentre;
    request.sender = c.sender;
    request.text = c.text;
    request.coding = c.coding;
    request.timeStamp = c.timeStamp;
    const EncodedDeliver encoded = encodeDeliver(request);
    ASSERT_EQ(encoded.parts.size(), 1u) << encoded.problem;
    EXPECT_EQ(encoded.parts[0].hex, c.expected);
    const std::string_view hex = c.expected;
    const int serviceCentreOctets = std::stoi(std::string(hex.substr(0, 2)), nullptr, 16);
    EXPECT_EQ(encoded.parts[0].tpduLength, static_cast<int>(hex.size() / 2) - 1 - serviceCentreOctets);
}

const DeliverCase kDeliverCases[] = {
    {"EscapedCharacters", "+12404492164", "+16175927198",
     "Here's a longer message [{with some extended characters}] thrown in, such as \u00A3 and \u03A9\u03A0\u03A8 and "
     "\u00A7\u00BF as well.",
     SmsCoding::gsm7, stamp(11, 2, 28, 11, 50, 50, -20),
     "07912104442961F4040B916171957291F800001120821105050A6AC8B2BC7C9A83C220F6DB7D2ECB41EDF27C1E3E97411BDE06754FD3D1A"
     "0F9BB5D0695F1F4B29B5C2683C6E8B03C3CA697E5F34D6AE303D1D1F2F7DD0D4ABB59A0797D8C0685E7A00028EC26832A960B28EC2683BE"
     "6050780EBA97D96C17"},
    {"Ucs2FromAName", "+79037011111", "InternetSMS", "\u0442\u0435\u0441\u0442", SmsCoding::ucs2,
     stamp(11, 3, 29, 19, 20, 4, 16), "07919730071111F10414D04937BD2C7797E9D3E614000811309291024061080442043504410442"},
    {"Minimal", "+12345678901", "+18005551212", "hellohello", SmsCoding::gsm7, stamp(11, 1, 1, 12, 34, 56, 0),
     "07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37"},
    {"NationalSender", "+12345678901", "18005551212", "hellohello", SmsCoding::gsm7, stamp(11, 1, 1, 12, 34, 56, 0),
     "07912143658709F1040B818100551512F20000111010214365000AE8329BFD4697D9EC37"},
    {"EightBitData", "+12345678901", "+18005551212", "\xE8\x32\x9B\xFD\x46\x97\xD9\xEC\x37\xDE", SmsCoding::eightBit,
     stamp(11, 1, 1, 12, 34, 56, 0), "07912143658709F1040B918100551512F20004111010214365000AE8329BFD4697D9EC37DE"},
};

INSTANTIATE_TEST_SUITE_P(KnownPdus, DeliverEncoding, ::testing::ValuesIn(kDeliverCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeliverEncoder, LongTextMatchesKnownConcatenatedParts)
{
    const std::string first = "This is a very long test designed to exercise multi part capability. It should show up "
                              "as one message, not as two, as the underlying encoding represents ";
    const std::string second = "that the parts are related to one another. ";
    DeliverRequest request;
    request.sender = "+16175046925";
    request.text = first + second;
    request.reference = 0x4C;
    request.serviceCentre = "+12063130025";
    request.timeStamp = stamp(12, 4, 25, 19, 56, 50, -16);
    EncodedDeliver encoded = encodeDeliver(request);
    ASSERT_EQ(encoded.parts.size(), 2u) << encoded.problem;
    // The network that sent the known parts set the fill bit after the header, which the
    // card leaves zero: the octets after "0201" and "0202" are A9 and E9 there.
    EXPECT_EQ(encoded.parts[0].hex,
              "07912160130320F5440B916171056429F5000021405291650569A00500034C0201A8E8F41C949E83C2207B599E07B1DFEE3388"
              "5E9ED341E4F23C7D7697C920FA1B54C697E5E3F4BC0C6AD7D9F434081E96D341E3303C2C4EB3D3F4BC0B94A483E6E8779D4D06"
              "CDD1EF3BA80E0785E7A0B7BB0C6A97E7F3F0B9CC02B9DF7450780EA2DFDF2C50780EA2A3CBA0BA9B5C96B3F369F71954768FDF"
              "E4B4FB0C9297E1F2F2BCECA6CF41");
    // The second part came through another service centre a second later.
    request.serviceCentre = "+12063130026";
    request.timeStamp.second = 51;
    encoded = encodeDeliver(request);
    ASSERT_EQ(encoded.parts.size(), 2u);
    EXPECT_EQ(encoded.parts[1].hex, "07912160130320F6440B916171056429F5000021405291651569320500034C0202E8E8301D44479741"
                                    "F0B09C3E0785E56590BCCC0ED3CB6410FD0D7ABBCBA0B0FB4D4797E52E10");
}

TEST(StatusReportEncoding, MatchesTheKnownReport)
{
    const SmsTimeStamp at = stamp(12, 9, 11, 7, 40, 36, 8);
    const PduText report = encodeStatusReport("+34656000311", 0x5A, "639337937", at, at, 0x30);
    EXPECT_EQ(report.hex, "07914356060013F1065A098136397339F7219011700463802190117004638030");
    EXPECT_EQ(report.tpduLength, 24);
}

// Parts: how a text of each coding is cut, and that the parts read back into it.
struct PartsCase {
    const char* name;
    std::string text;
    SmsCoding coding;
    std::size_t parts;
};

class ConcatenatedDelivery : public ::testing::TestWithParam<PartsCase> {};

TEST_P(ConcatenatedDelivery, PartsCarryTheirNumbersAndJoinIntoTheText)
{
    const PartsCase& c = GetParam();
    DeliverRequest request;
    request.serviceCentre = "+15550000000";
    request.sender = "+15551234";
    request.text = c.text;
    request.coding = c.coding;
    request.reference = 7;
    const EncodedDeliver encoded = encodeDeliver(request);
    ASSERT_EQ(encoded.parts.size(), c.parts) << encoded.problem;
    std::string joined;
    for (std::size_t i = 0; i < encoded.parts.size(); ++i) {
        const DecodedPdu decoded = decodePdu(encoded.parts[i].hex, encoded.parts[i].tpduLength);
        ASSERT_TRUE(decoded.content) << decoded.problem;
        EXPECT_LE(decoded.content->tpduLength, 164);
        if (c.parts > 1) {
            ASSERT_TRUE(decoded.content->part);
            EXPECT_EQ(decoded.content->part->reference, 7);
            EXPECT_EQ(decoded.content->part->total, static_cast<int>(c.parts));
            EXPECT_EQ(decoded.content->part->sequence, static_cast<int>(i + 1));
        } else {
            EXPECT_FALSE(decoded.content->part);
        }
        joined += decoded.content->text;
    }
    EXPECT_EQ(joined, c.text);
}

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

const PartsCase kPartsCases[] = {
    {"FullSingle7bit", std::string(160, 'a'), SmsCoding::gsm7, 1},
    {"OneOver7bit", std::string(161, 'a'), SmsCoding::gsm7, 2},
    {"ThreeParts7bit", std::string(153 * 2 + 1, 'b'), SmsCoding::gsm7, 3},
    // 152 plain septets and an escape pair: the pair goes whole into the second part.
    {"EscapePairNotSplit", std::string(152, 'c') + "[" + std::string(20, 'c'), SmsCoding::gsm7, 2},
    {"FullSingleUcs2", repeated("\u0436", 70), SmsCoding::ucs2, 1},
    {"SurrogatePairNotSplit", repeated("\u0436", 66) + "\U0001F600" + repeated("\u0436", 10), SmsCoding::ucs2, 2},
    {"EightBitParts", std::string(300, 'd'), SmsCoding::eightBit, 3},
    {"Empty", "", SmsCoding::gsm7, 1},
};

INSTANTIATE_TEST_SUITE_P(Texts, ConcatenatedDelivery, ::testing::ValuesIn(kPartsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeliverEncoder, RefusesWhatItCannotCarry)
{
    DeliverRequest request;
    request.sender = "+15551234";
    request.text = "\u4F60\u597D";
    EXPECT_TRUE(encodeDeliver(request).parts.empty()) << "Chinese text in the GSM alphabet";
    request.coding = SmsCoding::ucs2;
    EXPECT_EQ(encodeDeliver(request).parts.size(), 1u);
    request.sender = "A name far too long";
    EXPECT_TRUE(encodeDeliver(request).parts.empty());
    request.sender = "+15551234";
    request.text = "\xC3";
    EXPECT_TRUE(encodeDeliver(request).parts.empty()) << "broken UTF-8";
    request.coding = SmsCoding::gsm7;
    request.text = std::string(153 * 255 + 1, 'x');
    EXPECT_TRUE(encodeDeliver(request).parts.empty()) << "more than 255 parts";
}

// The reader --------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    const char* hex;
    PduContent::Type type;
    const char* number;
    std::string text;
    bool statusReportRequest = false;
};

class PduReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PduReading, ReadsTheNumberAndText)
{
    const ReadCase& c = GetParam();
    const DecodedPdu decoded = decodePdu(c.hex);
    ASSERT_TRUE(decoded.content) << decoded.problem;
    EXPECT_EQ(decoded.content->type, c.type);
    EXPECT_EQ(decoded.content->number, c.number);
    EXPECT_EQ(decoded.content->text, c.text);
    EXPECT_EQ(decoded.content->statusReportRequest, c.statusReportRequest);
}

TEST_P(PduReading, RefusesEveryShortenedPdu)
{
    const std::string hex = GetParam().hex;
    for (std::size_t size = 0; size + 2 <= hex.size(); size += 2) {
        const DecodedPdu decoded = decodePdu(hex.substr(0, size));
        EXPECT_FALSE(decoded.content) << size / 2 << " octets of " << GetParam().name;
    }
}

const ReadCase kReadCases[] = {
    {"SubmitUcs2", "07919130079229F011000B915155551532F40008003A041404300020043704340440043004320441044204320443043504"
                   "420020043A043E0440043E043B044C002C0020043404350442043A04300021",
     PduContent::Type::submit, "+15555551234",
     "\u0414\u0430 \u0437\u0434\u0440\u0430\u0432\u0441\u0442\u0432\u0443\u0435\u0442 \u043A\u043E\u0440\u043E\u043B"
     "\u044C, \u0434\u0435\u0442\u043A\u0430!"},
    {"SubmitGsmWithoutServiceCentre", "0011000B915155551532F400000036C834888E2ECBCB2E978B5A2F8362373A1AA40CBB4132584C"
                                      "0682D57433982B8603C1DB20D4B1495DC552200804028100",
     PduContent::Type::submit, "+15555551234", "Hi there...Tue 17th Jan 2012 05:30.18 pm (GMT+1) \u0394\u0394\u0394\u0394\u0394"},
    {"SubmitWithoutValidity", "0001000B915155661632F400001954747A0E4ACF41F27298CDCE83C6EF371B0481402010",
     PduContent::Type::submit, "+15556661234", "This is really cool \u0394\u0394\u0394\u0394\u0394"},
    {"SubmitAskingForReport", "002100098136397339F70008224F60597D4F60597D4F60597D4F60597D4F60597D4F60597D4F60597D4F6059"
                              "7D4F60",
     PduContent::Type::submit, "639337937", repeated("\u4F60\u597D", 8) + "\u4F60", true},
    {"DeliverWithHeader", "07912160130320F6440B916171056429F5000021405291651569320500034C0202E9E8301D44479741F0B09C3E07"
                          "85E56590BCCC0ED3CB6410FD0D7ABBCBA0B0FB4D4797E52E10",
     PduContent::Type::deliver, "+16175046925", "that the parts are related to one another. "},
    {"DeliverFromAName", "07919730071111F10414D04937BD2C7797E9D3E614000811309291024061080442043504410442",
     PduContent::Type::deliver, "InternetSMS", "\u0442\u0435\u0441\u0442"},
    {"StatusReport", "07914356060013F1065A098136397339F7219011700463802190117004638030", PduContent::Type::statusReport,
     "639337937", ""},
};

INSTANTIATE_TEST_SUITE_P(KnownPdus, PduReading, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PduReader, SixteenBitConcatenationAndClass)
{
    const DecodedPdu decoded = decodePdu(
        "07911356131313F64004850120390011609232239180A006080400100201D7327BFD6EB340E2321BF46E83EA7790F59D1E97DBE1341B44"
        "2F83C465763D3DA797E56537C81D0ECB41AB59CC1693C16031D96C064241E5656838AF03A96230982A269BCD462917C8FA4E8FCBED709A"
        "0D7ABBE9F6B0FB5C7683D27350984D4FABC9A0B33C4C4FCF5D20EBFB2D079DCB62793DBD06D9C36E50FB2D4E97D9A0B49B5E96BBCB");
    ASSERT_TRUE(decoded.content) << decoded.problem;
    ASSERT_TRUE(decoded.content->part);
    EXPECT_EQ(decoded.content->part->reference, 0x0010);
    EXPECT_EQ(decoded.content->part->total, 2);
    EXPECT_EQ(decoded.content->part->sequence, 1);
    EXPECT_TRUE(decoded.content->text.starts_with("Welkom, bel om uw Voicemail"));

    const DecodedPdu flash = decodePdu("07912143658709F1040B918100551512F200F4111010214365000AE8329BFD4697D9EC37DE");
    ASSERT_TRUE(flash.content);
    EXPECT_EQ(flash.content->messageClass, 0);
    EXPECT_EQ(flash.content->coding, SmsCoding::eightBit);
    EXPECT_EQ(flash.content->text, "0xE8329BFD4697D9EC37DE");
}

struct RefusedCase {
    const char* name;
    const char* hex;
    std::optional<int> tpduLength;
};

class PduRefusal : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(PduRefusal, SaysWhy)
{
    const DecodedPdu decoded = decodePdu(GetParam().hex, GetParam().tpduLength);
    EXPECT_FALSE(decoded.content);
    EXPECT_FALSE(decoded.problem.empty());
}

const RefusedCase kRefusedCases[] = {
    {"UserDataShorterThanItsLength", "07912143658709F1040B918100551512F20000111010214365000BE8329BFD4697D9EC37", {}},
    {"OddLength", "079100F40D1101000F001000B917118336058F300", {}},
    {"NotHex", "07912143658709F1040B9181005515XXF2", {}},
    {"Empty", "", {}},
    {"LengthNotThePdus", "0011000B915155661632F40000001954747A0E4ACF41F27298CDCE83C6EF371B0481402010", 37},
    {"ServiceCentreTooLong", "0C91214365870921436587092143", {}},
    {"AddressOverTwentyDigits", "0001001591214365870921436587092143658709F10000", {}},
    {"ReservedType", "0003", {}},
    {"HeaderLongerThanUserData", "0041000B915155661632F4000003FF0000", {}},
    {"HeaderElementOverrunsHeader", "0041000B915155661632F400080403000702", {}},
};

INSTANTIATE_TEST_SUITE_P(Malformed, PduRefusal, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The alphabet ------------------------------------------------------------------------------

TEST(GsmAlphabet, ExtensionCharactersTakeAnEscapeAndComeBack)
{
    const std::u32string text = U"@\u00A3$[\u20AC]~^{}|\\\f";
    const auto septets = gsmSeptetsOf(text);
    ASSERT_TRUE(septets);
    EXPECT_EQ(septets->size(), 3u + 2 * 10);
    EXPECT_EQ((*septets)[0], 0x00);
    EXPECT_EQ((*septets)[3], kGsmEscape);
    EXPECT_EQ((*septets)[4], 0x3C);
    EXPECT_EQ(textOfGsmSeptets(*septets), text);
    EXPECT_FALSE(gsmSeptetsOf(U"\u00A0")) << "the escape's own place is no character";
    EXPECT_FALSE(gsmSeptetsOf(U"\u4F60"));
    // An unknown extension reads as the default character; an escape at the end as nothing.
    EXPECT_EQ(textOfGsmSeptets({kGsmEscape, 0x41, 0x42, kGsmEscape}), U"AB");
}

TEST(Utf, BrokenInputIsRefusedOrReplaced)
{
    EXPECT_FALSE(codePointsOf("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(codePointsOf("\xED\xA0\x80")) << "a surrogate";
    EXPECT_FALSE(codePointsOf("\xF4\x90\x80\x80")) << "beyond Unicode";
    EXPECT_EQ(codePointsOf("a\u00E9\U0001F600"), U"a\u00E9\U0001F600");
    EXPECT_EQ(textOfUtf16(u"\xD800x"), U"\uFFFDx");
    EXPECT_EQ(utf16Of(U"\U0001F600"), u"\U0001F600");
}

} // namespace
} // namespace Cardsim::pdu_test
