// The card's logic in this process, on a reactor that the test turns: no threads, real
// pseudo-terminals, inotify and timers.

#include "sim/cardsim/VirtualCard.h"

#include "sim/cardsim/Nmea.h"
#include "platform/SerialPort.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <fstream>
#include <iterator>

namespace Cardsim {
namespace {

using namespace testing;
using namespace std::chrono_literals;

// Three fixes, a group each; the checksums are put on below.
constexpr const char* kCapture[] = {
    "$GPGGA,100000.00,4807.00000,N,01131.00000,E,1,08,1.0,500.0,M,47.0,M,,",
    "$GPRMC,100000.00,A,4807.00000,N,01131.00000,E,1.0,90.0,150624,,,A",
    "$GPGGA,100001.00,4807.00100,N,01131.00000,E,1,08,1.0,500.0,M,47.0,M,,",
    "$GPRMC,100001.00,A,4807.00100,N,01131.00000,E,1.0,90.0,150624,,,A",
    "$GPGGA,100002.00,4807.00200,N,01131.00000,E,1,08,1.0,500.0,M,47.0,M,,",
    "$GPRMC,100002.00,A,4807.00200,N,01131.00000,E,1.0,90.0,150624,,,A",
};

Track capture()
{
    std::string text;
    for (const char* body : kCapture)
        text += Nmea::sentenceOf(Nmea::fieldsOf(body)) + "\n";
    std::string problem;
    return *Track::parse(text, problem);
}

// The number of hosts on a port, as the status line tells it.
int openersOf(const std::string& status, std::string_view role)
{
    const std::size_t port = status.find(" " + std::string(role) + "=");
    const std::size_t openers = status.find("(openers=", port);
    return port == std::string::npos || openers == std::string::npos ? -1 : std::atoi(status.c_str() + openers + 9);
}

// The lines of `text` without their CR LF.
std::vector<std::string> linesOf(std::string text)
{
    std::vector<std::string> lines;
    for (std::size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2))
        lines.push_back(text.substr(0, end));
    return lines;
}

class InProcessCard : public ::testing::Test {
protected:
    void start(const std::string& profile = "gps", std::function<void(CardSetup&)> adjust = {})
    {
        CardSetup setup;
        setup.profile = findProfile(profile);
        setup.ids = {setup.profile->vendorId, setup.profile->productId, "RX0001"};
        setup.folder = folder.path();
        setup.name = "card";
        setup.rate = 50;
        if (adjust)
            adjust(setup);
        card.emplace(reactor, setup, capture());
        ASSERT_EQ(card->error(), 0);
        ASSERT_EQ(card->plug(), 0);
    }

    std::string control(const std::string& line)
    {
        const ParsedControl parsed = parseControlLine(line);
        EXPECT_TRUE(parsed.command) << parsed.problem;
        return parsed.command ? card->execute(*parsed.command) : "";
    }

    HostPort open(PortRole role) { return HostPort(card->portPath(role)); }

    // Sends `command` and waits for the answer to end with `last`.
    bool ask(HostPort& port, const std::string& command, const std::string& last)
    {
        port.write(command + "\r\n");
        return pumpUntil(reactor, [&] { return port.received().ends_with(last); });
    }

    std::string descriptionText() const
    {
        std::ifstream in(folder / "card.json");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    Orvanta::testing::TestFolder folder;
    Reactor reactor;
    std::optional<VirtualCard> card;
};

TEST_F(InProcessCard, ForcedAnswersHoldUntilHealed)
{
    start();
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "ATE0;+CMEE=1", "OK\r\n"));
    EXPECT_EQ(control("fail AT+CGMR 10"), "OK");
    app.forget();
    ASSERT_TRUE(ask(app, "AT+CGMR", "\r\n+CME ERROR: 10\r\n"));
    EXPECT_EQ(control("heal AT+CGMR"), "OK");
    EXPECT_EQ(control("heal AT+CGMR").rfind("ERROR", 0), 0u) << "nothing left to heal";
    app.forget();
    ASSERT_TRUE(ask(app, "AT+CGMR", "\r\n4.2.17\r\n\r\nOK\r\n"));
}

TEST_F(InProcessCard, FaultsFromTheCommandLineApplyFromTheStart)
{
    start("gps", [](CardSetup& setup) { setup.faults = {"AT_TGPS= error 1"}; });
    HostPort control = open(PortRole::gpsControl);
    ASSERT_TRUE(ask(control, "ATE0", "OK\r\n"));
    control.forget();
    ASSERT_TRUE(ask(control, "AT_TGPS=2", "\r\nERROR\r\n"));
    control.forget();
    ASSERT_TRUE(ask(control, "AT_TGPS=2", "\r\nOK\r\n")) << "used up after once";
}

