// The card's message service and phonebook as a host meets them on one AT port: the store's
// commands and their errors, the "> " prompt of sending and writing, where new messages and
// status reports go as AT+CNMI says, the faults the sms control command plays, and the SIM's
// phonebook in each character set.

#include "sim/cardsim/NetworkControl.h"
#include "sim/cardsim/SmsPdu.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Cardsim::message_service_test {
namespace {

using testing::answerOf;
using testing::CardSession;

const std::string kOk = answerOf({});
std::string cms(int code) { return answerOf({}, ("+CMS ERROR: " + std::to_string(code)).c_str()); }
std::string cme(int code) { return answerOf({}, ("+CME ERROR: " + std::to_string(code)).c_str()); }

// A submit of 36 octets after an empty service centre address; it asks for no report.
constexpr const char* kSubmit = "0011000B915155661632F40000001954747A0E4ACF41F27298CDCE83C6EF371B0481402010";
constexpr int kSubmitLength = 36;
// A UCS2 submit of 46 octets to a national number, asking for a status report.
constexpr const char* kSubmitWithReport =
    "002100098136397339F70008224F60597D4F60597D4F60597D4F60597D4F60597D4F60597D4F60597D4F60597D4F60";
constexpr int kSubmitWithReportLength = 46;
constexpr const char* kDeliver = "07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37";

SimSetup openSim() { return {{"0000", "12345678", false}, true}; }
SimSetup lockedSim() { return {{"2468", "12345678", true}, true}; }
SimSetup noSim() { return {{"2468", "12345678", true}, false}; }

// The lines of what the card sent, without their framing.
std::vector<std::string> linesOf(const std::string& wire)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < wire.size()) {
        const std::size_t end = std::min(wire.find("\r\n", start), wire.size());
        if (end > start)
            lines.push_back(wire.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string sendCommand(int length) { return "AT+CMGS=" + std::to_string(length) + "\r"; }

struct Step {
    std::string command; // without its CR
    std::string answer;
};

struct Dialogue {
    const char* name;
    SimSetup sim;
    std::vector<Step> steps;
};

class MessageDialogues : public ::testing::TestWithParam<Dialogue> {};

TEST_P(MessageDialogues, AnswerAsTheCardDoes)
{
    CardSession card(GetParam().sim);
    ASSERT_EQ(card.send("AT+CMEE=1\r"), kOk);
    for (const Step& step : GetParam().steps)
        EXPECT_EQ(card.send(step.command + "\r"), step.answer) << step.command;
}

const std::string kThreeOfTwenty = answerOf({"+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20"});

INSTANTIATE_TEST_SUITE_P(
    Store, MessageDialogues,
    ::testing::Values(
        Dialogue{"StorageAndCentre",
                 openSim(),
                 {{"AT+CPMS?", kThreeOfTwenty},
                  {"AT+CPMS=\"SM\",\"SM\",\"SM\"", answerOf({"+CPMS: 3,20,3,20,3,20"})},
                  {"AT+CPMS=\"SM\"", answerOf({"+CPMS: 3,20,3,20,3,20"})},
                  {"AT+CPMS=\"ME\",\"SM\"", cms(303)},
                  {"AT+CPMS=?", answerOf({"+CPMS: (\"SM\"),(\"SM\"),(\"SM\")"})},
                  {"AT+CSCA?", answerOf({"+CSCA: \"+15550000000\",145"})},
                  {"AT+CSCA=\"5551000\",129", kOk},
                  {"AT+CSCA?", answerOf({"+CSCA: \"5551000\",129"})},
                  {"AT+CSCA=\"12a\"", cms(302)},
                  {"AT+CSCA=5551000", cms(302)}}},
        Dialogue{"PduModeOnly",
                 openSim(),
                 {{"AT+CMGF=0", kOk},
                  {"AT+CMGF?", answerOf({"+CMGF: 0"})},
                  {"AT+CMGF=1", cms(303)},
                  {"AT+CMGF=?", answerOf({"+CMGF: (0)"})}}},
        Dialogue{"RoutingAsTheBackendSetsIt",
                 openSim(),
                 {{"AT+CNMI?", answerOf({"+CNMI: 0,0,0,0,0"})},
                  {"AT+CNMI=2,1,0;+CMGF=0", kOk},
                  {"AT+CNMI?", answerOf({"+CNMI: 2,1,0,0,0"})},
                  {"AT+CNMI=2,1,0,1;+CMGF=0", kOk},
                  {"AT+CNMI?", answerOf({"+CNMI: 2,1,0,1,0"})},
                  {"AT+CNMI=2,1,0,2;+CMGF=0", kOk},
                  {"AT+CNMI?", answerOf({"+CNMI: 2,1,0,2,0"})},
                  {"AT+CNMI=2,,,1", kOk},
                  {"AT+CNMI?", answerOf({"+CNMI: 2,0,0,1,0"})},
                  {"AT+CNMI=3,1", cms(303)},
                  {"AT+CNMI=2,1,2", cms(303)},
                  {"AT+CNMI=?", answerOf({"+CNMI: (0-2),(0-3),(0),(0-2),(0,1)"})}}},
        Dialogue{"ReadAndDelete",
                 openSim(),
                 {{"AT+CMGD=3", kOk},
                  {"AT+CMGD=3", cms(321)},
                  {"AT+CMGR=3", cms(321)},
                  {"AT+CMGR=0", cms(321)},
                  {"AT+CMGR=21", cms(321)},
                  {"AT+CMGR=x", cms(321)},
                  {"AT+CMGD=99", cms(321)},
                  {"AT+CMGD=?", answerOf({"+CMGD: (1,2),(0-4)"})},
                  {"AT+CPMS?", answerOf({"+CPMS: \"SM\",2,20,\"SM\",2,20,\"SM\",2,20"})},
                  {"AT+CMGL=5", cms(302)},
                  {"AT+CMGD=1,4", kOk},
                  {"AT+CMGL=4", kOk},
                  {"AT+CMGD=1,5", cms(302)},
                  {"AT+CPMS?", answerOf({"+CPMS: \"SM\",0,20,\"SM\",0,20,\"SM\",0,20"})}}},
        Dialogue{"WaitForThePin",
                 lockedSim(),
                 {{"AT+CMGL=4", cms(311)},
                  {"AT+CMGR=1", cms(311)},
                  {"AT+CMGD=1", cms(311)},
                  {"AT+CMGS=36", cms(311)},
                  {"AT+CMGW=36", cms(311)},
                  {"AT+CMSS=1", cms(311)},
                  {"AT+CSCA?", cms(311)},
                  {"AT+CPMS=\"SM\"", cms(311)},
                  {"AT+CPMS?", cme(11)},
                  {"AT+CPBS?", cme(11)},
                  {"AT+CPBR=1,10", cme(11)},
                  {"AT+CPBW=1,\"123\"", cme(11)},
                  {"AT+CNMI=2,1,0;+CMGF=0", kOk},
                  {"AT+CPIN=\"2468\"", kOk},
                  {"AT+CPMS?", kThreeOfTwenty}}},
        Dialogue{"NoSim",
                 noSim(),
                 {{"AT+CMGL=4", cms(310)}, {"AT+CMGR=1", cms(310)}, {"AT+CPMS?", cme(10)}, {"AT+CPBS?", cme(10)}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Phonebook, MessageDialogues,
    ::testing::Values(
        Dialogue{"ReadAndWrite",
                 openSim(),
                 {{"AT+CPBS=\"SM\"", kOk},
                  {"AT+CPBS?", answerOf({"+CPBS: \"SM\",2,100"})},
                  {"AT+CPBS=\"ME\"", cme(4)},
                  {"AT+CPBS=?", answerOf({"+CPBS: (\"SM\")"})},
                  {"AT+CPBR=?", answerOf({"+CPBR: (1-100),20,14"})},
                  {"AT+CPBW=?", answerOf({"+CPBW: (1-100),20,(129,145),14"})},
                  {"AT+CPBR=1,100",
                   answerOf({"+CPBR: 1,\"+15550001234\",145,\"Help desk\"", "+CPBR: 2,\"5550100\",129,\"Voicemail\""})},
                  {"AT+CPBR=3", kOk},
                  {"AT+CPBR=0", cme(21)},
                  {"AT+CPBR=101", cme(21)},
                  {"AT+CPBR=5,2", cme(21)},
                  {"AT+CPBW=3,\"+4930123\",145,\"Anna\"", kOk},
                  {"AT+CPBR=3", answerOf({"+CPBR: 3,\"+4930123\",145,\"Anna\""})},
                  {"AT+CPBW=,\"555\",,\"Bob\"", kOk},
                  {"AT+CPBR=4", answerOf({"+CPBR: 4,\"555\",129,\"Bob\""})},
                  {"AT+CPBW=3", kOk},
                  {"AT+CPBR=3,4", answerOf({"+CPBR: 4,\"555\",129,\"Bob\""})},
                  {"AT+CPBS?", answerOf({"+CPBS: \"SM\",3,100"})}}},
        Dialogue{"RefusedEntries",
                 openSim(),
                 {{"AT+CPBW=6,\"12a\"", cme(27)},
                  {"AT+CPBW=6,\"123456789012345678901\"", cme(26)},
                  {"AT+CPBW=6,\"+12345678901234567890\"", kOk},
                  {"AT+CPBW=6,\"1\",129,\"a name too long\"", cme(24)},
                  {"AT+CPBW=6,\"1\",129,\"caf\xC3\xA9\"", cme(25)},
                  {"AT+CPBW=101,\"1\"", cme(21)},
                  {"AT+CPBW=0,\"1\"", cme(21)},
                  {"AT+CPBW=6,1", cme(50)},
                  {"AT+CPBW=,", cme(50)}}},
        Dialogue{"CharacterSets",
                 openSim(),
                 {{"AT+CSCS?", answerOf({"+CSCS: \"IRA\""})},
                  {"AT+CSCS=?", answerOf({"+CSCS: (\"GSM\",\"IRA\",\"UCS2\")"})},
                  {"AT+CSCS=\"UCS2\"", kOk},
                  {"AT+CSCS?", answerOf({"+CSCS: \"UCS2\""})},
                  {"AT+CPBW=5,\"123\",129,\"04100411\"", kOk},
                  {"AT+CPBR=5", answerOf({"+CPBR: 5,\"123\",129,\"04100411\""})},
                  {"AT+CPBR=2", answerOf({"+CPBR: 2,\"5550100\",129,\"0056006F006900630065006D00610069006C\""})},
                  {"AT+CPBW=6,\"1\",129,\"041\"", cme(25)},
                  {"AT+CPBW=6,\"1\",129,\"04G0\"", cme(25)},
                  {"AT+CSCS=\"GSM\"", kOk},
                  {"AT+CPBR=5", answerOf({"+CPBR: 5,\"123\",129,\"??\""})},
                  {"AT+CSCS=\"KOI8-R\"", cme(4)},
                  {"ATZ", kOk},
                  {"ATE0", "ATE0\r" + kOk},
                  {"AT+CSCS?", answerOf({"+CSCS: \"IRA\""})}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Phonebook, ControlCommandListsAndEmptiesIt)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CSCS=\"UCS2\";+CPBW=3,\"+4930\",145,\"0416\"\r"), kOk);
    EXPECT_EQ(card.reply("phonebook"), "OK used=3 capacity=100 | index=1 number=+15550001234 type=145 "
                                       "name=\"Help desk\" | index=2 number=5550100 type=129 name=\"Voicemail\" | "
                                       "index=3 number=+4930 type=145 name=\"\u0416\"");
    card.control("phonebook clear");
    EXPECT_EQ(card.reply("phonebook"), "OK used=0 capacity=100");
    EXPECT_EQ(card.reply("phonebook all"), "unparsed: phonebook: wants nothing, or clear");
    card.control("sim-reset");
    EXPECT_EQ(card.reply("phonebook").rfind("OK used=2 ", 0), 0u);
}

TEST(Phonebook, FullAtTheHundredthEntry)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CMEE=1\r"), kOk);
    for (int i = 3; i <= 100; ++i)
        ASSERT_EQ(card.send("AT+CPBW=,\"5551\",129,\"x\"\r"), kOk) << i;
    EXPECT_EQ(card.send("AT+CPBW=,\"5551\"\r"), cme(20));
    EXPECT_EQ(card.send("AT+CPBW=100,\"5552\"\r"), kOk) << "an index given overwrites";
}

// The listing ---------------------------------------------------------------------------------

TEST(MessageList, ListsTheStoreAndMarksWhatItShowedRead)
{
    CardSession card(openSim());
    const std::vector<std::string> lines = linesOf(card.send("AT+CMGL=4\r"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines.back(), "OK");
    const char* expectedSenders[] = {"+15550101010", "OTN", "+15550123456"};
    for (int i = 0; i < 3; ++i) {
        const std::string prefix = "+CMGL: " + std::to_string(i + 1) + (i < 2 ? ",1,," : ",0,,");
        EXPECT_TRUE(lines[2 * i].starts_with(prefix)) << lines[2 * i];
        const DecodedPdu pdu = decodePdu(lines[2 * i + 1], std::stoi(lines[2 * i].substr(prefix.size())));
        ASSERT_TRUE(pdu.content) << pdu.problem;
        EXPECT_EQ(pdu.content->number, expectedSenders[i]);
    }
    EXPECT_EQ(linesOf(card.send("AT+CMGL=0\r")), std::vector<std::string>{"OK"}) << "nothing unread any more";
    EXPECT_EQ(linesOf(card.send("AT+CMGL=1\r")).size(), 7u);
    const std::vector<std::string> read = linesOf(card.send("AT+CMGR=2\r"));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_TRUE(read[0].starts_with("+CMGR: 1,,"));
}

// The prompt ----------------------------------------------------------------------------------

TEST(MessagePrompt, SendsWithCountingReferences)
{
    CardSession card(openSim());
    for (int reference = 0; reference < 3; ++reference) {
        ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
        EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"),
                  answerOf({("+CMGS: " + std::to_string(reference)).c_str()}));
    }
    const std::string sent = card.reply("sms sent");
    EXPECT_TRUE(sent.starts_with("OK sent=3 | mr=0 type=submit number=+15556661234 coding=gsm7 "
                                 "text=\"This is really cool \u0394\u0394\u0394\u0394\u0394\" pdu=0011"))
        << sent;
}

TEST(MessagePrompt, EchoesTheTextWhileEchoIsOn)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("ATE1\r"), kOk);
    EXPECT_EQ(card.send(sendCommand(kSubmitLength)), sendCommand(kSubmitLength) + "\r\n> ");
    // Line ends in the text are neither echoed nor part of it; Ctrl-Z is not echoed.
    const std::string half(kSubmit, 20);
    EXPECT_EQ(card.send(half + "\r\n"), half);
    EXPECT_EQ(card.send(std::string(kSubmit + 20) + "\x1A"), std::string(kSubmit + 20) + answerOf({"+CMGS: 0"}));
}

TEST(MessagePrompt, EscapeCancelsAndNothingIsSent)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send(sendCommand(kSubmitLength) + "0011000B91"), "\r\n> ");
    EXPECT_EQ(card.send("\x1B"), kOk);
    EXPECT_EQ(card.reply("sms sent"), "OK sent=0");
    EXPECT_EQ(card.send("AT\r"), kOk) << "the port reads commands again";
}

