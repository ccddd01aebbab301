#include "platform/Socket.h"

#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

class LocalConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(server.listen(0), kErrorSuccess);
        ASSERT_NE(server.port(), 0) << "bound to any free port";
        ASSERT_EQ(client.connect(server.port()), kErrorSuccess);
        ASSERT_EQ(server.accept(proxy, 5s), kErrorSuccess);
        ASSERT_EQ(client.startReceiver(atClient.receiver()), kErrorSuccess);
        ASSERT_EQ(proxy.startReceiver(atProxy.receiver()), kErrorSuccess);
    }

    // The recorders outlive the sockets whose receivers report to them.
    ReceivedBytes atClient;
    ReceivedBytes atProxy;
    LocalServer server;
    Socket client;
    Socket proxy; // the proxy program's end
};

TEST_F(LocalConnection, CarriesBytesBothWays)
{
    EXPECT_EQ(client.write(bytesOf("SERIAL-OPEN USB/HID 2\r\n"), 1s).outcome, IoResult::Outcome::completed);
    ASSERT_TRUE(atProxy.waitForText("SERIAL-OPEN USB/HID 2\r\n"));
    EXPECT_EQ(proxy.write(bytesOf("OK\r\n"), 1s).count, 4u);
    ASSERT_TRUE(atClient.waitForText("OK\r\n"));
}

TEST_F(LocalConnection, PeerClosingIsAnOrderlyEnd)
{
    proxy.close();
    ASSERT_TRUE(atClient.waitForEnd());
    EXPECT_EQ(atClient.end().outcome, IoResult::Outcome::closed);
    EXPECT_EQ(atClient.endCount(), 1);
    EXPECT_TRUE(waitUntil([&] { return !client.receiving(); }));
}

TEST_F(LocalConnection, PeerResettingIsAConnectionReset)
{
    proxy.abort();
    ASSERT_TRUE(atClient.waitForEnd());
    EXPECT_EQ(atClient.end().outcome, IoResult::Outcome::failed);
    EXPECT_EQ(atClient.end().error, kErrorConnectionReset);
    // Writing to it now fails with the same number, and does not raise SIGPIPE.
    const IoResult written = client.write(bytesOf("AT\r\n"), 1s);
    EXPECT_EQ(written.outcome, IoResult::Outcome::failed);
    EXPECT_EQ(written.error, kErrorConnectionReset);
}

TEST(LocalServer, AcceptWithoutClientTimesOut)
{
    LocalServer server;
    ASSERT_EQ(server.listen(0), kErrorSuccess);
    Socket nobody;
    EXPECT_EQ(server.accept(nobody, 20ms), kErrorWaitTimeout);
    EXPECT_FALSE(nobody.isOpen());
}

TEST(LocalServer, GivenPortIsUsedAndTakenPortIsRefused)
{
    LocalServer first;
    ASSERT_EQ(first.listen(0), kErrorSuccess);
    LocalServer second;
    EXPECT_EQ(second.listen(first.port()), kErrorAddressInUse);
    const std::uint16_t port = first.port();
    first.close();
    EXPECT_EQ(second.listen(port), kErrorSuccess);
    EXPECT_EQ(second.port(), port);
}

// What a background accept reported, for the test thread to wait on.
class AcceptOutcome {
public:
    std::function<void(int)> callback()
    {
        return [this](int error) {
            std::lock_guard lock(mutex_);
            errors_.push_back(error);
            changed_.notify_all();
        };
    }
    bool waitForOne(std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return !errors_.empty(); });
    }
    std::vector<int> errors() const
    {
        std::lock_guard lock(mutex_);
        return errors_;
    }

private:
    mutable std::mutex mutex_; // guards errors_: the waiter thread adds, the test reads
    std::condition_variable changed_;
    std::vector<int> errors_;
};

TEST(LocalServer, BackgroundAcceptHandsTheClientOverOnItsThread)
{
    LocalServer server;
    ASSERT_EQ(server.listen(0), kErrorSuccess);
    AcceptOutcome outcome;
    ReceivedBytes atServer;
    Socket accepted;
    PollThread waiter;
    ASSERT_EQ(server.acceptInBackground(accepted, waiter, outcome.callback()), kErrorSuccess);
    EXPECT_FALSE(accepted.isOpen()) << "nobody has connected yet";

    Socket client;
    ASSERT_EQ(client.connect(server.port()), kErrorSuccess);
    ASSERT_TRUE(outcome.waitForOne());
    EXPECT_EQ(outcome.errors(), std::vector<int>{kErrorSuccess});
    EXPECT_TRUE(waitUntil([&] { return !waiter.running(); })) << "one client, then the wait ends";
    ASSERT_TRUE(accepted.isOpen());
    ASSERT_EQ(accepted.startReceiver(atServer.receiver()), kErrorSuccess);
    EXPECT_EQ(client.write(bytesOf("AT\r\n"), 1s).outcome, IoResult::Outcome::completed);
    EXPECT_TRUE(atServer.waitForText("AT\r\n"));
}

TEST(LocalServer, StoppingABackgroundAcceptReportsNothing)
{
    LocalServer server;
    ASSERT_EQ(server.listen(0), kErrorSuccess);
    AcceptOutcome outcome;
    Socket accepted;
    PollThread waiter;
    ASSERT_EQ(server.acceptInBackground(accepted, waiter, outcome.callback()), kErrorSuccess);
    waiter.stop();
    EXPECT_TRUE(outcome.errors().empty());
    EXPECT_FALSE(accepted.isOpen());

    Socket notListening;
    LocalServer closed;
    EXPECT_EQ(closed.acceptInBackground(notListening, waiter, outcome.callback()), kErrorInvalidHandle);
}

TEST(Socket, ConnectingWhereNobodyListensIsRefused)
{
    std::uint16_t port = 0;
    {
        LocalServer gone;
        ASSERT_EQ(gone.listen(0), kErrorSuccess);
        port = gone.port();
    }
    Socket client;
    EXPECT_EQ(client.connect(port), kErrorConnectionRefused);
    EXPECT_FALSE(client.isOpen());
}

} // namespace
} // namespace Os
