// orvanta-cardsim as the libraries meet it: a process of its own, seen through the
// simulated device tree and opened through the platform's serial ports.

#include "tests/sim/SimTestSupport.h"

#include "sim/cardsim/Nmea.h"

#include "platform/DeviceClasses.h"
#include "platform/DeviceDescription.h"
#include "platform/SerialPort.h"
#include "platform/SimDeviceTree.h"
#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>

namespace Cardsim {
namespace {

using namespace testing;
using namespace std::chrono_literals;
using Orvanta::testing::MessageRecorder;

bool isRmc(const std::string& line) { return line.rfind("$GPRMC", 0) == 0; }

// A serial port of the card as the backend opens it, with its lines collected.
struct HostSerialPort {
    LineCollector lines; // outlives the port whose receiver reports to it
    Os::SerialPort port;

    bool open(const std::string& path)
    {
        return !path.empty() && port.open(path) == Os::kErrorSuccess && port.startReceiver(lines.receiver()) == 0;
    }

    // Sends a command and waits for its final result line; the lines of the answer stay
    // collected until the next command.
    bool command(const std::string& text, const std::string& finalLine)
    {
        lines.clear();
        const std::string bytes = text + "\r\n";
        port.write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, 1s);
        return lines.waitForLine([&](const std::string& line) { return line == finalLine; });
    }

    bool answered(const std::string& expected)
    {
        return lines.waitForLine([&](const std::string& line) { return line == expected; }, 0s);
    }
};

// Whether a device tree message announces (or retracts) the node whose instance ID starts
// with `prefix`, through its interface name.
bool announces(const std::vector<Os::Message>& messages, std::uintptr_t event, const std::string& cardId)
{
    const std::string link = Os::interfaceLinkName(cardId, Os::kInterfaceUsbDevice);
    for (const Os::Message& message : messages)
        if (message.message == Os::kWmDeviceChange && message.wParam == event)
            if (const auto* broadcast = std::any_cast<Os::DeviceBroadcast>(&message.attachment);
                broadcast != nullptr && Os::upperCase(broadcast->name) == Os::upperCase(link))
                return true;
    return false;
}

class CardOnTermination : public ::testing::TestWithParam<int> {};

TEST_P(CardOnTermination, DescriptionAppearsInTheTreeAndLeavesWithTheProgram)
{
    CardsimProcess card;
    auto tree = Os::SimDeviceTree::open(card.simDir());
    ASSERT_TRUE(tree);
    MessageRecorder recorder;
    Os::MessageLoop loop(recorder.handler());
    const auto watch = tree.value()->watch(loop);

    ASSERT_TRUE(card.start({"--serial", "RX0042"}));
    const std::string cardId = "USB\\VID_1C2A&PID_7501\\RX0042";
    ASSERT_TRUE(recorder.waitFor([&](const auto& messages) { return announces(messages, Os::kDbtDeviceArrival, cardId); }));

    // The tree holds the card with its four functions, each port a real terminal.
    const Os::DeviceTree& view = *tree.value();
    const auto node = view.locate(cardId);
    ASSERT_TRUE(node);
    std::vector<std::string> names;
    for (auto child = view.firstChild(node.value()); child; child = view.nextSibling(child.value())) {
        names.push_back(view.friendlyName(child.value()).valueOr(""));
        const auto port = view.property(child.value(), Os::DeviceProperty::portName);
        ASSERT_TRUE(port);
        EXPECT_TRUE(std::filesystem::is_character_file(Os::devicePathOf(port.value()))) << port.value();
        EXPECT_EQ(view.status(child.value()).value().problem, 0u);
    }
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0].rfind("Roamex Modem Interface (pts/", 0), 0u) << names[0];
    EXPECT_EQ(names[1].rfind("Roamex Application Interface (pts/", 0), 0u) << names[1];
    EXPECT_EQ(names[2].rfind("Roamex GPS Control Port (pts/", 0), 0u) << names[2];
    EXPECT_EQ(names[3].rfind("Roamex GPS Data Port (pts/", 0), 0u) << names[3];

    const auto status = card.stopWith(GetParam());
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, (Os::ExitStatus{false, 0}));
    ASSERT_TRUE(recorder.waitFor(
        [&](const auto& messages) { return announces(messages, Os::kDbtDeviceRemoveComplete, cardId); }));
    EXPECT_FALSE(std::filesystem::exists(card.descriptionFile()));
    EXPECT_FALSE(std::filesystem::exists(card.socketFile()));
}

