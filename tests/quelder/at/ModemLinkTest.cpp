// The AT engine against a scripted card, over a real pseudo-terminal and over a real
// local socket: commands, answers, time-outs, closing, and what reaches the log.

#include "quelder/at/Modem.h"

#include "platform/SystemError.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/quelder/support/ScriptedCard.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

namespace GSM {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

// Tests do not wait for a card to settle; commands keep their short pause before sending.
constexpr ModemTiming kTiming{1ms, 10ms};

// The owner's side of the engine: records unsolicited results and receiver failures.
class RecordingModem final : public Modem, private ModemEvents {
public:
    RecordingModem() : Modem(kTiming) {}

    std::vector<std::string> Unsolicited() const
    {
        std::lock_guard lock(mutex_);
        return unsolicited_;
    }
    bool WaitForUnsolicited(std::size_t count, std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return unsolicited_.size() >= count; });
    }
    std::optional<int> WaitForFailure(std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return failure_.has_value(); });
        return failure_;
    }

private:
    void OnUnsolicited(Line& line) override
    {
        if (line.Text() == "+CREG: broken")
            Raise(kQdNotAvailable);
        std::lock_guard lock(mutex_);
        unsolicited_.push_back(line.Text());
        changed_.notify_all();
    }
    void OnReceiverFailed(int error) override
    {
        std::lock_guard lock(mutex_);
        failure_ = error;
        changed_.notify_all();
    }

    mutable std::mutex mutex_; // guards unsolicited_ and failure_: the receiver writes, the test reads
    std::condition_variable changed_;
    std::vector<std::string> unsolicited_;
    std::optional<int> failure_;
    ModemReceiverGuard receiverGuard_{*this, *this}; // last: the receiver stops before the records go
};

// The result code an operation raised; 0 when it raised none.
QdResult CodeOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const ResultError& error) {
        return error.code();
    }
    return kQdSuccess;
}

// A line is logged before it is queued; once a later line has been logged, the earlier
// one is queued for sure. RING is such a later line that joins no answer.
void WaitUntilQueued(CardLink& link, BackendLog& log)
{
    link.Send("\r\nRING\r\n");
    ASSERT_TRUE(log.WaitFor("Qd: Modem read: [RING]", 20s));
}

enum class Link { pty, socket };

class ModemOverLink : public ::testing::TestWithParam<Link> {
protected:
    void Start(CardScript script)
    {
        if (GetParam() == Link::pty) {
            auto pty = std::make_unique<PtyCardLink>(std::move(script));
            modem.Open(OpenMode::serial, pty->PortPath());
            link = std::move(pty);
        } else {
            auto socket = std::make_unique<SocketCardLink>(std::move(script));
            modem.Open(OpenMode::socketClient, socket->Listen());
            ASSERT_TRUE(socket->WaitForConnection());
            link = std::move(socket);
        }
    }
    ScriptedCard& Card() { return link->card; }

    BackendLog log; // first in, last out: the engine's threads log until it is closed
    std::unique_ptr<CardLink> link;
    RecordingModem modem;
};

const CardScript kCard{{
    {"AT+CGMM", "\r\nTarnwell X1\r\n\r\nOK\r\n"},
    {"AT+CSQ", "\r\n+CSQ: 17,99\r\n\r\nOK\r\n"},
    {"AT+CPIN?", "\r\n+CME ERROR: 10\r\n"},
    {"AT+COPS?", ""}, // the card does not answer this one
    {"AT+CPIN=\"4711\"", "\r\nOK\r\n"},
    {"AT+CPWD=\"SC\",\"1234\",\"5678\"", "\r\nOK\r\n"},
    {"AT+CMGS=23", "\r\n> "},
    {"0011000B91", "\r\n+CMGS: 5\r\n\r\nOK\r\n"},
}};

CardScript withEchoes(int echoes)
{
    CardScript script = kCard;
    script.echoes = echoes;
    return script;
}

TEST_P(ModemOverLink, InformationLineAndFinalResultOfACommand)
{
    Start(kCard);
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
    modem.EndLine();
    modem.WaitFinal();
    EXPECT_EQ(Card().Commands(), std::vector<std::string>{"AT+CGMM"});
}

TEST_P(ModemOverLink, CmeErrorRaisesItsNumberAsTheCode)
{
    Start(kCard);
    modem.Command("AT+CPIN?").Send();
    EXPECT_EQ(CodeOf([&] { modem.ExpectPrefix("+CPIN:"); }), qdCmeError(10));
}

