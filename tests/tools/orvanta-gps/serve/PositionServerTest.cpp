// The position server with real sockets on the loopback address and made-up events in
// place of a receiver: what each client is sent, bad clients, slow clients, too many.

#include "PositionServer.h"

#include "tests/platform/PlatformTestSupport.h"
#include "tests/support/TcpLineClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Orvanta::gps {
namespace {

using Orvanta::testing::waitUntil;

using namespace std::chrono_literals;
using Orvanta::testing::TcpLineClient;

const std::string kWatchJson = "?WATCH={\"enable\":true,\"json\":true};";

bool startsWith(const std::optional<std::string>& line, const std::string& start)
{
    return line && line->rfind(start, 0) == 0;
}

class PositionServerTest : public ::testing::Test {
protected:
    void startServer(ServerLimits limits = {})
    {
        std::string problem;
        std::optional<Listener> listener = listenOn(*parseListenAddress("127.0.0.1:0"), problem);
        ASSERT_TRUE(listener) << problem;
        address_ = listener->bound;
        server_ = std::make_unique<PositionServer>(std::move(*listener), "9.9", limits);
        server_->start();
    }

    // A client that got its VERSION.
    std::unique_ptr<TcpLineClient> connect()
    {
        auto client = std::make_unique<TcpLineClient>(address_);
        EXPECT_TRUE(client->connected());
        EXPECT_TRUE(startsWith(client->line(), "{\"class\":\"VERSION\",\"release\":\"9.9\""));
        return client;
    }

    // A client that watches with `request`, once the server knows it does.
    std::unique_ptr<TcpLineClient> watcher(const std::string& request = kWatchJson)
    {
        auto client = connect();
        client->send(request);
        EXPECT_TRUE(client->lineWhere([](const std::string& l) { return l.rfind("{\"class\":\"WATCH\"", 0) == 0; }));
        return client;
    }

    void arrive()
    {
        server_->post({ServerEvent{ServerEvent::Kind::deviceArrived, DeviceInfo{"/dev/pts/6", "2024-06-15T07:42:13.123Z"}, {}, {}}});
    }

    static ServerEvent tpv(double latitude)
    {
        return ServerEvent{ServerEvent::Kind::tpv, {}, Json{{"class", "TPV"}, {"mode", 3}, {"lat", latitude}}, {}};
    }

    static ServerEvent sentence(const std::string& text)
    {
        return ServerEvent{ServerEvent::Kind::sentence, {}, {}, text};
    }

    std::string address_;
    std::unique_ptr<PositionServer> server_;
};

TEST_F(PositionServerTest, EachClientGetsWhatItsWatchAsksFor)
{
    startServer();
    arrive();
    auto reports = connect();
    reports->send(kWatchJson + "\n");
    EXPECT_EQ(reports->line(), "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/pts/6\","
                               "\"driver\":\"NMEA0183\",\"activated\":\"2024-06-15T07:42:13.123Z\",\"flags\":1,"
                               "\"native\":0,\"bps\":115200,\"parity\":\"N\",\"stopbits\":1,\"cycle\":1.0}]}\r");
    EXPECT_TRUE(startsWith(reports->line(), "{\"class\":\"WATCH\",\"enable\":true,\"json\":true,\"nmea\":false"));
    auto sentences = watcher("?WATCH={\"enable\":true,\"nmea\":true};");
    auto idle = connect();
    ASSERT_TRUE(waitUntil([&] { return server_->watched(); }));

    server_->post({sentence("$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55"), tpv(48.1)});
    EXPECT_EQ(reports->line(), "{\"class\":\"TPV\",\"mode\":3,\"lat\":48.1}\r");
    EXPECT_EQ(sentences->line(), "$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55\r");

    // The idle client was sent nothing: its first line is the answer to its question.
    idle->send("?POLL;");
    const std::optional<std::string> poll = idle->line();
    ASSERT_TRUE(startsWith(poll, "{\"class\":\"POLL\",\"time\":\"")) << poll.value_or("none");
    EXPECT_NE(poll->find("\"active\":1,\"tpv\":[{\"class\":\"TPV\",\"mode\":3,\"lat\":48.1}],\"sky\":[]}"),
              std::string::npos)
        << *poll;

    // Disabling stops the stream, and the server knows when nobody watches.
    reports->send("?WATCH={\"enable\":false};");
    EXPECT_TRUE(startsWith(reports->line(), "{\"class\":\"WATCH\",\"enable\":false"));
    sentences.reset();
    ASSERT_TRUE(waitUntil([&] { return !server_->watched(); }));
    server_->post({ServerEvent{ServerEvent::Kind::deviceGone, DeviceInfo{"/dev/pts/6", ""}, {}, {}}});
    // The event and the question reach the server by different ways.
    EXPECT_TRUE(waitUntil([&] {
        reports->send("?DEVICES;");
        return reports->line() == "{\"class\":\"DEVICES\",\"devices\":[]}\r";
    }));
}

TEST_F(PositionServerTest, TheReceiverComingAndGoingIsToldToWatchers)
{
    startServer();
    auto client = watcher();
    arrive();
    EXPECT_TRUE(startsWith(client->line(), "{\"class\":\"DEVICE\",\"path\":\"/dev/pts/6\",\"driver\":\"NMEA0183\","
                                           "\"activated\":\"2024-06-15T07:42:13.123Z\""));
    server_->post({ServerEvent{ServerEvent::Kind::deviceGone, DeviceInfo{"/dev/pts/6", ""}, {}, {}}});
    EXPECT_EQ(client->line(), "{\"class\":\"DEVICE\",\"path\":\"/dev/pts/6\",\"activated\":0}\r");
}

struct BadInput {
    const char* name;
    std::string sent;
    std::string error;
};

class BadClientInput : public PositionServerTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadClientInput, IsAnsweredWithAnErrorAndTheConnectionGoesOn)
{
    startServer();
    auto client = connect();
    client->send(GetParam().sent);
    EXPECT_EQ(client->line(), "{\"class\":\"ERROR\",\"message\":\"" + GetParam().error + "\"}\r");
    client->send("?VERSION;");
    EXPECT_TRUE(startsWith(client->line(), "{\"class\":\"VERSION\""));
}

