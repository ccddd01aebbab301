// What a client of the position server sends, read: commands cut out of the bytes as
// they come, each command understood or answered with a reason, and ?WATCH's settings.

#include "ClientCommand.h"
#include "CommandReader.h"
#include "ProtocolReports.h"
#include "WatchSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Orvanta::gps {
namespace {

// A command as a test writes it: "!" for one that was too long.
std::vector<std::string> framed(CommandReader& reader, const std::vector<std::string>& packets)
{
    std::vector<std::string> commands;
    for (const std::string& packet : packets)
        for (const ClientInput& input : reader.feed(packet))
            commands.push_back(input.kind == ClientInput::Kind::tooLong ? "!" : input.text);
    return commands;
}

struct Framing {
    const char* name;
    std::vector<std::string> packets;
    std::vector<std::string> commands;
};

class CommandFraming : public ::testing::TestWithParam<Framing> {};

TEST_P(CommandFraming, CutsCommandsAtTheirEnds)
{
    CommandReader reader;
    EXPECT_EQ(framed(reader, GetParam().packets), GetParam().commands);
}

const std::string kLong(kMostCommandBytes + 1, 'x');
const std::string kLongest = "?" + std::string(kMostCommandBytes - 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    ClientProtocol, CommandFraming,
    ::testing::Values(
        Framing{"Semicolon", {"?VERSION;"}, {"?VERSION"}},
        Framing{"SemicolonAndNewline", {"?WATCH={\"enable\":true};\n"}, {"?WATCH={\"enable\":true}"}},
        Framing{"NewlineAlone", {"?POLL\r\n"}, {"?POLL"}},
        Framing{"SeveralInOnePacket", {"?VERSION;?DEVICES;?POLL;"}, {"?VERSION", "?DEVICES", "?POLL"}},
        Framing{"SplitAcrossPackets", {"?WA", "TCH={\"ena", "ble\":true}", ";"}, {"?WATCH={\"enable\":true}"}},
        Framing{"NoEndYet", {"?VERSION"}, {}},
        Framing{"BlanksAndEmptyCommandsLeftOut", {" \r\n;;  ?VERSION ;\n\n"}, {"?VERSION"}},
        Framing{"SemicolonInsideAJsonString", {"?WATCH={\"device\":\"/dev/a;b\"};"}, {"?WATCH={\"device\":\"/dev/a;b\"}"}},
        Framing{"EscapedQuoteKeepsTheString", {"?WATCH={\"device\":\"a\\\";b\"};"}, {"?WATCH={\"device\":\"a\\\";b\"}"}},
        Framing{"NewlineEndsAnOpenString", {"?WATCH={\"device\":\"a\n?VERSION;"}, {"?WATCH={\"device\":\"a", "?VERSION"}},
        Framing{"LongestTaken", {kLongest + ";"}, {kLongest}},
        Framing{"TooLongReportedOnceAndDropped", {kLong, kLong, ";?VERSION;"}, {"!", "?VERSION"}},
        Framing{"TooLongEndedByNewline", {kLong + "\n?POLL\n"}, {"!", "?POLL"}}),
    [](const ::testing::TestParamInfo<Framing>& info) { return std::string(info.param.name); });

struct CommandCase {
    const char* name;
    std::string text;
    ClientCommand::Kind kind;
    std::string problemStart; // for errors
};

class CommandParsing : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandParsing, TellsTheRequestOrWhatIsWrong)
{
    const ClientCommand command = parseClientCommand(GetParam().text);
    EXPECT_EQ(command.kind, GetParam().kind);
    if (GetParam().kind == ClientCommand::Kind::error)
        EXPECT_EQ(command.problem.rfind(GetParam().problemStart, 0), 0u) << command.problem;
    else
        EXPECT_TRUE(command.problem.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ClientProtocol, CommandParsing,
    ::testing::Values(
        CommandCase{"Version", "?VERSION", ClientCommand::Kind::version, ""},
        CommandCase{"Devices", "?DEVICES", ClientCommand::Kind::devices, ""},
        CommandCase{"Device", "?DEVICE", ClientCommand::Kind::device, ""},
        CommandCase{"Watch", "?WATCH", ClientCommand::Kind::watch, ""},
        CommandCase{"WatchWithObject", "?WATCH={\"enable\":true,\"json\":true}", ClientCommand::Kind::watch, ""},
        CommandCase{"Poll", "?POLL", ClientCommand::Kind::poll, ""},
        CommandCase{"Unknown", "?FROB", ClientCommand::Kind::error, "unrecognized request '?FROB'"},
        CommandCase{"NoQuestionMark", "hello", ClientCommand::Kind::error, "unrecognized request 'hello'"},
        CommandCase{"LowerCase", "?watch", ClientCommand::Kind::error, "unrecognized request"},
        CommandCase{"Binary", std::string("\x01\xff?", 3), ClientCommand::Kind::error, "unrecognized request '??\?'"},
        CommandCase{"InvalidJson", "?WATCH={\"enable\":tru}", ClientCommand::Kind::error, "invalid JSON in ?WATCH"},
        CommandCase{"TrailingGarbage", "?WATCH={}x", ClientCommand::Kind::error, "invalid JSON"},
        CommandCase{"NotAnObject", "?WATCH=[true]", ClientCommand::Kind::error, "?WATCH wants a JSON object"},
        CommandCase{"ArgumentWhereNoneIsTaken", "?POLL={}", ClientCommand::Kind::error, "?POLL takes no argument"}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

struct WatchCase {
    const char* name;
    std::vector<std::string> requests; // applied in turn to a fresh client
    std::string problemStart;          // of the last request; "" when all are taken
    bool reports;
    bool sentences;
    int raw;
};

class WatchRequests : public ::testing::TestWithParam<WatchCase> {};

TEST_P(WatchRequests, ChangeOnlyWhatTheyName)
{
    WatchSettings settings;
    std::string problem;
    for (const std::string& request : GetParam().requests)
        problem = applyWatchRequest(settings, nlohmann::json::parse(request));
    EXPECT_EQ(problem.rfind(GetParam().problemStart, 0), 0u) << problem;
    EXPECT_EQ(GetParam().problemStart.empty(), problem.empty()) << problem;
    EXPECT_EQ(settings.wantsReports(), GetParam().reports);
    EXPECT_EQ(settings.wantsSentences(), GetParam().sentences);
    EXPECT_EQ(settings.raw, GetParam().raw);
}

INSTANTIATE_TEST_SUITE_P(
    ClientProtocol, WatchRequests,
    ::testing::Values(
        WatchCase{"EnableJson", {R"({"enable":true,"json":true})"}, "", true, false, 0},
        WatchCase{"EnableAloneMeansJson", {R"({"enable":true})"}, "", true, false, 0},
        WatchCase{"NmeaAlone", {R"({"enable":true,"nmea":true})"}, "", false, true, 0},
        WatchCase{"JsonAndNmea", {R"({"enable":true,"json":true,"nmea":true})"}, "", true, true, 0},
        WatchCase{"RawOne", {R"({"enable":true,"raw":1})"}, "", false, true, 1},
        WatchCase{"RawTwo", {R"({"enable":true,"raw":2})"}, "", false, true, 2},
        WatchCase{"RawAsBoolean", {R"({"enable":true,"raw":true})"}, "", false, true, 1},
        WatchCase{"JsonWithoutEnableSendsNothing", {R"({"json":true})"}, "", false, false, 0},
        WatchCase{"DisableKeepsTheRest",
                  {R"({"enable":true,"json":true,"nmea":true})", R"({"enable":false})"}, "", false, false, 0},
        WatchCase{"OthersAcceptedAndIgnored",
                  {R"({"enable":true,"json":true,"scaled":true,"timing":false,"split24":true,"pps":true,)"
                   R"("device":"/dev/pts/3","unknown":[1,2]})"},
                  "", true, false, 0},
        WatchCase{"WrongTypeRefusedWholly", {R"({"enable":"yes","json":true})"}, "WATCH \"enable\"", false, false, 0},
        WatchCase{"RawOutOfRange", {R"({"enable":true,"raw":3})"}, "WATCH \"raw\"", false, false, 0},
        WatchCase{"RawFraction", {R"({"enable":true,"raw":0.5})"}, "WATCH \"raw\"", false, false, 0},
        WatchCase{"DeviceNotText", {R"({"enable":true,"device":7})"}, "WATCH \"device\"", false, false, 0},
        WatchCase{"RefusedRequestLeavesTheLastOne",
                  {R"({"enable":true,"nmea":true})", R"({"enable":false,"raw":"x"})"}, "WATCH \"raw\"", false, true,
                  0}),
    [](const ::testing::TestParamInfo<WatchCase>& info) { return std::string(info.param.name); });

TEST(ClientProtocol, WatchReportEchoesEverySetting)
{
    WatchSettings settings;
    ASSERT_EQ(applyWatchRequest(settings, nlohmann::json::parse(R"({"enable":true,"nmea":true,"scaled":true,"device":"/dev/x"})")),
              "");
    EXPECT_EQ(reportLine(watchReport(settings)),
              "{\"class\":\"WATCH\",\"enable\":true,\"json\":false,\"nmea\":true,\"raw\":0,\"scaled\":true,"
              "\"timing\":false,\"split24\":false,\"pps\":false,\"device\":\"/dev/x\"}\r\n");
}

} // namespace
} // namespace Orvanta::gps