INSTANTIATE_TEST_SUITE_P(Signals, CardOnTermination, ::testing::Values(SIGTERM, SIGINT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "Sigterm" : "Sigint");
                         });

TEST(CardProcess, GpsDialogueOnTheControlPortStartsNmeaWithValidChecksums)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--ttff", "0"}));
    HostSerialPort control;
    HostSerialPort data;
    ASSERT_TRUE(control.open(card.portOf("GPS Control")));
    ASSERT_TRUE(data.open(card.portOf("GPS Data")));

    ASSERT_TRUE(control.command("ATE0", "OK"));
    ASSERT_TRUE(control.command("AT+CMEE=1", "OK"));
    ASSERT_TRUE(control.command("AT_TGPS?", "OK"));
    EXPECT_TRUE(control.answered("_TGPS: 0"));
    EXPECT_TRUE(data.lines.lines().empty()) << "the receiver is off";
    ASSERT_TRUE(control.command("AT_TGPSP=7,2", "OK"));
    ASSERT_TRUE(control.command("AT_TGPS=2", "OK"));
    ASSERT_TRUE(control.command("AT_TGPS?", "OK"));
    EXPECT_TRUE(control.answered("_TGPS: 2"));

    ASSERT_TRUE(data.lines.waitForCount(isRmc, 2));
    for (const std::string& line : data.lines.lines()) {
        EXPECT_TRUE(Nmea::hasValidChecksum(line)) << line;
        EXPECT_EQ(line.rfind("$GP", 0), 0u) << line;
    }
    EXPECT_TRUE(data.lines.waitForLine([](const std::string& line) { return isRmc(line) && line.find(",A,") != std::string::npos; }, 0s));
}

TEST(CardProcess, LostFixShowsAsRmcStatusVoid)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--gps", "on", "--ttff", "0", "--rate", "5"}));
    HostSerialPort data;
    ASSERT_TRUE(data.open(card.portOf("GPS Data")));
    ASSERT_TRUE(data.lines.waitForLine([](const std::string& line) { return isRmc(line) && line.find(",A,") != std::string::npos; }));
    EXPECT_EQ(card.control("lose-fix"), "OK");
    ASSERT_TRUE(data.lines.waitForLine([](const std::string& line) {
        return isRmc(line) && Nmea::fieldsOf(line)[2] == "V" && Nmea::fieldsOf(line)[3].empty();
    }));
    data.lines.clear();
    EXPECT_EQ(card.control("regain-fix"), "OK");
    ASSERT_TRUE(data.lines.waitForLine([](const std::string& line) { return isRmc(line) && Nmea::fieldsOf(line)[2] == "A"; }));
}

TEST(CardProcess, UnplugEndsReadsAndRemovesTheCardAndReplugBringsItBack)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--serial", "RX0043"}));
    auto tree = Os::SimDeviceTree::open(card.simDir());
    ASSERT_TRUE(tree);
    MessageRecorder recorder;
    Os::MessageLoop loop(recorder.handler());
    const auto watch = tree.value()->watch(loop);
    const std::string cardId = "USB\\VID_1C2A&PID_7501\\RX0043";
    ASSERT_TRUE(tree.value()->locate(cardId));

    HostSerialPort app;
    HostSerialPort data;
    ASSERT_TRUE(app.open(card.portOf("Application Interface")));
    ASSERT_TRUE(data.open(card.portOf("GPS Data")));
    ASSERT_TRUE(app.command("ATE0", "OK"));

    EXPECT_EQ(card.control("unplug"), "OK");
    for (LineCollector* lines : {&app.lines, &data.lines}) {
        ASSERT_TRUE(lines->waitForEnd());
        EXPECT_EQ(lines->end()->outcome, Os::IoResult::Outcome::failed);
        EXPECT_TRUE(Os::isDeviceRemoval(lines->end()->error)) << lines->end()->error;
    }
    ASSERT_TRUE(recorder.waitFor(
        [&](const auto& messages) { return announces(messages, Os::kDbtDeviceRemoveComplete, cardId); }));
    EXPECT_FALSE(tree.value()->locate(cardId));

    EXPECT_EQ(card.control("plug"), "OK");
    ASSERT_TRUE(recorder.waitFor([&](const auto& messages) { return announces(messages, Os::kDbtDeviceArrival, cardId); }));
    HostSerialPort again;
    ASSERT_TRUE(again.open(card.portOf("Application Interface")));
    ASSERT_TRUE(again.command("AT+CGMM", "OK"));
    EXPECT_TRUE(again.answered("GX750"));
}

