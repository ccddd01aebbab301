// "orvanta-gps status|on|off|watch": a user switches and reads the receiver from a
// terminal, through the same client interface as the tray tool.

#include "tests/sim/SimTestSupport.h"
#include "tests/stack/GpsToolRun.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

class GpsCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(card.start({"--ttff", "0", "--rate", "4"})); }

    // Starts the tool on the card; standard output and error both come through the pipe.
    void spawn(Os::Process& tool, const std::vector<std::string>& arguments, const Launch& launch = {})
    {
        spawnGpsTool(tool, card.simDir(), runtime.path(), arguments, launch);
    }

    static bool readWithin(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough,
                           std::chrono::milliseconds patience)
    {
        return readToolWithin(tool, run, enough, patience);
    }

    static void read(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough = nullptr)
    {
        readTool(tool, run, enough);
    }

    static void finish(Os::Process& tool, ToolRun& run) { finishTool(tool, run); }

    ToolRun run(const std::vector<std::string>& arguments, const Launch& launch = {})
    {
        Os::Process tool;
        ToolRun result;
        spawn(tool, arguments, launch);
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
    EXPECT_TRUE(run({"status"}).showsReceiver("gps: active"));

    const ToolRun off = run({"off"});
    EXPECT_EQ(off.exitCode, 0);
    EXPECT_EQ(off.lines, std::vector<std::string>{"gps: off"});
    EXPECT_NE(card.control("status").find("receiver=off"), std::string::npos);
    EXPECT_TRUE(run({"status"}).has("gps: off"));
}

// A watch ended by the user leaves the receiver as it found it, unless told to keep it on.
struct WatchEnding {
    const char* name;
    bool onBefore; // switched on by "orvanta-gps on" before the watch
    std::vector<std::string> options;
    int signal;
    const char* after; // the watch's last line, which status then tells too
    const char* cardSays;
};

class WatchEnd : public GpsCommands, public ::testing::WithParamInterface<WatchEnding> {};

TEST_P(WatchEnd, PutsTheReceiverBackWithinTheStopPatience)
{
    const WatchEnding& ending = GetParam();
    if (ending.onBefore) {
        ASSERT_EQ(run({"on"}).exitCode, 0);
    }
    std::vector<std::string> arguments{"watch"};
    arguments.insert(arguments.end(), ending.options.begin(), ending.options.end());
    Os::Process tool;
    ToolRun watch;
    spawn(tool, arguments);
    ASSERT_TRUE(readWithin(tool, watch, [](const ToolRun& r) { return r.count("position: ") >= 3; }, 20s))
        << ::testing::PrintToString(watch.lines);
    ASSERT_EQ(tool.sendSignal(ending.signal), 0);
    const auto signalled = std::chrono::steady_clock::now();
    finish(tool, watch);
    // The watch waits at most 3 s for the receiver; closing the library takes a moment.
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 6s);

    EXPECT_EQ(watch.exitCode, 0) << ::testing::PrintToString(watch.lines);
    EXPECT_TRUE(watch.has("gps support: yes"));
    EXPECT_TRUE(watch.has("gps: reading"));
    EXPECT_EQ(watch.lines.back(), ending.after) << ::testing::PrintToString(watch.lines);
    // GGA and RMC of one fix give one line: no two neighbouring lines are the same.
    for (std::size_t i = 1; i < watch.lines.size(); ++i)
        EXPECT_NE(watch.lines[i], watch.lines[i - 1]);
    const ToolRun status = run({"status"});
    EXPECT_TRUE(status.showsReceiver(ending.after)) << ::testing::PrintToString(status.lines);
    EXPECT_NE(card.control("status").find(ending.cardSays), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    GpsCommands, WatchEnd,
    ::testing::Values(WatchEnding{"ReceiverFoundOffIsSwitchedOffAgain", false, {}, SIGINT, "gps: off", "receiver=off"},
                      WatchEnding{"KeepOnLeavesItOn", false, {"--keep-on"}, SIGINT, "gps: active", "receiver=on"},
                      WatchEnding{"ReceiverFoundOnStaysOnButIsNotRead", true, {}, SIGTERM, "gps: active",
                                  "receiver=on"}),
    [](const ::testing::TestParamInfo<WatchEnding>& info) { return std::string(info.param.name); });

// The card goes and comes back while a watch runs: the positions go on, and one line tells
// of each gap.
struct CardGap {
    const char* name;
    std::vector<std::string> commands; // to the card; each after the watch saw the last take effect
    const char* cause;
};

class WatchGap : public GpsCommands, public ::testing::WithParamInterface<CardGap> {};

