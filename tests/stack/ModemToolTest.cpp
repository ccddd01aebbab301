// "orvanta-modem": a user unlocks the SIM, switches the radio, scans and selects networks
// from a terminal, against orvanta-cardsim, through the same client interface as the tray
// tool. Codes go in on standard input, as a script gives them.

#include "tests/sim/SimTestSupport.h"
#include "tests/stack/GpsToolRun.h"

#include "platform/Process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

// Exit statuses of orvanta-modem, as its --help lists them.
constexpr int kWrongCommandLine = 2;
constexpr int kNoCard = 4;
constexpr int kNoSim = 5;
constexpr int kWrongCode = 6;
constexpr int kPukNeeded = 7;
constexpr int kUnknownNetwork = 9;

class ModemTool : public ::testing::Test {
protected:
    // The card with `arguments`; a short scan keeps the network tests quick.
    void startCard(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.end(), {"--scan-delay", "300"});
        ASSERT_TRUE(card.start(arguments));
    }

    // Runs the tool to its end with `input` on its standard input.
    ToolRun run(const std::vector<std::string>& arguments, const std::string& input = "", Launch launch = {})
    {
        Os::Process tool;
        ToolRun result;
        launch.pipeInput = true;
        spawnTool(tool, ORVANTA_MODEM_TOOL, card.simDir(), runtime.path(), arguments, launch);
        if (!input.empty()) {
            EXPECT_EQ(::write(tool.inputFd(), input.data(), input.size()), static_cast<ssize_t>(input.size()));
        }
        tool.closeInput();
        finishTool(tool, result);
        return result;
    }

    std::string sim() { return card.control("sim"); }

    Cardsim::testing::CardsimProcess card;
    TestFolder runtime;
};

std::string joined(const ToolRun& run)
{
    std::string text;
    for (const std::string& line : run.lines)
        text += line + "\n";
    return text;
}

TEST_F(ModemTool, WrongPinsThenThePukUnlockTheSim)
{
    startCard({"--pin", "1234"});

    const ToolRun status = run({"pin", "status"});
    EXPECT_EQ(status.exitCode, 0) << joined(status);
    EXPECT_TRUE(status.has("sim: PIN needed, 3 attempts left")) << joined(status);

    const ToolRun first = run({"pin", "enter"}, "1111\n");
    EXPECT_EQ(first.exitCode, kWrongCode) << joined(first);
    EXPECT_TRUE(first.has("orvanta-modem: wrong PIN, 2 attempts left")) << joined(first);
    const ToolRun second = run({"pin", "enter"}, "1111\n");
    EXPECT_EQ(second.exitCode, kWrongCode) << joined(second);
    EXPECT_TRUE(second.has("orvanta-modem: wrong PIN, 1 attempt left")) << joined(second);
    const ToolRun third = run({"pin", "enter"}, "1111\n");
    EXPECT_EQ(third.exitCode, kPukNeeded) << joined(third);
    EXPECT_TRUE(third.mentions("PUK")) << joined(third);
    EXPECT_NE(sim().find("state=puk-needed"), std::string::npos);

    const ToolRun puk = run({"pin", "status"});
    EXPECT_TRUE(puk.has("sim: PUK needed, 10 attempts left")) << joined(puk);
    // A PIN is no use now.
    const ToolRun pinNow = run({"pin", "enter"}, "1234\n");
    EXPECT_EQ(pinNow.exitCode, kPukNeeded) << joined(pinNow);

    const ToolRun wrongPuk = run({"pin", "unblock"}, "87654321\n4321\n");
    EXPECT_EQ(wrongPuk.exitCode, kWrongCode) << joined(wrongPuk);
    EXPECT_TRUE(wrongPuk.has("orvanta-modem: wrong PUK, 9 attempts left")) << joined(wrongPuk);

    const ToolRun unblocked = run({"pin", "unblock"}, "12345678\n4321\n");
    EXPECT_EQ(unblocked.exitCode, 0) << joined(unblocked);
    EXPECT_TRUE(unblocked.has("pin: accepted, new PIN set")) << joined(unblocked);
    EXPECT_NE(sim().find("state=ready"), std::string::npos);

    // The new PIN is the one the SIM asks for after the next plug.
    card.control("replug");
    const ToolRun again = run({"pin", "enter"}, "4321\n");
    EXPECT_EQ(again.exitCode, 0) << joined(again);
    EXPECT_TRUE(again.has("pin: accepted")) << joined(again);
}

