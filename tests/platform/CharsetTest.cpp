#include "platform/Charset.h"

#include "platform/SystemError.h"

#include <gtest/gtest.h>

namespace Os {
namespace {

struct RoundTrip {
    const char* name;
    unsigned codePage;
    std::string bytes;
    std::u16string text;
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePageRoundTrip, ConvertsToUtf16AndBack)
{
    const auto& row = GetParam();
    const auto text = toUtf16(row.bytes, row.codePage);
    ASSERT_TRUE(text) << text.error();
    EXPECT_EQ(text.value(), row.text);
    const auto bytes = fromUtf16(row.text, row.codePage);
    ASSERT_TRUE(bytes) << bytes.error();
    EXPECT_EQ(bytes.value(), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Charset, CodePageRoundTrip,
    ::testing::Values(RoundTrip{"AnsiIsUtf8", kCodePageAnsi, "Gr\xc3\xbc\xc3\x9f" "e", u"Grüße"},
                      RoundTrip{"Utf8", kCodePageUtf8, "\xed\x95\x9c\xea\xb5\xad", u"한국"},
                      RoundTrip{"KoreanCodePage", kCodePageKorean, "\xc7\xd1\xb1\xb9", u"한국"},
                      RoundTrip{"KoreanCodePageKeepsAscii", kCodePageKorean, "AT+CMGS", u"AT+CMGS"},
                      RoundTrip{"BigEndianUtf16", kCodePageUtf16Be, std::string("\x00" "A" "\xd5\x5c", 4), u"A한"},
                      RoundTrip{"Empty", kCodePageKorean, "", u""}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadInput {
    const char* name;
    unsigned codePage;
    std::string bytes;
    std::u16string replaced;
};

class InvalidInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(InvalidInput, FailsWhenStrictAndIsReplacedOtherwise)
{
    const auto& row = GetParam();
    const auto strict = toUtf16(row.bytes, row.codePage, Conversion::strict);
    ASSERT_FALSE(strict);
    EXPECT_EQ(strict.error(), kErrorNoUnicodeTranslation);
    const auto lenient = toUtf16(row.bytes, row.codePage, Conversion::replace);
    ASSERT_TRUE(lenient) << lenient.error();
    EXPECT_EQ(lenient.value(), row.replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Charset, InvalidInput,
    ::testing::Values(BadInput{"StrayContinuationByte", kCodePageUtf8, "a\x80z", u"a\ufffdz"},
                      BadInput{"CutMultiByteCharacterAtEnd", kCodePageUtf8, "ab\xed\x95", u"ab\ufffd"},
                      BadInput{"KoreanLeadByteWithoutTrail", kCodePageKorean, "x\xc7", u"x\ufffd"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Charset, UnconvertibleCharacterBecomesOneQuestionMark)
{
    const auto ascii = fromUtf16(u"a한b", 20127, Conversion::replace);
    ASSERT_TRUE(ascii) << ascii.error();
    EXPECT_EQ(ascii.value(), "a?b");
    EXPECT_EQ(fromUtf16(u"a한b", 20127).error(), kErrorNoUnicodeTranslation);
}

TEST(Charset, UnknownCodePageIsAnInvalidParameter)
{
    EXPECT_FALSE(isValidCodePage(4242));
    EXPECT_TRUE(isValidCodePage(kCodePageKorean));
    EXPECT_EQ(toUtf16("abc", 4242).error(), kErrorInvalidParameter);
}

TEST(Charset, LongTextConvertsWhole)
{
    std::string bytes;
    std::u16string text;
    for (int i = 0; i < 5000; ++i) {
        bytes += "\xc7\xd1";
        text += u'한';
    }
    const auto converted = toUtf16(bytes, kCodePageKorean);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted.value(), text);
}

} // namespace
} // namespace Os
