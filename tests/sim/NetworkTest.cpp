// The card's network side, calls, USSD and hardware as state machines, on alarms the
// test rings by hand.

#include "sim/cardsim/CardState.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace Cardsim {
namespace {

using namespace std::chrono_literals;
using Events = std::vector<CardEvent>;

struct NetworkRig {
    NetworkRig() { state.onEvent([this](CardEvent event) { events.push_back(event); }); }

    // The events raised by `change`, in order.
    Events during(const std::function<void()>& change)
    {
        events.clear();
        change();
        return std::exchange(events, {});
    }

    ManualAlarms alarms;
    CardState state{alarms.maker()};
    Network& network = state.network();
    Events events;
};

TEST(Network, StartsRegisteredAtHomeOnTheTestNetwork)
{
    NetworkRig rig;
    EXPECT_EQ(rig.network.circuit(), Registration::home);
    EXPECT_EQ(rig.network.packet(), Registration::home);
    EXPECT_EQ(rig.network.servingOperator(), defaultHomeOperator());
    EXPECT_EQ(rig.network.selection(), Selection::automatic);
    EXPECT_EQ(rig.network.function(), Network::kFullFunction);
    EXPECT_EQ(rig.network.idleText(), (IdleText{true, "Orvanta Test Net"}));
    EXPECT_EQ(rig.alarms.pendingCount(), 0u);
}

TEST(Network, RadioOffDropsTheRegistrationAndOnSearchesBeforeRegisteringAgain)
{
    NetworkRig rig;
    rig.network.timings().registration = 800ms;
    EXPECT_EQ(rig.during([&] { rig.network.setFunction(Network::kMinimumFunction); }),
              (Events{CardEvent::cellType3gChanged, CardEvent::circuitRegistration, CardEvent::packetRegistration,
                      CardEvent::signalChanged, CardEvent::idleTextChanged}))
        << "the 2G cell type was 0 on HSDPA already";
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered);
    EXPECT_EQ(rig.network.packet(), Registration::notRegistered);
    EXPECT_EQ(rig.network.rssi(), Network::kNoSignal);
    EXPECT_EQ(rig.network.idleText().text, "Radio off");
    EXPECT_TRUE(rig.network.scan().empty()) << "a radio that is off finds nothing";
    EXPECT_EQ(rig.during([&] { rig.network.setFunction(Network::kMinimumFunction); }), Events{})
        << "the same level again changes nothing";

    rig.network.setFunction(Network::kFullFunction);
    EXPECT_EQ(rig.network.circuit(), Registration::searching);
    EXPECT_EQ(rig.network.packet(), Registration::searching);
    EXPECT_EQ(rig.network.idleText().text, "Searching");
    rig.alarms.advance(799ms);
    EXPECT_EQ(rig.network.circuit(), Registration::searching);
    EXPECT_EQ(rig.during([&] { rig.alarms.advance(1ms); }),
              (Events{CardEvent::circuitRegistration, CardEvent::packetRegistration, CardEvent::idleTextChanged}));
    EXPECT_EQ(rig.network.circuit(), Registration::home);
    EXPECT_EQ(rig.network.rssi(), 20);
}

TEST(Network, RadioOffWhileSearchingStopsTheSearch)
{
    NetworkRig rig;
    rig.network.setFunction(Network::kMinimumFunction);
    rig.network.setFunction(Network::kFullFunction);
    rig.network.setFunction(Network::kRadioOffFunction);
    EXPECT_EQ(rig.alarms.pendingCount(), 0u);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered);
}

TEST(Network, HardwareSwitchHoldsTheRadioOffWhateverTheFunctionLevel)
{
    NetworkRig rig;
    const Events off = rig.during([&] { rig.network.setRadioSwitch(true); });
    ASSERT_FALSE(off.empty());
    EXPECT_EQ(off.front(), CardEvent::radioSwitchChanged);
    EXPECT_TRUE(rig.network.radioSwitchedOff());
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered);
    rig.network.setFunction(Network::kFullFunction);
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered) << "the switch wins";
    rig.network.setRadioSwitch(false);
    EXPECT_EQ(rig.network.circuit(), Registration::searching);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::home);
}