TEST(MessagePrompt, TheRestOfTheLineFollowsTheText)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CMGS=36;+CPMS?\r"), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"),
              answerOf({"+CMGS: 0", "+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20"}));
}

struct RefusedSend {
    const char* name;
    std::string command;
    std::string text; // after the prompt; empty: no prompt comes
    std::string answer;
};

class RefusedSends : public ::testing::TestWithParam<RefusedSend> {};

TEST_P(RefusedSends, AnswerWithTheCode)
{
    CardSession card(openSim());
    const RefusedSend& c = GetParam();
    if (c.text.empty()) {
        EXPECT_EQ(card.send(c.command + "\r"), c.answer);
    } else {
        ASSERT_EQ(card.send(c.command + "\r"), "\r\n> ");
        EXPECT_EQ(card.send(c.text + "\x1A"), c.answer);
    }
    EXPECT_EQ(card.reply("sms sent"), "OK sent=0");
}

INSTANTIATE_TEST_SUITE_P(
    Pdus, RefusedSends,
    ::testing::Values(RefusedSend{"NoLength", "AT+CMGS=0", "", cms(304)},
                      RefusedSend{"LengthTooBig", "AT+CMGS=165", "", cms(304)},
                      RefusedSend{"LengthNotThePdus", "AT+CMGS=35", kSubmit, cms(304)},
                      RefusedSend{"NotHex", "AT+CMGS=36", std::string(kSubmit).replace(10, 2, "ZZ"), cms(304)},
                      RefusedSend{"ADeliver", "AT+CMGS=28", kDeliver, cms(304)},
                      RefusedSend{"Truncated", "AT+CMGS=20", std::string(kSubmit, 42), cms(304)},
                      RefusedSend{"OverLong", "AT+CMGS=36", std::string(2000, '0'), cms(304)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageFaults, FailedSendsTakeNoReference)
{
    CardSession card(openSim());
    card.control("sms fail-send 500 2");
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
        EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), cms(500));
    }
    ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), answerOf({"+CMGS: 0"}));

    card.control("sms fail-send 38");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
        EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), cms(38)) << "until healed";
    }
    card.control("sms fail-send off");
    ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), answerOf({"+CMGS: 1"}));
}

