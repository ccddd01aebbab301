// "orvanta-gps status|on|off|watch": a user switches and reads the receiver from a
// terminal, through the same client interface as the tray tool.

#include "tests/sim/SimTestSupport.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

struct ToolRun {
    std::vector<std::string> lines;
    int exitCode = -1;

    bool has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::size_t count(const std::string& prefix) const
    {
        return static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
    }
};

class GpsCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(card.start({"--ttff", "0", "--rate", "4"})); }

    // Starts the tool on the card; standard output and error both come through the pipe.
    void spawn(Os::Process& tool, const std::vector<std::string>& arguments)
    {
        Os::Process::Options options;
        options.pipeOutput = true;
        std::vector<std::string> command{"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + card.simDir().string(),
                                         "XDG_RUNTIME_DIR=" + runtime.path().string(), "sh", "-c",
                                         "exec \"$0\" \"$@\" 2>&1", ORVANTA_GPS_TOOL};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(tool.spawn("env", command, options), 0);
    }

    // Reads lines until `enough` holds or the output ends.
    static void read(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough = nullptr)
    {
        while (!(enough && enough(run))) {
            const std::optional<std::string> line = readLine(tool.outputFd(), 30s);
            if (!line)
                break;
            run.lines.push_back(*line);
        }
    }

    static void finish(Os::Process& tool, ToolRun& run)
    {
        read(tool, run);
        tool.waitForExit(30s);
        if (const auto status = tool.exitStatus(); status && !status->bySignal)
            run.exitCode = status->code;
    }

    ToolRun run(const std::vector<std::string>& arguments)
    {
        Os::Process tool;
        ToolRun result;
        spawn(tool, arguments);
        finish(tool, result);
        return result;
    }

    Cardsim::testing::CardsimProcess card;
    TestFolder runtime;
};

TEST_F(GpsCommands, OnAndOffSwitchTheReceiverAndStatusTellsWhichItIs)
{
    const std::string port = "gps data port: " + card.portOf("GPS Data");

    const ToolRun before = run({"status"});
    EXPECT_EQ(before.exitCode, 0);
    EXPECT_EQ(before.lines, (std::vector<std::string>{"gps support: yes", port, "gps: off"}));

    const ToolRun on = run({"on"});
    EXPECT_EQ(on.exitCode, 0);
    EXPECT_EQ(on.lines, std::vector<std::string>{"gps: active"});
    EXPECT_NE(card.control("status").find("receiver=on"), std::string::npos);
    EXPECT_TRUE(run({"status"}).has("gps: active"));

    const ToolRun off = run({"off"});
    EXPECT_EQ(off.exitCode, 0);
    EXPECT_EQ(off.lines, std::vector<std::string>{"gps: off"});
    EXPECT_NE(card.control("status").find("receiver=off"), std::string::npos);
    EXPECT_TRUE(run({"status"}).has("gps: off"));
}

TEST_F(GpsCommands, WatchPrintsEachFixOnceUntilInterruptedAndStopsReading)
{
    Os::Process tool;
    ToolRun watch;
    spawn(tool, {"watch"});
    read(tool, watch, [](const ToolRun& r) { return r.count("position: ") >= 3; });
    ASSERT_GE(watch.count("position: "), 3u) << ::testing::PrintToString(watch.lines);
    ASSERT_EQ(tool.sendSignal(SIGINT), 0);
    finish(tool, watch);

    EXPECT_EQ(watch.exitCode, 0) << ::testing::PrintToString(watch.lines);
    EXPECT_TRUE(watch.has("gps support: yes"));
    EXPECT_TRUE(watch.has("gps: reading"));
    EXPECT_EQ(watch.lines.back(), "gps: active") << ::testing::PrintToString(watch.lines);
    // GGA and RMC of one fix give one line: no two neighbouring lines are the same.
    for (std::size_t i = 1; i < watch.lines.size(); ++i)
        EXPECT_NE(watch.lines[i], watch.lines[i - 1]);
    // Reading stopped; the receiver stays on.
    EXPECT_NE(card.control("status").find("receiver=on"), std::string::npos);
}

TEST_F(GpsCommands, WatchShowsNoPositionWhileTheReceiverLooksForAFix)
{
    // Without a fix the position fields are empty; they must not show as 0, 0.
    ASSERT_NE(card.control("lose-fix").find("OK"), std::string::npos);
    Os::Process tool;
    ToolRun watch;
    spawn(tool, {"watch"});
    read(tool, watch, [](const ToolRun& r) { return r.has("gps: searching"); });
    ASSERT_TRUE(watch.has("gps: searching")) << ::testing::PrintToString(watch.lines);
    ASSERT_NE(card.control("regain-fix").find("OK"), std::string::npos);
    read(tool, watch, [](const ToolRun& r) { return r.count("position: ") >= 1; });
    ASSERT_EQ(tool.sendSignal(SIGINT), 0);
    finish(tool, watch);

    const auto first = std::find_if(watch.lines.begin(), watch.lines.end(),
                                    [](const std::string& line) { return line.rfind("position: ", 0) == 0; });
    ASSERT_NE(first, watch.lines.end()) << ::testing::PrintToString(watch.lines);
    EXPECT_EQ(first->rfind("position: 48.1", 0), 0u) << *first;
}

TEST_F(GpsCommands, WithoutACardEachCommandSaysSoAndFails)
{
    ASSERT_NE(card.control("unplug").find("OK"), std::string::npos);
    for (const char* command : {"status", "on", "off", "watch"}) {
        const ToolRun result = run({command, "1"});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.has("orvanta-gps: no card with a GPS receiver was found within 1 s"))
            << command << ": " << ::testing::PrintToString(result.lines);
    }
}

TEST_F(GpsCommands, ACardWithoutReceiverIsNamedAsSuch)
{
    Cardsim::testing::CardsimProcess plain;
    ASSERT_NE(card.control("unplug").find("OK"), std::string::npos);
    ASSERT_TRUE(plain.start({"--profile", "no-gps"}));
    Os::Process tool;
    Os::Process::Options options;
    options.pipeOutput = true;
    ASSERT_EQ(tool.spawn("env",
                         {"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + plain.simDir().string(),
                          "XDG_RUNTIME_DIR=" + runtime.path().string(), "sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                          ORVANTA_GPS_TOOL, "on", "10"},
                         options),
              0);
    ToolRun result;
    finish(tool, result);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.has("orvanta-gps: the card has no GPS receiver")) << ::testing::PrintToString(result.lines);
}

} // namespace
} // namespace Orvanta::testing