struct ManualCase {
    const char* name;
    OperatorFormat format;
    const char* operatorName;
    Registration expected;
    const char* numeric;
};

class ManualSelection : public ::testing::TestWithParam<ManualCase> {};

TEST_P(ManualSelection, RegistersHomeOrRoamingByTheOperatorsRow)
{
    NetworkRig rig;
    const auto chosen = rig.network.findOperator(GetParam().format, GetParam().operatorName);
    ASSERT_TRUE(chosen);
    rig.network.selectManual(*chosen);
    EXPECT_EQ(rig.network.selection(), Selection::manual);
    EXPECT_EQ(rig.network.circuit(), Registration::searching);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), GetParam().expected);
    EXPECT_EQ(rig.network.packet(), GetParam().expected);
    EXPECT_EQ(rig.network.servingOperator().numeric, GetParam().numeric);
    const std::vector<ScanEntry> scan = rig.network.scan();
    ASSERT_FALSE(scan.empty());
    EXPECT_EQ(scan.front().info.numeric, GetParam().numeric) << "the serving network comes first";
    EXPECT_EQ(scan.front().status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, ManualSelection,
    ::testing::Values(ManualCase{"HomeByNumber", OperatorFormat::numeric, "00101", Registration::home, "00101"},
                      ManualCase{"RoamingByLongName", OperatorFormat::longName, "Orvanta Roaming Partner",
                                 Registration::roaming, "00102"},
                      ManualCase{"VirtualHomePartnerByShortName", OperatorFormat::shortName, "OPN",
                                 Registration::roaming, "302720"}),
    [](const ::testing::TestParamInfo<ManualCase>& info) { return std::string(info.param.name); });

TEST(Network, UnknownOperatorIsNotFoundAndAutomaticReturnsToTheServingNetwork)
{
    NetworkRig rig;
    EXPECT_FALSE(rig.network.findOperator(OperatorFormat::numeric, "99999"));
    EXPECT_FALSE(rig.network.findOperator(OperatorFormat::longName, "00101")) << "names match in their format only";
    rig.network.selectManual(*rig.network.findOperator(OperatorFormat::numeric, "00102"));
    rig.alarms.runAll();
    ASSERT_EQ(rig.network.circuit(), Registration::roaming);
    rig.network.selectAutomatic();
    EXPECT_EQ(rig.network.circuit(), Registration::searching);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::home);
    EXPECT_EQ(rig.network.servingOperator().numeric, "00101");
    EXPECT_EQ(rig.during([&] { rig.network.selectAutomatic(); }), Events{}) << "already automatic: no new search";
}

TEST(Network, DeregisteringHoldsUntilTheNextSelection)
{
    NetworkRig rig;
    rig.network.deregister();
    EXPECT_EQ(rig.network.selection(), Selection::deregistered);
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered);
    EXPECT_EQ(rig.network.idleText().text, "No service");
    rig.network.setFunction(Network::kMinimumFunction);
    rig.network.setFunction(Network::kFullFunction);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered) << "a radio coming on does not undo it";
    rig.network.selectAutomatic();
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::home);
}

TEST(Network, NetworksVerdictAppliesAtOnceToOneDomainOrBoth)
{
    NetworkRig rig;
    EXPECT_EQ(rig.during([&] { rig.network.setRegistration(Registration::denied, Domain::packet); }),
              Events{CardEvent::packetRegistration}) << "the circuit domain and the idle text stay";
    EXPECT_EQ(rig.network.circuit(), Registration::home);
    EXPECT_EQ(rig.network.packet(), Registration::denied);
    rig.network.setRegistration(Registration::denied, Domain::both);
    EXPECT_EQ(rig.network.idleText().text, "Emergency calls only");
    rig.network.setRegistration(Registration::roaming, Domain::both);
    EXPECT_EQ(rig.network.circuit(), Registration::roaming);

    // While the radio is off the verdict waits for it.
    rig.network.setFunction(Network::kMinimumFunction);
    rig.network.setRegistration(Registration::home, Domain::both);
    EXPECT_EQ(rig.network.circuit(), Registration::notRegistered);
    rig.network.setFunction(Network::kFullFunction);
    rig.alarms.runAll();
    EXPECT_EQ(rig.network.circuit(), Registration::home);
}