TEST(MessageFaults, NoNetworkNoSending)
{
    CardSession card(openSim());
    card.control("register none");
    ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), cms(331));
}

TEST(MessageStore, WriteReadAndSendFromTheStore)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CMGW=36\r"), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), answerOf({"+CMGW: 4"}));
    EXPECT_EQ(card.send("AT+CMGR=4\r"), answerOf({"+CMGR: 2,,36", kSubmit}));
    EXPECT_EQ(card.send("AT+CMSS=4\r"), answerOf({"+CMSS: 0"}));
    EXPECT_EQ(card.send("AT+CMGR=4\r"), answerOf({"+CMGR: 3,,36", kSubmit}));
    EXPECT_EQ(card.send("AT+CMSS=1\r"), cms(302)) << "a received message is not sent";
    EXPECT_EQ(card.send("AT+CMSS=9\r"), cms(321));

    ASSERT_EQ(card.send("AT+CMGW=28,1\r"), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kDeliver) + "\x1A"), answerOf({"+CMGW: 5"}));
    const std::vector<std::string> listed = linesOf(card.send("AT+CMGL=1\r"));
    EXPECT_NE(std::find(listed.begin(), listed.end(), "+CMGL: 5,1,,28"), listed.end()) << "listed with the status given";
}

TEST(MessageStore, FullStoreRefusesWritesAndDeliveries)
{
    CardSession card(openSim());
    EXPECT_EQ(card.reply("sms fill"), "OK added=17");
    EXPECT_EQ(card.send("AT+CMGW=36\r"), cms(322)) << "refused before the prompt";
    EXPECT_EQ(card.reply("sms deliver +15551234 hello"), "ERROR the message store is full (20/20)");
    card.control("sms capacity 21");
    ASSERT_EQ(card.send("AT+CMGW=36\r"), "\r\n> ");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), answerOf({"+CMGW: 21"}));
    card.control("sms capacity 10");
    EXPECT_EQ(card.send("AT+CPMS?\r"), answerOf({"+CPMS: \"SM\",10,10,\"SM\",10,10,\"SM\",10,10"}));
    // A write that fills the store while the prompt is open is refused at its end.
    card.control("sms capacity 11");
    ASSERT_EQ(card.send("AT+CMGW=36\r"), "\r\n> ");
    ASSERT_EQ(card.reply("sms deliver +15551234 hello"), "OK delivered");
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), cms(322));
}