TEST_P(ModemOverLink, UnknownCommandIsAnsweredWithError)
{
    Start(kCard);
    modem.Command("AT+XYZ").Send();
    EXPECT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdModemError);
}

TEST_P(ModemOverLink, OkWhereAnInformationLineWasExpected)
{
    Start(CardScript{{{"AT+CNUM", "\r\nOK\r\n"}}});
    modem.Command("AT+CNUM").Send();
    EXPECT_EQ(CodeOf([&] { (void)modem.ReadInt(); }), kQdUnexpectedFinal);
}

TEST_P(ModemOverLink, EchoOfTheCommandIsDropped)
{
    Start(withEchoes(1));
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
    modem.WaitFinal();
    EXPECT_TRUE(log.Contains("Qd: Echo line was detected, discarding it"));
}

TEST_P(ModemOverLink, CardThatEchoesTwice)
{
    Start(withEchoes(2));
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "AT+CGMM\r") << "the second echo is a line like any other";
    modem.EndLine();
    modem.Command("AT+CSQ").Send();
    modem.ExpectPrefix("+CSQ:"); // and an answer with a prefix is found behind it
    EXPECT_EQ(modem.ReadInt(), 17);
    modem.WaitFinal();
}

TEST_P(ModemOverLink, EchoIsLookedForInTheFirstLineOnly)
{
    // A card without echo whose answer happens to repeat the command later on.
    Start(CardScript{{{"AT+CGMM", "\r\nTarnwell X1\r\nAT+CGMM\r\r\nOK\r\n"}}});
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
    modem.EndLine();
    EXPECT_EQ(modem.RestOfLine(), "AT+CGMM\r");
    modem.EndLine();
    modem.WaitFinal();
}

TEST_P(ModemOverLink, SilentCardTimesOutAfterTheSetTime)
{
    Start(kCard);
    modem.SetTimeout(300ms);
    modem.Command("AT+COPS?").Send();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdTimeout);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 3s);
    EXPECT_TRUE(log.Contains("Qd: Wait timeout for answer"));
}

TEST_P(ModemOverLink, LateAnswerIsDroppedBeforeTheNextCommand)
{
    Start(kCard);
    modem.SetTimeout(100ms);
    modem.Command("AT+COPS?").Send();
    ASSERT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdTimeout);
    link->Send("\r\n+COPS: 0,0,\"Late Net\"\r\n\r\nOK\r\n");
    WaitUntilQueued(*link, log);

    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
    modem.WaitFinal();
}

TEST_P(ModemOverLink, ExplicitTimeOutHoldsForOneCommandOnly)
{
    CardScript slow = kCard;
    slow.exchanges.push_back({"AT+CFUN?", "\r\n+CFUN: 1\r\n\r\nOK\r\n", 400ms});
    Start(slow);
    modem.SetTimeout(100ms);
    modem.Command("AT+COPS?").Send();
    ASSERT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdTimeout);
    modem.Command("AT+CFUN?").Send(); // back to the default time-out
    modem.ExpectPrefix("+CFUN:");
    EXPECT_EQ(modem.ReadInt(), 1);
    modem.WaitFinal();
}

TEST_P(ModemOverLink, ClosingWhileACallerWaitsFailsItWithNoDevice)
{
    Start(kCard);
    modem.SetTimeoutSeconds(20);
    modem.Command("AT+COPS?").Send();
    auto waiting = std::async(std::launch::async, [&] { return CodeOf([&] { modem.WaitFinal(); }); });
    ASSERT_TRUE(Card().WaitForCommands(1));
    modem.Close();
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready) << "the caller must not wait out its 20 s";
    EXPECT_EQ(waiting.get(), kQdNoDevice);
    EXPECT_TRUE(log.Contains("Qd: Port closed successfully"));
}

TEST_P(ModemOverLink, CardGoingAwayMidAnswerFailsTheCallerAtOnce)
{
    Start(CardScript{{{"AT+CGMR", "\r\n1.0.0.12\r\n"}}});
    modem.SetTimeoutSeconds(20);
    modem.Command("AT+CGMR").Send();
    EXPECT_EQ(modem.RestOfLine(), "1.0.0.12");
    link->HangUp();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdNoDevice);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_P(ModemOverLink, CommandWrittenAfterTheCardWasPulledFailsWithNoDevice)
{
    // A socket takes the first write after its peer has gone; only a tty refuses it.
    if (GetParam() != Link::pty)
        GTEST_SKIP();
    Start(kCard);
    link->HangUp();
    ASSERT_TRUE(modem.WaitForFailure().has_value());
    EXPECT_EQ(CodeOf([&] { modem.Command("AT+CSQ").Send(); }), kQdNoDevice);
    EXPECT_TRUE(log.Contains("Qd: Writing failed with 0x651"));
}