INSTANTIATE_TEST_SUITE_P(
    PositionServerTest, BadClientInput,
    ::testing::Values(BadInput{"Garbage", "hello there\n", "unrecognized request 'hello there'"},
                      BadInput{"UnknownCommand", "?REBOOT;", "unrecognized request '?REBOOT'"},
                      BadInput{"InvalidJson", "?WATCH={\"enable\":;\n", "invalid JSON in ?WATCH"},
                      BadInput{"WrongType", "?WATCH={\"enable\":1};", "WATCH \\\"enable\\\" wants true or false"},
                      BadInput{"OverLong", "?WATCH={\"device\":\"" + std::string(5000, 'a') + "\"};",
                               "request longer than 1024 bytes"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST_F(PositionServerTest, AClientThatStopsReadingIsDroppedAndTheOthersGoOn)
{
    startServer(ServerLimits{64, 16 * 1024});
    auto stuck = std::make_unique<TcpLineClient>(address_);
    ASSERT_TRUE(stuck->connected());
    stuck->send("?WATCH={\"enable\":true,\"nmea\":true};");
    auto reader = watcher("?WATCH={\"enable\":true,\"nmea\":true};");
    ASSERT_TRUE(waitUntil([&] { return server_->watched(); }));

    // Far more than the stuck client's socket and queue take together.
    const std::string filler(1000, 'x');
    for (int i = 0; i < 4000; ++i) {
        server_->post({sentence(filler + std::to_string(i))});
        ASSERT_EQ(reader->line(), filler + std::to_string(i) + "\r") << i;
    }
    // Read only now: what had been sent before it was dropped, then the end.
    EXPECT_TRUE(stuck->closedWithin(20s));
    EXPECT_LT(stuck->received(), 1024u * 1024u);
}

TEST_F(PositionServerTest, OneClientTooManyIsToldAndClosed)
{
    startServer(ServerLimits{3, kMostQueuedBytes});
    std::vector<std::unique_ptr<TcpLineClient>> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(connect());
    TcpLineClient extra(address_);
    ASSERT_TRUE(extra.connected());
    EXPECT_EQ(extra.line(), "{\"class\":\"ERROR\",\"message\":\"too many clients\"}\r");
    EXPECT_TRUE(extra.closedWithin(5s));
    // Once one has gone, a place is free again.
    clients.pop_back();
    EXPECT_TRUE(waitUntil([&] {
        TcpLineClient again(address_);
        return startsWith(again.line(2s), "{\"class\":\"VERSION\"");
    }));
}

TEST_F(PositionServerTest, StopClosesEveryClient)
{
    startServer();
    auto client = watcher();
    server_->stop();
    EXPECT_TRUE(client->closedWithin(5s));
}

} // namespace
} // namespace Orvanta::gps