TEST_F(ModemTool, RightPinIsAcceptedAndTheCardRegisters)
{
    startCard({"--pin", "1234"});
    const ToolRun entered = run({"pin", "enter"}, "1234\n");
    EXPECT_EQ(entered.exitCode, 0) << joined(entered);
    EXPECT_TRUE(entered.has("pin: accepted")) << joined(entered);

    const ToolRun status = run({"status"});
    EXPECT_EQ(status.exitCode, 0) << joined(status);
    EXPECT_TRUE(status.has("sim: ready")) << joined(status);
    EXPECT_TRUE(status.has("operator: Orvanta Test Net (OTN)")) << joined(status);
    EXPECT_TRUE(status.has("mccmnc: 00101 (MCC 001, MNC 01)")) << joined(status);

    // Entered once, the PIN is not asked for again until the next plug.
    const ToolRun twice = run({"pin", "enter"});
    EXPECT_EQ(twice.exitCode, 0) << joined(twice);
    EXPECT_TRUE(twice.has("pin: not needed")) << joined(twice);
}

TEST_F(ModemTool, PinIsChangedAndItsLockSwitched)
{
    startCard({"--pin", "1234"});
    ASSERT_EQ(run({"pin", "enter"}, "1234\n").exitCode, 0);

    const ToolRun changed = run({"pin", "change"}, "1234\n5678\n");
    EXPECT_EQ(changed.exitCode, 0) << joined(changed);
    EXPECT_TRUE(changed.has("pin: changed")) << joined(changed);

    const ToolRun wrong = run({"pin", "disable"}, "1234\n");
    EXPECT_EQ(wrong.exitCode, kWrongCode) << joined(wrong);
    EXPECT_TRUE(wrong.mentions("orvanta-modem: wrong PIN")) << joined(wrong);
    EXPECT_NE(sim().find("lock=on"), std::string::npos);

    const ToolRun off = run({"pin", "disable"}, "5678\n");
    EXPECT_EQ(off.exitCode, 0) << joined(off);
    EXPECT_TRUE(off.has("pin lock: off")) << joined(off);
    EXPECT_NE(sim().find("lock=off"), std::string::npos);
    card.control("replug");
    EXPECT_TRUE(run({"pin", "status"}).has("sim: ready"));

    const ToolRun on = run({"pin", "enable"}, "5678\n");
    EXPECT_EQ(on.exitCode, 0) << joined(on);
    EXPECT_TRUE(on.has("pin lock: on")) << joined(on);
    card.control("replug");
    EXPECT_TRUE(run({"pin", "status"}).has("sim: PIN needed, 3 attempts left"));
}

TEST_F(ModemTool, CodesAreNotReadWhereThereAreNone)
{
    startCard({"--pin", "1234"});
    const ToolRun none = run({"pin", "enter"});
    EXPECT_EQ(none.exitCode, kWrongCommandLine) << joined(none);
    EXPECT_TRUE(none.has("orvanta-modem: no PIN given on standard input")) << joined(none);
    const ToolRun shape = run({"pin", "enter"}, "12a4\n");
    EXPECT_EQ(shape.exitCode, kWrongCommandLine) << joined(shape);
    EXPECT_TRUE(shape.has("orvanta-modem: a PIN is 4 to 8 digits")) << joined(shape);
    // Neither cost an attempt.
    EXPECT_NE(sim().find("pin-left=3"), std::string::npos);
}

TEST_F(ModemTool, RadioOffAndOnAgain)
{
    startCard({});
    const ToolRun off = run({"radio", "off"});
    EXPECT_EQ(off.exitCode, 0) << joined(off);
    EXPECT_TRUE(off.has("radio: off")) << joined(off);
    EXPECT_EQ(card.control("status").find("cfun=1"), std::string::npos) << "the card's radio is off";

    const ToolRun on = run({"radio", "on"});
    EXPECT_EQ(on.exitCode, 0) << joined(on);
    EXPECT_TRUE(on.has("radio: on")) << joined(on);
    EXPECT_NE(card.control("status").find("cfun=1"), std::string::npos) << "the card's radio is on";
    EXPECT_TRUE(run({"status"}).has("radio: on"));
}

