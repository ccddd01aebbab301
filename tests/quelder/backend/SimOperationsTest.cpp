// The generic platform's SIM, PIN and radio operations against a scripted card: the
// commands each sends for each card family and what it makes of the answers; codes that
// would end their command refused before anything is sent; the post-PIN step and the
// events it raises; no secret in the backend's log.

#include "tests/quelder/backend/OperationCase.h"

#include "quelder/ModemStates.h"
#include "quelder/Quelder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::Value;

// Secrets no other log line could hold by chance.
constexpr const char* kPin = "73915820";
constexpr const char* kPuk = "48261759";
constexpr const char* kNewPin = "60374125";

const std::string kWrongCode = Code(qdCmeError(16));
const std::string kRefused = Code(kQdInvalidParameter);

std::string Quoted(const char* code) { return std::string("\"") + code + "\""; }

// The cached values a row looks at after its call.
std::string Cached(const GSM::Device& d, Value value) { return std::to_string(d.Get(value)); }

// The SIM answers that the PIN is in and the SIM has been read.
// A ready SIM, and what the device sets up on it once it is: SMS (with its messages
// read) and the phonebook.
std::vector<Exchange> SimReady()
{
    return {Ask("AT+CPIN?", {"+CPIN: READY"}),
            Ask("AT_TBLS", {"_TBLS: 1"}),
            OkTo("AT+CNUM"),
            OkTo("AT+CPMS?"),
            OkTo("AT+CNMI=2,1,0,1;+CMGF=0"),
            Ask("AT+CPMS=\"SM\",\"SM\",\"SM\"", {"+CPMS: 0,20,0,20,0,20"}),
            OkTo("AT+CMGL=4"),
            OkTo("AT+CPBS=\"SM\""),
            Ask("AT+CPBS?", {"+CPBS: \"SM\",0,250"}),
            Ask("AT+CPBR=?", {"+CPBR: (1-250),40,18"})};
}
const std::vector<std::string> kSimReadyCommands{"AT+CPIN?",  "AT_TBLS",   "AT+CNUM",
                                                 "AT+CPMS?",  "AT+CNMI=2,1,0,1;+CMGF=0",
                                                 "AT+CPMS=\"SM\",\"SM\",\"SM\"", "AT+CMGL=4",
                                                 "AT+CPBS=\"SM\"", "AT+CPBS?", "AT+CPBR=?"};

template <class Item = Exchange, class... Lists>
std::vector<Item> Joined(std::vector<Item> first, const Lists&... rest)
{
    (first.insert(first.end(), rest.begin(), rest.end()), ...);
    return first;
}

class SimOperation : public CardOperation {};

TEST_P(SimOperation, SendsItsCommandsAndReadsTheAnswers) { RunsAsItsRowSays(GetParam()); }

TEST_P(SimOperation, NeedsAnInitialisedCard) { NeedsAnInitialisedCard(GetParam()); }

// The PIN mode the call left in the cache, behind what the call gave.
template <class Call>
std::function<Outcome(GSM::Platform&, GSM::Device&)> WithPinMode(Call call)
{
    return [call](GSM::Platform& p, GSM::Device& d) {
        Outcome outcome = call(p, d);
        outcome.push_back(Cached(d, Value::pinMode));
        return outcome;
    };
}

const std::string kEnabled = std::to_string(GSM::kPinModeEnabled);
const std::string kDisabled = std::to_string(GSM::kPinModeDisabled);
const std::string kUnknownMode = std::to_string(GSM::kPinModeUnknown);

std::function<Outcome(GSM::Platform&, GSM::Device&)> Counters()
{
    return [](GSM::Platform& p, GSM::Device&) {
        int pin = -1, puk = -1;
        const QdResult rc = p.QdGetPinPukCounters(&pin, &puk);
        return Outcome{Code(rc), std::to_string(pin), std::to_string(puk)};
    };
}

// QdInitializeSim, then the PIN/PUK state, its code and the SIM state it cached.
Outcome InitializeSim(GSM::Platform& p, GSM::Device& d)
{
    const QdResult rc = p.QdInitializeSim();
    return {Code(rc), Cached(d, Value::pinPukState), Code(d.Get(Value::pinPukResult)),
            Cached(d, Value::simInitialized)};
}