TEST(Network, ANewCellIsItsOwnEventOnlyWhileTheRegistrationStays)
{
    NetworkRig rig;
    EXPECT_EQ(rig.during([&] { rig.network.setCell({0x1A2B, 0x00C3}); }), Events{CardEvent::cellChanged});
    EXPECT_EQ(rig.during([&] { rig.network.setCell({0x1A2B, 0x00C3}); }), Events{});
    const Events both = rig.during([&] {
        rig.network.setFunction(Network::kMinimumFunction);
        rig.network.setCell({0x0001, 0x0002});
    });
    EXPECT_EQ(std::count(both.begin(), both.end(), CardEvent::cellChanged), 1)
        << "the cell moved while the registration stayed lost";
}

struct TechnologyCase {
    Technology technology;
    int system;
    int cellType2g;
    int cellType3g;
};

class TechnologyOfTheCell : public ::testing::TestWithParam<TechnologyCase> {};

TEST_P(TechnologyOfTheCell, SetsSystemAndCellTypes)
{
    NetworkRig rig;
    rig.network.setTechnology(GetParam().technology);
    EXPECT_EQ(rig.network.system(), GetParam().system);
    EXPECT_EQ(rig.network.cellType2g(), GetParam().cellType2g);
    EXPECT_EQ(rig.network.cellType3g(), GetParam().cellType3g);
    rig.network.setFunction(Network::kMinimumFunction);
    EXPECT_EQ(rig.network.cellType2g(), 0);
    EXPECT_EQ(rig.network.cellType3g(), 0);
    EXPECT_EQ(rig.network.system(), GetParam().system) << "the system stays with the radio off";
}

INSTANTIATE_TEST_SUITE_P(Technologies, TechnologyOfTheCell,
                         ::testing::Values(TechnologyCase{Technology::gsm, 0, 1, 0},
                                           TechnologyCase{Technology::gprs, 0, 2, 0},
                                           TechnologyCase{Technology::edge, 0, 3, 0},
                                           TechnologyCase{Technology::umts, 2, 0, 1},
                                           TechnologyCase{Technology::hsdpa, 2, 0, 2}),
                         [](const ::testing::TestParamInfo<TechnologyCase>& info) {
                             return std::string(traitsOf(info.param.technology).name);
                         });

TEST(Network, FromGsmToUmtsRaisesTheSystemAndBothCellTypesBeforeAnything)
{
    NetworkRig rig;
    rig.network.setTechnology(Technology::edge);
    EXPECT_EQ(rig.during([&] { rig.network.setTechnology(Technology::hsdpa); }),
              (Events{CardEvent::systemChanged, CardEvent::cellType2gChanged, CardEvent::cellType3gChanged,
                      CardEvent::signalChanged}))
        << "the WCDMA level appears with UMTS";
    EXPECT_EQ(rig.network.wcdmaLevel(), 3);
}

TEST(Network, SignalMovesTheWcdmaLevelOnUmtsOnly)
{
    NetworkRig rig;
    rig.network.setSignal(31);
    EXPECT_EQ(rig.network.wcdmaLevel(), 5);
    rig.network.setSignal(0);
    EXPECT_EQ(rig.network.wcdmaLevel(), 0);
    rig.network.setSignal(Network::kNoSignal);
    EXPECT_EQ(rig.network.rssi(), Network::kNoSignal);
    EXPECT_EQ(rig.network.wcdmaLevel(), 0);
    rig.network.setTechnology(Technology::gprs);
    rig.network.setSignal(25);
    EXPECT_EQ(rig.network.rssi(), 25);
    EXPECT_EQ(rig.network.wcdmaLevel(), 0);
}

