#include "corvane/nmea/NormalisedSentence.h"

#include "fuzz/NmeaOracles.h"

#include <gtest/gtest.h>

#include <string>

namespace Corvane::nmea {
namespace {

struct NormaliseCase {
    const char* name;
    std::string text;
    std::string normalised;
};

class NmeaNormalisedSentence : public ::testing::TestWithParam<NormaliseCase> {};

TEST_P(NmeaNormalisedSentence, FillsEveryEmptyFieldWithZero)
{
    const NormaliseCase& c = GetParam();
    EXPECT_EQ(NormalisedSentence(c.text).text(), c.normalised);
    EXPECT_EQ(Orvanta::oracle::normalisedByReplacing(c.text), c.normalised) << "the table itself follows the rule";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NmeaNormalisedSentence,
    ::testing::Values(NormaliseCase{"Nothing", "$GPVTG,1,T*00", "$GPVTG,1,T*00"},
                      NormaliseCase{"OneEmpty", "a,,b", "a,0,b"},
                      NormaliseCase{"RunOfEmpty", "a,,,,b", "a,0,0,0,b"},
                      NormaliseCase{"EmptyBeforeStar", "a,*47", "a,0*47"},
                      NormaliseCase{"RunBeforeStar", "M,,*47", "M,0,0*47"},
                      NormaliseCase{"OnlyTheFirstCommaStar", "a,*,*", "a,0*,*"},
                      NormaliseCase{"EmptyAfterStar", "a*,,", "a*,0,"},
                      NormaliseCase{"TrailingComma", "a,", "a,"},
                      NormaliseCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaNormalisedSentence, LongTextsFillInLikeShortOnes)
{
    for (const std::size_t commas : {127u, 128u, 129u, 200u, 255u, 256u, 1000u}) {
        const std::string text = "$GPGSA" + std::string(commas, ',') + "*";
        EXPECT_EQ(NormalisedSentence(text).text(), Orvanta::oracle::normalisedByReplacing(text)) << commas << " commas";
    }
}

} // namespace
} // namespace Corvane::nmea