INSTANTIATE_TEST_SUITE_P(
    Pin, SimOperation,
    ::testing::Values(
        OperationCase{"EnterPin", kGx750, {OkTo("AT+CPIN=" + Quoted(kPin))},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode(kPin); }), {kDone},
                      {"AT+CPIN=" + Quoted(kPin)}},
        OperationCase{"EnterWrongPin", kGx750, {Refuse("AT+CPIN=\"0000\"", 16)},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("0000"); }), {kWrongCode},
                      {"AT+CPIN=\"0000\""}},
        OperationCase{"EnterPukAndNewPin", kGx750, {OkTo("AT+CPIN=" + Quoted(kPuk) + "," + Quoted(kNewPin))},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPukCode(kPuk, kNewPin); }), {kDone},
                      {"AT+CPIN=" + Quoted(kPuk) + "," + Quoted(kNewPin)}},
        OperationCase{"EnterWrongPuk", kGx750, {Refuse("AT+CPIN=\"00000000\"," + Quoted(kNewPin), 16)},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPukCode("00000000", kNewPin); }), {kWrongCode},
                      {"AT+CPIN=\"00000000\"," + Quoted(kNewPin)}},
        OperationCase{"ChangePin", kGx750, {OkTo("AT+CPWD=\"SC\"," + Quoted(kPin) + "," + Quoted(kNewPin))},
                      CodeOf([](GSM::Platform& p) { return p.QdChangePinCode(kPin, kNewPin); }), {kDone},
                      {"AT+CPWD=\"SC\"," + Quoted(kPin) + "," + Quoted(kNewPin)}},
        OperationCase{"PinModeEnabled", kGx750, {Ask("AT+CLCK=\"SC\",2", {"+CLCK: 1"})},
                      WithPinMode(IntOut([](GSM::Platform& p, int* v) { return p.QdGetPinMode(v); })),
                      {kDone, "1", kEnabled}, {"AT+CLCK=\"SC\",2"}},
        OperationCase{"PinModeDisabled", kGx750, {Ask("AT+CLCK=\"SC\",2", {"+CLCK: 0"})},
                      WithPinMode(IntOut([](GSM::Platform& p, int* v) { return p.QdGetPinMode(v); })),
                      {kDone, "0", kDisabled}, {"AT+CLCK=\"SC\",2"}},
        OperationCase{"PinModeThatIsNeither", kGx750, {Ask("AT+CLCK=\"SC\",2", {"+CLCK: 2"})},
                      WithPinMode(IntOut([](GSM::Platform& p, int* v) { return p.QdGetPinMode(v); })),
                      {Code(kQdNotAvailable), "-1", kUnknownMode}, {"AT+CLCK=\"SC\",2"}},
        OperationCase{"SwitchThePinRequestOn", kGx750, {OkTo("AT+CLCK=\"SC\",1," + Quoted(kPin))},
                      WithPinMode(CodeOf([](GSM::Platform& p) { return p.QdSetPinMode(1, kPin); })),
                      {kDone, kEnabled}, {"AT+CLCK=\"SC\",1," + Quoted(kPin)}},
        OperationCase{"SwitchThePinRequestOffWithAWrongPin", kGx750, {Refuse("AT+CLCK=\"SC\",0,\"0000\"", 16)},
                      WithPinMode(CodeOf([](GSM::Platform& p) { return p.QdSetPinMode(0, "0000"); })),
                      {kWrongCode, kUnknownMode}, {"AT+CLCK=\"SC\",0,\"0000\""}},
        OperationCase{"LockAFacility", kGx750, {OkTo("AT+CLCK=\"AO\",1,\"0000\"")},
                      WithPinMode(CodeOf([](GSM::Platform& p) { return p.QdSetFacilityState("AO", 1, "0000"); })),
                      {kDone, kUnknownMode}, {"AT+CLCK=\"AO\",1,\"0000\""}},
        OperationCase{"UnlockTheSimFacility", kGx750, {OkTo("AT+CLCK=\"SC\",0," + Quoted(kPin))},
                      WithPinMode(CodeOf([](GSM::Platform& p) { return p.QdSetFacilityState("SC", 0, kPin); })),
                      {kDone, kDisabled}, {"AT+CLCK=\"SC\",0," + Quoted(kPin)}},
        OperationCase{"CountersOfTheMakersCard", kGx750, {Ask("AT_TERCN?", {"_TERCN: 2,10,3,10"})}, Counters(),
                      {kDone, "2", "10"}, {"AT_TERCN?"}},
        OperationCase{"CountersOfTheMakersCardWithoutSim", kGx750, {Refuse("AT_TERCN?", 10)}, Counters(),
                      {Code(qdCmeError(10)), "-1", "-1"}, {"AT_TERCN?"}},
        OperationCase{"CountersCutShort", kGx750, {Ask("AT_TERCN?", {"_TERCN: 3"})}, Counters(),
                      {Code(kQdNotAvailable), "-1", "-1"}, {"AT_TERCN?"}},
        OperationCase{"CountersOfAZteCard", kZte, {Ask("AT+ZPINPUK=?", {"+ZPINPUK: 0,9"})}, Counters(),
                      {kDone, "0", "9"}, {"AT+ZPINPUK=?"}},
        OperationCase{"CountersOfAHuaweiCard", kHuawei, {}, Counters(), {Code(kQdNotSupported), "-1", "-1"}, {}},
        OperationCase{"CountersOfAnotherMakersModule", kOtherMaker, {}, Counters(),
                      {Code(kQdNotSupported), "-1", "-1"}, {}},
        OperationCase{"DirectPinPukState", kGx750, {Ask("AT+CPIN?", {"+CPIN: SIM PUK"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetDirectPinPukState(v); }),
                      {kDone, std::to_string(GSM::kPinStatePukRequired)}, {"AT+CPIN?"}},
        OperationCase{"PinPukStateReadWhileUnknown", kGx750, {Ask("AT+CPIN?", {"+CPIN: SIM PIN"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          int state = -1, result = -1;
                          const QdResult rc = p.QdGetPinPukState(&state, &result);
                          return Outcome{Code(rc), std::to_string(state), Code(result)};
                      },
                      {kDone, std::to_string(GSM::kPinStatePinRequired), kDone}, {"AT+CPIN?"}},
        OperationCase{"InitializeSimThatIsReady", kGx750, SimReady(), InitializeSim,
                      {kDone, std::to_string(GSM::kPinStateReady), kDone, "1"}, kSimReadyCommands},
        OperationCase{"InitializeSimThatIsStillBeingRead", kGx750,
                      {Ask("AT+CPIN?", {"+CPIN: READY"}), Ask("AT_TBLS", {"_TBLS: 1"}), Refuse("AT+CNUM", 14)},
                      InitializeSim, {kDone, std::to_string(GSM::kPinStateReady), kDone, "0"},
                      {"AT+CPIN?", "AT_TBLS", "AT+CNUM"}},
        OperationCase{"InitializeSimThatAsksForThePin", kGx750, {Ask("AT+CPIN?", {"+CPIN: SIM PIN"})}, InitializeSim,
                      {kDone, std::to_string(GSM::kPinStatePinRequired), kDone, "0"}, {"AT+CPIN?"}},
        OperationCase{"InitializeWithoutSim", kGx750, {Refuse("AT+CPIN?", 10)}, InitializeSim,
                      {Code(qdCmeError(10)), "0", Code(qdCmeError(10)), "0"}, {"AT+CPIN?"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Codes that are no codes, above all those that would end the command's text and have
// the card run what follows: refused, and nothing sent.
INSTANTIATE_TEST_SUITE_P(
    Refused, SimOperation,
    ::testing::Values(
        OperationCase{"NoPin", kGx750, {}, CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode(nullptr); }),
                      {Code(kQdNullPointer)}, {}},
        OperationCase{"EmptyPin", kGx750, {}, CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode(""); }),
                      {kRefused}, {}},
        OperationCase{"PinWithAQuote", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("12\";+CFUN=0;\""); }), {kRefused}, {}},
        OperationCase{"PinWithACarriageReturn", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("1234\rAT+CFUN=0"); }), {kRefused}, {}},
        OperationCase{"PinWithALineFeed", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("1234\n"); }), {kRefused}, {}},
        OperationCase{"PinWithLetters", kGx750, {}, CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("12ab"); }),
                      {kRefused}, {}},
        OperationCase{"PinLongerThanASimTakes", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPinCode("123456789"); }), {kRefused}, {}},
        OperationCase{"PukWithAQuote", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPukCode("1234\"5678", kNewPin); }), {kRefused}, {}},
        OperationCase{"NewPinAfterThePukWithALineEnd", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPukCode(kPuk, "1234\r\n"); }), {kRefused}, {}},
        OperationCase{"NoNewPinAfterThePuk", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdEnterPukCode(kPuk, nullptr); }),
                      {Code(kQdNullPointer)}, {}},
        OperationCase{"ChangeToAPinWithASemicolon", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdChangePinCode(kPin, "12;34"); }), {kRefused}, {}},
        OperationCase{"ChangeFromAnEmptyPin", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdChangePinCode("", kNewPin); }), {kRefused}, {}},
        OperationCase{"PinModeWithAQuote", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPinMode(0, "\""); }), {kRefused}, {}},
        OperationCase{"FacilityThatEndsTheCommand", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetFacilityState("S\"", 1, "1234"); }), {kRefused}, {}},
        OperationCase{"FacilityOfThreeLetters", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetFacilityState("SCX", 1, "1234"); }), {kRefused}, {}},
        OperationCase{"FacilityPasswordWithALineFeed", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetFacilityState("SC", 1, "12\n34"); }), {kRefused},
                      {}}),
    [](const auto& info) { return std::string(info.param.name); });