TEST(Network, PreferenceForOneSystemMovesTheCardOntoIt)
{
    NetworkRig rig;
    rig.network.setPreference(0, 2);
    EXPECT_EQ(rig.network.system(), 0);
    rig.network.setPreference(3, 1);
    EXPECT_EQ(rig.network.system(), 0) << "automatic leaves it where it is";
    EXPECT_EQ(rig.network.preferenceDomain(), 1);
    rig.network.setPreference(1, 2);
    EXPECT_EQ(rig.network.technology(), Technology::umts);
}

TEST(Network, ScanListsEachNetworkOnceAndTakesNewRows)
{
    NetworkRig rig;
    rig.network.addScanOperator({"00103", "Orvanta Third", "OT3", false});
    rig.network.addScanOperator({"00102", "Renamed Partner", "RP", false});
    std::vector<std::string> numbers;
    for (const ScanEntry& entry : rig.network.scan())
        numbers.push_back(entry.info.numeric);
    EXPECT_EQ(numbers, (std::vector<std::string>{"00101", "00102", "302720", "00103"}));
    EXPECT_EQ(rig.network.scan()[1].info.longName, "Renamed Partner");
    EXPECT_EQ(rig.network.scan()[1].status, 1);
    rig.network.clearScanList();
    ASSERT_EQ(rig.network.scan().size(), 1u) << "the serving network is always found";
    rig.network.setRegistration(Registration::searching, Domain::both);
    EXPECT_EQ(rig.network.scan().front().status, 1) << "current only while registered";
}

TEST(Network, PowerOnReturnsToFullFunctionAndAutomaticSelection)
{
    NetworkRig rig;
    rig.network.selectManual(*rig.network.findOperator(OperatorFormat::numeric, "00102"));
    rig.network.setFunction(Network::kMinimumFunction);
    rig.state.powerOn();
    EXPECT_EQ(rig.network.function(), Network::kFullFunction);
    EXPECT_EQ(rig.network.selection(), Selection::automatic);
    EXPECT_EQ(rig.network.circuit(), Registration::home) << "registered at once after a plug";
    EXPECT_EQ(rig.alarms.pendingCount(), 0u);
}

TEST(VoiceCall, DialledCallConnectsAfterTheDelayAndHangingUpIsSilent)
{
    NetworkRig rig;
    VoiceCall& call = rig.state.call();
    call.timings().connect = 500ms;
    ASSERT_TRUE(call.dial("+15551234"));
    EXPECT_FALSE(call.dial("+15559999")) << "one call at a time";
    EXPECT_EQ(call.state(), VoiceCall::State::dialing);
    EXPECT_EQ(rig.during([&] { rig.alarms.advance(500ms); }), Events{CardEvent::outgoingCallConnected});
    EXPECT_EQ(call.state(), VoiceCall::State::active);
    EXPECT_EQ(rig.during([&] { call.hangUp(); }), Events{});
    EXPECT_EQ(call.state(), VoiceCall::State::idle);
    EXPECT_FALSE(call.endFromFarSide());
}

TEST(VoiceCall, IncomingCallRingsAgainUntilAnswered)
{
    NetworkRig rig;
    VoiceCall& call = rig.state.call();
    call.timings().ringPeriod = 1s;
    EXPECT_EQ(rig.during([&] { call.ring("5551234"); }), Events{CardEvent::ringing});
    EXPECT_EQ(rig.during([&] { rig.alarms.advance(3s); }),
              (Events{CardEvent::ringing, CardEvent::ringing, CardEvent::ringing}));
    EXPECT_TRUE(call.answer());
    EXPECT_FALSE(call.answer());
    EXPECT_EQ(rig.during([&] { rig.alarms.advance(3s); }), Events{});
    EXPECT_EQ(rig.during([&] { EXPECT_TRUE(call.endFromFarSide()); }), Events{CardEvent::callEnded});
}