TEST_P(ModemOverLink, SecretsNeverReachTheLogInClear)
{
    Start(withEchoes(1)); // the card echoes the PIN back
    modem.Command("AT+CPIN=\"4711\"").Send(); // sent as normal: the engine knows the command
    modem.WaitFinal();
    modem.Command("AT+CPWD=").Append(QuotedString("SC")).AppendChar(',');
    modem.Append(QuotedString("1234")).AppendChar(',').Append(QuotedString("5678")).Send(kSendSensitive);
    modem.WaitFinal();
    modem.Command("AT+CGMM").Send();
    modem.WaitFinal();

    EXPECT_TRUE(log.Contains("Qd: Modem write: [AT+CPIN=\"XXXX\"]"));
    EXPECT_TRUE(log.Contains("Qd: Modem write: [AT+CPWD=\"XX\",\"XXXX\",\"XXXX\"]"));
    EXPECT_TRUE(log.Contains("write: <Binary logging of sensitive information is disabled>"));
    EXPECT_TRUE(log.Contains("read: <Binary logging of sensitive information is disabled>"));
    EXPECT_TRUE(log.Contains("41 54 2b 43 47 4d 4d")) << "other traffic is dumped as before";
    for (const std::string& message : log.Messages())
        for (const char* secret : {"\"4711\"", "\"1234\"", "\"5678\"", "34 37 31 31", "31 32 33 34", "35 36 37 38"})
            EXPECT_EQ(message.find(secret), std::string::npos) << message;
}

TEST_P(ModemOverLink, UnsolicitedResultsGoToTheOwnerNotIntoTheAnswer)
{
    Start(CardScript{{{"AT+CSQ", "\r\n+CREG: 1\r\n+CSQ: 17,99\r\n\r\nRING\r\n\r\n_TWANCALL: 1,0\r\nOK\r\n"}}});
    modem.Command("AT+CSQ").Send();
    modem.ExpectPrefix("+CSQ:");
    EXPECT_EQ(modem.ReadInt(), 17);
    modem.WaitFinal();
    ASSERT_TRUE(modem.WaitForUnsolicited(3));
    EXPECT_EQ(modem.Unsolicited(), (std::vector<std::string>{"+CREG: 1", "RING", "_TWANCALL: 1,0"}));
}

TEST_P(ModemOverLink, FloodOfUnsolicitedLinesNeitherDelaysNorPollutesTheAnswer)
{
    std::string flood;
    for (int i = 0; i < 3000; ++i)
        flood += "\r\n+CREG: 1\r\n";
    Start(CardScript{{{"AT+CSQ", flood + "\r\n+CSQ: 17,99\r\n\r\nOK\r\n"}}});
    modem.SetTimeoutSeconds(10);
    modem.Command("AT+CSQ").Send();
    modem.ExpectPrefix("+CSQ:");
    EXPECT_EQ(modem.ReadInt(), 17);
    modem.WaitFinal();
    EXPECT_TRUE(modem.WaitForUnsolicited(3000));
}

TEST_P(ModemOverLink, FloodOfStrayLinesIsBoundedAndClearedByTheNextCommand)
{
    Start(kCard);
    std::string flood;
    for (std::size_t i = 0; i < AnswerQueue::kCapacity + 10; ++i)
        flood += "\r\nstray " + std::to_string(i) + "\r\n";
    link->Send(flood);
    WaitUntilQueued(*link, log);
    EXPECT_TRUE(log.Contains("the oldest line was dropped"));
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
}

TEST_P(ModemOverLink, FailingHandlerIsLoggedAndTheLineDropped)
{
    Start(CardScript{{{"AT", "\r\n+CREG: broken\r\n\r\nOK\r\n"}}});
    modem.Command("AT").Send();
    modem.WaitFinal();
    EXPECT_TRUE(log.Contains("Qd: An exception 0x84000008 occured during processing the previous unsolicited "
                             "response (type 5)"));
}

TEST_P(ModemOverLink, MessageAnnouncementReachesTheOwnerWithItsPdu)
{
    Start(kCard);
    link->Send("\r\n+CMT: ,23\r\n07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07\r\n");
    ASSERT_TRUE(modem.WaitForUnsolicited(1));
    EXPECT_EQ(modem.Unsolicited().front(),
              "+CMT: ,23;07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07");
}

