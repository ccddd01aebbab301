// The scanner must count, and read, exactly as the C library does: the sentence rules
// accept or reject by the number of conversions. sscanf is the reference for every row.

#include "corvane/nmea/ScanfScanner.h"

#include "fuzz/NmeaOracles.h"

#include <gtest/gtest.h>

#include <string>

namespace Corvane {
namespace {

struct ScanCase {
    const char* name;
    std::string text;
    std::string format;
};

class ScanfScannerAgainstLibc : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanfScannerAgainstLibc, CountsAndReadsAsSscanf)
{
    EXPECT_EQ(Orvanta::oracle::differenceFromLibc(GetParam().text, GetParam().format), "");
}

const std::string number = "%lf%c%s";
const std::string integer = "%d%c%s";

INSTANTIATE_TEST_SUITE_P(
    Reals, ScanfScannerAgainstLibc,
    ::testing::Values(ScanCase{"Plain", "4807.038,N", number}, ScanCase{"LeadingBlanks", " \t 5,", number},
                      ScanCase{"SignedFraction", "+.5,", number}, ScanCase{"DotAlone", ".,", number},
                      ScanCase{"SignAlone", "-,", number}, ScanCase{"SignAtTheEnd", "-", number},
                      ScanCase{"TwoMinus", "--5,", number}, ScanCase{"PlusMinus", "+-5,", number},
                      ScanCase{"MinusPlus", "-+5,", number}, ScanCase{"BlankAfterSign", "- 5,", number},
                      ScanCase{"DanglingExponentIsEaten", "1e,", number},
                      ScanCase{"DanglingSignedExponent", "1e+,", number},
                      ScanCase{"ExponentThenSignTwice", "1e+-3,", number}, ScanCase{"SecondExponent", "1e5e,", number},
                      ScanCase{"UpperExponent", "1E5,", number}, ScanCase{"SecondDot", "1..2,", number},
                      ScanCase{"DotAfterExponent", "1e5.5,", number}, ScanCase{"ExponentWithoutDigits", ".e1,", number},
                      ScanCase{"NegativeZero", "-0,", number}, ScanCase{"LeadingZeros", "00.5,", number},
                      ScanCase{"ZeroThenX", "00x1,", number}, ScanCase{"Hex", "0x1p3,", number},
                      ScanCase{"HexFraction", "0x.8,", number}, ScanCase{"HexPrefixOnly", "0x,", number},
                      ScanCase{"HexDotOnly", "0x.p1,", number}, ScanCase{"SignedHexPrefixOnly", "-0x", number},
                      ScanCase{"HexExponentMarkE", "0x1e+3,", number}, ScanCase{"HexDanglingExponent", "0x1p+,", number},
                      ScanCase{"Nan", "nan,", number}, ScanCase{"NegativeNanMixedCase", "-NaN,", number},
                      ScanCase{"NanWithPayloadStopsAtParenthesis", "nan(12),", number},
                      ScanCase{"NaCutShort", "na,", number}, ScanCase{"Inf", "inf,", number},
                      ScanCase{"Infinity", "InFiNiTy,", number}, ScanCase{"InfinityCutShort", "infin,", number},
                      ScanCase{"InfThenLetter", "infx,", number}, ScanCase{"Overflow", "1e400,", number},
                      ScanCase{"Underflow", "1e-400,", number}, ScanCase{"Subnormal", "1e-320,", number},
                      ScanCase{"ManyDigits", std::string(400, '9') + ".5,", number},
                      ScanCase{"HugeExponent", "1e99999999999999999999,", number},
                      ScanCase{"EightDecimalMinutes", "3852.55629845,", number}, ScanCase{"Letter", "N,", number},
                      ScanCase{"Empty", "", number}, ScanCase{"BlanksOnly", "   ", number}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Integers, ScanfScannerAgainstLibc,
    ::testing::Values(ScanCase{"Plain", "08,", integer}, ScanCase{"Negative", "-12,", integer},
                      ScanCase{"SignAlone", "+,", integer}, ScanCase{"SignAtTheEnd", "-", integer},
                      ScanCase{"BeyondLong", "99999999999999999999,", integer},
                      ScanCase{"BelowLong", "-99999999999999999999,", integer},
                      ScanCase{"BeyondInt", "4294967297,", integer}, ScanCase{"IntMaxPlusOne", "2147483648,", integer},
                      ScanCase{"LongMax", "9223372036854775807,", integer},
                      ScanCase{"LongMaxPlusOne", "9223372036854775808,", integer},
                      ScanCase{"HexIsNotRead", "0x10,", integer}, ScanCase{"Fraction", "1.5,", integer}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Sentences, ScanfScannerAgainstLibc,
    ::testing::Values(
        ScanCase{"Gga", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,0,0*47",
                 "$GPGGA,%lf,%lf,%c,%lf,%c,%d,%d,%lf,%lf,%c,%lf,%c,%lf,%d*%s"},
        ScanCase{"GgaEndingAtTheStar", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,0,0*",
                 "$GPGGA,%lf,%lf,%c,%lf,%c,%d,%d,%lf,%lf,%c,%lf,%c,%lf,%d*%s"},
        ScanCase{"WordStopsAtBlank", "$GPRMC,1,A,2,N,3,E,4,5,6,7,W,A* 07 x",
                 "$GPRMC,%lf,%c,%lf,%c,%lf,%c,%lf,%lf,%d,%lf,%c,%c*%s"},
        ScanCase{"LetterTakesABlank", "$GPVTG,1, ,2,M,3,N,4,K,A*25", "$GPVTG,%lf,%c,%lf,%c,%lf,%c,%lf,%c,%c*%s"},
        ScanCase{"LiteralAtTheEnd", "$GPGGA", "$GPGGA,%lf"},
        ScanCase{"LiteralMismatch", "$GPGGAX", "$GPGGA,%lf"},
        ScanCase{"GsvBlanksMatchNone", "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B",
                 "$GPGSV,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d*"},
        ScanCase{"GsvBlanksMatchSome", "$GPGSV,3,3,09,  \t32,10,120,25*xx",
                 "$GPGSV,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d*"},
        ScanCase{"GsvEndsAfterABlank", "$GPGSV,3,3,09,  ",
                 "$GPGSV,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d*"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanfScanner, ConversionsNotMadeReadAsNeutralValues)
{
    const ScannedFields fields = ScanfScanner::scan("7,x", "%d,%lf,%c,%s");
    EXPECT_EQ(fields.count(), 1);
    EXPECT_EQ(fields.integer(0), 7);
    EXPECT_EQ(fields.real(1), 0.0);
    EXPECT_EQ(fields.letter(2), '\0');
    EXPECT_TRUE(fields.word(3).empty());
    EXPECT_EQ(fields.integer(-1), 0);
    EXPECT_EQ(fields.integer(ScannedFields::capacity), 0);
}

} // namespace
} // namespace Corvane