TEST(CardProcess, RateOptionSendsManyGroupsASecond)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--gps", "on", "--ttff", "0", "--rate", "100"}));
    HostSerialPort data;
    ASSERT_TRUE(data.open(card.portOf("GPS Data")));
    // At one group a second this would take more than three minutes.
    EXPECT_TRUE(data.lines.waitForCount(isRmc, 200, 20s));
    for (const std::string& line : data.lines.lines())
        ASSERT_TRUE(Nmea::hasValidChecksum(line)) << line;
}

TEST(CardProcess, CaptureFileIsPlayedAsItIsAndLooped)
{
    Orvanta::testing::TestFolder files;
    const std::vector<std::string> sentences{
        "$GPRMC,010203.00,A,5130.00000,N,00007.00000,W,0.0,0.0,010124,,,A",
        "$GPRMC,010204.00,A,5130.00100,N,00007.00000,W,0.0,0.0,010124,,,A",
    };
    std::string text;
    std::vector<std::string> expected;
    for (const std::string& body : sentences) {
        expected.push_back(Nmea::sentenceOf(Nmea::fieldsOf(body)));
        text += expected.back() + "\r\n";
    }
    files.write("capture.nmea", text);
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--gps", "on", "--ttff", "0", "--rate", "20", "--track", (files / "capture.nmea").string()}));
    HostSerialPort data;
    ASSERT_TRUE(data.open(card.portOf("GPS Data")));
    ASSERT_TRUE(data.lines.waitForCount(isRmc, 5));
    const auto lines = data.lines.lines();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const bool first = lines[i - 1] == expected[0];
        EXPECT_EQ(lines[i], expected[first ? 1 : 0]) << "line " << i;
    }
}

TEST(CardProcess, SendOptionTalksToTheRunningCard)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--profile", "no-gps"}));
    Os::Process client;
    ASSERT_EQ(client.spawn("env", {"ORVANTA_SIM_DIR=" + card.simDir().string(), ORVANTA_CARDSIM, "--name", "card",
                                   "--send", "status"},
                           {.pipeOutput = true}),
              0);
    const auto line = Orvanta::testing::readLine(client.outputFd(), 20s);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rfind("OK plugged profile=no-gps usb=1C2A:7001", 0), 0u) << *line;
    ASSERT_EQ(client.waitForExit(20s).status, Os::WaitStatus::signalled);
    EXPECT_EQ(client.exitStatus(), (Os::ExitStatus{false, 0}));
    EXPECT_EQ(card.control("explode").rfind("ERROR unknown command", 0), 0u);
    EXPECT_EQ(card.control("status").rfind("OK plugged", 0), 0u) << "a refused command leaves the socket usable";
}

TEST(CardProcess, SecondCardOfTheSameNameIsRefused)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({}));
    Os::Process second;
    ASSERT_EQ(second.spawn("env", {"ORVANTA_SIM_DIR=" + card.simDir().string(), ORVANTA_CARDSIM, "--name", "card"}), 0);
    ASSERT_EQ(second.waitForExit(20s).status, Os::WaitStatus::signalled);
    EXPECT_EQ(second.exitStatus(), (Os::ExitStatus{false, 1}));
    EXPECT_EQ(card.control("status").rfind("OK plugged", 0), 0u) << "the first card runs on";
}

TEST(CardProcess, StartUpNetworkOptionsAndReportsOnTheApplicationPort)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--profile", "no-gps", "--network", "roaming", "--operator",
                            "302720 \"Orvanta Partner North\" OPN roaming", "--imsi", "302370123456789",
                            "--scan-delay", "200"}));
    HostSerialPort app;
    ASSERT_TRUE(app.open(card.portOf("Application Interface")));
    ASSERT_TRUE(app.command("ATE0", "OK"));
    ASSERT_TRUE(app.command("AT+CIMI", "OK"));
    EXPECT_TRUE(app.answered("302370123456789"));
    ASSERT_TRUE(app.command("AT+COPS=3,2;+COPS?;+CREG?", "OK"));
    EXPECT_TRUE(app.answered("+COPS: 0,2,\"302720\",4"));
    EXPECT_TRUE(app.answered("+CREG: 0,5"));

    ASSERT_TRUE(app.command("AT+CREG=1;_TSQI=1", "OK"));
    EXPECT_EQ(card.control("register home cs"), "OK");
    EXPECT_TRUE(app.lines.waitForLine([](const std::string& line) { return line == "+CREG: 1"; }));
    EXPECT_EQ(card.control("signal 5"), "OK");
    EXPECT_TRUE(app.lines.waitForLine([](const std::string& line) { return line == "_TSIGQ: 5,99"; }));

    ASSERT_TRUE(app.command("AT+COPS=?", "OK"));
    EXPECT_TRUE(app.lines.waitForLine(
        [](const std::string& line) { return line.rfind("+COPS: (2,\"Orvanta Partner North\",\"OPN\",\"302720\",2),", 0) == 0; },
        0s));
    const std::string status = card.control("status");
    EXPECT_NE(status.find(" cs=home ps=roaming"), std::string::npos) << status;
}

