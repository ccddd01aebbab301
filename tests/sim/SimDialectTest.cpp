// The card's SIM as a host meets it on one AT port: the PIN state and its codes with the
// counters, the commands that wait for the PIN, the registration that waits for the SIM,
// the radio's power-up choice, and the control commands that pull, insert and reset it.

#include "sim/cardsim/NetworkControl.h"
#include "sim/cardsim/SecretMask.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

namespace Cardsim {
namespace {

using testing::answerOf;
using testing::CardSession;
using testing::framed;

constexpr const char* kPin = "2468";
constexpr const char* kPuk = "97531864";

SimSetup lockedSim() { return {{kPin, kPuk, true}, true}; }
SimSetup openSim() { return {{"0000", kPuk, false}, true}; }
SimSetup noSim() { return {{kPin, kPuk, true}, false}; }

const std::string kCmeNoSim = answerOf({}, "+CME ERROR: 10");
const std::string kCmePin = answerOf({}, "+CME ERROR: 11");
const std::string kCmePuk = answerOf({}, "+CME ERROR: 12");
const std::string kCmeWrong = answerOf({}, "+CME ERROR: 16");
const std::string kCmeNotAllowed = answerOf({}, "+CME ERROR: 3");
const std::string kCmeParameters = answerOf({}, "+CME ERROR: 50");
const std::string kOk = answerOf({});

std::string attempts(const char* counters)
{
    return answerOf({(std::string("_TERCN: ") + counters).c_str()});
}

struct Step {
    std::string command; // without its CR
    std::string answer;
};

struct SimDialogue {
    const char* name;
    SimSetup sim;
    std::vector<Step> steps;
};

// `count` times the same step.
std::vector<Step> repeated(std::size_t count, const Step& step) { return std::vector<Step>(count, step); }

std::vector<Step> operator+(std::vector<Step> first, const std::vector<Step>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

const Step kThreeWrong[] = {
    {"AT+CPIN=\"1111\"", kCmeWrong},
    {"AT+CPIN=\"1111\"", kCmeWrong},
    {"AT+CPIN=\"1111\"", kCmeWrong},
};
const std::vector<Step> kPinUsedUp(std::begin(kThreeWrong), std::end(kThreeWrong));

class SimDialogues : public ::testing::TestWithParam<SimDialogue> {};

TEST_P(SimDialogues, AnswerAsASimDoes)
{
    CardSession card(GetParam().sim);
    ASSERT_EQ(card.send("AT+CMEE=1\r"), kOk);
    for (const Step& step : GetParam().steps)
        EXPECT_EQ(card.send(step.command + "\r"), step.answer) << step.command;
}

std::string nameOf(const ::testing::TestParamInfo<SimDialogue>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    PinState, SimDialogues,
    ::testing::Values(
        SimDialogue{"OpenSimIsReadyWithFreshCounters", openSim(),
                    {{"AT+CPIN?", answerOf({"+CPIN: READY"})}, {"AT_TERCN?", attempts("3,10,3,10")},
                     {"AT+CLCK=\"SC\",2", answerOf({"+CLCK: 0"})}}},
        SimDialogue{"LockedSimAsksForItsPin", lockedSim(),
                    {{"AT+CPIN?", answerOf({"+CPIN: SIM PIN"})}, {"AT_TERCN?", attempts("3,10,3,10")},
                     {"AT+CLCK=\"SC\",2", answerOf({"+CLCK: 1"})}}},
        SimDialogue{"RightPinMakesItReady", lockedSim(),
                    {{"AT+CPIN=\"2468\"", kOk}, {"AT+CPIN?", answerOf({"+CPIN: READY"})}}},
        SimDialogue{"PinWithoutQuotesIsTakenToo", lockedSim(),
                    {{"AT+CPIN=2468", kOk}, {"AT+CPIN?", answerOf({"+CPIN: READY"})}}},
        SimDialogue{"WrongPinCountsDownAndTheRightOneRestores", lockedSim(),
                    {{"AT+CPIN=\"1111\"", kCmeWrong}, {"AT_TERCN?", attempts("2,10,3,10")},
                     {"AT+CPIN?", answerOf({"+CPIN: SIM PIN"})}, {"AT+CPIN=\"24680\"", kCmeWrong},
                     {"AT_TERCN?", attempts("1,10,3,10")}, {"AT+CPIN=\"2468\"", kOk},
                     {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"ThirdWrongPinAsksForThePuk", lockedSim(),
                    kPinUsedUp + std::vector<Step>{{"AT+CPIN?", answerOf({"+CPIN: SIM PUK"})},
                                                   {"AT_TERCN?", attempts("0,10,3,10")},
                                                   {"AT+CPIN=\"2468\"", kCmePuk},
                                                   {"AT_TERCN?", attempts("0,10,3,10")}}},
        SimDialogue{"PukSetsTheNewPinAndBothCounters", lockedSim(),
                    kPinUsedUp + std::vector<Step>{{"AT+CPIN=\"00000000\",\"1357\"", kCmeWrong},
                                                   {"AT_TERCN?", attempts("0,9,3,10")},
                                                   {"AT+CPIN=\"97531864\",\"1357\"", kOk},
                                                   {"AT+CPIN?", answerOf({"+CPIN: READY"})},
                                                   {"AT_TERCN?", attempts("3,10,3,10")},
                                                   {"AT+CLCK=\"SC\",0,\"2468\"", kCmeWrong},
                                                   {"AT+CLCK=\"SC\",0,\"1357\"", kOk}}},
        SimDialogue{"MalformedNewPinCostsNoPukAttempt", lockedSim(),
                    kPinUsedUp + std::vector<Step>{{"AT+CPIN=\"97531864\",\"135\"", kCmeWrong},
                                                   {"AT+CPIN=\"97531864\",\"123456789\"", kCmeWrong},
                                                   {"AT+CPIN=\"97531864\",\"12a4\"", kCmeWrong},
                                                   {"AT_TERCN?", attempts("0,10,3,10")},
                                                   {"AT+CPIN?", answerOf({"+CPIN: SIM PUK"})}}},
        SimDialogue{"TenthWrongPukBlocksForGood", lockedSim(),
                    kPinUsedUp + repeated(10, {"AT+CPIN=\"00000000\",\"1357\"", kCmeWrong}) +
                        std::vector<Step>{{"AT+CPIN?", answerOf({"+CPIN: SIM PUK"})},
                                          {"AT_TERCN?", attempts("0,0,3,10")},
                                          {"AT+CPIN=\"97531864\",\"1357\"", kCmeWrong},
                                          {"AT+CPIN=\"2468\"", kCmeWrong},
                                          {"AT_TERCN?", attempts("0,0,3,10")},
                                          {"AT+CIMI", kCmePuk}}},
        SimDialogue{"PinWhileReadyIsNotAllowed", openSim(), {{"AT+CPIN=\"0000\"", kCmeNotAllowed}}},
        SimDialogue{"PukFormWhileOnlyThePinIsNeededCountsNothing", lockedSim(),
                    {{"AT+CPIN=\"97531864\",\"1357\"", kCmeNotAllowed}, {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"MalformedCommandsCountNothing", lockedSim(),
                    {{"AT+CPIN=", kCmeParameters}, {"AT+CPIN=\"2468", kCmeParameters},
                     {"AT+CPIN=\"1\",\"2\",\"3\"", kCmeParameters}, {"AT+CPIN=\"97531864\",", kCmeParameters},
                     {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"NoSimAnswersTenToEverything", noSim(),
                    {{"AT+CPIN?", kCmeNoSim}, {"AT_TERCN?", kCmeNoSim}, {"AT+CPIN=\"2468\"", kCmeNoSim},
                     {"AT+CLCK=\"SC\",2", kCmeNoSim}, {"AT+CLCK=\"SC\",1,\"2468\"", kCmeNoSim},
                     {"AT+CPWD=\"SC\",\"2468\",\"1357\"", kCmeNoSim}, {"AT+CIMI", kCmeNoSim},
                     {"AT+CNUM", kCmeNoSim}, {"AT+CRSM=176,12258,0,0,10", kCmeNoSim},
                     {"AT_TBLS", answerOf({"_TBLS: 0"})}}}),
    nameOf);

INSTANTIATE_TEST_SUITE_P(
    LockAndChange, SimDialogues,
    ::testing::Values(
        SimDialogue{"LockSwitchedOnWithTheStoredPin", openSim(),
                    {{"AT+CLCK=\"SC\",1,\"0000\"", kOk}, {"AT+CLCK=\"SC\",2", answerOf({"+CLCK: 1"})}}},
        SimDialogue{"LockSwitchedOffOnceThePinIsIn", lockedSim(),
                    {{"AT+CLCK=\"SC\",0,\"2468\"", kCmePin}, {"AT+CPIN=\"2468\"", kOk},
                     {"AT+CLCK=\"SC\",0,\"2468\"", kOk}, {"AT+CLCK=\"SC\",2", answerOf({"+CLCK: 0"})},
                     {"AT+CLCK=\"SC\",0,\"2468\"", kOk}}},
        SimDialogue{"WrongPinToTheLockCountsDownToThePuk", openSim(),
                    repeated(3, {"AT+CLCK=\"SC\",1,\"1111\"", kCmeWrong}) +
                        std::vector<Step>{{"AT+CPIN?", answerOf({"+CPIN: SIM PUK"})},
                                          {"AT+CLCK=\"SC\",1,\"0000\"", kCmePuk},
                                          {"AT+CLCK=\"SC\",2", answerOf({"+CLCK: 0"})}}},
        SimDialogue{"RightPinToTheLockRestoresTheCounter", openSim(),
                    {{"AT+CLCK=\"SC\",1,\"1111\"", kCmeWrong}, {"AT+CLCK=\"SC\",1,\"0000\",7", kOk},
                     {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"LockWantsTheSimFacilityAndAPin", openSim(),
                    {{"AT+CLCK=\"SC\",1", kCmeParameters}, {"AT+CLCK=\"AO\",2", kCmeParameters},
                     {"AT+CLCK=SC,2", kCmeParameters}, {"AT+CLCK=\"SC\",3,\"0000\"", kCmeParameters},
                     {"AT+CLCK=?", answerOf({"+CLCK: (\"SC\")"})}, {"AT+CPWD=?", answerOf({"+CPWD: (\"SC\",8)"})}}},
        SimDialogue{"ChangedPinIsTheOneAskedFor", lockedSim(),
                    {{"AT+CPWD=\"SC\",\"2468\",\"1357\"", kCmePin}, {"AT+CPIN=\"2468\"", kOk},
                     {"AT+CPWD=\"SC\",\"2468\",\"13572468\"", kOk}, {"AT+CLCK=\"SC\",0,\"2468\"", kCmeWrong},
                     {"AT+CLCK=\"SC\",0,\"13572468\"", kOk}}},
        SimDialogue{"WrongOldPinCountsDown", lockedSim(),
                    {{"AT+CPIN=\"2468\"", kOk}, {"AT+CPWD=\"SC\",\"1111\",\"1357\"", kCmeWrong},
                     {"AT_TERCN?", attempts("2,10,3,10")}}},
        SimDialogue{"MalformedNewPinCostsNothing", lockedSim(),
                    {{"AT+CPIN=\"2468\"", kOk}, {"AT+CPWD=\"SC\",\"1111\",\"13\"", kCmeWrong},
                     {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"NoChangeWithTheLockOff", openSim(),
                    {{"AT+CPWD=\"SC\",\"0000\",\"1357\"", kCmeNotAllowed}, {"AT_TERCN?", attempts("3,10,3,10")}}},
        SimDialogue{"ChangeWantsThreeArguments", openSim(),
                    {{"AT+CPWD=\"SC\",\"0000\"", kCmeParameters}, {"AT+CPWD=\"P2\",\"0000\",\"1357\"", kCmeParameters}}},
        SimDialogue{"ChangeWhileThePukIsNeeded", lockedSim(),
                    kPinUsedUp + std::vector<Step>{{"AT+CPWD=\"SC\",\"2468\",\"1357\"", kCmePuk}}}),
    nameOf);

INSTANTIATE_TEST_SUITE_P(
    WhatTheSimStores, SimDialogues,
    ::testing::Values(
        SimDialogue{"WaitsForThePin", lockedSim(),
                    {{"AT+CIMI", kCmePin}, {"AT+CNUM", kCmePin}, {"AT+CPMS?", kCmePin},
                     {"AT_TBLS", answerOf({"_TBLS: 0"})}}},
        SimDialogue{"ReadOnceThePinIsIn", lockedSim(),
                    {{"AT+CPIN=\"2468\"", kOk},
                     {"AT_TBLS;+CPMS?", answerOf({"_TBLS: 1", "+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20"})}}},
        SimDialogue{"WaitsForThePukToo", lockedSim(), kPinUsedUp + std::vector<Step>{{"AT+CNUM", kCmePuk}}}),
    nameOf);

TEST(SimDialogue, RefusalsReadErrorWithoutExtendedReporting)
{
    CardSession card(lockedSim());
    EXPECT_EQ(card.send("AT+CIMI\r"), answerOf({}, "ERROR"));
    EXPECT_EQ(card.send("AT+CPIN=\"1111\"\r"), answerOf({}, "ERROR"));
    EXPECT_EQ(card.send("AT_TERCN?\r"), attempts("2,10,3,10"));
}

TEST(SimDialogue, SerialNumberNeedsNoPin)
{
    CardSession locked(lockedSim());
    CardSession open(openSim());
    const std::string answer = locked.send("AT+CRSM=176,12258,0,0,10\r");
    EXPECT_TRUE(answer.starts_with("\r\n+CRSM: 144,0,\"")) << answer;
    EXPECT_EQ(answer, open.send("AT+CRSM=176,12258,0,0,10\r"));
}

TEST(SimDialogue, ImsiAnswersOnceThePinIsIn)
{
    CardSession card(lockedSim());
    card.send("AT+CPIN=\"2468\"\r");
    EXPECT_EQ(card.send("AT+CIMI\r"), answerOf({card.facts.imsi.c_str()}));
}

TEST(SimDialogue, PowerOnAsksForThePinAgainButKeepsTheCounters)
{
    CardSession card(lockedSim());
    card.send("AT+CMEE=1\r");
    ASSERT_EQ(card.send("AT+CPIN=\"1111\";+CPIN=\"2468\";+CPIN=\"1111\"\r"), kCmeWrong) << "stops at the wrong one";
    card.send("AT+CPIN=\"2468\"\r");
    card.send("AT+CLCK=\"SC\",1,\"1111\"\r");
    card.state.powerOn();
    EXPECT_EQ(card.send("AT+CPIN?;_TERCN?\r"), answerOf({"+CPIN: SIM PIN", "_TERCN: 2,10,3,10"}));
    card.send("AT+CPIN=\"1111\"\r");
    card.send("AT+CPIN=\"1111\"\r");
    card.state.powerOn();
    EXPECT_EQ(card.send("AT+CPIN?\r"), answerOf({"+CPIN: SIM PUK"})) << "a used-up PIN stays used up";
}

// Registration -----------------------------------------------------------------------------

TEST(SimRegistration, LockedSimHoldsTheCardOffTheNetworkUntilThePinIsIn)
{
    CardSession card(lockedSim());
    card.state.powerOn();
    ASSERT_EQ(card.send("AT+CREG=2;+CGREG=1\r"), kOk);
    EXPECT_EQ(card.send("AT+CREG?;+CGREG?;+COPS?;+CGATT?\r"),
              answerOf({"+CREG: 2,0", "+CGREG: 1,0", "+COPS: 0", "+CGATT: 0"}));
    EXPECT_EQ(card.send("AT+CFUN=4\r"), kOk) << "nothing to lose";
    EXPECT_EQ(card.send("AT+CFUN=1\r"), kOk) << "no search without a SIM";
    card.alarms.runAll();
    EXPECT_EQ(card.take(), "");
    EXPECT_EQ(card.send("AT+CPIN=\"1111\"\r"), answerOf({}, "ERROR"));
    EXPECT_EQ(card.send("AT+CPIN=\"2468\"\r"), framed({"OK", "+CREG: 1,\"2F1E\",\"5A03\"", "+CGREG: 1"}));
    EXPECT_EQ(card.send("AT+CREG?;+CGATT?\r"), answerOf({"+CREG: 2,1,\"2F1E\",\"5A03\"", "+CGATT: 1"}));
}

TEST(SimRegistration, PulledSimLosesTheNetworkAndAnInsertedOneWaitsForItsPin)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CREG=1\r"), kOk);
    card.control("sim-remove");
    EXPECT_EQ(card.take(), framed({"+CREG: 0"}));
    card.control("sim-insert");
    EXPECT_EQ(card.take(), framed({"+CREG: 1"})) << "no lock: ready at once";
    ASSERT_EQ(card.send("AT+CLCK=\"SC\",1,\"0000\"\r"), kOk);
    card.control("sim-remove");
    card.control("sim-insert");
    EXPECT_EQ(card.take(), framed({"+CREG: 0", }));
    EXPECT_EQ(card.send("AT+CPIN?\r"), answerOf({"+CPIN: SIM PIN"}));
    EXPECT_EQ(card.send("AT+CPIN=\"0000\"\r"), framed({"OK", "+CREG: 1"}));
}

TEST(SimRegistration, PulledSimEndsTheCall)
{
    CardSession card(openSim());
    card.control("ring 5551234");
    card.take();
    card.control("sim-remove");
    EXPECT_EQ(card.take(), framed({"NO CARRIER"}));
}

// The radio at power-up -------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    PowerUpRadio, SimDialogues,
    ::testing::Values(
        SimDialogue{"OnByDefault", openSim(), {{"AT_TAIR?", answerOf({"_TAIR: 1"})}, {"AT_TAIR=?", answerOf({"_TAIR: (0,1)"})}}},
        SimDialogue{"OffSwitchesTheRadioAsCfunFour", openSim(),
                    {{"AT_TAIR=0", kOk}, {"AT_TAIR?;+CFUN?;+CSQ", answerOf({"_TAIR: 0", "+CFUN: 4", "+CSQ: 99,99"})}}},
        SimDialogue{"OnAgainIsFullFunction", openSim(),
                    {{"AT_TAIR=0;_TAIR=1;_TAIR?;+CFUN?", answerOf({"_TAIR: 1", "+CFUN: 1"})}}},
        SimDialogue{"CfunLeavesThePowerUpChoice", openSim(),
                    {{"AT+CFUN=4;_TAIR?", answerOf({"_TAIR: 1"})}}},
        SimDialogue{"OnlyZeroOrOne", openSim(), {{"AT_TAIR=2", kCmeParameters}, {"AT_TAIR=", kCmeParameters}}}),
    nameOf);

TEST(PowerUpRadio, HardwareSwitchRefusesOnButNotOff)
{
    CardSession card(openSim());
    card.send("AT+CMEE=1\r");
    card.control("radio-switch off");
    EXPECT_EQ(card.send("AT_TAIR=0\r"), kOk);
    EXPECT_EQ(card.send("AT_TAIR=1\r"), kCmeNotAllowed);
    EXPECT_EQ(card.send("AT_TAIR?;+CFUN?\r"), answerOf({"_TAIR: 0", "+CFUN: 4"})) << "the refused choice is not kept";
    card.control("radio-switch on");
    EXPECT_EQ(card.send("AT_TAIR=1;+CFUN?\r"), answerOf({"+CFUN: 1"}));
}

TEST(PowerUpRadio, ChoiceHoldsAtTheNextPowerOnAndTheRegistrationFollows)
{
    CardSession card(openSim());
    ASSERT_EQ(card.send("AT+CREG=1\r"), kOk);
    EXPECT_EQ(card.send("AT_TAIR=0\r"), framed({"OK", "+CREG: 0"}));
    card.state.powerOn();
    EXPECT_EQ(card.send("AT+CFUN?;+CREG?\r"), answerOf({"+CFUN: 4", "+CREG: 1,0"}));
    EXPECT_EQ(card.send("AT_TAIR=1\r"), framed({"OK", "+CREG: 2"}));
    card.alarms.runAll();
    EXPECT_EQ(card.take(), framed({"+CREG: 1"}));
    card.state.powerOn();
    EXPECT_EQ(card.send("AT+CFUN?\r"), answerOf({"+CFUN: 1"}));
}

// Control commands --------------------------------------------------------------------------

TEST(SimControl, ShowsStateLockAndAttemptsButNeverTheCodes)
{
    CardSession card(lockedSim());
    EXPECT_EQ(card.reply("sim"), "OK state=pin-needed lock=on pin-left=3 puk-left=10");
    for (int i = 0; i < 3; ++i)
        card.send("AT+CPIN=\"1111\"\r");
    card.send("AT+CPIN=\"11111111\",\"2222\"\r");
    EXPECT_EQ(card.reply("sim"), "OK state=puk-needed lock=on pin-left=0 puk-left=9");
    const std::string status = networkStatus(card.state, card.facts);
    EXPECT_NE(status.find(" sim=puk-needed"), std::string::npos) << status;
    for (const std::string& reply : {card.reply("sim"), status}) {
        EXPECT_EQ(reply.find(kPin), std::string::npos) << reply;
        EXPECT_EQ(reply.find(kPuk), std::string::npos) << reply;
    }
}

TEST(SimControl, RemoveInsertAndResetSayWhenThereIsNothingToDo)
{
    CardSession card(noSim());
    EXPECT_EQ(card.reply("sim"), "OK state=absent lock=on pin-left=3 puk-left=10");
    EXPECT_EQ(card.reply("sim-remove"), "ERROR there is no SIM in the card");
    EXPECT_EQ(card.reply("sim-insert"), "OK");
    EXPECT_EQ(card.reply("sim-insert"), "ERROR a SIM is in the card already");
    EXPECT_EQ(card.reply("sim"), "OK state=pin-needed lock=on pin-left=3 puk-left=10");
}

TEST(SimControl, ResetGivesAFreshSimWithTheCodesTheCardStartedWith)
{
    CardSession card(lockedSim());
    card.send("AT+CMEE=1\r");
    card.send("AT+CPIN=\"2468\";+CPWD=\"SC\",\"2468\",\"1357\"\r");
    card.control("sim-remove");
    card.control("sim-reset");
    EXPECT_EQ(card.reply("sim"), "OK state=pin-needed lock=on pin-left=3 puk-left=10");
    EXPECT_EQ(card.send("AT+CPIN=\"1357\"\r"), kCmeWrong) << "the changed PIN went with the old SIM";
    EXPECT_EQ(card.send("AT+CPIN=\"2468\"\r"), kOk);
    for (int i = 0; i < 3; ++i)
        card.send("AT+CLCK=\"SC\",0,\"1111\"\r");
    for (int i = 0; i < 10; ++i)
        card.send("AT+CPIN=\"00000000\",\"1357\"\r");
    ASSERT_EQ(card.reply("sim"), "OK state=blocked lock=on pin-left=0 puk-left=0");
    card.control("sim-remove");
    card.control("sim-insert");
    EXPECT_EQ(card.reply("sim"), "OK state=blocked lock=on pin-left=0 puk-left=0") << "blocked for good";
    card.control("sim-reset");
    EXPECT_EQ(card.reply("sim"), "OK state=pin-needed lock=on pin-left=3 puk-left=10");
}

// The log's mask --------------------------------------------------------------------------

struct MaskCase {
    const char* name;
    std::vector<std::string> pieces; // as the reads brought them
    std::string logged;
};

class SecretMasks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SecretMasks, HideTheCodesWhereverTheReadsCutThem)
{
    SecretMask mask;
    std::string logged;
    for (const std::string& piece : GetParam().pieces)
        logged += mask.mask(piece);
    EXPECT_EQ(logged, GetParam().logged);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SecretMasks,
    ::testing::Values(
        MaskCase{"Pin", {"AT+CPIN=\"2468\"\r"}, "AT+CPIN=\"XXXX\"\r"},
        MaskCase{"PukAndNewPin", {"AT+CPIN=\"97531864\",\"1357\"\r"}, "AT+CPIN=\"XXXXXXXX\",\"XXXX\"\r"},
        MaskCase{"Lock", {"AT+CLCK=\"SC\",1,\"2468\"\r"}, "AT+CLCK=\"XX\",1,\"XXXX\"\r"},
        MaskCase{"LockQuery", {"AT+CLCK=\"SC\",2\r"}, "AT+CLCK=\"XX\",2\r"},
        MaskCase{"Change", {"AT+CPWD=\"SC\",\"2468\",\"1357\"\r"}, "AT+CPWD=\"XX\",\"XXXX\",\"XXXX\"\r"},
        MaskCase{"CodesWithoutQuotes", {"at+cpin=2468;+clck=\"sc\",0,2468\r"}, "at+cpin=XXXX;+clck=\"XX\",0,XXXX\r"},
        MaskCase{"InTheMiddleOfALine", {"AT+CMEE=1;+CPIN=\"2468\";+CSQ\r"}, "AT+CMEE=1;+CPIN=\"XXXX\";+CSQ\r"},
        MaskCase{"SemicolonInsideTheCode", {"AT+CPIN=\"24;68\"\r"}, "AT+CPIN=\"XXXXX\"\r"},
        MaskCase{"CutAnywhere", {"AT+CP", "IN=\"24", "68\"", "\r\nAT+COPS=1,2,\"00101\"\r"},
                 "AT+CPIN=\"XXXX\"\r\nAT+COPS=1,2,\"00101\"\r"},
        MaskCase{"UnclosedQuoteEndsWithTheLine", {"AT+CPIN=\"2468\r", "AT+COPS=1,2,\"00101\"\r"},
                 "AT+CPIN=\"XXXX\rAT+COPS=1,2,\"00101\"\r"},
        MaskCase{"OtherCommandsPass", {"AT+CPIN?;+COPS=1,0,\"Net 2468\";+CIMI\r"},
                 "AT+CPIN?;+COPS=1,0,\"Net 2468\";+CIMI\r"}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.name); });

TEST(SecretMasks, ControlLineNamingACodeCommand)
{
    EXPECT_EQ(maskSecrets("fail AT+CPIN=\"2468\" 16"), "fail AT+CPIN=\"XXXX\" XX");
    const ParsedControl parsed = parseControlLine("fail AT+CPIN=\"2468\";+CGMR error");
    ASSERT_FALSE(parsed.command);
    EXPECT_EQ(parsed.problem.find(kPin), std::string::npos) << parsed.problem;
}

} // namespace
} // namespace Cardsim
