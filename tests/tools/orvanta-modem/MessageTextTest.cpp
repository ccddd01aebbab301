// The text "pdu encode" takes: read from standard input as a script or a terminal gives it,
// and refused when the codec could not take it; and the TPDU length read from a PDU.

#include "MessageText.h"
#include "PduCommands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace Orvanta::modem {
namespace {

struct FileClose {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// `bytes` as a stream to read from.
std::unique_ptr<std::FILE, FileClose> streamOf(const std::string& bytes)
{
    std::unique_ptr<std::FILE, FileClose> file(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return file;
}

struct InputCase {
    const char* name;
    std::string input;
    std::string text;
};

class MessageTextFromInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(MessageTextFromInput, DropsOneFinalLineEnd)
{
    PduRequest request;
    request.textFromInput = true;
    const auto file = streamOf(GetParam().input);
    const auto text = messageTextOf(request, file.get());
    ASSERT_TRUE(std::holds_alternative<std::string>(text)) << std::get<Failure>(text).reason;
    EXPECT_EQ(std::get<std::string>(text), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MessageTextFromInput,
    ::testing::Values(InputCase{"Echoed", "hello\n", "hello"}, InputCase{"CrLf", "hello\r\n", "hello"},
                      InputCase{"NoLineEnd", "hello", "hello"}, InputCase{"Empty", "", ""},
                      InputCase{"OnlyTheLastLineEnd", "one\ntwo\n\n", "one\ntwo\n"},
                      InputCase{"KeepsInnerCarriageReturns", "a\rb\n", "a\rb"},
                      // Longer than one read.
                      InputCase{"Long", std::string(10000, 'x') + "\n", std::string(10000, 'x')},
                      InputCase{"AsLongAsAllowed", std::string(kMostInputBytes, 'y'), std::string(kMostInputBytes, 'y')}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedText {
    const char* name;
    std::string text;
    bool fromInput;
    const char* reason;
};

class MessageTextRefused : public ::testing::TestWithParam<RefusedText> {};

TEST_P(MessageTextRefused, AsAWrongCommandLine)
{
    PduRequest request;
    request.textFromInput = GetParam().fromInput;
    if (!request.textFromInput)
        request.text = GetParam().text;
    const auto file = streamOf(GetParam().text);
    const auto text = messageTextOf(request, file.get());
    ASSERT_TRUE(std::holds_alternative<Failure>(text));
    EXPECT_EQ(std::get<Failure>(text).code, ExitCode::usage);
    EXPECT_NE(std::get<Failure>(text).reason.find(GetParam().reason), std::string::npos)
        << std::get<Failure>(text).reason;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageTextRefused,
    ::testing::Values(
        RefusedText{"Latin1OnTheCommandLine", "caf\xe9", false, "not UTF-8"},
        RefusedText{"Latin1OnInput", "caf\xe9\n", true, "not UTF-8"},
        RefusedText{"NulOnInput", std::string("a\0b", 3), true, "NUL"},
        RefusedText{"LongerThanAllowed", std::string(kMostInputBytes + 1, 'z'), true, "longer than"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool wellFormed;
};

class Utf8Check : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Check, TellsWellFormedText)
{
    EXPECT_EQ(isUtf8(GetParam().bytes), GetParam().wellFormed);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Check,
    ::testing::Values(Utf8Case{"Ascii", "Hello @ 1", true}, Utf8Case{"TwoBytes", "\xc2\xa3", true},
                      Utf8Case{"ThreeBytes", "\xe2\x82\xac", true}, Utf8Case{"FourBytes", "\xf0\x9f\x98\x80", true},
                      Utf8Case{"Highest", "\xf4\x8f\xbf\xbf", true}, Utf8Case{"Empty", "", true},
                      Utf8Case{"LoneContinuation", "\x80", false}, Utf8Case{"CutShort", "\xe2\x82", false},
                      Utf8Case{"OverlongSlash", "\xc0\xaf", false}, Utf8Case{"OverlongThree", "\xe0\x80\xaf", false},
                      Utf8Case{"Surrogate", "\xed\xa0\x80", false}, Utf8Case{"AboveUnicode", "\xf4\x90\x80\x80", false},
                      Utf8Case{"FiveByteLead", "\xf8\x88\x80\x80\x80", false},
                      Utf8Case{"ContinuationMissing", "\xc2"
                                                      "A",
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

struct LengthCase {
    const char* name;
    const char* hex;
    int tpduLength;
};

class TpduLengthFromHex : public ::testing::TestWithParam<LengthCase> {};

TEST_P(TpduLengthFromHex, IsTheOctetsAfterTheServiceCentre)
{
    EXPECT_EQ(tpduLengthOf(GetParam().hex), GetParam().tpduLength);
}

INSTANTIATE_TEST_SUITE_P(
    Pdus, TpduLengthFromHex,
    ::testing::Values(LengthCase{"NoServiceCentre", "0011000A", 3}, LengthCase{"SevenOctetCentre", "07911326040000F0040B", 2},
                      LengthCase{"LowerCaseLength", "0a" "00000000000000000000" "1122", 2},
                      LengthCase{"OnlyTheCentre", "0191", 0}, LengthCase{"CentreLongerThanThePdu", "0791", 0},
                      LengthCase{"Empty", "", 0}, LengthCase{"OneDigit", "0", 0}, LengthCase{"OddLength", "001", 0},
                      LengthCase{"NotHex", "zz1122", 0}, LengthCase{"Signed", "-1112233", 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::modem