// Where new messages go ---------------------------------------------------------------------

struct RoutingCase {
    const char* name;
    const char* routing; // the AT+CNMI command, or nullptr
    std::string deliver; // the control command
    std::vector<std::string> announcements; // "+CMTI:" lines, or "+CMT:" for one handed over
    int stored;          // messages in the store afterwards
};

class NewMessageRouting : public ::testing::TestWithParam<RoutingCase> {};

TEST_P(NewMessageRouting, StoresOrHandsOver)
{
    const RoutingCase& c = GetParam();
    CardSession card(openSim());
    if (c.routing != nullptr) {
        ASSERT_EQ(card.send(std::string(c.routing) + "\r"), kOk);
    }
    ASSERT_EQ(card.reply(c.deliver), "OK delivered");
    const std::vector<std::string> lines = linesOf(card.take());
    std::vector<std::string> announcements;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("+CMT:")) {
            announcements.push_back(lines[i]);
            continue;
        }
        // The PDU follows on its own line; its length is the header's.
        ASSERT_LT(i + 1, lines.size());
        const DecodedPdu pdu = decodePdu(lines[i + 1]);
        ASSERT_TRUE(pdu.content) << pdu.problem;
        EXPECT_EQ(lines[i], "+CMT: ," + std::to_string(pdu.content->tpduLength));
        EXPECT_EQ(pdu.content->number, "+15551234");
        EXPECT_EQ(pdu.content->text, "Hi there");
        announcements.push_back("+CMT:");
        ++i;
    }
    EXPECT_EQ(announcements, c.announcements);
    EXPECT_EQ(card.state.messaging().store().used(), c.stored);
}

