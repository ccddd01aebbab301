// How a received line is sorted, and how an answer line is read field by field.

#include "quelder/at/Line.h"

#include <gtest/gtest.h>

#include <string>

namespace GSM {
namespace {

struct ClassificationCase {
    const char* name;
    std::string line;
    LineKind kind;
    QdResult code;
    std::optional<Unsolicited> unsolicited;
};

class LineClassification : public ::testing::TestWithParam<ClassificationCase> {};

TEST_P(LineClassification, SortsTheLine)
{
    const ClassificationCase& row = GetParam();
    const Classification got = ClassifyLine(row.line);
    EXPECT_EQ(got.kind, row.kind);
    EXPECT_EQ(got.code, row.code) << std::hex << got.code;
    EXPECT_EQ(got.unsolicited, row.unsolicited);
}

constexpr auto kInfo = LineKind::information;
constexpr auto kFinal = LineKind::finalResult;
constexpr auto kUnsolicited = LineKind::unsolicited;

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, LineClassification,
    ::testing::Values(
        ClassificationCase{"Ok", "OK", kFinal, 0, {}},
        ClassificationCase{"OkWithTrailingBlankIsInformation", "OK ", kInfo, 0, {}},
        ClassificationCase{"OkInLowerCaseIsInformation", "ok", kInfo, 0, {}},
        ClassificationCase{"OkFollowedByTextIsInformation", "OKAY", kInfo, 0, {}},
        ClassificationCase{"Error", "ERROR", kFinal, kQdModemError, {}},
        ClassificationCase{"ErrorWithTrailingBlankIsInformation", "ERROR ", kInfo, 0, {}},
        ClassificationCase{"CmeErrorWithNumber", "+CME ERROR: 10", kFinal, static_cast<QdResult>(0x8401000A), {}},
        ClassificationCase{"CmeErrorZero", "+CME ERROR: 0", kFinal, static_cast<QdResult>(0x84010000), {}},
        ClassificationCase{"CmeErrorWithTextInsteadOfNumber", "+CME ERROR: SIM not inserted", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorWithNothingAfterTheBlank", "+CME ERROR: ", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorWithoutTheBlank", "+CME ERROR:", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorNumberWithoutTheBlank", "+CME ERROR:16", kFinal, static_cast<QdResult>(0x84010010), {}},
        ClassificationCase{"CmeErrorNumberFollowedByText", "+CME ERROR: 10 (SIM)", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorNumberWithTrailingBlank", "+CME ERROR: 10 ", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorNegativeNumber", "+CME ERROR: -1", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorNumberBeyondSixteenBits", "+CME ERROR: 65536", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeErrorLargestNumber", "+CME ERROR: 65535", kFinal, static_cast<QdResult>(0x8401FFFF), {}},
        ClassificationCase{"CmsErrorWithNumber", "+CMS ERROR: 500", kFinal, static_cast<QdResult>(0x840201F4), {}},
        ClassificationCase{"CmsErrorWithText", "+CMS ERROR: unknown", kFinal, kQdMalformedError, {}},
        ClassificationCase{"CmeLookalikeIsInformation", "+CMEE: 1", kInfo, 0, {}},
        ClassificationCase{"Ring", "RING", kUnsolicited, 0, Unsolicited::ring},
        ClassificationCase{"RegistrationWithoutBlank", "+CREG:1", kUnsolicited, 0, Unsolicited::creg},
        ClassificationCase{"PrefixWithoutColonIsInformation", "+CREG", kInfo, 0, {}},
        ClassificationCase{"NewMessageIndexIsNotTheMessage", "+CMTI: \"SM\",3", kUnsolicited, 0, Unsolicited::cmti},
        ClassificationCase{"DataCallStateWithOneComma", "_TWANCALL: 1,0", kUnsolicited, 0, Unsolicited::dataCallState},
        ClassificationCase{"DataCallAnswerWithTwoCommas", "_TWANCALL: 1,0,2", kInfo, 0, {}},
        ClassificationCase{"DataCallAnswerWithoutComma", "_TWANCALL: 1", kInfo, 0, {}},
        ClassificationCase{"SmsPrompt", "> ", kInfo, 0, {}},
        ClassificationCase{"Model", "Tarnwell X1", kInfo, 0, {}},
        ClassificationCase{"NulBytes", std::string("OK\0", 3), kInfo, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The table of unsolicited prefixes, type by type, written out from the card's
// documentation rather than from the code.
TEST(UnsolicitedPrefixes, EveryPrefixGivesItsType)
{
    const char* const prefixes[] = {
        "RING",      "+CLIP:",    "+COLP:",   "BUSY",     "NO CARRIER", "+CREG:",     "+CGREG:",   "+CMTI:",
        "_TSIGQ:",   "_TEANT:",   "+CCWA:",   "+CDS:",    "+CMT:",      "_TGCVI:",    "_TSSYSI:",  "+CUSD:",
        "+STC:",     "+STUD:",    "+STTONE:", "_TCTI:",   "_TGACT:",    "_TWSTAT:",   "_TIDLETEXT:", "_TANTPOSI:",
        "_TWANCALL:", "_TUWCTI:", "_TPATEMP:", "*MRDY:",  "*MCSQ:",     "*MRINFO:",   "*MTZ:",     "*MSTKEV:",
        "*MTSMENU:", "*MTITEM:",  "*MTSMS:",  "*MTSS:",   "*MTUSSD:",   "*MTDISP:",   "*MTKEY:",   "*MTGIN:",
        "*MTITXT:",  "*MTTONE:",  "*MTRSH:",  "*MTCALL:", "*MTLBR:",    "+PACSP0",    "+PACSP1",   "^RSSI:",
        "^SIMST:",   "^SRVST:",   "^BOOT:",   "^MODE:",   "^DSFLOWRPT:",
    };
    ASSERT_EQ(std::size(prefixes), kUnsolicitedTypes);
    for (std::size_t type = 0; type < kUnsolicitedTypes; ++type) {
        const std::string line = std::string(prefixes[type]) + (type == 24 ? " 1,0" : " 5,7");
        SCOPED_TRACE(line);
        EXPECT_EQ(UnsolicitedTypeOf(line), static_cast<Unsolicited>(type));
        EXPECT_EQ(ClassifyLine(line).kind, LineKind::unsolicited);
    }
}

TEST(LineReading, ReadsFieldsOfAnAnswerInTurn)
{
    Line line("+COPS: 0,0,\"Tarnwell Net\", 2");
    line.ExpectPrefix("+COPS:");
    EXPECT_EQ(line.ReadInt(), 0);
    EXPECT_TRUE(line.SkipIf(','));
    EXPECT_EQ(line.ReadInt(), 0);
    EXPECT_TRUE(line.SkipIf(','));
    EXPECT_EQ(line.ReadQuotedString().Text(), "Tarnwell Net");
    EXPECT_TRUE(line.SkipIf(','));
    EXPECT_EQ(line.ReadInt(), 2);
    EXPECT_TRUE(line.AtEnd());
    EXPECT_FALSE(line.SkipIf(','));
}

TEST(LineReading, TokensStopAtTheirSeparatorAndMayBeEmpty)
{
    Line line("+CMT: ,23;0791");
    line.ExpectPrefix("+CMT:");
    EXPECT_EQ(line.ReadToken(","), "");
    EXPECT_EQ(line.ReadInt(), 23);
    EXPECT_EQ(line.ReadChar(), ';');
    EXPECT_EQ(line.ReadToken(""), "0791") << "no separator: the rest of the line";
    EXPECT_THROW(line.ReadToken(), ResultError) << "nothing left";
}

struct FailedRead {
    const char* name;
    const char* text;
    void (*read)(Line&);
};

class LineReadingFailure : public ::testing::TestWithParam<FailedRead> {};

TEST_P(LineReadingFailure, RaisesNotAvailableAndKeepsThePosition)
{
    Line line(GetParam().text);
    line.Skip(2);
    try {
        GetParam().read(line);
        FAIL() << "the read should have failed";
    } catch (const ResultError& error) {
        EXPECT_EQ(error.code(), kQdNotAvailable);
    }
    EXPECT_EQ(line.Position(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    BadFields, LineReadingFailure,
    ::testing::Values(FailedRead{"WrongPrefix", "+CPIN: READY", [](Line& l) { l.ExpectPrefix("CSQ:"); }},
                      FailedRead{"TextWhereANumberIs", "+CPIN: READY", [](Line& l) { (void)l.ReadInt(); }},
                      FailedRead{"NumberBeyondInt", "  99999999999", [](Line& l) { (void)l.ReadInt(); }},
                      FailedRead{"SignsTwice", "  +-5", [](Line& l) { (void)l.ReadInt(); }},
                      FailedRead{"BlanksOnly", "     ", [](Line& l) { (void)l.ReadInt(); }},
                      FailedRead{"QuoteNotClosed", "  \"abc", [](Line& l) { (void)l.ReadQuotedString(); }},
                      FailedRead{"NoQuote", "  abc", [](Line& l) { (void)l.ReadQuotedString(); }},
                      FailedRead{"CharacterPastTheEnd", "ab", [](Line& l) { (void)l.ReadChar(); }},
                      FailedRead{"SkipPastTheEnd", "abc", [](Line& l) { l.Skip(2); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineReading, NumbersTakeASignAndLeadingBlanks)
{
    Line line("_TPATEMP: 1, -12,+7");
    line.ExpectPrefix("_TPATEMP:");
    EXPECT_EQ(line.ReadInt(), 1);
    EXPECT_TRUE(line.SkipIf(','));
    EXPECT_EQ(line.ReadInt(), -12);
    EXPECT_TRUE(line.SkipIf(','));
    EXPECT_EQ(line.ReadInt(), 7);
}

} // namespace
} // namespace GSM