TEST_P(ModemOverLink, MessageBodyFollowsThePromptUnchanged)
{
    Start(withEchoes(1));
    modem.Command("AT+CMGS=23").Send();
    modem.ExpectPrefix(">");
    modem.Command("0011000B91\x1a").Send(kSendRaw);
    modem.ExpectPrefix("+CMGS:");
    EXPECT_EQ(modem.ReadInt(), 5);
    modem.WaitFinal();
}

TEST_P(ModemOverLink, OverlongLineIsDroppedAndTheNextLineRead)
{
    Start(CardScript{{{"AT+CGMI", "\r\n" + std::string(1100, 'x') + "\r\nTarnwell\r\n\r\nOK\r\n"}}});
    modem.Command("AT+CGMI").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell");
    modem.WaitFinal();
    EXPECT_TRUE(log.Contains("Qd: Modem::OnRxChar(): too long line (>=1024) received, skipping it"));
}

TEST_P(ModemOverLink, QuotedTextGoesOutInTheGsmAlphabetUnlessVerbatim)
{
    Start(kCard);
    modem.Command("AT+CPBW=1,").Append(QuotedString("Ænne_€")).Send();
    modem.Command("AT+CGDCONT=1,\"IP\",\"my_apn\"").Send(kSendVerbatim);
    ASSERT_TRUE(Card().WaitForCommands(2));
    EXPECT_EQ(Card().Commands(),
              (std::vector<std::string>{"AT+CPBW=1,\"\x1cnne\x11\x1b\x65\"", "AT+CGDCONT=1,\"IP\",\"my_apn\""}));
}

TEST_P(ModemOverLink, CommandLongerThanTheLimitIsNotSent)
{
    Start(kCard);
    modem.Command("AT+CPBW=1,\"").Append(std::string(1011, 'a')).Append("\"").Send(); // 1023 bytes: sent
    EXPECT_EQ(CodeOf([&] { modem.Command("AT+CPBW=1,\"").Append(std::string(1012, 'a')).Append("\"").Send(); }),
              qdSystemError(Os::kErrorInvalidParameter));
    modem.Command("AT").Send();
    ASSERT_TRUE(Card().WaitForCommands(2));
    EXPECT_EQ(Card().Commands().back(), "AT");
}

TEST_P(ModemOverLink, WritesAreDumpedInHex)
{
    Start(kCard);
    modem.Command("AT").Send();
    const char* title = GetParam() == Link::pty ? "Qd: Port write: " : "Qd: Socket write: ";
    EXPECT_TRUE(log.Contains(std::string(title) + "0x0000: 41 54 0d 0a "));
    EXPECT_TRUE(log.Contains("Qd: Modem write: [AT]"));
}

INSTANTIATE_TEST_SUITE_P(Links, ModemOverLink, ::testing::Values(Link::pty, Link::socket),
                         [](const auto& info) { return info.param == Link::pty ? "Pty" : "Socket"; });

// What only one kind of link does.

TEST(ModemOnPty, PulledCardStopsTheReceiverAndTellsTheOwner)
{
    BackendLog log;
    PtyCardLink card(kCard);
    RecordingModem modem;
    modem.Open(OpenMode::serial, card.PortPath());
    EXPECT_TRUE(log.Contains("Qd: Port " + card.PortPath() + " opened successfully in normal I/O mode"));
    card.HangUp();
    EXPECT_EQ(modem.WaitForFailure(), Os::kErrorDeviceRemoved);
    EXPECT_TRUE(log.Contains("Qd: Access denied detected on the serial port (0x651), receiver thread is stopping..."));
}

// Counts the unsolicited results it hears; kept apart from the modem, to outlive its guard.
class CountingEvents final : public ModemEvents {
public:
    int Count() const
    {
        std::lock_guard lock(mutex_);
        return count_;
    }
    bool WaitFor(int count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [&] { return count_ >= count; });
    }

private:
    void OnUnsolicited(Line&) override
    {
        std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }

    mutable std::mutex mutex_; // guards count_: the receiver writes, the test reads
    std::condition_variable changed_;
    int count_ = 0;
};

TEST(ModemOnPty, OwnerHearsTheReceiverOnlyWhileItsGuardLives)
{
    BackendLog log;
    PtyCardLink card(kCard);
    Modem modem(kTiming);
    CountingEvents events;
    {
        const ModemReceiverGuard guard(modem, events);
        modem.Open(OpenMode::serial, card.PortPath());
        card.Send("\r\n+CREG: 1\r\n");
        ASSERT_TRUE(events.WaitFor(1));
    }
    EXPECT_FALSE(modem.IsOpen()); // the guard closed the port on its way out

    modem.Open(OpenMode::serial, card.PortPath());
    card.Send("\r\n+CREG: 2\r\n");
    WaitUntilQueued(card, log); // the receiver is past +CREG: 2
    EXPECT_EQ(events.Count(), 1);
}