TEST_F(InProcessCard, SilentCardSwallowsInputUntilUnsilenced)
{
    start();
    HostPort app = open(PortRole::application);
    EXPECT_EQ(control("silence"), "OK");
    app.write("AT\r\n");
    // Nothing may come; give it time to show that nothing does.
    EXPECT_FALSE(pumpUntil(reactor, [&] { return !app.received().empty(); }, 300ms));
    EXPECT_EQ(control("unsilence"), "OK");
    app.write("ATE");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received() == "ATE"; }));
    // A spell of silence ends what the host had begun to type.
    EXPECT_EQ(control("silence"), "OK");
    EXPECT_EQ(control("unsilence"), "OK");
    ASSERT_TRUE(ask(app, "AT", "\r\n")) << app.received();
    EXPECT_EQ(app.received(), "ATEAT\r\r\nOK\r\n");
}

TEST_F(InProcessCard, StreamsTheTrackWhileTheReceiverIsOnAndWithholdsTheFixWhenLost)
{
    start();
    HostPort data = open(PortRole::gpsData);
    HostPort gps = open(PortRole::gpsControl);
    ASSERT_TRUE(ask(gps, "AT_TGPS=2", "OK\r\n"));
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("$GPRMC,100002.00,A") != std::string::npos; }));
    EXPECT_EQ(control("lose-fix"), "OK");
    data.forget();
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("$GPRMC,100001.00,V,,,,,,,") != std::string::npos; }));
    EXPECT_EQ(control("regain-fix"), "OK");
    data.forget();
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find(",A,4807.00") != std::string::npos; }));
    ASSERT_TRUE(ask(gps, "AT_TGPS=0", "OK\r\n"));
    // Whatever was on its way has come; after that, silence on the data port.
    pumpUntil(reactor, [] { return false; }, 100ms);
    data.forget();
    EXPECT_FALSE(pumpUntil(reactor, [&] { return !data.received().empty(); }, 200ms));
}

TEST_F(InProcessCard, TimeToFirstFixShowsAsVoidRmcFirst)
{
    start("gps", [](CardSetup& setup) { setup.timeToFirstFix = 300ms; });
    HostPort data = open(PortRole::gpsData);
    EXPECT_EQ(control("gps on"), "OK");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("RMC,1000") != std::string::npos; }));
    EXPECT_NE(data.received().find(",V,,,,,,,150624"), std::string::npos) << data.received();
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find(",A,4807.00") != std::string::npos; }));
}

TEST_F(InProcessCard, GarbledLinesFailTheirChecksumThenTheStreamIsClean)
{
    start("gps", [](CardSetup& setup) { setup.receiverOnAtPowerOn = true; });
    HostPort data = open(PortRole::gpsData);
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("\r\n") != std::string::npos; }));
    pumpUntil(reactor, [] { return false; }, 30ms);
    EXPECT_EQ(control("garble 2 gps-data"), "OK");
    data.forget();
    ASSERT_TRUE(pumpUntil(reactor, [&] {
        const std::string& text = data.received();
        return std::count(text.begin(), text.end(), '\n') >= 6;
    }));
    std::vector<bool> valid;
    for (const std::string& line : linesOf(data.received()))
        valid.push_back(Nmea::hasValidChecksum(line));
    ASSERT_GE(valid.size(), 4u);
    EXPECT_EQ(std::vector<bool>(valid.begin(), valid.begin() + 4), (std::vector<bool>{false, false, true, true}));
}

