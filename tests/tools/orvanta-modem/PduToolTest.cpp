// "orvanta-modem pdu decode|encode" run as a user runs it, without a card: messages
// encoded and read back, received PDUs decoded, and malformed ones and wrong command lines
// refused with their exit status and one line saying why.

#include "tests/platform/PlatformTestSupport.h"
#include "tests/stack/GpsToolRun.h"

#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace Orvanta::testing {
namespace {

// Exit statuses of orvanta-modem, as its --help lists them.
constexpr int kWrongCommandLine = 2;
constexpr int kMalformedPdu = 11;

std::string joined(const ToolRun& run)
{
    std::string text;
    for (const std::string& line : run.lines)
        text += line + "\n";
    return text;
}

class PduTool : public ::testing::Test {
protected:
    // Runs the tool to its end with `input` on its standard input. No card is there: the
    // simulator's folder is empty.
    ToolRun run(const std::vector<std::string>& arguments, const std::string& input = "")
    {
        Os::Process tool;
        ToolRun result;
        Launch launch;
        launch.pipeInput = true;
        spawnTool(tool, ORVANTA_MODEM_TOOL, simDir.path(), runtime.path(), arguments, launch);
        if (!input.empty()) {
            EXPECT_EQ(::write(tool.inputFd(), input.data(), input.size()), static_cast<ssize_t>(input.size()));
        }
        tool.closeInput();
        finishTool(tool, result);
        return result;
    }

    // The one JSON object of a decode that succeeded.
    nlohmann::json decoded(const std::vector<std::string>& arguments)
    {
        const ToolRun decode = run(arguments);
        EXPECT_EQ(decode.exitCode, 0) << joined(decode);
        EXPECT_EQ(decode.lines.size(), 1u) << joined(decode);
        if (decode.exitCode != 0 || decode.lines.size() != 1)
            return nlohmann::json::object();
        return nlohmann::json::parse(decode.lines.front());
    }