TEST(CardProcess, PinOptionLocksTheSimAndHoldsTheNetworkUntilThePinIsIn)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--profile", "no-gps", "--pin", "2468", "--puk", "97531864"}));
    HostSerialPort app;
    ASSERT_TRUE(app.open(card.portOf("Application Interface")));
    ASSERT_TRUE(app.command("ATE0;+CMEE=1;+CREG=1", "OK"));
    ASSERT_TRUE(app.command("AT+CPIN?;+CREG?", "OK"));
    EXPECT_TRUE(app.answered("+CPIN: SIM PIN"));
    EXPECT_TRUE(app.answered("+CREG: 1,0"));
    EXPECT_TRUE(app.command("AT+CIMI", "+CME ERROR: 11"));
    EXPECT_TRUE(app.command("AT+CPIN=\"1357\"", "+CME ERROR: 16"));
    EXPECT_EQ(card.control("sim"), "OK state=pin-needed lock=on pin-left=2 puk-left=10");
    ASSERT_TRUE(app.command("AT+CPIN=\"2468\"", "OK"));
    EXPECT_TRUE(app.lines.waitForLine([](const std::string& line) { return line == "+CREG: 1"; }));
    EXPECT_EQ(card.control("sim-remove"), "OK");
    EXPECT_TRUE(app.lines.waitForLine([](const std::string& line) { return line == "+CREG: 0"; }));
    EXPECT_TRUE(app.command("AT+CPIN?", "+CME ERROR: 10"));
}

TEST(CardProcess, NoSimOptionStartsWithAnEmptySlot)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--profile", "no-gps", "--no-sim"}));
    HostSerialPort app;
    ASSERT_TRUE(app.open(card.portOf("Application Interface")));
    ASSERT_TRUE(app.command("ATE0;+CMEE=1", "OK"));
    EXPECT_TRUE(app.command("AT_TERCN?", "+CME ERROR: 10"));
    EXPECT_EQ(card.control("sim-insert"), "OK");
    ASSERT_TRUE(app.command("AT+CPIN?;_TERCN?", "OK"));
    EXPECT_TRUE(app.answered("+CPIN: READY"));
    EXPECT_TRUE(app.answered("_TERCN: 3,10,3,10"));
}

TEST(CardProcess, MessagesComeAndGoThroughTheStoreAndTheControlSocket)
{
    CardsimProcess card;
    ASSERT_TRUE(card.start({"--profile", "no-gps", "--sms-capacity", "5"}));
    HostSerialPort app;
    ASSERT_TRUE(app.open(card.portOf("Application Interface")));
    ASSERT_TRUE(app.command("ATE0;+CMEE=1;+CNMI=2,1,0;+CMGF=0", "OK"));
    EXPECT_NE(card.control("status").find(" sms=3/5"), std::string::npos);
    EXPECT_EQ(card.control("sms deliver +15551234 \"See you at 8\""), "OK delivered");
    EXPECT_TRUE(app.lines.waitForLine([](const std::string& line) { return line == "+CMTI: \"SM\",4"; }));
    // A host that does not wait for the prompt: the PDU follows the command at once.
    const std::string pdu = "0011000B915155661632F40000001954747A0E4ACF41F27298CDCE83C6EF371B0481402010";
    ASSERT_TRUE(app.command("AT+CMGS=36\r" + pdu + "\x1A", "OK"));
    EXPECT_TRUE(app.answered("+CMGS: 0"));
    EXPECT_EQ(card.control("sms sent").rfind("OK sent=1 | mr=0 type=submit number=+15556661234 coding=gsm7", 0), 0u);
}

} // namespace
} // namespace Cardsim
