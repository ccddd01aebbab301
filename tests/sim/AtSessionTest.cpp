#include "sim/cardsim/AtSession.h"
#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Receiver.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace Cardsim {
namespace {

using namespace std::chrono_literals;

using testing::wire;

struct Card {
    explicit Card(bool withReceiver = true)
        : facts(factsFor(*findProfile(withReceiver ? "gps" : "no-gps"), "RX0001")),
          dialect(Dialect::forCard(withReceiver)),
          receiver(0ms),
          state(alarms.maker()),
          session(dialect, facts, withReceiver ? &receiver : nullptr, faults, &state, alarms.maker())
    {
    }

    std::string send(std::string_view bytes)
    {
        std::vector<Emission> out;
        session.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, out);
        return wire(out);
    }

    CardFacts facts;
    Dialect dialect;
    FaultRules faults;
    Receiver receiver;
    ManualAlarms alarms;
    CardState state;
    AtSession session;
};

struct DialogueCase {
    const char* name;
    std::function<void(FaultRules&)> faults;
    const char* input;
    const char* output;
};

class Dialogue : public ::testing::TestWithParam<DialogueCase> {};

TEST_P(Dialogue, AnswersAsTheCardDoes)
{
    Card card;
    if (GetParam().faults)
        GetParam().faults(card.faults);
    EXPECT_EQ(card.send(GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Dialogue,
    ::testing::Values(
        // The echo is the command and its CR; the LF of the host's CR LF is not echoed.
        DialogueCase{"EchoIsCommandAndCarriageReturn", {}, "AT\r\n", "AT\r\r\nOK\r\n"},
        DialogueCase{"EchoOfEchoOffStillShows", {}, "ATE0\r\nAT\r\n", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
        DialogueCase{"InformationLineBeforeOk", {}, "ATE0\rAT+CGMR\r", "ATE0\r\r\nOK\r\n\r\n4.2.17\r\n\r\nOK\r\n"},
        DialogueCase{"UnknownCommandIsError", {}, "ATE0\rAT^SYSINFO\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
        DialogueCase{"BadParameterWithoutCmeeIsPlainError", {}, "ATE0\rAT_TGPS=1\r",
                     "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
        DialogueCase{"BadParameterWithCmeeIsCode50", {}, "ATE0\rAT+CMEE=1\rAT_TGPS=1\r",
                     "ATE0\r\r\nOK\r\n\r\nOK\r\n\r\n+CME ERROR: 50\r\n"},
        DialogueCase{"VerboseErrorReportingIsRefused", {}, "ATE0\rAT+CMEE=2\rAT+CMEE?\r",
                     "ATE0\r\r\nOK\r\n\r\nERROR\r\n\r\n+CMEE: 0\r\n\r\nOK\r\n"},
        DialogueCase{"ForcedCmeCode", [](FaultRules& f) { f.set("AT+CGMR", FinalResult::cme(10), {}); },
                     "ATE0\rAT+CMEE=1\rAT+CGMR\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n\r\n+CME ERROR: 10\r\n"},
        DialogueCase{"ForcedCmeCodeWithoutCmeeIsError",
                     [](FaultRules& f) { f.set("AT+CGMR", FinalResult::cme(10), {}); }, "ATE0\rAT+CGMR\r",
                     "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
        DialogueCase{"ForcedErrorUsedUp", [](FaultRules& f) { f.set("AT+CGMM", FinalResult::error(), 1); },
                     "ATE0\rAT+CGMM\rAT+CGMM\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n\r\nGX750\r\n\r\nOK\r\n"},
        DialogueCase{"ForcedErrorMatchesEverySetOfTheCommand",
                     [](FaultRules& f) { f.set("AT_TGPS=", FinalResult::error(), {}); }, "ATE0\rAT_TGPS=2\rAT_TGPS?\r",
                     "ATE0\r\r\nOK\r\n\r\nERROR\r\n\r\n_TGPS: 0\r\n\r\nOK\r\n"},
        DialogueCase{"ConcatenationStopsAtTheFirstFailure", {}, "ATE0\rAT+CGMM;^SYSINFO;+CGMR\r",
                     "ATE0\r\r\nOK\r\n\r\nGX750\r\n\r\nERROR\r\n"},
        DialogueCase{"BackspaceEditsTheLine", {}, "ATE0\rAT+CGMX\bM\r", "ATE0\r\r\nOK\r\n\r\nGX750\r\n\r\nOK\r\n"},
        DialogueCase{"LineWithoutPrefixIsOnlyEchoed", {}, "hello\r", "hello\r"},
        DialogueCase{"LoneCarriageReturnIsOnlyEchoed", {}, "\r", "\r"},
        DialogueCase{"ResetTurnsEchoBackOn", {}, "ATE0\rATZ\rAT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\nAT\r\r\nOK\r\n"},
        DialogueCase{"ReceiverSwitchedOnAndReadBack", {}, "ATE0\rAT_TGPS?\rAT_TGPSP=7,2\rAT_TGPS=2\rAT_TGPS?\r",
                     "ATE0\r\r\nOK\r\n\r\n_TGPS: 0\r\n\r\nOK\r\n\r\nOK\r\n\r\nOK\r\n\r\n_TGPS: 2\r\n\r\nOK\r\n"},
        DialogueCase{"ReceiverParametersNeedTwoNumbers", {}, "ATE0\rAT+CMEE=1\rAT_TGPSP=7\r",
                     "ATE0\r\r\nOK\r\n\r\nOK\r\n\r\n+CME ERROR: 50\r\n"}),
    [](const ::testing::TestParamInfo<DialogueCase>& info) { return std::string(info.param.name); });

TEST(AtSession, OverlongLineIsAnsweredWithErrorAndTheNextLineWorks)
{
    Card card;
    card.send("ATE0\r");
    EXPECT_EQ(card.send("AT" + std::string(AtSession::kMaxCommandLine + 50, 'A') + "\r"), "\r\nERROR\r\n");
    EXPECT_EQ(card.send("AT\r"), "\r\nOK\r\n");
}

TEST(AtSession, CommandSplitOverSeveralReadsIsOneCommand)
{
    Card card;
    card.send("ATE0\r");
    EXPECT_EQ(card.send("AT+CG"), "");
    EXPECT_EQ(card.send("MM\r"), "\r\nGX750\r\n\r\nOK\r\n");
}

TEST(AtSession, SwitchingTheReceiverTellsItsListener)
{
    Card card;
    std::vector<bool> switches;
    card.receiver.onSwitch([&](bool on) { switches.push_back(on); });
    card.send("ATE0\rAT_TGPS=2\rAT_TGPS=2\rAT_TGPS=0\r");
    EXPECT_EQ(switches, (std::vector<bool>{true, false})) << "switching on twice is one switch";
}

TEST(AtSession, CardWithoutReceiverDoesNotKnowTheGpsCommands)
{
    Card card(false);
    EXPECT_EQ(card.send("ATE0\rAT_TGPS?\rAT_TGPS=2\rAT_TGPSP=7,2\r"),
              "ATE0\r\r\nOK\r\n\r\nERROR\r\n\r\nERROR\r\n\r\nERROR\r\n");
}

// A dialect with one report, switched on by a command of its own, as later rows add them.
FinalResult enableReceiverReport(CommandContext& context, std::string_view arguments)
{
    if (arguments == "1")
        context.session.reports.insert("_TGPSR");
    else if (arguments == "0")
        context.session.reports.erase("_TGPSR");
    else
        return FinalResult::error();
    return FinalResult::ok();
}

std::string receiverReport(const ReportContext& context)
{
    return context.receiver->on() ? "_TGPSR: 2" : "_TGPSR: 0";
}

TEST(AtSession, UnsolicitedResultsGoOnlyWhereTheirReportIsOn)
{
    const Dialect dialect({{"ATE", [](CommandContext& c, std::string_view) { return c.session.echo = false, FinalResult::ok(); }},
                           {"AT_TGPSR=", enableReceiverReport}},
                          {{CardEvent::receiverSwitched, "_TGPSR", receiverReport},
                           {CardEvent::fixLost, "", [](const ReportContext&) { return std::string("_TFIX: 0"); }}});
    const CardFacts facts = factsFor(*findProfile("gps"), "RX0001");
    FaultRules faults;
    Receiver receiver(0ms);
    AtSession session(dialect, facts, &receiver, faults);
    std::vector<Emission> out;
    auto send = [&](std::string_view bytes) {
        session.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, out);
    };
    send("ATE0\r");
    out.clear();

    receiver.switchOn();
    session.report(CardEvent::receiverSwitched, out);
    EXPECT_TRUE(out.empty()) << "not switched on for this port";
    session.report(CardEvent::fixLost, out);
    EXPECT_EQ(wire(out), "\r\n_TFIX: 0\r\n") << "a row without a report is always sent";
    out.clear();

    send("AT_TGPSR=1\r");
    out.clear();
    session.report(CardEvent::receiverSwitched, out);
    EXPECT_EQ(wire(out), "\r\n_TGPSR: 2\r\n");
    out.clear();
    session.report(CardEvent::fixRegained, out);
    EXPECT_TRUE(out.empty()) << "no row for this event";
}

bool luhnValid(const std::string& digits)
{
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int digit = digits[digits.size() - 1 - i] - '0';
        if (i % 2 == 1)
            digit = digit * 2 > 9 ? digit * 2 - 9 : digit * 2;
        sum += digit;
    }
    return sum % 10 == 0;
}

TEST(AtSession, IdentityCommandsAnswerTheCardsFacts)
{
    Card card;
    card.send("ATE0\r");
    EXPECT_EQ(card.send("AT+CGMI\r"), "\r\nRoamex\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT_TPMN\r"), "\r\n_TPMN: Roamex GX750 Mini Card\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT_TGSN\r"), "\r\n_TGSN: RX0001\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT_THWV\r"), "\r\n_THWV: A03\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT+CPIN?\r"), "\r\n+CPIN: READY\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT+CFUN?\r"), "\r\n+CFUN: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT+CGSN\r"), "\r\n" + card.facts.imei + "\r\n\r\nOK\r\n");
    EXPECT_EQ(card.send("AT+CIMI\r"), "\r\n" + card.facts.imsi + "\r\n\r\nOK\r\n");
}

TEST(CardFacts, NumbersFollowFromTheSerialAndAreWellFormed)
{
    const Profile& profile = *findProfile("gps");
    const CardFacts one = factsFor(profile, "RX0001");
    const CardFacts again = factsFor(profile, "RX0001");
    const CardFacts other = factsFor(profile, "RX0002");
    EXPECT_EQ(one.imei, again.imei);
    EXPECT_NE(one.imei, other.imei);
    for (const CardFacts& facts : {one, other}) {
        EXPECT_EQ(facts.imei.size(), 15u);
        EXPECT_TRUE(luhnValid(facts.imei)) << facts.imei;
        EXPECT_EQ(facts.imsi.size(), 15u);
        EXPECT_EQ(facts.imsi.rfind("00101", 0), 0u) << facts.imsi;
        EXPECT_EQ(facts.imei.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(facts.imsi.find_first_not_of("0123456789"), std::string::npos);
    }
}

} // namespace
} // namespace Cardsim