    TestFolder simDir;
    TestFolder runtime;
};

// One line of "pdu encode": the TPDU length and the PDU.
struct Segment {
    std::string length;
    std::string hex;
};

std::vector<Segment> segmentsOf(const ToolRun& encode)
{
    std::vector<Segment> segments;
    for (const std::string& line : encode.lines) {
        std::istringstream words(line);
        Segment segment;
        words >> segment.length >> segment.hex;
        segments.push_back(segment);
    }
    return segments;
}

std::string repeated(const std::string& piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct RoundTrip {
    const char* name;
    std::string text;
    std::vector<std::string> options; // besides --to and --text
    const char* coding;
    nlohmann::json messageClass;
    bool statusReport;
    std::size_t segments;
};

class PduRoundTrip : public PduTool, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(PduRoundTrip, DecodesBackToTheTextAndItsSettings)
{
    const RoundTrip& trip = GetParam();
    std::vector<std::string> arguments{"pdu", "encode", "--to", "+4915112345678", "--text", trip.text};
    arguments.insert(arguments.end(), trip.options.begin(), trip.options.end());
    const ToolRun encode = run(arguments);
    ASSERT_EQ(encode.exitCode, 0) << joined(encode);
    const std::vector<Segment> segments = segmentsOf(encode);
    ASSERT_EQ(segments.size(), trip.segments) << joined(encode);

    std::string text;
    std::optional<nlohmann::json> reference;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        SCOPED_TRACE("segment " + std::to_string(i + 1));
        const nlohmann::json message = decoded({"pdu", "decode", segments[i].hex, "--length", segments[i].length});
        ASSERT_FALSE(message.empty());
        EXPECT_EQ(message.at("type"), "submit");
        EXPECT_EQ(message.at("number"), "+4915112345678");
        EXPECT_EQ(message.at("coding"), trip.coding);
        EXPECT_EQ(message.at("class"), trip.messageClass);
        EXPECT_EQ(message.at("status_report_request"), trip.statusReport);
        EXPECT_EQ(message.at("udh"), segments.size() > 1);
        EXPECT_EQ(message.at("parts"), segments.size());
        EXPECT_EQ(message.at("part"), i + 1);
        if (segments.size() > 1) {
            // Every segment of one message carries the same reference.
            if (!reference)
                reference = message.at("reference");
            EXPECT_EQ(message.at("reference"), *reference);
        }
        text += message.at("text").get<std::string>();
    }
    EXPECT_EQ(text, trip.text);
}

const std::string kLongGsm = repeated("The quick brown fox jumps over the lazy dog; ", 7).substr(0, 300);

INSTANTIATE_TEST_SUITE_P(
    Messages, PduRoundTrip,
    ::testing::Values(
        RoundTrip{"Gsm7WithEscapes", "Hello @ 100 \xe2\x82\xac [x] {y} ~ \xc2\xa3 \xce\x94", {}, "gsm7", nullptr, false, 1},
        RoundTrip{"Ucs2", "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe4\xbd\xa0\xe5\xa5\xbd \xf0\x9f\x98\x80",
                  {"--coding", "ucs2"}, "ucs2", nullptr, false, 1},
        RoundTrip{"EightBit", "\xec\x95\x88\xeb\x85\x95\xed\x95\x98\xec\x84\xb8\xec\x9a\x94 hello", {"--coding", "8bit"},
                  "8bit", nullptr, false, 1},
        RoundTrip{"LongGsm7InParts", kLongGsm, {}, "gsm7", nullptr, false, 2},
        RoundTrip{"LongUcs2InParts", repeated("\xd0\x96", 100), {"--coding", "ucs2"}, "ucs2", nullptr, false, 2},
        // 683 septets: four segments of 153 and one of 71.
        RoundTrip{"AsLongAsAMessageHolds", std::string(SMS::kTextCapacity - 1, 'a'), {}, "gsm7", nullptr, false, 5},
        RoundTrip{"FlashClass0", "flash", {"--class", "0"}, "gsm7", 0, false, 1},
        RoundTrip{"Class3WithStatusReport", "report me", {"--class", "3", "--status-report"}, "gsm7", 3, true, 1},
        RoundTrip{"LongWithClassAndReport", kLongGsm, {"--class", "1", "--status-report", "--smsc", "+491710760000"},
                  "gsm7", 1, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PduTool, EncodeTakesTheServiceCentreAndTheFlagsIntoThePdu)
{
    const ToolRun encode = run({"pdu", "encode", "--to", "123", "--text", "x", "--smsc", "+491710760000",
                                "--validity", "167", "--reply-path", "--status-report"});
    ASSERT_EQ(encode.exitCode, 0) << joined(encode);
    const std::vector<Segment> segments = segmentsOf(encode);
    ASSERT_EQ(segments.size(), 1u);
    // Service centre: 7 octets, international, semi-octets; then the first octet with the
    // reply path (0x80), the status-report request (0x20) and a relative validity (0x10).
    EXPECT_TRUE(segments[0].hex.starts_with("0791947101670000B1")) << segments[0].hex;
    EXPECT_EQ(std::stoi(segments[0].length) * 2 + 16, static_cast<int>(segments[0].hex.size()));
    const nlohmann::json message = decoded({"pdu", "decode", segments[0].hex});
    EXPECT_EQ(message.at("smsc"), "+491710760000");
    EXPECT_EQ(message.at("reply_path"), true);
    EXPECT_EQ(message.at("status_report_request"), true);
}

TEST_F(PduTool, EncodeReadsALongTextFromStandardInputAndWritesJsonOnRequest)
{
    const ToolRun fromArgument = run({"pdu", "encode", "--to", "123", "--text", kLongGsm});
    const ToolRun fromInput = run({"pdu", "encode", "--to", "123", "--text", "-"}, kLongGsm + "\n");
    ASSERT_EQ(fromInput.exitCode, 0) << joined(fromInput);
    EXPECT_EQ(fromInput.lines, fromArgument.lines);

    const ToolRun json = run({"pdu", "encode", "--json", "--to", "123", "--text", "-"}, kLongGsm);
    ASSERT_EQ(json.exitCode, 0) << joined(json);
    const std::vector<Segment> plain = segmentsOf(fromArgument);
    ASSERT_EQ(json.lines.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const nlohmann::json segment = nlohmann::json::parse(json.lines[i]);
        EXPECT_EQ(segment.at("segment"), i + 1);
        EXPECT_EQ(segment.at("segments"), plain.size());
        EXPECT_EQ(segment.at("length"), std::stoi(plain[i].length));
        EXPECT_EQ(segment.at("pdu"), plain[i].hex);
    }
}

struct LossyText {
    const char* name;
    std::string text;
    const char* coding;
    bool warned;
};

class PduLossyText : public PduTool, public ::testing::WithParamInterface<LossyText> {};

TEST_P(PduLossyText, IsEncodedWithAWarning)
{
    const ToolRun encode = run({"pdu", "encode", "--to", "123", "--coding", GetParam().coding, "--text", GetParam().text});
    EXPECT_EQ(encode.exitCode, 0) << joined(encode);
    EXPECT_EQ(encode.count("orvanta-modem: warning: "), GetParam().warned ? 1u : 0u) << joined(encode);
    EXPECT_EQ(encode.lines.size() - encode.count("orvanta-modem: "), 1u) << "one segment: " << joined(encode);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PduLossyText,
    ::testing::Values(LossyText{"EmojiInGsm7", "a\xf0\x9f\x98\x80" "b", "gsm7", true},
                      LossyText{"CyrillicInGsm7", "\xd0\x96", "gsm7", true},
                      LossyText{"EmojiInCodePage949", "a\xf0\x9f\x98\x80" "b", "8bit", true},
                      LossyText{"EmojiInUcs2", "a\xf0\x9f\x98\x80" "b", "ucs2", false},
                      LossyText{"GreekCapitalsInGsm7", "\xce\x94\xce\xa6\xce\x93", "gsm7", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The rows of the shared PDU vectors, by their id.
std::map<std::string, std::string> vectorsById()
{
    std::map<std::string, std::string> rows;
    std::ifstream file(ORVANTA_SMS_VECTORS);
    std::string line;
    std::getline(file, line); // the header
    while (std::getline(file, line)) {
        const std::size_t id = line.find("id=");
        if (id == std::string::npos)
            continue;
        const std::size_t end = line.find(';', id);
        rows[line.substr(id + 3, end - id - 3)] = line.substr(0, line.find('\t'));
    }
    return rows;
}

struct Vector {
    const char* id;
    nlohmann::json expected; // the fields the decode must hold, among others
};

class PduVector : public PduTool, public ::testing::WithParamInterface<Vector> {};

TEST_P(PduVector, DecodesToItsFields)
{
    static const std::map<std::string, std::string> vectors = vectorsById();
    const auto pdu = vectors.find(GetParam().id);
    ASSERT_NE(pdu, vectors.end()) << GetParam().id << " is not among " << ORVANTA_SMS_VECTORS;
    const nlohmann::json message = decoded({"pdu", "decode", pdu->second});
    for (const auto& [key, value] : GetParam().expected.items()) {
        ASSERT_TRUE(message.contains(key)) << key << " in " << message.dump();
        EXPECT_EQ(message.at(key), value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, PduVector,
    ::testing::Values(
        Vector{"pdu1",
               {{"type", "deliver"},
                {"smsc", "+12404492164"},
                {"number", "+16175927198"},
                {"text", "Here's a longer message [{with some extended characters}] thrown in, such as \xc2\xa3 and "
                         "\xce\xa9\xce\xa0\xce\xa8 and \xc2\xa7\xc2\xbf as well."},
                {"coding", "gsm7"},
                {"class", nullptr},
                {"timestamp", "11/02/28,11:50:50-20"},
                {"udh", false}}},
        Vector{"pdu2",
               {{"number", "InternetSMS"},
                {"text", "\xd1\x82\xd0\xb5\xd1\x81\xd1\x82"},
                {"coding", "ucs2"},
                {"timestamp", "11/03/29,19:20:04+16"}}},
        Vector{"pdu3-nonzero-pid", {{"number", "+18005551212"}, {"text", "hellohello"}, {"pid", 255}}},
        Vector{"pdu3-8bit", {{"coding", "8bit"}, {"user_data", "E8329BFD4697D9EC37DE"}, {"parts", 1}, {"part", 1}}},
        Vector{"pdu-dcsf-8bit", {{"coding", "8bit"}, {"class", 0}, {"user_data", "E8329BFD4697D9EC37DE"}}},
        Vector{"pdu-dcsf1", {{"number", "1800"}, {"class", 1}, {"coding", "gsm7"}}},
        Vector{"pdu-udhi", {{"udh", true}, {"reference", 16}, {"parts", 2}, {"part", 1}, {"pid", 57}}},
        Vector{"pdu-multipart-2",
               {{"udh", true},
                {"reference", 76},
                {"parts", 2},
                {"part", 2},
                {"text", "that the parts are related to one another. "},
                {"timestamp", "12/04/25,19:56:51-16"}}},
        Vector{"pdu-stored-by-us",
               {{"type", "submit"}, {"number", "639337937"}, {"coding", "ucs2"}, {"status_report_request", true}}},
        Vector{"pdu-status-report",
               {{"type", "status-report"},
                {"smsc", "+34656000311"},
                {"number", "639337937"},
                {"timestamp", "12/09/11,07:40:36+08"},
                {"discharge_time", "12/09/11,07:40:36+08"},
                {"status", 48}}},
        Vector{"create-gsm-no-smsc",
               {{"type", "submit"},
                {"number", "+15555551234"},
                {"text", "Hi there...Tue 17th Jan 2012 05:30.18 pm (GMT+1) \xce\x94\xce\x94\xce\x94\xce\x94\xce\x94"}}},
        Vector{"cmgr-telit", {{"number", "+16122001127"}, {"text", "Darmok! Darmok and Jalad at Tanagra"}}}),
    [](const auto& info) {
        std::string name = info.param.id;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

struct Malformed {
    const char* name;
    std::vector<std::string> arguments;
    const char* reason; // a part of the codec's message
};

class PduMalformed : public PduTool, public ::testing::WithParamInterface<Malformed> {};

TEST_P(PduMalformed, ExitsWithItsStatusAndTheCodecsMessage)
{
    const ToolRun decode = run(GetParam().arguments);
    EXPECT_EQ(decode.exitCode, kMalformedPdu) << joined(decode);
    ASSERT_EQ(decode.lines.size(), 1u) << joined(decode);
    EXPECT_TRUE(decode.lines[0].starts_with("orvanta-modem: ")) << decode.lines[0];
    EXPECT_NE(decode.lines[0].find(GetParam().reason), std::string::npos) << decode.lines[0];
}

INSTANTIATE_TEST_SUITE_P(
    Pdus, PduMalformed,
    ::testing::Values(
        Malformed{"Empty", {"pdu", "decode", ""}, "too short or has an odd length"},
        Malformed{"OddLength", {"pdu", "decode", "079100F40D1101000F001000B917118336058F300"}, "odd length"},
        Malformed{"NotHex", {"pdu", "decode", "07912143658709F1040B9181005515XYF2"}, "not only hexadecimal"},
        Malformed{"LengthNotReported", {"pdu", "decode", "07912143658709F1040B918100551512F20000", "--length", "30"},
                  "length is invalid"},
        Malformed{"CentreLongerThanThePdu", {"pdu", "decode", "0F91214365"}, "length is invalid"},
        Malformed{"UserDataCutShort",
                  {"pdu", "decode", "07912143658709F1040B918100551512F20000111010214365000BE8329BFD4697D9EC37"}, ""},
        Malformed{"AddressTooLong", {"pdu", "decode", "0004FF918100551512F200001110102143650001E8"},
                  "Too big address length"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WrongLine {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;
    const char* reason;
};

class PduWrongLine : public PduTool, public ::testing::WithParamInterface<WrongLine> {};

TEST_P(PduWrongLine, ExitsWithTheUsageStatusAndOneReason)
{
    const ToolRun wrong = run(GetParam().arguments, GetParam().input);
    EXPECT_EQ(wrong.exitCode, kWrongCommandLine) << joined(wrong);
    ASSERT_FALSE(wrong.lines.empty());
    EXPECT_TRUE(wrong.lines[0].starts_with("orvanta-modem: ")) << wrong.lines[0];
    EXPECT_NE(wrong.lines[0].find(GetParam().reason), std::string::npos) << wrong.lines[0];
    EXPECT_EQ(wrong.count("orvanta-modem: "), 1u) << joined(wrong);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PduWrongLine,
    ::testing::Values(
        WrongLine{"NoDestination", {"pdu", "encode", "--text", "hi"}, "", "--to NUMBER"},
        WrongLine{"UnknownCoding", {"pdu", "encode", "--to", "1", "--text", "hi", "--coding", "7bit"}, "",
                  "--coding takes"},
        WrongLine{"ClassOutOfRange", {"pdu", "encode", "--to", "1", "--text", "hi", "--class", "5"}, "", "--class"},
        WrongLine{"NotUtf8OnInput", {"pdu", "encode", "--to", "1", "--text", "-"}, "caf\xe9\n", "not UTF-8"},
        WrongLine{"InputTooLong", {"pdu", "encode", "--to", "1", "--text", "-"}, std::string(70000, 'a'),
                  "longer than"},
        WrongLine{"TextLongerThanAMessageHolds", {"pdu", "encode", "--to", "1", "--text", "-"},
                  std::string(SMS::kTextCapacity, 'a'), "longer than a message holds"},
        WrongLine{"DecodeWithoutPdu", {"pdu", "decode"}, "", "takes the PDU"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PduTool, HelpListsTheCommandsAndTheirExitStatus)
{
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.mentions("orvanta-modem pdu decode HEX")) << joined(help);
    EXPECT_TRUE(help.mentions("orvanta-modem pdu encode --to NUMBER --text TEXT|-")) << joined(help);
    EXPECT_TRUE(help.mentions("  --reply-path")) << joined(help);
    EXPECT_TRUE(help.has("  11   a malformed PDU (pdu decode)")) << joined(help);
}

} // namespace
} // namespace Orvanta::testing