TEST_P(WatchGap, PositionsGoOnAfterTheCardIsBackWithOneLinePerGap)
{
    const CardGap& gap = GetParam();
    Os::Process tool;
    ToolRun watch;
    spawn(tool, {"watch"});
    ASSERT_TRUE(readWithin(tool, watch, [](const ToolRun& r) { return r.count("position: ") >= 2; }, 20s))
        << ::testing::PrintToString(watch.lines);

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("gap " + std::to_string(round));
        const std::size_t before = watch.lines.size();
        for (std::size_t i = 0; i < gap.commands.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(readWithin(
                    tool, watch, [&](const ToolRun& r) { return r.find("device: removed", before) < r.lines.size(); },
                    10s))
                    << ::testing::PrintToString(watch.lines);
            }
            ASSERT_NE(card.control(gap.commands[i]).find("OK"), std::string::npos) << gap.commands[i];
        }
        const auto away = std::chrono::steady_clock::now();
        ASSERT_TRUE(readWithin(
            tool, watch,
            [&](const ToolRun& r) {
                const std::size_t back = r.find("gps support: yes", before);
                return back < r.lines.size() && r.count("position: ", back) >= 2;
            },
            15s))
            << ::testing::PrintToString(watch.lines);
        EXPECT_LT(std::chrono::steady_clock::now() - away, 10s);

        // Once per gap, after the card is back and just before the first position.
        const std::size_t back = watch.find("gps support: yes", before);
        const std::size_t line = watch.find("gap: ", before);
        EXPECT_EQ(watch.count("gap: ", before), 1u) << ::testing::PrintToString(watch.lines);
        ASSERT_LT(line, watch.lines.size());
        EXPECT_GT(line, back);
        EXPECT_EQ(watch.find("position: ", before), line + 1) << ::testing::PrintToString(watch.lines);
        EXPECT_EQ(watch.lines[line].rfind("gap: no position for ", 0), 0u) << watch.lines[line];
        EXPECT_TRUE(watch.lines[line].ends_with(gap.cause)) << watch.lines[line];
    }

    ASSERT_EQ(tool.sendSignal(SIGINT), 0);
    finish(tool, watch);
    EXPECT_EQ(watch.exitCode, 0) << ::testing::PrintToString(watch.lines);
    EXPECT_EQ(watch.count("gap: "), 2u);
}

INSTANTIATE_TEST_SUITE_P(GpsCommands, WatchGap,
                         ::testing::Values(CardGap{"Replug", {"replug"}, "(card removed)"},
                                           CardGap{"SuspendAndResume", {"suspend", "resume"}, "(suspended)"}),
                         [](const ::testing::TestParamInfo<CardGap>& info) { return std::string(info.param.name); });

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

TEST_F(GpsCommands, CardsAndStatusNameThePortsThisUserMayNotOpen)
{
    // A mode keeps out everybody but root, so the tool runs as nobody against the card's
    // ports, which stay root's with mode 0600.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to run the tool as another user";
    if (::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs setpriv, to run the tool as another user";
    // Nobody may read the card's description, though, and has a runtime folder of its own.
    namespace fs = std::filesystem;
    fs::permissions(card.simDir(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(card.descriptionFile(), fs::perms::others_read, fs::perm_options::add);
    TestFolder nobodyFolder;
    ASSERT_EQ(::chown(nobodyFolder.path().c_str(), 65534, 65534), 0);
    const Launch asNobody{{"XDG_RUNTIME_DIR=" + nobodyFolder.path().string(),
                           "XDG_DATA_HOME=" + nobodyFolder.path().string()},
                          {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"},
                          {},
                          false};
    const std::string application = card.portOf("Application");
    const std::string gpsData = card.portOf("GPS Data");
    ASSERT_FALSE(application.empty());

    const ToolRun cards = run({"cards"}, asNobody);
    EXPECT_EQ(cards.exitCode, 0);
    const std::size_t port = cards.find("application port:");
    ASSERT_LT(port + 1, cards.lines.size()) << ::testing::PrintToString(cards.lines);
    EXPECT_TRUE(cards.lines[port].ends_with(" " + application)) << cards.lines[port];
    EXPECT_NE(cards.lines[port + 1].find("permission denied on " + application), std::string::npos)
        << ::testing::PrintToString(cards.lines);

    const ToolRun status = run({"status", "5"}, asNobody);
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_TRUE(status.has("orvanta-gps: the card was found but its ports cannot be used"))
        << ::testing::PrintToString(status.lines);
    EXPECT_TRUE(status.mentions("permission denied on " + gpsData)) << ::testing::PrintToString(status.lines);
}

} // namespace
} // namespace Orvanta::testing