TEST_F(InProcessCard, HostsExclusiveUseEndsWithItsClose)
{
    start();
    const std::string path = card->portPath(PortRole::application);
    {
        Os::SerialPort port;
        ASSERT_EQ(port.open(path), 0);
        HostPort probe(path); // the test runs privileged enough to look past the mark
        int exclusive = 0;
        ASSERT_EQ(::ioctl(probe.fd(), TIOCGEXCL, &exclusive), 0);
        ASSERT_EQ(exclusive, 1) << "the host's open sets the mark";
    }
    // A pseudo-terminal keeps the mark after the close; the card takes it off, so that the
    // next opener without privileges is not refused.
    HostPort probe(path);
    ASSERT_TRUE(probe.isOpen());
    probe.close();
    ASSERT_TRUE(pumpUntil(reactor, [&] {
        HostPort look(path);
        int exclusive = 1;
        return ::ioctl(look.fd(), TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
    }));
}

TEST_F(InProcessCard, WhatNobodyReadsIsNotKeptForTheNextHost)
{
    start("gps", [](CardSetup& setup) { setup.receiverOnAtPowerOn = true; });
    {
        HostPort data = open(PortRole::gpsData);
        ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("$GPRMC") != std::string::npos; }));
        ASSERT_TRUE(pumpUntil(reactor, [&] { return openersOf(control("status"), "gps-data") == 1; }));
        // Ticks on while the host does not read, then the host goes.
        pumpUntil(reactor, [] { return false; }, 100ms);
    }
    ASSERT_TRUE(pumpUntil(reactor, [&] { return openersOf(control("status"), "gps-data") == 0; }));
    pumpUntil(reactor, [] { return false; }, 100ms);
    HostPort next = open(PortRole::gpsData);
    // The first thing the next host reads is a whole line of a fresh group.
    ASSERT_TRUE(pumpUntil(reactor, [&] { return next.received().find("\r\n") != std::string::npos; }));
    EXPECT_EQ(next.received().rfind("$GPGGA", 0), 0u) << next.received();
}

TEST_F(InProcessCard, UnplugEndsTheHostsPortsAndPlugBringsTheCardBack)
{
    start();
    const std::string before = descriptionText();
    ASSERT_NE(before.find("USB\\\\VID_1C2A&PID_7501\\\\RX0001"), std::string::npos) << before;
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "ATE0", "OK\r\n"));
    EXPECT_EQ(control("unplug"), "OK");
    EXPECT_TRUE(app.ended()) << "reads report the pulled card";
    EXPECT_FALSE(std::filesystem::exists(folder / "card.json"));
    EXPECT_EQ(card->portPath(PortRole::application), "");
    EXPECT_EQ(control("gps on").rfind("ERROR", 0), 0u);

    EXPECT_EQ(control("plug"), "OK");
    EXPECT_NE(descriptionText().find("USB\\\\VID_1C2A&PID_7501\\\\RX0001"), std::string::npos);
    HostPort again = open(PortRole::application);
    ASSERT_TRUE(ask(again, "AT", "AT\r\r\nOK\r\n")) << "a new session: echo is on again";
}

TEST_F(InProcessCard, UnsolicitedResultsGoToTheChosenAtPorts)
{
    start();
    HostPort app = open(PortRole::application);
    HostPort modem = open(PortRole::modem);
    EXPECT_EQ(control("urc app +CREG: 1"), "OK");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received() == "\r\n+CREG: 1\r\n"; }));
    EXPECT_EQ(control("urc all RING"), "OK");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return modem.received() == "\r\nRING\r\n"; }));
}

TEST_F(InProcessCard, PowerEventsAreLinesOfThePowerFile)
{
    start();
    EXPECT_EQ(control("suspend"), "OK");
    EXPECT_EQ(control("resume"), "OK");
    std::ifstream in(folder / "power");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "suspend\nresume\n");
}

TEST_F(InProcessCard, CardWithoutGpsHasNeitherReceiverNorGpsPorts)
{
    start("no-gps");
    EXPECT_EQ(card->portPath(PortRole::gpsControl), "");
    EXPECT_EQ(card->portPath(PortRole::gpsData), "");
    EXPECT_EQ(control("gps on").rfind("ERROR", 0), 0u);
    EXPECT_EQ(control("lose-fix").rfind("ERROR", 0), 0u);
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "AT_TGPS?", "\r\nERROR\r\n"));
}

TEST_F(InProcessCard, DataOnlyCardStreamsWithoutAControlPort)
{
    start("gps-data-only", [](CardSetup& setup) { setup.receiverOnAtPowerOn = true; });
    EXPECT_EQ(card->portPath(PortRole::gpsControl), "");
    HostPort data = open(PortRole::gpsData);
    ASSERT_TRUE(pumpUntil(reactor, [&] { return data.received().find("$GPRMC") != std::string::npos; }));
}