TEST_F(ModemTool, NetworksListsTheCardsOperators)
{
    startCard({});
    const ToolRun text = run({"networks"});
    EXPECT_EQ(text.exitCode, 0) << joined(text);
    EXPECT_EQ(text.count("00101 "), 1u) << joined(text);
    EXPECT_TRUE(text.mentions("current")) << joined(text);
    EXPECT_EQ(text.count("00102 "), 1u) << joined(text);
    EXPECT_EQ(text.count("302720 "), 1u) << joined(text);
    // Not a terminal: no progress on standard error.
    EXPECT_FALSE(text.mentions("scanning")) << joined(text);

    const ToolRun json = run({"networks", "--json"});
    EXPECT_EQ(json.exitCode, 0) << joined(json);
    std::vector<std::string> codes;
    for (const std::string& line : json.lines) {
        const nlohmann::json network = nlohmann::json::parse(line);
        codes.push_back(network.at("mccmnc").get<std::string>());
        EXPECT_TRUE(network.contains("technology"));
        EXPECT_TRUE(network.contains("state"));
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"00101", "00102", "302720"}));
}

TEST_F(ModemTool, SelectRegistersOnTheNetworkAskedFor)
{
    startCard({});
    const ToolRun selected = run({"select", "302720"});
    EXPECT_EQ(selected.exitCode, 0) << joined(selected);
    EXPECT_TRUE(selected.has("mccmnc: 302720 (MCC 302, MNC 720)")) << joined(selected);
    EXPECT_TRUE(selected.has("registration: roaming")) << joined(selected);
    EXPECT_NE(card.control("status").find("operator=302720"), std::string::npos);

    // A code that starts with zeros reaches the card whole.
    const ToolRun partner = run({"select", "00102"});
    EXPECT_EQ(partner.exitCode, 0) << joined(partner);
    EXPECT_NE(card.control("status").find("operator=00102"), std::string::npos) << card.control("status");

    const ToolRun unknown = run({"select", "99999"});
    EXPECT_EQ(unknown.exitCode, kUnknownNetwork) << joined(unknown);
    EXPECT_TRUE(unknown.mentions("orvanta-modem: unknown network 99999")) << joined(unknown);

    const ToolRun automatic = run({"select", "auto"});
    EXPECT_EQ(automatic.exitCode, 0) << joined(automatic);
    EXPECT_TRUE(automatic.has("mccmnc: 00101 (MCC 001, MNC 01)")) << joined(automatic);

    const ToolRun technology = run({"tech", "gsm"});
    EXPECT_EQ(technology.exitCode, 0) << joined(technology);
    EXPECT_TRUE(technology.has("technology: gsm")) << joined(technology);
}

TEST_F(ModemTool, CardWithoutSimFailsWithNoSim)
{
    startCard({"--no-sim"});
    const ToolRun status = run({"pin", "status"});
    EXPECT_EQ(status.exitCode, kNoSim) << joined(status);
    EXPECT_TRUE(status.has("orvanta-modem: no SIM")) << joined(status);
    const ToolRun enter = run({"pin", "enter"}, "1234\n");
    EXPECT_EQ(enter.exitCode, kNoSim) << joined(enter);
}

TEST_F(ModemTool, NoCardFailsWithinTheTimeOut)
{
    startCard({"--unplugged"});
    const auto start = std::chrono::steady_clock::now();
    const ToolRun status = run({"status", "2"});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(status.exitCode, kNoCard) << joined(status);
    EXPECT_TRUE(status.mentions("orvanta-modem: no card")) << joined(status);
    EXPECT_LT(took, 10s);
}

TEST_F(ModemTool, WatchWritesEveryNoticeUntilInterrupted)
{
    startCard({});
    Os::Process tool;
    spawnTool(tool, ORVANTA_MODEM_TOOL, card.simDir(), runtime.path(), {"watch", "--json"});
    ToolRun watch;
    ASSERT_TRUE(readToolWithin(
        tool, watch, [](const ToolRun& run) { return run.mentions("\"deviceState\":4"); }, 30s))
        << joined(watch);
    tool.sendSignal(SIGINT);
    finishTool(tool, watch);
    EXPECT_EQ(watch.exitCode, 0) << joined(watch);
    for (const std::string& line : watch.lines) {
        const nlohmann::json notice = nlohmann::json::parse(line);
        EXPECT_TRUE(notice.contains("notice")) << line;
    }
}

// Every line of every file in `folder`.
std::string filesIn(const std::filesystem::path& folder)
{
    std::string text;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        text += std::string(std::istreambuf_iterator<char>(in), {});
    }
    return text;
}

