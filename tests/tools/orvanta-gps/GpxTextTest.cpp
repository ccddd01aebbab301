// The text of a GPX file: what XML cannot carry as it is, and the times of the fixes.

#include "GpxText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Orvanta::gps {
namespace {

using namespace std::chrono;

struct EscapeCase {
    const char* name;
    std::string text;
    std::string escaped;
};

class XmlText : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(XmlText, IsMarkupFreeAndValidUtf8)
{
    EXPECT_EQ(xmlEscaped(GetParam().text), GetParam().escaped);
}

const std::string kFffd = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlText,
    ::testing::Values(
        EscapeCase{"Plain", "orvanta-gps 1.1", "orvanta-gps 1.1"},
        EscapeCase{"Markup", "a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
        EscapeCase{"AnEntityIsEscapedAgain", "&amp;", "&amp;amp;"},
        EscapeCase{"WhiteSpaceSurvivesAnAttribute", "a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        EscapeCase{"ControlCharacters", std::string("\x01" "bell\x07" "nul", 9) + std::string(1, '\0'),
                   kFffd + "bell" + kFffd + "nul" + kFffd},
        EscapeCase{"DeleteIsAnXmlCharacter", "\x7F", "\x7F"},
        EscapeCase{"MultiByteCharactersStay", "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80",
                   "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80"},
        EscapeCase{"ALatin1Byte", "M\xFCller", "M" + kFffd + "ller"},
        EscapeCase{"ACutSequence", "end\xE6\x97", "end" + kFffd + kFffd},
        EscapeCase{"AnOverlongSlash", "\xC0\xAF", kFffd + kFffd},
        EscapeCase{"ASurrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
        EscapeCase{"NonCharacterFffe", "\xEF\xBF\xBE", kFffd + kFffd + kFffd},
        EscapeCase{"BeyondUnicode", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        EscapeCase{"TheLastCharacter", "\xF4\x8F\xBF\xBD", "\xF4\x8F\xBF\xBD"}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

struct FixTimeCase {
    std::int64_t date;
    std::int64_t timeOfDay;
    std::optional<std::string> iso;
};

class FixTimeText : public ::testing::TestWithParam<FixTimeCase> {};

TEST_P(FixTimeText, IsUtcInIso8601OrNothing)
{
    EXPECT_EQ(isoFixTime(GetParam().date, GetParam().timeOfDay), GetParam().iso);
}

INSTANTIATE_TEST_SUITE_P(
    Times, FixTimeText,
    ::testing::Values(FixTimeCase{20240615, 27730000, "2024-06-15T07:42:10Z"},
                      FixTimeCase{20240615, 27730250, "2024-06-15T07:42:10.250Z"},
                      FixTimeCase{20240615, 27730005, "2024-06-15T07:42:10.005Z"},
                      FixTimeCase{20240229, 0, "2024-02-29T00:00:00Z"},
                      FixTimeCase{20241231, 86399999, "2024-12-31T23:59:59.999Z"},
                      FixTimeCase{20161231, 86400500, "2016-12-31T23:59:60.500Z"},
                      FixTimeCase{20230229, 0, std::nullopt}, FixTimeCase{20241301, 0, std::nullopt},
                      FixTimeCase{20240600, 0, std::nullopt}, FixTimeCase{240615, 0, std::nullopt},
                      FixTimeCase{20240615, -1, std::nullopt}, FixTimeCase{20240615, 86401000, std::nullopt}));

TEST(FixTimeText, CountsFromTheEpochAcrossMonthsAndYears)
{
    EXPECT_EQ(fixMilliseconds(19700101, 1), 1);
    EXPECT_EQ(fixMilliseconds(20240615, 27730000), 1718437330000);
    EXPECT_EQ(*fixMilliseconds(20250101, 0) - *fixMilliseconds(20241231, 86399000), 1000);
    EXPECT_EQ(fixMilliseconds(20240615, 86401000), std::nullopt);
}

TEST(GpxNumbers, ReadTheSameInAnyLocaleAndWithoutExponent)
{
    EXPECT_EQ(isoTime(sys_days(2024y / June / 15) + 7h + 42min + 10s + 999ms), "2024-06-15T07:42:10Z");
    EXPECT_EQ(degreesText(48.1172936666), "48.11729367");
    EXPECT_EQ(degreesText(-0.25), "-0.25000000");
    EXPECT_EQ(decimalText(521.5), "521.5");
    EXPECT_EQ(decimalText(521), "521");
    EXPECT_EQ(decimalText(-3.25), "-3.25");
    EXPECT_EQ(decimalText(1e21), "1000000000000000000000");
    EXPECT_EQ(decimalText(1e-7), "0.0000001");
}

} // namespace
} // namespace Orvanta::gps