std::function<Outcome(GSM::Platform&, GSM::Device&)> CurrentRadio()
{
    return IntOut([](GSM::Platform& p, int* v) { return p.QdGetCurrentRadioState(v); });
}
std::function<Outcome(GSM::Platform&, GSM::Device&)> PowerUpRadio()
{
    return IntOut([](GSM::Platform& p, int* v) { return p.QdGetPowerUpRadioState(v); });
}

INSTANTIATE_TEST_SUITE_P(
    Radio, SimOperation,
    ::testing::Values(
        OperationCase{"RadioOn", kGx750, {Ask("AT+CFUN?", {"+CFUN: 1"})}, CurrentRadio(), {kDone, "1"}, {"AT+CFUN?"}},
        OperationCase{"RadioOff", kGx750, {Ask("AT+CFUN?", {"+CFUN: 4"})}, CurrentRadio(), {kDone, "0"}, {"AT+CFUN?"}},
        OperationCase{"RadioAtMinimumFunction", kZte, {Ask("AT+CFUN?", {"+CFUN: 0"})}, CurrentRadio(), {kDone, "0"},
                      {"AT+CFUN?"}},
        OperationCase{"SwitchTheRadioOn", kGx750, {OkTo("AT+CFUN=1")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetCurrentRadioState(1); }), {kDone}, {"AT+CFUN=1"}},
        OperationCase{"SwitchTheRadioOff", kGx750, {OkTo("AT+CFUN=4")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetCurrentRadioState(0); }), {kDone}, {"AT+CFUN=4"}},
        OperationCase{"PowerUpRadioOfTheMakersCard", kGx750, {Ask("AT_TAIR?", {"_TAIR: 1"})}, PowerUpRadio(),
                      {kDone, "1"}, {"AT_TAIR?"}},
        OperationCase{"PowerUpRadioOffOfTheMakersCard", kGx750, {Ask("AT_TAIR?", {"_TAIR: 0"})}, PowerUpRadio(),
                      {kDone, "0"}, {"AT_TAIR?"}},
        OperationCase{"PowerUpRadioOfAZteCard", kZte, {Ask("AT+CFUN?", {"+CFUN: 1"})}, PowerUpRadio(), {kDone, "1"},
                      {"AT+CFUN?"}},
        OperationCase{"PowerUpRadioOfAnotherMakersModule", kOtherMaker, {Ask("AT+CFUN?", {"+CFUN: 4"})},
                      PowerUpRadio(), {kDone, "0"}, {"AT+CFUN?"}},
        OperationCase{"SwitchOffAtPowerUpOnTheMakersCard", kGx750, {OkTo("AT_TAIR=0")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPowerUpRadioState(0); }), {kDone}, {"AT_TAIR=0"}},
        OperationCase{"SwitchOnAtPowerUpOnTheMakersCard", kGx750, {OkTo("AT_TAIR=1")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPowerUpRadioState(1); }), {kDone}, {"AT_TAIR=1"}},
        OperationCase{"SwitchOnAtPowerUpWhileTheSwitchHoldsItOff", kGx750, {Refuse("AT_TAIR=1", 3)},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPowerUpRadioState(1); }), {Code(qdCmeError(3))},
                      {"AT_TAIR=1"}},
        OperationCase{"SwitchOffAtPowerUpOnAHuaweiCard", kHuawei, {OkTo("AT+CFUN=4")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPowerUpRadioState(0); }), {kDone}, {"AT+CFUN=4"}},
        OperationCase{"SwitchOnAtPowerUpOnAZteCard", kZte, {OkTo("AT+CFUN=1")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetPowerUpRadioState(1); }), {kDone}, {"AT+CFUN=1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the post-PIN step ------------------------------------------------------------------------

struct PostPinCase {
    const char* name;
    int stateBefore;  // the PIN/PUK state cached before the call
    std::vector<Exchange> script;
    QdResult (*call)(GSM::Platform&);
    QdResult result;
    int stateAfter;
    int simAfter;
    std::vector<int> events; // raised by the call and its post-PIN step, in order
    std::vector<std::string> commands;
    friend void PrintTo(const PostPinCase& c, std::ostream* out) { *out << c.name; }
};

class PostPinStep : public DeviceFixture<::testing::TestWithParam<PostPinCase>> {};

TEST_P(PostPinStep, ReadsTheStateAgainAndTellsTheClient)
{
    const PostPinCase& c = GetParam();
    PtyCardLink card{CardScript{c.script}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);
    device.Set(Value::pinPukState, c.stateBefore, true);
    ASSERT_NO_FATAL_FAILURE(Drain());
    const std::size_t before = client.EventIds().size();

    EXPECT_EQ(Code(device.AfterPinOperation(c.call(device.CurrentPlatform()))), Code(c.result));
    ASSERT_NO_FATAL_FAILURE(Drain());

    EXPECT_EQ(device.Get(Value::pinPukState), c.stateAfter);
    EXPECT_EQ(device.Get(Value::simInitialized), c.simAfter);
    const std::vector<int> ids = client.EventIds();
    EXPECT_EQ(std::vector<int>(ids.begin() + static_cast<std::ptrdiff_t>(before), ids.end()), c.events);
    EXPECT_EQ(card.card.Commands(), c.commands);
}

QdResult EnterWrongPin(GSM::Platform& p) { return p.QdEnterPinCode("0000"); }
QdResult EnterPin(GSM::Platform& p) { return p.QdEnterPinCode(kPin); }
QdResult EnterPuk(GSM::Platform& p) { return p.QdEnterPukCode(kPuk, kNewPin); }
QdResult SwitchPinRequestOff(GSM::Platform& p) { return p.QdSetPinMode(0, kPin); }
QdResult EnterPinThatEndsTheCommand(GSM::Platform& p) { return p.QdEnterPinCode("1\";+CFUN=0"); }

constexpr int kPinEvent = QdEventPinPukState, kSimEvent = QdEventSimState, kModeEvent = QdEventPinMode,
              kPhonebookEvent = QdEventPhonebookState;
const std::string kEnterWrongPin = "AT+CPIN=\"0000\"";

INSTANTIATE_TEST_SUITE_P(
    Pin, PostPinStep,
    ::testing::Values(
        // The state reads as before, but an attempt is gone: the client asks for the counters again.
        PostPinCase{"WrongPinStillAsksForThePin", GSM::kPinStatePinRequired,
                    {Refuse(kEnterWrongPin, 16), Ask("AT+CPIN?", {"+CPIN: SIM PIN"})}, EnterWrongPin, qdCmeError(16),
                    GSM::kPinStatePinRequired, 0, {kPinEvent}, {kEnterWrongPin, "AT+CPIN?"}},
        PostPinCase{"LastWrongPinAsksForThePuk", GSM::kPinStatePinRequired,
                    {Refuse(kEnterWrongPin, 16), Ask("AT+CPIN?", {"+CPIN: SIM PUK"})}, EnterWrongPin, qdCmeError(16),
                    GSM::kPinStatePukRequired, 0, {kPinEvent}, {kEnterWrongPin, "AT+CPIN?"}},
        PostPinCase{"RightPinReadiesTheSim", GSM::kPinStatePinRequired,
                    Joined({OkTo("AT+CPIN=" + Quoted(kPin))}, SimReady()), EnterPin, kQdSuccess, GSM::kPinStateReady,
                    1, {kPinEvent, kSimEvent, kPhonebookEvent}, Joined<std::string>({"AT+CPIN=" + Quoted(kPin)}, kSimReadyCommands)},
        PostPinCase{"PukAndNewPinUnblock", GSM::kPinStatePukRequired,
                    Joined({OkTo("AT+CPIN=" + Quoted(kPuk) + "," + Quoted(kNewPin))}, SimReady()), EnterPuk,
                    kQdSuccess, GSM::kPinStateReady, 1, {kPinEvent, kSimEvent, kPhonebookEvent},
                    Joined<std::string>({"AT+CPIN=" + Quoted(kPuk) + "," + Quoted(kNewPin)}, kSimReadyCommands)},
        PostPinCase{"PinRequestSwitchedOff", GSM::kPinStateReady,
                    Joined({OkTo("AT+CLCK=\"SC\",0," + Quoted(kPin))}, SimReady()), SwitchPinRequestOff, kQdSuccess,
                    GSM::kPinStateReady, 1, {kModeEvent, kPinEvent, kSimEvent, kPhonebookEvent},
                    Joined<std::string>({"AT+CLCK=\"SC\",0," + Quoted(kPin)}, kSimReadyCommands)},
        // Nothing reached the card: nothing changed that the client would need to hear of.
        PostPinCase{"RefusedPinAsksNothingAndTellsNothing", GSM::kPinStatePinRequired, {}, EnterPinThatEndsTheCommand,
                    kQdInvalidParameter, GSM::kPinStatePinRequired, 0, {}, {}},
        // The state that cannot be read is unknown, with the code it failed with.
        PostPinCase{"StateThatCannotBeReadAfterwards", GSM::kPinStatePinRequired,
                    {OkTo("AT+CPIN=" + Quoted(kPin))}, EnterPin, kQdSuccess, GSM::kPinStateUnknown, 0, {kPinEvent},
                    {"AT+CPIN=" + Quoted(kPin), "AT+CPIN?"}}),
    [](const auto& info) { return std::string(info.param.name); });

class PostPinFailure : public DeviceFixture<> {};

TEST_F(PostPinFailure, IsLoggedAndKeptAsTheStatesResultCode)
{
    PtyCardLink card{CardScript{{OkTo("AT+CPIN=" + Quoted(kPin))}}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);
    EXPECT_EQ(device.AfterPinOperation(device.CurrentPlatform().QdEnterPinCode(kPin)), kQdSuccess);
    EXPECT_EQ(device.Get(Value::pinPukResult), kQdModemError);
    EXPECT_TRUE(log.Contains("Qd: UpdatePinStateCache(): Post-PIN operation failed with 0x84000003"));
}

// The client sets up its PIN dialogue once the card is initialised: the first
// QdInitializeSim after the start-up tells it the state again, though the start-up read
// the same; later ones (the client repeats it whenever the radio comes on) only a change,
// or a PIN on its way would take the repeated request for the card's answer.
class SimInitialisation : public DeviceFixture<> {};

TEST_F(SimInitialisation, TellsTheClientThePinStateEvenUnchanged)
{
    PtyCardLink card{CardScript{{Ask("AT+CPIN?", {"+CPIN: SIM PIN"})}}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);
    device.Set(Value::pinPukState, GSM::kPinStatePinRequired, true);
    ASSERT_NO_FATAL_FAILURE(Drain());
    const std::size_t before = client.EventIds().size();

    EXPECT_EQ(device.CurrentPlatform().QdInitializeSim(), kQdSuccess);
    ASSERT_NO_FATAL_FAILURE(Drain());
    const std::vector<int> ids = client.EventIds();
    EXPECT_EQ(std::vector<int>(ids.begin() + static_cast<std::ptrdiff_t>(before), ids.end()),
              std::vector<int>{kPinEvent});
}

TEST_F(SimInitialisation, TellsAnUnchangedStateOnlyTheFirstTime)
{
    PtyCardLink card{CardScript{{Ask("AT+CPIN?", {"+CPIN: SIM PIN"}), Ask("AT+CPIN?", {"+CPIN: SIM PIN"})}}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);
    device.Set(Value::pinPukState, GSM::kPinStatePinRequired, true);
    EXPECT_EQ(device.CurrentPlatform().QdInitializeSim(), kQdSuccess);
    ASSERT_NO_FATAL_FAILURE(Drain());
    const std::size_t before = client.EventIds().size();

    EXPECT_EQ(device.CurrentPlatform().QdInitializeSim(), kQdSuccess);
    ASSERT_NO_FATAL_FAILURE(Drain());
    EXPECT_EQ(client.EventIds().size(), before);
}

// --- secrets in the log -------------------------------------------------------------------

struct SecretCase {
    const char* name;
    QdResult (*call)(GSM::Platform&);
    std::string command; // as the card receives it
    std::string masked;  // as the log shows it
};

// No line of the log, at its most verbose, holds any of the secrets.
void ExpectNoSecretIn(const BackendLog& log)
{
    for (const std::string& message : log.Messages())
        for (const char* secret : {kPin, kPuk, kNewPin})
            EXPECT_EQ(message.find(secret), std::string::npos) << message;
}

class SecretsInTheLog : public DeviceFixture<::testing::TestWithParam<SecretCase>> {};

// The card echoes each command and answers it once right and once wrong.
TEST_P(SecretsInTheLog, AreMaskedInTheCommandItsEchoAndTheDump)
{
    const SecretCase& c = GetParam();
    CardScript script{{{c.command, "\r\nOK\r\n"}}, 1};
    PtyCardLink card{script};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);

    EXPECT_EQ(c.call(device.CurrentPlatform()), kQdSuccess);
    EXPECT_EQ(card.card.Commands(), std::vector<std::string>{c.command});
    EXPECT_TRUE(log.Contains("Qd: Modem write: [" + c.masked + "]"));
    ExpectNoSecretIn(log);
}

