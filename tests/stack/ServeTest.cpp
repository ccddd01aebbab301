// "orvanta-gps serve" as map programs use it: the program against orvanta-cardsim, and
// clients on the loopback address that speak the position protocol.

#include "tests/sim/SimTestSupport.h"
#include "tests/stack/TrackPositions.h"
#include "tests/support/TcpLineClient.h"

#include "platform/Process.h"
#include "platform/UniqueFd.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>
#include <memory>
#include <thread>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;

const std::string kWatchJson = "?WATCH={\"enable\":true,\"json\":true};\n";

// The report on `line`; a discarded value for anything else.
Json reportOf(const std::string& line)
{
    return Json::parse(line, nullptr, false);
}

bool isClass(const std::string& line, const char* name)
{
    const Json report = reportOf(line);
    return report.is_object() && report.value("class", "") == name;
}

bool isTpvWithPosition(const std::string& line)
{
    const Json report = reportOf(line);
    return report.is_object() && report.value("class", "") == "TPV" && report.contains("lat");
}

std::optional<std::uint16_t> freeLoopbackPort()
{
    const Os::UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!probe || ::bind(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return std::nullopt;
    return ntohs(address.sin_port);
}

std::string cardReceiver(Cardsim::testing::CardsimProcess& card)
{
    const std::string status = card.control("status");
    const std::size_t at = status.find("receiver=");
    return at == std::string::npos ? status : status.substr(at, status.find(' ', at) - at);
}

class Serve : public ::testing::Test {
protected:
    void startCard(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> arguments{"--ttff", "0", "--rate", "4"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ASSERT_TRUE(card.start(arguments));
    }

    // Starts serve on a port of the system's choosing and waits for it to say which.
    void startServe(const std::vector<std::string>& arguments = {"--listen", "127.0.0.1:0"})
    {
        spawnTool(arguments);
        const std::optional<std::string> line = readLine(tool.outputFd(), 10s);
        ASSERT_TRUE(line && line->rfind("orvanta-gps: serving on ", 0) == 0) << line.value_or("nothing");
        address = line->substr(std::string("orvanta-gps: serving on ").size());
    }

    // `wrapper` (a program and its arguments) starts serve in its place when given.
    void spawnTool(const std::vector<std::string>& arguments, const std::vector<std::string>& wrapper = {})
    {
        Os::Process::Options options;
        options.pipeOutput = true;
        std::vector<std::string> command{"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + card.simDir().string(),
                                         "XDG_RUNTIME_DIR=" + runtime.path().string(), "sh", "-c",
                                         "exec \"$0\" \"$@\" 2>&1"};
        command.insert(command.end(), wrapper.begin(), wrapper.end());
        command.insert(command.end(), {ORVANTA_GPS_TOOL, "serve"});
        command.insert(command.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(tool.spawn("env", command, options), 0);
    }

    // A client that got its VERSION.
    std::unique_ptr<TcpLineClient> connect()
    {
        auto client = std::make_unique<TcpLineClient>(address);
        EXPECT_TRUE(client->connected()) << address;
        const std::optional<std::string> version = client->line();
        EXPECT_TRUE(version && isClass(*version, "VERSION")) << version.value_or("nothing");
        return client;
    }

    std::unique_ptr<TcpLineClient> watcher(const std::string& request = kWatchJson)
    {
        auto client = connect();
        client->send(request);
        return client;
    }

    // Ends serve with `signal`; its exit code, -1 when it did not end by itself in time.
    int endServe(int signal = SIGTERM, std::chrono::milliseconds patience = 8s)
    {
        if (tool.sendSignal(signal) != 0)
            return -1;
        tool.waitForExit(patience);
        const auto status = tool.exitStatus();
        return status && !status->bySignal ? status->code : -1;
    }

    // Waits until the card's receiver is `state` ("receiver=off").
    bool receiverBecomes(const std::string& state, std::chrono::milliseconds patience = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        for (;;) {
            if (cardReceiver(card) == state)
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            // Paces the questions to the card, a process of its own that tells its state
            // only when asked; no thread of this test is waited for here.
            std::this_thread::sleep_for(50ms);
        }
    }

    Cardsim::testing::CardsimProcess card;
    TestFolder runtime;
    Os::Process tool;
    std::string address;
};

TEST_F(Serve, TpvPositionsAreTheTracksPositionsToSixDecimals)
{
    startCard();
    startServe();
    auto client = watcher();
    const std::optional<std::string> devices = client->line();
    ASSERT_TRUE(devices && isClass(*devices, "DEVICES")) << devices.value_or("nothing");
    // The card may not have been seen yet; then it is told in a DEVICE later.
    if (!reportOf(*devices)["devices"].empty()) {
        EXPECT_EQ(reportOf(*devices)["devices"][0]["path"], card.portOf("GPS Data")) << *devices;
    }
    ASSERT_TRUE(client->lineWhere([](const std::string& l) { return isClass(l, "WATCH"); }));

    const std::vector<Position> track = trackPositions(ORVANTA_BUNDLED_TRACK);
    ASSERT_FALSE(track.empty());
    std::optional<std::size_t> previous;
    bool skySeen = false;
    for (int fix = 0; fix < 6; ++fix) {
        const std::optional<std::string> line = client->lineWhere([&](const std::string& l) {
            skySeen = skySeen || (isClass(l, "SKY") && reportOf(l)["satellites"].size() > 0);
            return isTpvWithPosition(l);
        });
        ASSERT_TRUE(line) << "fix " << fix;
        EXPECT_TRUE(line->ends_with("}\r")) << *line;
        const Json tpv = reportOf(*line);
        const Position position{tpv["lat"].get<double>(), tpv["lon"].get<double>()};
        const std::optional<std::size_t> index = findPosition(track, position, previous.value_or(0), 1e-8);
        ASSERT_TRUE(index) << *line;
        EXPECT_EQ(std::llround(position.latitude * 1e6), std::llround(track[*index].latitude * 1e6));
        EXPECT_EQ(std::llround(position.longitude * 1e6), std::llround(track[*index].longitude * 1e6));
        // One TPV per fix, in the track's order.
        if (previous) {
            EXPECT_EQ(*index, (*previous + 1) % track.size()) << *line;
        }
        previous = index;
        EXPECT_EQ(tpv["mode"], 3);
        EXPECT_EQ(tpv["device"], card.portOf("GPS Data"));
        if (fix > 0) {
            EXPECT_TRUE(tpv.contains("time") && tpv.contains("speed") && tpv.contains("track") && tpv.contains("alt"))
                << *line;
            EXPECT_EQ(tpv.value("time", "").rfind("2024-06-15T", 0), 0u) << *line;
        }
    }
    EXPECT_TRUE(skySeen);
}

TEST_F(Serve, NmeaWatchGivesTheCardsSentencesByteForByte)
{
    startCard();
    startServe();
    auto client = watcher("?WATCH={\"enable\":true,\"nmea\":true};");
    std::vector<std::string> sentences;
    while (sentences.size() < 15) {
        const std::optional<std::string> line = client->line();
        ASSERT_TRUE(line);
        if (line->rfind("$", 0) != 0)
            continue; // the replies to the watch
        ASSERT_TRUE(line->ends_with("\r")) << *line;
        sentences.push_back(line->substr(0, line->size() - 1));
    }
    std::vector<std::string> trackLines;
    std::ifstream file(ORVANTA_BUNDLED_TRACK);
    for (std::string line; std::getline(file, line);)
        if (line.rfind("$", 0) == 0)
            trackLines.push_back(line);
    // The first sentence may be the end of a group the card wrote before the watch; from
    // there on, the track's own lines in its order.
    const auto at = std::find(trackLines.begin(), trackLines.end(), sentences[0]);
    ASSERT_NE(at, trackLines.end()) << sentences[0];
    const auto start = static_cast<std::size_t>(at - trackLines.begin());
    for (std::size_t i = 0; i < sentences.size(); ++i)
        EXPECT_EQ(sentences[i], trackLines[(start + i) % trackLines.size()]) << i;
}

TEST_F(Serve, UnpluggingTellsWatchersAndPluggingBackBringsPositionsBack)
{
    startCard();
    startServe();
    auto client = watcher();
    ASSERT_TRUE(client->lineWhere(isTpvWithPosition, 15s));
    const std::string port = card.portOf("GPS Data");

    ASSERT_NE(card.control("unplug").find("OK"), std::string::npos);
    const std::optional<std::string> gone = client->lineWhere([](const std::string& l) { return isClass(l, "DEVICE"); });
    ASSERT_TRUE(gone);
    EXPECT_EQ(*gone, "{\"class\":\"DEVICE\",\"path\":\"" + port + "\",\"activated\":0}\r");
    const std::optional<std::string> noFix = client->lineWhere([](const std::string& l) { return isClass(l, "TPV"); });
    ASSERT_TRUE(noFix);
    EXPECT_EQ(reportOf(*noFix)["mode"], 0) << *noFix;

    ASSERT_NE(card.control("plug").find("OK"), std::string::npos);
    const std::optional<std::string> back = client->lineWhere([](const std::string& l) { return isClass(l, "DEVICE"); }, 20s);
    ASSERT_TRUE(back);
    const Json device = reportOf(*back);
    EXPECT_EQ(device["path"], card.portOf("GPS Data"));
    EXPECT_TRUE(device["activated"].is_string()) << *back;
    EXPECT_TRUE(client->lineWhere(isTpvWithPosition, 20s)) << "no position after the card came back";
    EXPECT_EQ(endServe(), 0);
}

TEST_F(Serve, BadClientsAreAnsweredAndTheConnectionGoesOn)
{
    startCard();
    startServe();
    auto client = connect();
    client->send("GET / HTTP/1.0\r\n");
    const std::optional<std::string> garbage = client->line();
    ASSERT_TRUE(garbage && isClass(*garbage, "ERROR")) << garbage.value_or("nothing");
    client->send("?WATCH={\"device\":\"" + std::string(3000, 'x') + "\"};");
    const std::optional<std::string> tooLong = client->line();
    ASSERT_TRUE(tooLong && isClass(*tooLong, "ERROR")) << tooLong.value_or("nothing");
    EXPECT_NE(tooLong->find("1024"), std::string::npos) << *tooLong;
    client->send("?WATCH={\"enable\":true,\"json\":true}\n");
    EXPECT_TRUE(client->lineWhere(isTpvWithPosition, 15s));
}

TEST_F(Serve, AStuckClientIsDroppedWhileTheOthersGetTheirReportsOnTime)
{
    // Quick groups fill the stuck client's queue in seconds.
    ASSERT_TRUE(card.start({"--ttff", "0", "--rate", "100"}));
    startServe();
    TcpLineClient stuck(address);
    ASSERT_TRUE(stuck.connected());
    stuck.send("?WATCH={\"enable\":true,\"json\":true,\"nmea\":true};");
    auto reader = watcher("?WATCH={\"enable\":true,\"json\":true,\"nmea\":true};");
    ASSERT_TRUE(reader->lineWhere(isTpvWithPosition, 15s));

    // The stuck client's queue passes its bound after at most half a megabyte (its queue,
    // and what the system buffers on both ends); the reader gets far more meanwhile, its
    // reports a group apart.
    constexpr std::size_t kWellPastTheBound = 1024 * 1024;
    auto last = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longestGap{};
    int reports = 0;
    while (reader->received() < kWellPastTheBound) {
        ASSERT_TRUE(reader->lineWhere(isTpvWithPosition, 5s));
        const auto now = std::chrono::steady_clock::now();
        longestGap = std::max(longestGap, now - last);
        last = now;
        ++reports;
    }
    EXPECT_GT(reports, 100);
    EXPECT_LT(longestGap, 1s);
    // Only now is the stuck client read: what had been sent, then the end.
    EXPECT_TRUE(stuck.closedWithin(20s)) << "the stuck client was not dropped";
    EXPECT_LT(stuck.received(), kWellPastTheBound);
}

// As a socket unit starts it: the service manager listens, and starts serve with the
// socket at the first connection, which serve then answers.
TEST_F(Serve, ASocketHandedByTheServiceManagerIsServed)
{
    // A port free a moment ago: the handing program cannot be asked to choose one.
    const std::optional<std::uint16_t> free = freeLoopbackPort();
    ASSERT_TRUE(free) << "no free port";
    const std::string port = std::to_string(*free);
    startCard();
    // It hands on only the environment it is told to.
    spawnTool({}, {"systemd-socket-activate", "-l", "127.0.0.1:" + port, "-E", "ORVANTA_DEVICES", "-E",
                   "ORVANTA_SIM_DIR", "-E", "XDG_RUNTIME_DIR"});
    address = "127.0.0.1:" + port;
    std::unique_ptr<TcpLineClient> client;
    ASSERT_TRUE(waitUntil([&] {
        client = std::make_unique<TcpLineClient>(address);
        return client->connected();
    }, 10s)) << "nothing listens on " << address;
    const std::optional<std::string> version = client->line(15s);
    ASSERT_TRUE(version && isClass(*version, "VERSION")) << version.value_or("nothing");
    client->send(kWatchJson);
    EXPECT_TRUE(client->lineWhere(isTpvWithPosition, 20s));
    EXPECT_EQ(endServe(), 0);
}

TEST_F(Serve, TheSixtyFifthClientIsRefused)
{
    startCard();
    startServe();
    std::vector<std::unique_ptr<TcpLineClient>> clients;
    for (int i = 0; i < 64; ++i)
        clients.push_back(connect());
    TcpLineClient extra(address);
    ASSERT_TRUE(extra.connected());
    const std::optional<std::string> refusal = extra.line();
    ASSERT_TRUE(refusal && isClass(*refusal, "ERROR")) << refusal.value_or("nothing");
    EXPECT_TRUE(extra.closedWithin(5s));
    clients.front()->send("?VERSION;");
    const std::optional<std::string> version = clients.front()->line();
    EXPECT_TRUE(version && isClass(*version, "VERSION"));
}

struct Ending {
    const char* name;
    bool onBefore;
    int signal;
    const char* after;
};

class ServeEnd : public Serve, public ::testing::WithParamInterface<Ending> {};

TEST_P(ServeEnd, PutsTheReceiverBackAsFoundAndExitsWithZero)
{
    startCard(GetParam().onBefore ? std::vector<std::string>{"--gps", "on"} : std::vector<std::string>{});
    startServe();
    auto client = watcher();
    ASSERT_TRUE(client->lineWhere(isTpvWithPosition, 15s));
    EXPECT_EQ(cardReceiver(card), "receiver=on");
    const auto signalled = std::chrono::steady_clock::now();
    EXPECT_EQ(endServe(GetParam().signal), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 6s);
    EXPECT_TRUE(client->closedWithin(1s));
    EXPECT_EQ(cardReceiver(card), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Serve, ServeEnd,
                         ::testing::Values(Ending{"FoundOffIsSwitchedOff", false, SIGTERM, "receiver=off"},
                                           Ending{"FoundOnStaysOn", true, SIGINT, "receiver=on"},
                                           Ending{"HangUpEndsItToo", false, SIGHUP, "receiver=off"}),
                         [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

TEST_F(Serve, TheReceiverIsReadOnlyWhileSomebodyWatches)
{
    startCard();
    startServe();
    auto idle = connect();
    EXPECT_EQ(cardReceiver(card), "receiver=off");
    auto client = watcher();
    ASSERT_TRUE(client->lineWhere(isTpvWithPosition, 15s));
    client.reset();
    EXPECT_TRUE(receiverBecomes("receiver=off")) << cardReceiver(card);
    // And again for the next one.
    client = watcher();
    EXPECT_TRUE(client->lineWhere(isTpvWithPosition, 15s));
}

TEST_F(Serve, GpspipePrintsTheReports)
{
    if (::access("/usr/bin/gpspipe", X_OK) != 0)
        GTEST_SKIP() << "needs gpspipe (Debian's gpsd-clients)";
    startCard();
    startServe();
    Os::Process pipe;
    Os::Process::Options options;
    options.pipeOutput = true;
    ASSERT_EQ(pipe.spawn("/usr/bin/gpspipe", {"-w", "-n", "8", address}, options), 0);
    std::vector<std::string> lines;
    while (const std::optional<std::string> line = readLine(pipe.outputFd(), 20s))
        lines.push_back(*line);
    pipe.waitForExit(5s);
    const auto status = pipe.exitStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->code, 0);
    EXPECT_EQ(lines.size(), 8u) << ::testing::PrintToString(lines);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return isTpvWithPosition(l); }))
        << ::testing::PrintToString(lines);
}

TEST_F(Serve, AnAddressInUseOrABadOneEndsItAtOnce)
{
    startCard();
    startServe();
    Os::Process second;
    Os::Process::Options options;
    options.pipeOutput = true;
    ASSERT_EQ(second.spawn("sh", {"-c", "exec \"$0\" \"$@\" 2>&1", ORVANTA_GPS_TOOL, "serve", "--listen", address}, options), 0);
    const std::optional<std::string> message = readLine(second.outputFd(), 10s);
    EXPECT_EQ(message.value_or(""), "orvanta-gps: cannot listen on " + address + ": Address already in use");
    second.waitForExit(10s);
    ASSERT_TRUE(second.exitStatus());
    EXPECT_EQ(second.exitStatus()->code, 1);

    for (const char* bad : {"2947", "127.0.0.1:99999", "::1:2947", "127.0.0.1:"}) {
        Os::Process wrong;
        ASSERT_EQ(wrong.spawn("sh", {"-c", "exec \"$0\" \"$@\" 2>&1", ORVANTA_GPS_TOOL, "serve", "--listen", bad}, options),
                  0);
        const std::optional<std::string> said = readLine(wrong.outputFd(), 10s);
        EXPECT_EQ(said.value_or(""), std::string("orvanta-gps: not an address and port: ") + bad);
        wrong.waitForExit(10s);
        ASSERT_TRUE(wrong.exitStatus()) << bad;
        EXPECT_EQ(wrong.exitStatus()->code, 2) << bad;
    }
}

} // namespace
} // namespace Orvanta::testing
