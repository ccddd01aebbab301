#include "corvane/nmea/NmeaChecksum.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace Corvane::nmea {
namespace {

TEST(NmeaComputedChecksum, CoversTheBytesBetweenDollarAndStar)
{
    EXPECT_EQ(computedChecksum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07"), 0x07);
    EXPECT_EQ(computedChecksum("$*"), 0);
    EXPECT_EQ(computedChecksum("$A*B*"), 'A');
    EXPECT_EQ(computedChecksum("xx$A*"), 'A');
    EXPECT_EQ(computedChecksum("\xff\x01*"), 0xfe) << "no dollar: from the start, bytes unsigned";
    EXPECT_EQ(computedChecksum("$GPRMC,123519,A"), std::nullopt);
}

struct WordCase {
    const char* name;
    std::string word;
};

class NmeaTransmittedChecksum : public ::testing::TestWithParam<WordCase> {};

// strtol with base 16 is how the word has always been read.
TEST_P(NmeaTransmittedChecksum, ReadsTheWordAsStrtolDoes)
{
    const std::string& word = GetParam().word;
    EXPECT_EQ(transmittedChecksum(word), std::strtol(word.c_str(), nullptr, 16));
}

INSTANTIATE_TEST_SUITE_P(
    Words, NmeaTransmittedChecksum,
    ::testing::Values(WordCase{"UpperCase", "7D"}, WordCase{"LowerCase", "7d"}, WordCase{"Empty", ""},
                      WordCase{"NotHex", "zz"}, WordCase{"DigitsThenJunk", "47,0,x"}, WordCase{"Prefixed", "0x47"},
                      WordCase{"PrefixWithoutDigits", "0xg"}, WordCase{"LeadingBlank", " \t47"},
                      WordCase{"TrailingCarriageReturn", "47\r"}, WordCase{"Negative", "-1"},
                      WordCase{"NegativeZero", "-0"}, WordCase{"BeyondLong", "FFFFFFFFFFFFFFFFFFFF"},
                      WordCase{"BelowLong", "-FFFFFFFFFFFFFFFFFFFFF"}, WordCase{"LongMax", "7FFFFFFFFFFFFFFF"},
                      WordCase{"LongMaxPlusOne", "8000000000000000"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Corvane::nmea