TEST_P(SecretsInTheLog, AreMaskedWhenTheCardRefusesTheCode)
{
    const SecretCase& c = GetParam();
    CardScript script{{{c.command, "\r\n+CME ERROR: 16\r\n"}}, 1};
    PtyCardLink card{script};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    device.SetDeviceState(GSM::DeviceState::initialized, true);

    EXPECT_EQ(c.call(device.CurrentPlatform()), qdCmeError(16));
    ExpectNoSecretIn(log);
}

std::string Masked(const char* code) { return "\"" + std::string(std::string_view(code).size(), 'X') + "\""; }

INSTANTIATE_TEST_SUITE_P(
    Pin, SecretsInTheLog,
    ::testing::Values(
        SecretCase{"EnterPin", EnterPin, "AT+CPIN=" + Quoted(kPin), "AT+CPIN=" + Masked(kPin)},
        SecretCase{"EnterPuk", EnterPuk, "AT+CPIN=" + Quoted(kPuk) + "," + Quoted(kNewPin),
                   "AT+CPIN=" + Masked(kPuk) + "," + Masked(kNewPin)},
        SecretCase{"ChangePin", [](GSM::Platform& p) { return p.QdChangePinCode(kPin, kNewPin); },
                   "AT+CPWD=\"SC\"," + Quoted(kPin) + "," + Quoted(kNewPin),
                   "AT+CPWD=\"XX\"," + Masked(kPin) + "," + Masked(kNewPin)},
        SecretCase{"SetPinMode", SwitchPinRequestOff, "AT+CLCK=\"SC\",0," + Quoted(kPin),
                   "AT+CLCK=\"XX\",0," + Masked(kPin)},
        SecretCase{"SetFacility", [](GSM::Platform& p) { return p.QdSetFacilityState("AO", 1, kPin); },
                   "AT+CLCK=\"AO\",1," + Quoted(kPin), "AT+CLCK=\"XX\",1," + Masked(kPin)}),
    [](const auto& info) { return std::string(info.param.name); });

// A code whose answer never comes: the time-out's lines hold no secret either.
class SecretTimeout : public DeviceFixture<> {};

TEST_F(SecretTimeout, LeavesNoSecretInTheLog)
{
    PtyCardLink card{CardScript{{{"AT+CPIN=" + Quoted(kPin), ""}}, 1}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath()));
    GSM::Modem& modem = device;
    modem.SetTimeout(std::chrono::milliseconds(200));
    modem.Command("AT+CPIN=\"").Append(kPin).AppendChar('"');
    modem.Send(GSM::kSendSensitive);
    try {
        modem.WaitFinal();
        ADD_FAILURE() << "the silent card answered";
    } catch (const GSM::ResultError& error) {
        EXPECT_EQ(error.code(), kQdTimeout);
    }
    EXPECT_TRUE(log.Contains("Qd: Wait timeout for answer"));
    ExpectNoSecretIn(log);
}

} // namespace
} // namespace Orvanta::testing