TEST(ModemOnPty, OwnerClosingThePortFromTheFailureReportDoesNotHang)
{
    // As the device does when its card is pulled: close from inside the report.
    class ClosingModem final : public Modem, private ModemEvents {
    public:
        ClosingModem() : Modem(kTiming) {}
        std::promise<void> closed;

    private:
        void OnReceiverFailed(int) override
        {
            Close();
            closed.set_value();
        }
        ModemReceiverGuard receiverGuard_{*this, *this};
    };
    BackendLog log;
    PtyCardLink card(kCard);
    ClosingModem modem;
    modem.Open(OpenMode::serial, card.PortPath());
    auto closed = modem.closed.get_future();
    card.HangUp();
    ASSERT_EQ(closed.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(modem.IsOpen());
    EXPECT_EQ(CodeOf([&] { modem.Command("AT").Send(); }), kQdNoDevice);
    EXPECT_TRUE(log.Contains("Qd: Write request is ignored because there is no valid handle"));
}

TEST(ModemOnPty, OverlappedDeviceFileWorksLikeAPort)
{
    BackendLog log;
    PtyCardLink card(kCard);
    RecordingModem modem;
    modem.Open(OpenMode::deviceFileOverlapped, card.PortPath());
    EXPECT_TRUE(log.Contains("opened successfully in overlapped I/O mode"));
    modem.Command("AT+CSQ").Send();
    modem.ExpectPrefix("+CSQ:");
    EXPECT_EQ(modem.ReadInt(), 17);
}

TEST(ModemOnPty, MissingPortIsASystemError)
{
    BackendLog log;
    RecordingModem modem;
    EXPECT_EQ(CodeOf([&] { modem.Open(OpenMode::serial, "/dev/orvanta-no-such-port"); }),
              qdSystemError(Os::kErrorFileNotFound));
    EXPECT_TRUE(log.Contains("Qd: Port::Open: CreateFile() failed, rc=0x2"));
    EXPECT_EQ(CodeOf([&] { modem.Command("AT").Send(); }), kQdNoDevice);
}

TEST(ModemAsSocketServer, HandsOutItsPortAndServesTheClientThatComes)
{
    BackendLog log;
    SocketCardLink card(kCard);
    RecordingModem modem;
    const std::uint16_t port = modem.Open(OpenMode::socketServer, 0);
    ASSERT_NE(port, 0);
    EXPECT_EQ(CodeOf([&] { modem.Command("AT").Send(); }), kQdNoDevice) << "nobody to talk to yet";

    card.ConnectTo(port);
    ASSERT_TRUE(log.WaitFor("Qd: Incoming connection accepted on server socket"));
    modem.Command("AT+CGMM").Send();
    EXPECT_EQ(modem.RestOfLine(), "Tarnwell X1");
}

TEST(ModemAsSocketClient, NobodyListeningIsASystemError)
{
    BackendLog log;
    std::uint16_t port = 0;
    {
        Os::LocalServer gone;
        ASSERT_EQ(gone.listen(0), Os::kErrorSuccess);
        port = gone.port();
    }
    RecordingModem modem;
    EXPECT_EQ(CodeOf([&] { modem.Open(OpenMode::socketClient, port); }), qdSystemError(Os::kErrorConnectionRefused));
    EXPECT_TRUE(log.Contains("Qd: Socket::OpenClient: Failed to connect to local server on port #"));
}

TEST(ModemAsSocketClient, PeerClosingIsLoggedAndEndsWaiting)
{
    BackendLog log;
    SocketCardLink card(kCard);
    RecordingModem modem;
    modem.Open(OpenMode::socketClient, card.Listen());
    ASSERT_TRUE(card.WaitForConnection());
    modem.SetTimeoutSeconds(20);
    modem.Command("AT+COPS?").Send();
    ASSERT_TRUE(card.card.WaitForCommands(1));
    card.HangUp();
    EXPECT_EQ(CodeOf([&] { modem.WaitFinal(); }), kQdNoDevice);
    EXPECT_TRUE(log.WaitFor("has been closed, receiver thread is stopping..."));
    EXPECT_FALSE(modem.WaitForFailure(0ms).has_value()) << "an orderly close is no receiver failure";
}

} // namespace
} // namespace GSM