const std::string kLong(200, 'L');

INSTANTIATE_TEST_SUITE_P(
    Cnmi, NewMessageRouting,
    ::testing::Values(
        RoutingCase{"NoRoutingStoresSilently", nullptr, "sms deliver +15551234 \"Hi there\"", {}, 4},
        RoutingCase{"StoredAndAnnounced", "AT+CNMI=2,1,0;+CMGF=0", "sms deliver +15551234 \"Hi there\"",
                    {"+CMTI: \"SM\",4"}, 4},
        RoutingCase{"FlashHandedOver", "AT+CNMI=2,1,0;+CMGF=0", "sms deliver +15551234 \"Hi there\" class=0",
                    {"+CMT:"}, 3},
        RoutingCase{"FlashStoredWithoutRouting", "AT+CNMI=2,0,0", "sms deliver +15551234 \"Hi there\" class=0", {}, 4},
        RoutingCase{"DirectRoutingHandsOver", "AT+CNMI=2,2,0", "sms deliver +15551234 \"Hi there\" coding=ucs2 class=1",
                    {"+CMT:"}, 3},
        RoutingCase{"SimSpecificAlwaysStored", "AT+CNMI=2,2,0", "sms deliver +15551234 \"Hi there\" class=2",
                    {"+CMTI: \"SM\",4"}, 4},
        RoutingCase{"TerminalSpecificHandedOver", "AT+CNMI=2,3,0", "sms deliver +15551234 \"Hi there\" class=3",
                    {"+CMT:"}, 3},
        RoutingCase{"LongTextAnnouncedPerPart", "AT+CNMI=2,1,0,1;+CMGF=0", "sms deliver +15551234 " + kLong,
                    {"+CMTI: \"SM\",4", "+CMTI: \"SM\",5"}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageRouting, OnlyThePortsThatAskedHearOfNewMessages)
{
    CardFacts facts = factsFor(*findProfile("gps"), "RX0001");
    const Dialect dialect = Dialect::forCard(false);
    FaultRules faults;
    ManualAlarms alarms;
    CardState state(alarms.maker(), openSim());
    AtSession asked(dialect, facts, nullptr, faults, &state, alarms.maker());
    AtSession other(dialect, facts, nullptr, faults, &state, alarms.maker());
    std::string askedOut;
    std::string otherOut;
    state.onEvent([&](CardEvent event) {
        std::vector<Emission> out;
        asked.report(event, out);
        askedOut += testing::wire(out);
        out.clear();
        other.report(event, out);
        otherOut += testing::wire(out);
    });
    auto feed = [](AtSession& session, std::string_view bytes) {
        std::vector<Emission> out;
        session.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, out);
        return testing::wire(out);
    };
    feed(asked, "ATE0;+CNMI=2,1,0\r");
    feed(other, "ATE0\r");
    ASSERT_EQ(executeNetworkCommand(*parseControlLine("sms deliver +15551234 hello").command, state, facts),
              "OK delivered");
    EXPECT_EQ(askedOut, answerOf({}, "+CMTI: \"SM\",4"));
    EXPECT_EQ(otherOut, "");
}

TEST(MessageRouting, StoredPartsReadBackAsTheText)
{
    CardSession card(openSim());
    ASSERT_EQ(card.reply("sms deliver +15551234 \"" + std::string(300, 'p') + "\" coding=8bit"), "OK delivered");
    std::string joined;
    for (int index = 4; index <= 6; ++index) {
        const std::vector<std::string> lines = linesOf(card.send("AT+CMGR=" + std::to_string(index) + "\r"));
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_TRUE(lines[0].starts_with("+CMGR: 0,,")) << "unread";
        const DecodedPdu pdu = decodePdu(lines[1], std::stoi(lines[0].substr(10)));
        ASSERT_TRUE(pdu.content && pdu.content->part);
        EXPECT_EQ(pdu.content->part->sequence, index - 3);
        joined += pdu.content->text;
    }
    EXPECT_EQ(joined, std::string(300, 'p'));
}

struct ReportCase {
    const char* name;
    const char* routing;
    const char* pdu;
    int length;
    const char* report; // "+CDS:", "+CDSI:" or nullptr for none
};

class StatusReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(StatusReports, FollowTheSendAsAsked)
{
    const ReportCase& c = GetParam();
    CardSession card(openSim());
    ASSERT_EQ(card.send(std::string(c.routing) + "\r"), kOk);
    ASSERT_EQ(card.send(sendCommand(c.length)), "\r\n> ");
    const std::vector<std::string> lines = linesOf(card.send(std::string(c.pdu) + "\x1A"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "+CMGS: 0");
    EXPECT_EQ(lines[1], "OK") << "the report comes after the final result";
    if (c.report == nullptr) {
        EXPECT_EQ(lines.size(), 2u);
        return;
    }
    ASSERT_GE(lines.size(), 3u);
    std::string reportPdu;
    if (std::string_view(c.report) == "+CDS:") {
        ASSERT_EQ(lines.size(), 4u);
        reportPdu = lines[3];
        const DecodedPdu decoded = decodePdu(reportPdu);
        ASSERT_TRUE(decoded.content);
        EXPECT_EQ(lines[2], "+CDS: " + std::to_string(decoded.content->tpduLength));
    } else {
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[2], "+CDSI: \"SM\",4");
        const std::vector<std::string> read = linesOf(card.send("AT+CMGR=4\r"));
        ASSERT_EQ(read.size(), 3u);
        reportPdu = read[1];
    }
    const DecodedPdu decoded = decodePdu(reportPdu);
    ASSERT_TRUE(decoded.content) << decoded.problem;
    EXPECT_EQ(decoded.content->type, PduContent::Type::statusReport);
    EXPECT_EQ(decoded.content->reference, 0);
    EXPECT_EQ(decoded.content->number, "639337937");
    EXPECT_EQ(decoded.content->serviceCentre, "+15550000000");
}

INSTANTIATE_TEST_SUITE_P(
    Cnmi, StatusReports,
    ::testing::Values(
        ReportCase{"HandedOver", "AT+CNMI=2,1,0,1;+CMGF=0", kSubmitWithReport, kSubmitWithReportLength, "+CDS:"},
        ReportCase{"Stored", "AT+CNMI=2,1,0,2;+CMGF=0", kSubmitWithReport, kSubmitWithReportLength, "+CDSI:"},
        ReportCase{"NotAskedForByTheHost", "AT+CNMI=2,1,0;+CMGF=0", kSubmitWithReport, kSubmitWithReportLength, nullptr},
        ReportCase{"NotAskedForInThePdu", "AT+CNMI=2,1,0,1;+CMGF=0", kSubmit, kSubmitLength, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageRouting, ReportsWaitForAnOpenPrompt)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CNMI=2,1,0;+CMGF=0\r"), kOk);
    ASSERT_EQ(card.send(sendCommand(kSubmitLength)), "\r\n> ");
    ASSERT_EQ(card.reply("sms deliver +15551234 hello"), "OK delivered");
    EXPECT_EQ(card.take(), "") << "nothing in the middle of the text";
    EXPECT_EQ(card.send(std::string(kSubmit) + "\x1A"), answerOf({"+CMGS: 0"}) + answerOf({}, "+CMTI: \"SM\",4"));
}

TEST(MessageRouting, APowerCycleForgetsTheRoutingButNotTheStore)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CNMI=2,1,0;+CMGF=0\r"), kOk);
    ASSERT_EQ(card.reply("sms deliver +15551234 hello"), "OK delivered");
    card.take();
    card.state.powerOn();
    EXPECT_EQ(card.send("AT+CNMI?\r"), answerOf({"+CNMI: 0,0,0,0,0"}));
    EXPECT_EQ(card.send("AT+CPMS?\r"), answerOf({"+CPMS: \"SM\",4,20,\"SM\",4,20,\"SM\",4,20"}));
    card.control("sms clear");
    card.control("sim-reset");
    EXPECT_EQ(card.send("AT+CPMS?\r"), answerOf({"+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20"}))
        << "a fresh SIM brings its own messages";
}

// The control command ---------------------------------------------------------------------------

struct ControlCase {
    const char* line;
    const char* reply; // its start
};

class SmsControl : public ::testing::TestWithParam<ControlCase> {};

TEST_P(SmsControl, Replies)
{
    CardSession card(openSim());
    const std::string reply = card.reply(GetParam().line);
    EXPECT_TRUE(reply.starts_with(GetParam().reply)) << GetParam().line << ": " << reply;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SmsControl,
    ::testing::Values(
        ControlCase{"sms", "unparsed: sms: wants deliver NUMBER TEXT"},
        ControlCase{"sms send", "unparsed: sms: wants deliver NUMBER TEXT"},
        ControlCase{"sms deliver +1555", "unparsed: sms: deliver wants NUMBER TEXT"},
        ControlCase{"sms deliver +1555 \"hi there", "unparsed: sms: a quote is not closed"},
        ControlCase{"sms deliver +1555 \"hi there\" coding=ucs2 class=0", "OK delivered"},
        ControlCase{"sms deliver +1555 hi coding=7bit", "unparsed: sms: deliver: coding is gsm7, 8bit or ucs2"},
        ControlCase{"sms deliver +1555 hi class=4", "unparsed: sms: deliver: class is 0 to 3"},
        ControlCase{"sms deliver +1555 hi flash", "unparsed: sms: deliver: \"flash\" is neither"},
        ControlCase{"sms deliver +1555 \u4F60", "ERROR the text has characters outside the GSM 7-bit alphabet"},
        ControlCase{"sms deliver \"A very long name\" hi", "ERROR the sender must be"},
        ControlCase{"sms deliver-pdu ZZ", "unparsed: sms: deliver-pdu wants the HEX"},
        ControlCase{"sms deliver-pdu 0011000B915155661632F40000001954747A0E4ACF41F27298CDCE83C6EF371B0481402010",
                    "ERROR not an SMS-DELIVER PDU"},
        ControlCase{"sms deliver-pdu 07912143658709F1040B918100551512F20000111010214365000BE8329BFD4697D9EC37",
                    "ERROR a field runs past"},
        ControlCase{"sms deliver-pdu 07912143658709f1040b918100551512f20000111010214365000ae8329bfd4697d9ec37",
                    "OK delivered"},
        ControlCase{"sms capacity 0", "unparsed: sms: capacity wants N from 1 to 255"},
        ControlCase{"sms capacity 256", "unparsed: sms: capacity wants N"},
        ControlCase{"sms capacity 30", "OK"},
        ControlCase{"sms fail-send x", "unparsed: sms: fail-send wants"},
        ControlCase{"sms fail-send 500 0", "unparsed: sms: fail-send: TIMES"},
        ControlCase{"sms fail-send 500 2", "OK"},
        ControlCase{"sms fail-send off", "OK"},
        ControlCase{"sms sent extra", "unparsed: sms: sent takes no arguments"},
        ControlCase{"sms fill", "OK added=17"},
        ControlCase{"sms store", "OK used=3 capacity=20 | index=1 status=1 type=deliver number=+15550101010 "
                                 "coding=gsm7 text=\"Welcome to Orvanta Test Net.\" pdu=07915155000000F0040B91"}),
    [](const auto& info) { return "Line" + std::to_string(info.index); });

TEST(SmsControlCommand, DeliverNeedsAReadySim)
{
    CardSession card(lockedSim());
    EXPECT_EQ(card.reply("sms deliver +15551234 hello"), "ERROR the SIM is not ready");
}

TEST(SmsControlCommand, StoreShowsEveryKindOfRecord)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CNMI=2,1,0,2\r"), kOk);
    ASSERT_EQ(card.send(sendCommand(kSubmitWithReportLength)), "\r\n> ");
    card.send(std::string(kSubmitWithReport) + "\x1A");
    ASSERT_EQ(card.send("AT+CMGW=36\r"), "\r\n> ");
    card.send(std::string(kSubmit) + "\x1A");
    const std::string store = card.reply("sms store");
    EXPECT_NE(store.find("| index=4 status=0 type=status-report number=639337937 reference=0 status=0 pdu="),
              std::string::npos)
        << store;
    EXPECT_NE(store.find("| index=5 status=2 type=submit number=+15556661234 coding=gsm7"), std::string::npos) << store;
}

} // namespace
} // namespace Cardsim::message_service_test