TEST(ModemToolSecrets, NoCodeReachesAnyLogAtTheMostVerboseLevel)
{
    // Codes of eight digits, which the logs' numbers are unlikely to hold by chance.
    const std::string pin = "73915064", wrongPin = "84620597", newPin = "61503928";
    const std::string puk = "58204716", wrongPuk = "29475830", lastPin = "40718263";

    TestFolder runtime;
    TestFolder work;
    {
        std::ofstream properties(work.path() / "log4cplus.win.properties");
        properties << "log4cplus.rootLogger=TRACE, console, file\n"
                      "log4cplus.appender.console=log4cplus::ConsoleAppender\n"
                      "log4cplus.appender.console.logToStdErr=true\n"
                      "log4cplus.appender.console.layout=log4cplus::PatternLayout\n"
                      "log4cplus.appender.console.layout.ConversionPattern=%-5p %c> %m%n\n"
                      "log4cplus.appender.file=log4cplus::FileAppender\n"
                      "log4cplus.appender.file.File=orvanta.log\n"
                      "log4cplus.appender.file.Append=true\n"
                      "log4cplus.appender.file.layout=log4cplus::PatternLayout\n"
                      "log4cplus.appender.file.layout.ConversionPattern=%-5p %c> %m%n\n";
    }
    // The card's own log goes to a file beside it: --verbose writes on standard error.
    const std::filesystem::path cardLog = work.path() / "card.log";
    TestFolder simDir;
    // Started and stopped twice: the second time the SIM asks for its PIN afresh.
    auto startCard = [&](Os::Process& card) {
        ASSERT_EQ(card.spawn("env",
                             {"ORVANTA_SIM_DIR=" + simDir.path().string(), "XDG_RUNTIME_DIR=" + runtime.path().string(),
                              "sh", "-c", "exec \"$0\" \"$@\" 2>>" + cardLog.string(), ORVANTA_CARDSIM, "--name",
                              "card", "--verbose", "--pin", pin, "--puk", puk},
                             {.pipeOutput = true}),
                  0);
        bool running = false;
        while (const auto line = readLine(card.outputFd(), 20s))
            if ((running = line->find("control") != std::string::npos))
                break;
        ASSERT_TRUE(running);
    };
    auto stopCard = [](Os::Process& card) {
        card.sendSignal(SIGTERM);
        EXPECT_EQ(card.waitForExit(20s).status, Os::WaitStatus::signalled);
    };

    std::string output;
    auto run = [&](const std::vector<std::string>& arguments, const std::string& input) {
        Os::Process tool;
        ToolRun result;
        Launch launch;
        launch.environment = {"ORVANTA_DEBUG_OUTPUT=1"};
        launch.directory = work.path();
        launch.pipeInput = true;
        spawnTool(tool, ORVANTA_MODEM_TOOL, simDir.path(), runtime.path(), arguments, launch);
        EXPECT_EQ(::write(tool.inputFd(), input.data(), input.size()), static_cast<ssize_t>(input.size()));
        tool.closeInput();
        finishTool(tool, result);
        output += joined(result);
        return result.exitCode;
    };
    Os::Process card;
    startCard(card);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run({"pin", "enter"}, wrongPin + "\n"), kWrongCode);
    EXPECT_EQ(run({"pin", "enter"}, pin + "\n"), 0);
    EXPECT_EQ(run({"pin", "change"}, pin + "\n" + newPin + "\n"), 0);
    EXPECT_EQ(run({"pin", "disable"}, newPin + "\n"), 0);
    EXPECT_EQ(run({"pin", "enable"}, newPin + "\n"), 0);
    EXPECT_EQ(run({"pin", "disable"}, wrongPin + "\n"), kWrongCode);
    stopCard(card);

    // The same codes through a SIM that needs its PUK.
    Os::Process second;
    startCard(second);
    if (HasFatalFailure())
        return;
    for (int i = 0; i < 3; ++i)
        run({"pin", "enter"}, wrongPin + "\n");
    EXPECT_EQ(run({"pin", "unblock"}, wrongPuk + "\n" + lastPin + "\n"), kWrongCode);
    EXPECT_EQ(run({"pin", "unblock"}, puk + "\n" + lastPin + "\n"), 0);
    stopCard(second);

    const std::string logs = filesIn(work.path()) + output;
    // The logs were written at their most verbose: the machines' dispatches, the backend's
    // lines and the card's dialogue.
    EXPECT_NE(logs.find("Dispatch event"), std::string::npos);
    EXPECT_NE(logs.find("Qd: "), std::string::npos);
    EXPECT_NE(logs.find("AT+CPIN"), std::string::npos);
    for (const std::string& code : {pin, wrongPin, newPin, puk, wrongPuk, lastPin})
        EXPECT_EQ(logs.find(code), std::string::npos) << code << " appears in the logs";
}

} // namespace
} // namespace Orvanta::testing