TEST_F(InProcessCard, NetworkReportsGoOnlyToThePortThatSwitchedThemOn)
{
    start();
    HostPort app = open(PortRole::application);
    HostPort modem = open(PortRole::modem);
    ASSERT_TRUE(ask(app, "ATE0;+CREG=1;+CGREG=2", "OK\r\n"));
    ASSERT_TRUE(ask(modem, "ATE0", "OK\r\n"));
    app.forget();
    modem.forget();
    EXPECT_EQ(control("register roaming"), "OK");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received().find("+CGREG") != std::string::npos; }));
    EXPECT_EQ(app.received(), "\r\n+CREG: 5\r\n\r\n+CGREG: 5,\"2F1E\",\"5A03\"\r\n");
    EXPECT_EQ(modem.received(), "") << "written in the same turn, had it been meant for this port";
}

TEST_F(InProcessCard, ScanAnswersLateWhileTheOtherPortsAnswerAtOnce)
{
    start();
    EXPECT_EQ(control("scan-delay 400"), "OK");
    HostPort app = open(PortRole::application);
    HostPort modem = open(PortRole::modem);
    ASSERT_TRUE(ask(app, "ATE0", "OK\r\n"));
    app.forget();
    app.write("AT+COPS=?\r\n");
    app.write("AT+CSQ\r\n");
    ASSERT_TRUE(ask(modem, "AT+CGMM", "GX750\r\n\r\nOK\r\n")) << "the card goes on answering";
    EXPECT_EQ(app.received(), "") << "the scan takes its time";
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received().ends_with("+CSQ: 20,99\r\n\r\nOK\r\n"); }));
    EXPECT_EQ(app.received().rfind("\r\n+COPS: (2,\"Orvanta Test Net\",\"OTN\",\"00101\",2),", 0), 0u)
        << app.received();
    EXPECT_NE(app.received().find(",,(0,1,2,3,4),(0,1,2)\r\n\r\nOK\r\n\r\n+CSQ"), std::string::npos)
        << "what came meanwhile is answered after the scan";
}

TEST_F(InProcessCard, RadioOffAndOnDropsAndRestoresTheRegistrationOnTheCardsTimers)
{
    start();
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "ATE0;+CREG=1", "OK\r\n"));
    app.forget();
    ASSERT_TRUE(ask(app, "AT+CFUN=0", "+CREG: 0\r\n"));
    EXPECT_EQ(app.received(), "\r\nOK\r\n\r\n+CREG: 0\r\n");
    EXPECT_NE(control("status").find(" cs=none ps=none"), std::string::npos);
    app.forget();
    ASSERT_TRUE(ask(app, "AT+CFUN=1", "+CREG: 2\r\n"));
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received().ends_with("+CREG: 1\r\n"); }));
    EXPECT_EQ(app.received(), "\r\nOK\r\n\r\n+CREG: 2\r\n\r\n+CREG: 1\r\n");
}

TEST_F(InProcessCard, StartUpNetworkCommandsSetTheNetworkBeforeThePlug)
{
    start("gps", [](CardSetup& setup) {
        setup.networkCommands = {"register roaming", "operator 302720 \"Orvanta Partner North\" OPN roaming",
                                 "imsi 302370123456789", "signal 9", "tech edge"};
    });
    const std::string status = control("status");
    EXPECT_NE(status.find(" cs=roaming ps=roaming mode=0 operator=302720 tech=edge"), std::string::npos) << status;
    EXPECT_NE(status.find(" rssi=9 cfun=1 radio-switch=on call=idle"), std::string::npos) << status;
    EXPECT_NE(status.find(" imsi=302370123456789"), std::string::npos) << status;
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "ATE0;+CIMI;+COPS=3,2;+COPS?;+CSQ", "+CSQ: 9,99\r\n\r\nOK\r\n"));
    EXPECT_NE(app.received().find("\r\n302370123456789\r\n\r\n+COPS: 0,2,\"302720\",3\r\n"), std::string::npos)
        << app.received();
}

TEST_F(InProcessCard, IncomingCallRingsOnEveryPortWithTheNumberWhereAskedFor)
{
    start();
    HostPort app = open(PortRole::application);
    HostPort modem = open(PortRole::modem);
    ASSERT_TRUE(ask(app, "ATE0;+CLIP=1", "OK\r\n"));
    ASSERT_TRUE(ask(modem, "ATE0", "OK\r\n"));
    app.forget();
    modem.forget();
    EXPECT_EQ(control("ring +15551234"), "OK");
    EXPECT_EQ(control("ring +15559999").rfind("ERROR", 0), 0u) << "one call at a time";
    ASSERT_TRUE(pumpUntil(reactor, [&] { return !app.received().empty() && !modem.received().empty(); }));
    EXPECT_EQ(app.received(), "\r\nRING\r\n\r\n+CLIP: \"+15551234\",145\r\n");
    EXPECT_EQ(modem.received(), "\r\nRING\r\n");
    EXPECT_NE(control("status").find(" call=ringing"), std::string::npos);
    app.forget();
    EXPECT_EQ(control("hangup"), "OK");
    ASSERT_TRUE(pumpUntil(reactor, [&] { return app.received() == "\r\nNO CARRIER\r\n"; }));
    EXPECT_EQ(control("hangup").rfind("ERROR", 0), 0u) << "no call left";
}