TEST(VoiceCall, LosingTheCircuitRegistrationEndsTheCallAfterItsReport)
{
    NetworkRig rig;
    rig.state.call().ring("+15551234");
    rig.state.call().answer();
    const Events events = rig.during([&] { rig.network.setRegistration(Registration::notRegistered, Domain::circuit); });
    const auto report = std::find(events.begin(), events.end(), CardEvent::circuitRegistration);
    const auto ended = std::find(events.begin(), events.end(), CardEvent::callEnded);
    ASSERT_NE(report, events.end());
    ASSERT_NE(ended, events.end());
    EXPECT_LT(report, ended);
    EXPECT_EQ(rig.state.call().state(), VoiceCall::State::idle);
}

struct NumberCase {
    const char* number;
    bool valid;
    int type;
};

class CallNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(CallNumbers, AreCheckedAndTyped)
{
    EXPECT_EQ(VoiceCall::validNumber(GetParam().number), GetParam().valid) << GetParam().number;
    EXPECT_EQ(VoiceCall::typeOf(GetParam().number), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Numbers, CallNumbers,
                         ::testing::Values(NumberCase{"+15551234", true, 145}, NumberCase{"5551234", true, 129},
                                           NumberCase{"*31#5551234", true, 129}, NumberCase{"+", false, 145},
                                           NumberCase{"", false, 129}, NumberCase{"555-1234", false, 129},
                                           NumberCase{"55+51234", false, 129}));

TEST(Ussd, RequestIsAnsweredAfterTheDelayUnlessCancelled)
{
    NetworkRig rig;
    UssdService& ussd = rig.state.ussd();
    ussd.replyDelay() = 200ms;
    ussd.request("*100#");
    EXPECT_TRUE(ussd.waiting());
    EXPECT_EQ(rig.during([&] { rig.alarms.advance(200ms); }), Events{CardEvent::ussdReceived});
    EXPECT_EQ(ussd.last().status, 0);
    EXPECT_EQ(ussd.last().text, "Balance: 12.50 EUR, valid until 31.12.");
    ussd.request("*555#");
    ussd.cancel();
    EXPECT_EQ(rig.during([&] { rig.alarms.runAll(); }), Events{});
    ussd.request("*555#");
    rig.alarms.runAll();
    EXPECT_EQ(ussd.last(), (UssdMessage{4, std::nullopt})) << "a code the network does not offer";
    ussd.notify("Welcome abroad");
    EXPECT_EQ(ussd.last(), (UssdMessage{0, "Welcome abroad"}));
}

TEST(CardHardware, TemperatureAndAntennaRaiseTheirEventsOnChangeOnly)
{
    NetworkRig rig;
    CardHardware& hardware = rig.state.hardware();
    EXPECT_EQ(rig.during([&] { hardware.setTemperature(hardware.temperature()); }), Events{});
    EXPECT_EQ(rig.during([&] { hardware.setTemperature(72); }), Events{CardEvent::temperatureChanged});
    EXPECT_EQ(hardware.temperatureState(), 1);
    hardware.setTemperature(85);
    EXPECT_EQ(hardware.temperatureState(), 2);
    hardware.setTemperature(69);
    EXPECT_EQ(hardware.temperatureState(), 0);
    EXPECT_EQ(rig.during([&] { hardware.setAntenna(true); }), Events{CardEvent::antennaMoved});
    EXPECT_EQ(rig.during([&] { hardware.setAntenna(true); }), Events{});
}

TEST(ManualAlarms, RingInTheOrderOfTheirTimesAndMayBeSetFromTheirRing)
{
    ManualAlarms alarms;
    std::vector<int> rung;
    std::unique_ptr<Alarm> late = alarms.maker()([&] { rung.push_back(2); });
    std::unique_ptr<Alarm> early;
    early = alarms.maker()([&] {
        rung.push_back(1);
        if (rung.size() < 3)
            early->set(100ms);
    });
    late->set(150ms);
    early->set(100ms);
    alarms.advance(250ms);
    EXPECT_EQ(rung, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(alarms.now(), 250ms);
    early->set(10ms);
    early->cancel();
    EXPECT_FALSE(early->pending());
    late.reset();
    EXPECT_EQ(alarms.pendingCount(), 0u);
}

} // namespace
} // namespace Cardsim
