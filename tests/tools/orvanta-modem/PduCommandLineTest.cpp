// The command lines of "orvanta-modem pdu decode|encode": what they ask the codec for, and
// the wrong ones refused before anything runs.

#include "CommandLine.h"
#include "PduCommandLine.h"

#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace Orvanta::modem {
namespace {

struct DecodeLine {
    const char* name;
    std::vector<std::string> arguments;
    std::string hex;
    std::optional<int> tpduLength;
};

class PduDecodeLine : public ::testing::TestWithParam<DecodeLine> {};

TEST_P(PduDecodeLine, GivesTheHexAndTheLength)
{
    const auto parsed = parseCommandLine(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Request>(parsed)) << std::get<Failure>(parsed).reason;
    const Request& request = std::get<Request>(parsed);
    EXPECT_EQ(request.command, Command::pduDecode);
    EXPECT_TRUE(runsWithoutCard(request.command));
    EXPECT_EQ(request.pdu.hex, GetParam().hex);
    EXPECT_EQ(request.pdu.tpduLength, GetParam().tpduLength);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PduDecodeLine,
    ::testing::Values(DecodeLine{"HexOnly", {"pdu", "decode", "0791AA"}, "0791AA", std::nullopt},
                      DecodeLine{"Length", {"pdu", "decode", "00AB", "--length", "1"}, "00AB", 1},
                      DecodeLine{"LengthJoinedFirst", {"pdu", "--length=0", "decode", "00"}, "00", 0},
                      DecodeLine{"JsonIsItsOnlyForm", {"--json", "pdu", "decode", "00"}, "00", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeLine {
    const char* name;
    std::vector<std::string> arguments;
    PduRequest expected;
    bool json = false;
};

PduRequest message(std::string to, std::string text)
{
    PduRequest request;
    request.destination = std::move(to);
    request.text = std::move(text);
    return request;
}

template <typename Change>
PduRequest with(PduRequest request, Change change)
{
    change(request);
    return request;
}

class PduEncodeLine : public ::testing::TestWithParam<EncodeLine> {};

TEST_P(PduEncodeLine, GivesTheMessageAndItsSettings)
{
    const auto parsed = parseCommandLine(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Request>(parsed)) << std::get<Failure>(parsed).reason;
    const Request& request = std::get<Request>(parsed);
    const PduRequest& expected = GetParam().expected;
    EXPECT_EQ(request.command, Command::pduEncode);
    EXPECT_EQ(request.json, GetParam().json);
    EXPECT_EQ(request.pdu.destination, expected.destination);
    EXPECT_EQ(request.pdu.text, expected.text);
    EXPECT_EQ(request.pdu.textFromInput, expected.textFromInput);
    EXPECT_EQ(request.pdu.serviceCentre, expected.serviceCentre);
    EXPECT_EQ(request.pdu.coding, expected.coding);
    EXPECT_EQ(request.pdu.messageClass, expected.messageClass);
    EXPECT_EQ(request.pdu.validityPeriod, expected.validityPeriod);
    EXPECT_EQ(request.pdu.statusReportRequest, expected.statusReportRequest);
    EXPECT_EQ(request.pdu.replyPath, expected.replyPath);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PduEncodeLine,
    ::testing::Values(
        EncodeLine{"Plain", {"pdu", "encode", "--to", "+4915112345678", "--text", "hi"},
                   message("+4915112345678", "hi")},
        EncodeLine{"TextFromInput", {"pdu", "encode", "--to=123", "--text", "-"},
                   with(message("123", ""), [](PduRequest& r) { r.textFromInput = true; })},
        // A text that starts like an option is still the text.
        EncodeLine{"TextLikeAnOption", {"pdu", "encode", "--to", "123", "--text", "--json"},
                   message("123", "--json")},
        EncodeLine{"EmptyText", {"pdu", "encode", "--to", "123", "--text="}, message("123", "")},
        EncodeLine{"Everything",
                   {"pdu", "encode", "--to", "*100#", "--text", "x", "--smsc", "+49171", "--coding", "ucs2",
                    "--class", "0", "--validity", "255", "--status-report", "--reply-path"},
                   with(message("*100#", "x"),
                        [](PduRequest& r) {
                            r.serviceCentre = "+49171";
                            r.coding = SMS::kCodingUcs2;
                            r.messageClass = 0;
                            r.validityPeriod = 255;
                            r.statusReportRequest = true;
                            r.replyPath = true;
                        })},
        EncodeLine{"EightBitClassThree", {"pdu", "encode", "--coding=8bit", "--class=3", "--to", "1", "--text", "t"},
                   with(message("1", "t"),
                        [](PduRequest& r) {
                            r.coding = SMS::kCoding8bit;
                            r.messageClass = 3;
                        })},
        EncodeLine{"Json", {"pdu", "encode", "--json", "--to", "1", "--text", "t", "--validity", "0"},
                   with(message("1", "t"), [](PduRequest& r) { r.validityPeriod = 0; }), true}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedPduLine {
    const char* name;
    std::vector<std::string> arguments;
    const char* reason; // a part of the reason given
};

class PduLineRefused : public ::testing::TestWithParam<RefusedPduLine> {};

TEST_P(PduLineRefused, AsAWrongCommandLineWithItsReason)
{
    const auto parsed = parseCommandLine(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Failure>(parsed));
    const Failure& failure = std::get<Failure>(parsed);
    EXPECT_EQ(failure.code, ExitCode::usage);
    EXPECT_NE(failure.reason.find(GetParam().reason), std::string::npos) << failure.reason;
    EXPECT_EQ(failure.reason.find('\n'), std::string::npos) << "one line";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PduLineRefused,
    ::testing::Values(
        RefusedPduLine{"NoSubcommand", {"pdu"}, "pdu takes decode or encode"},
        RefusedPduLine{"UnknownSubcommand", {"pdu", "send"}, "pdu takes decode or encode"},
        RefusedPduLine{"DecodeWithoutHex", {"pdu", "decode"}, "takes the PDU"},
        RefusedPduLine{"DecodeTwoPdus", {"pdu", "decode", "00", "11"}, "unexpected argument: 11"},
        RefusedPduLine{"LengthNotANumber", {"pdu", "decode", "00", "--length", "x"}, "--length takes"},
        RefusedPduLine{"LengthNegative", {"pdu", "decode", "00", "--length=-1"}, "--length takes"},
        RefusedPduLine{"LengthTooBig", {"pdu", "decode", "00", "--length", "401"}, "--length takes"},
        RefusedPduLine{"LengthWithoutValue", {"pdu", "decode", "00", "--length"}, "--length takes a value"},
        RefusedPduLine{"EncodeOptionForDecode", {"pdu", "decode", "00", "--to", "1"}, "--to is for pdu encode"},
        RefusedPduLine{"LengthForEncode", {"pdu", "encode", "--to", "1", "--text", "t", "--length", "3"},
                       "--length is for pdu decode"},
        RefusedPduLine{"EncodeWithoutDestination", {"pdu", "encode", "--text", "t"}, "--to NUMBER"},
        RefusedPduLine{"EncodeWithoutText", {"pdu", "encode", "--to", "1"}, "--text TEXT"},
        RefusedPduLine{"DestinationWithLetters", {"pdu", "encode", "--to", "12ab", "--text", "t"}, "not a phone number"},
        RefusedPduLine{"DestinationPlusOnly", {"pdu", "encode", "--to", "+", "--text", "t"}, "not a phone number"},
        RefusedPduLine{"DestinationTooLong", {"pdu", "encode", "--to", "123456789012345678901", "--text", "t"},
                       "not a phone number"},
        RefusedPduLine{"ServiceCentreWithSpaces", {"pdu", "encode", "--to", "1", "--text", "t", "--smsc", "1 2"},
                       "not a phone number for --smsc"},
        RefusedPduLine{"UnknownCoding", {"pdu", "encode", "--to", "1", "--text", "t", "--coding", "utf8"},
                       "--coding takes gsm7, 8bit or ucs2"},
        RefusedPduLine{"ClassFour", {"pdu", "encode", "--to", "1", "--text", "t", "--class", "4"}, "--class takes"},
        RefusedPduLine{"ValidityTooBig", {"pdu", "encode", "--to", "1", "--text", "t", "--validity", "256"},
                       "--validity takes"},
        RefusedPduLine{"ExtraWord", {"pdu", "encode", "--to", "1", "--text", "t", "now"}, "unexpected argument: now"},
        RefusedPduLine{"TimeoutIsNotForPdu", {"pdu", "decode", "00", "--timeout", "5"}, "unknown option for pdu"},
        RefusedPduLine{"UnknownOption", {"pdu", "encode", "--to", "1", "--text", "t", "--flash"},
                       "unknown option for pdu: --flash"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodingNames, GoBothWays)
{
    for (const char* name : {"gsm7", "8bit", "ucs2"}) {
        const std::optional<int> coding = codingNamed(name);
        ASSERT_TRUE(coding) << name;
        EXPECT_STREQ(codingName(*coding), name);
    }
    EXPECT_EQ(codingNamed("GSM7"), std::nullopt);
    EXPECT_EQ(codingNamed(""), std::nullopt);
}

} // namespace
} // namespace Orvanta::modem