TEST_F(InProcessCard, ReplugPowersTheRadioOnAgainButKeepsTheNetwork)
{
    start();
    HostPort app = open(PortRole::application);
    ASSERT_TRUE(ask(app, "AT+CFUN=0", "OK\r\n"));
    EXPECT_EQ(control("operator 00105 Five F5"), "OK");
    EXPECT_EQ(control("replug"), "OK");
    HostPort again = open(PortRole::application);
    ASSERT_TRUE(ask(again, "ATE0;+CFUN?;+COPS=3,1;+COPS?", "OK\r\n"));
    ASSERT_TRUE(pumpUntil(reactor, [&] { return again.received().ends_with("\",4\r\n\r\nOK\r\n"); }));
    EXPECT_EQ(again.received(), "ATE0;+CFUN?;+COPS=3,1;+COPS?\r\r\n+CFUN: 1\r\n\r\n+COPS: 0,1,\"F5\",4\r\n\r\nOK\r\n");
}

TEST_F(InProcessCard, VerboseLogShowsTheDialogueWithTheCodesMasked)
{
    ::testing::internal::CaptureStderr();
    start("gps", [](CardSetup& setup) {
        setup.verbose = true;
        setup.sim = {{"2468", "97531864", true}, true};
    });
    HostPort app = open(PortRole::application);
    // The code comes in two reads.
    app.write("AT+CMEE=1;+CPIN=\"24");
    const bool firstPiece = pumpUntil(reactor, [&] { return app.received().ends_with("+CPIN=\"24"); });
    const bool entered = ask(app, "68\"", "\r\nOK\r\n");
    const bool changed = ask(app, "AT+CPWD=\"SC\",\"2468\",\"97531864\"", "\r\nOK\r\n");
    const bool refused = ask(app, "AT+CLCK=\"SC\",0,\"2468\"", "+CME ERROR: 16\r\n");
    EXPECT_EQ(control("silence"), "OK");
    app.write("AT+CPIN=\"97531864\"\r");
    pumpUntil(reactor, [] { return false; }, 100ms);
    card->unplug();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(firstPiece && entered && changed && refused) << app.received();
    EXPECT_EQ(log.find("2468"), std::string::npos) << log;
    EXPECT_EQ(log.find("97531864"), std::string::npos) << log;
    EXPECT_NE(log.find("app < AT+CMEE=1;+CPIN=\"XX\n"), std::string::npos) << log;
    EXPECT_NE(log.find("app < XX\"\\r\\n"), std::string::npos) << log;
    EXPECT_NE(log.find("app < AT+CPWD=\"XX\",\"XXXX\",\"XXXXXXXX\"\\r\\n"), std::string::npos) << log;
    EXPECT_NE(log.find("app swallowed: AT+CPIN=\"XXXXXXXX\"\\r"), std::string::npos) << log;
    EXPECT_NE(log.find("app > +CME ERROR: 16"), std::string::npos) << "the answers are logged as they are";
}

TEST_F(InProcessCard, SilencedCardLetsItsLateAnswerGo)
{
    start();
    EXPECT_EQ(control("scan-delay 100"), "OK");
    HostPort app = open(PortRole::application);
    // The echo tells that the card has taken the command.
    ASSERT_TRUE(ask(app, "AT+COPS=?", "AT+COPS=?\r"));
    app.forget();
    EXPECT_EQ(control("silence"), "OK");
    // Give the scan time to end, and show that nothing comes of it.
    EXPECT_FALSE(pumpUntil(reactor, [&] { return !app.received().empty(); }, 400ms));
    EXPECT_EQ(control("unsilence"), "OK");
    ASSERT_TRUE(ask(app, "AT", "\r\nOK\r\n"));
    EXPECT_EQ(app.received(), "AT\r\r\nOK\r\n");
}

} // namespace
} // namespace Cardsim
