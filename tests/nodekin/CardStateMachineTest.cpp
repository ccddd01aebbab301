#include "nodekin/CardStateMachine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace Nodekin {
namespace {

// What the machine asks for, one step after the other, as a line to compare.
std::string describe(const CardAction& action)
{
    static constexpr const char* timerNames[] = {"?", "detectionTimeout", "polling", "wakeupPolling", "wakeupTimeout",
                                                 "replugTimeout"};
    const char* timer = timerNames[static_cast<std::uintptr_t>(action.timer)];
    switch (action.step) {
    case CardStep::enterState:
        return std::string("enter ") + cardStateName(action.state);
    case CardStep::forgetCard:
        return "forget";
    case CardStep::notify:
        return "notify " + std::to_string(action.reason);
    case CardStep::startTimer:
        return std::string("start ") + timer;
    case CardStep::stopTimer:
        return std::string("stop ") + timer;
    case CardStep::log:
        return std::string("log ") + action.text;
    case CardStep::checkSystem:
        return "check " + std::to_string(action.reason);
    case CardStep::detectArrivedCard:
        return "detect " + std::to_string(action.eventBits);
    case CardStep::discoverPorts:
        return std::string("discover") + (action.scope.modem ? " modem" : "") +
               (action.scope.application ? " application" : "") + (action.scope.others ? " others" : "") + " " +
               std::to_string(action.reason);
    case CardStep::rememberReplug:
        return "remember replug";
    case CardStep::forgetReplug:
        return "forget replug";
    }
    return "?";
}

std::string describe(const CardActions& actions)
{
    std::string text;
    for (const CardAction& action : actions)
        text += (text.empty() ? "" : "; ") + describe(action);
    return text;
}

// The cards the rows are tried with: how the card's functions are looked for, which
// detection events it cares about.
enum class CardKind {
    none,         // no card is known
    polled,       // modem and application port polled, as the card table has them
    eventBased,   // both waited for on events; insertions of ports count
    allEvents,    // both waited for on events; every event counts
    mixed,        // the modem on events, the application port polled
    replugFamily, // polled, and of the family that is replugged after standby
};

constexpr std::uint32_t portBit = 0x40;
constexpr std::uint32_t usbBit = 0x4;
constexpr std::uint32_t nodesChangedBit = 0x80000000;

DetectionState cardOf(CardKind kind, NkCardState state)
{
    DetectionState card;
    card.info.state = state;
    if (kind == CardKind::none)
        return card;
    card.row = 0;
    const bool modemOnEvents = kind == CardKind::eventBased || kind == CardKind::allEvents || kind == CardKind::mixed;
    const bool applicationOnEvents = kind == CardKind::eventBased || kind == CardKind::allEvents;
    card.methods.modem = modemOnEvents ? methodEventBased : methodPolling;
    card.methods.application = applicationOnEvents ? methodEventBased : methodPolling;
    card.info.insertionEventMask = kind == CardKind::allEvents ? 0xFFFFFFFFu : portBit;
    if (kind == CardKind::replugFamily)
        card.info.platform = 7;
    return card;
}

#define NK_STOP_ALL_TIMERS \
    "stop detectionTimeout; stop polling; stop wakeupPolling; stop wakeupTimeout; stop replugTimeout"
#define NK_FORGET(reason) "forget; enter Stopped; " NK_STOP_ALL_TIMERS "; notify " reason

constexpr const char* arrivalIgnored = "log Nk: Device arrival event is ignored before complete system wake up";
constexpr const char* mbArrivalIgnoredLine = "log Nk: MB device arrival event is ignored before complete system wake up";

struct MachineCase {
    const char* name;
    NkCardState state;
    CardKind card;
    bool wakingUp;
    CardEvent event;
    const char* expected;
};

// A failing row is named, not dumped as bytes.
void PrintTo(const MachineCase& c, std::ostream* os) { *os << c.name; }

class CardStateMachineTable : public ::testing::TestWithParam<MachineCase> {};

TEST_P(CardStateMachineTable, AnswersWithTheStepsInOrder)
{
    const MachineCase& c = GetParam();
    CardStateMachine machine;
    if (c.wakingUp)
        machine.dispatch(cardOf(CardKind::none, NkCardStopped), {.signal = CardSignal::standby});
    const DetectionState card = cardOf(c.card, c.state);
    EXPECT_EQ(describe(machine.dispatch(card, c.event)), c.expected);
}

using S = CardSignal;
using T = CardTimer;

INSTANTIATE_TEST_SUITE_P(
    Stopped, CardStateMachineTable,
    ::testing::Values(
        MachineCase{"CheckRequestedChecksTheSystem", NkCardStopped, CardKind::none, false,
                    {.signal = S::checkRequested, .reason = 0}, "check 0"},
        MachineCase{"ArrivalLooksForACard", NkCardStopped, CardKind::none, false,
                    {.signal = S::deviceArrived, .eventBits = portBit}, "detect 64"},
        MachineCase{"ArrivalWhileWakingUpIsIgnored", NkCardStopped, CardKind::none, true,
                    {.signal = S::deviceArrived, .eventBits = portBit}, arrivalIgnored},
        MachineCase{"MbArrivalChecksTheSystem", NkCardStopped, CardKind::none, false, {.signal = S::mbInterfaceArrived},
                    "check 4"},
        MachineCase{"MbArrivalWhileWakingUpIsIgnored", NkCardStopped, CardKind::none, true,
                    {.signal = S::mbInterfaceArrived}, mbArrivalIgnoredLine},
        MachineCase{"CheckThatMustStaySuspendedSuspends", NkCardStopped, CardKind::none, false,
                    {.signal = S::mustStaySuspended, .reason = 5}, "enter Suspended; " NK_STOP_ALL_TIMERS "; notify 5"},
        MachineCase{"CardFoundAtStartStartsDetectionAndPollingThenDiscovers", NkCardStopped, CardKind::polled, false,
                    {.signal = S::cardFound, .reason = 0},
                    "enter Starting; start detectionTimeout; start polling; notify 0; discover modem application others 0"},
        MachineCase{"CardFoundAfterWakeUpStartsTheWakeUpTimers", NkCardStopped, CardKind::polled, false,
                    {.signal = S::cardFound, .reason = 3},
                    "enter Starting; start wakeupPolling; start wakeupTimeout; notify 3; discover modem application others 3"},
        MachineCase{"CardFoundOnEventsDoesNotPoll", NkCardStopped, CardKind::eventBased, false,
                    {.signal = S::cardFound, .reason = 4},
                    "enter Starting; start detectionTimeout; notify 4; discover modem application others 4"},
        MachineCase{"CardFoundWithOnlyTheApplicationPortPolledPolls", NkCardStopped, CardKind::mixed, false,
                    {.signal = S::cardFound, .reason = 5},
                    "enter Starting; start detectionTimeout; start polling; notify 5; discover modem application others 5"},
        MachineCase{"NoCardAtStartTellsNobody", NkCardStopped, CardKind::none, false,
                    {.signal = S::noCardFound, .reason = 0}, ""},
        MachineCase{"NoCardAfterSuspensionIsTold", NkCardStopped, CardKind::none, false,
                    {.signal = S::noCardFound, .reason = 5}, "notify 5"},
        MachineCase{"NoCardAfterWakeUpWaitsForTheReplug", NkCardStopped, CardKind::none, false,
                    {.signal = S::noCardFound, .reason = 3, .replugPending = true}, "notify 3; start replugTimeout"},
        MachineCase{"NoCardAfterWakeUpWithoutReplugWaitsForNothing", NkCardStopped, CardKind::none, false,
                    {.signal = S::noCardFound, .reason = 3}, "notify 3"},
        MachineCase{"NoCardOnADeviceChangeDoesNotWaitForTheReplug", NkCardStopped, CardKind::none, false,
                    {.signal = S::noCardFound, .reason = 4, .replugPending = true}, "notify 4"},
        MachineCase{"PolledCardArrivingStartsAndLeavesThePortsToPolling", NkCardStopped, CardKind::polled, false,
                    {.signal = S::cardArrived, .eventBits = portBit},
                    "enter Starting; start detectionTimeout; start polling; notify 4"},
        MachineCase{"CardOnEventsArrivingLooksForEveryFunction", NkCardStopped, CardKind::eventBased, false,
                    {.signal = S::cardArrived, .eventBits = portBit},
                    "enter Starting; start detectionTimeout; notify 4; discover modem application others 4"},
        MachineCase{"CardOnEventsArrivingOnAnEventItIgnoresLooksForTheOthers", NkCardStopped, CardKind::eventBased,
                    false, {.signal = S::cardArrived, .eventBits = usbBit},
                    "enter Starting; start detectionTimeout; notify 4; discover others 4"},
        MachineCase{"DevicesChangedDoNothing", NkCardStopped, CardKind::none, false,
                    {.signal = S::devicesChanged, .eventBits = nodesChangedBit}, ""},
        MachineCase{"RemovalDoesNothing", NkCardStopped, CardKind::none, false,
                    {.signal = S::deviceRemoved, .mainInterfaceRemoved = true}, ""},
        MachineCase{"MbRemovalDoesNothing", NkCardStopped, CardKind::none, false,
                    {.signal = S::mbInterfaceRemoved, .mbInterfaceGone = true}, ""},
        MachineCase{"StandbyIsToldAlways", NkCardStopped, CardKind::none, false, {.signal = S::standby},
                    NK_FORGET("2")},
        MachineCase{"ResumeChecksTheSystem", NkCardStopped, CardKind::none, true, {.signal = S::resumed}, "check 3"},
        MachineCase{"SuspensionRequestSuspends", NkCardStopped, CardKind::none, false,
                    {.signal = S::suspensionRequested}, "forget; enter Suspended; " NK_STOP_ALL_TIMERS "; notify 4"},
        MachineCase{"ExclusiveReleasedSuspends", NkCardStopped, CardKind::none, false, {.signal = S::exclusiveReleased},
                    "enter Suspended; " NK_STOP_ALL_TIMERS "; notify 5"},
        MachineCase{"ReplugTimeOutGivesUpAndChecks", NkCardStopped, CardKind::none, false,
                    {.signal = S::timerExpired, .timer = T::replugTimeout, .replugPending = true},
                    "stop replugTimeout; log Nk: Repluggable card was not replugged within a reasonable time after "
                    "standby, assuming non-powered down USB, checking system...; forget replug; check 4"},
        MachineCase{"ReplugTimeOutAfterTheReplugOnlyStops", NkCardStopped, CardKind::none, false,
                    {.signal = S::timerExpired, .timer = T::replugTimeout}, "stop replugTimeout"},
        MachineCase{"ReplugCardRemovedStopsItsTimer", NkCardStopped, CardKind::none, false,
                    {.signal = S::replugCardRemoved}, "stop replugTimeout"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Starting, CardStateMachineTable,
    ::testing::Values(
        MachineCase{"PolledCardIgnoresArrivals", NkCardStarting, CardKind::polled, false,
                    {.signal = S::deviceArrived, .eventBits = portBit}, ""},
        MachineCase{"CardOnEventsLooksOnArrival", NkCardStarting, CardKind::eventBased, false,
                    {.signal = S::deviceArrived, .eventBits = portBit}, "discover modem application others 4"},
        MachineCase{"ArrivalWhileWakingUpIsIgnored", NkCardStarting, CardKind::eventBased, true,
                    {.signal = S::deviceArrived, .eventBits = portBit}, arrivalIgnored},
        MachineCase{"DevicesChangedNotInTheMaskDoNothing", NkCardStarting, CardKind::eventBased, false,
                    {.signal = S::devicesChanged, .eventBits = nodesChangedBit}, ""},
        MachineCase{"DevicesChangedLookForTheEventFunctionsOnly", NkCardStarting, CardKind::allEvents, false,
                    {.signal = S::devicesChanged, .eventBits = nodesChangedBit}, "discover modem application 4"},
        MachineCase{"MainInterfaceRemovedForgetsTheCard", NkCardStarting, CardKind::polled, false,
                    {.signal = S::deviceRemoved, .mainInterfaceRemoved = true},
                    "log Nk: Symbolic link of the main device has been removed, resetting device state; " NK_FORGET("4")},
        MachineCase{"OtherRemovalDoesNothing", NkCardStarting, CardKind::polled, false, {.signal = S::deviceRemoved},
                    ""},
        MachineCase{"DetectionTimeOutForgetsTheCard", NkCardStarting, CardKind::polled, false,
                    {.signal = S::timerExpired, .timer = T::detectionTimeout}, NK_FORGET("4")},
        MachineCase{"PollingLooksForThePolledFunctionsAndTheOthers", NkCardStarting, CardKind::polled, false,
                    {.signal = S::timerExpired, .timer = T::polling}, "discover modem application others 4"},
        MachineCase{"PollingLeavesTheFunctionsOnEvents", NkCardStarting, CardKind::mixed, false,
                    {.signal = S::timerExpired, .timer = T::polling}, "discover application others 4"},
        MachineCase{"WakeUpPollingLooksForEverything", NkCardStarting, CardKind::mixed, false,
                    {.signal = S::timerExpired, .timer = T::wakeupPolling}, "discover modem application others 3"},
        MachineCase{"WakeUpTimeOutForgetsTheCard", NkCardStarting, CardKind::polled, false,
                    {.signal = S::timerExpired, .timer = T::wakeupTimeout}, NK_FORGET("3")},
        MachineCase{"PortsCompleteStart", NkCardStarting, CardKind::polled, false, {.signal = S::portsComplete, .reason = 4},
                    "enter Started; " NK_STOP_ALL_TIMERS "; notify 4"},
        MachineCase{"PortsCompleteAfterWakeUpStartWithItsReason", NkCardStarting, CardKind::polled, false,
                    {.signal = S::portsComplete, .reason = 3}, "enter Started; " NK_STOP_ALL_TIMERS "; notify 3"},
        MachineCase{"CardLostIsForgotten", NkCardStarting, CardKind::polled, false, {.signal = S::cardLost},
                    NK_FORGET("4")},
        MachineCase{"StandbyForgetsTheCard", NkCardStarting, CardKind::polled, false, {.signal = S::standby},
                    NK_FORGET("2")},
        MachineCase{"StandbyOfTheReplugFamilyRemembersTheCard", NkCardStarting, CardKind::replugFamily, false,
                    {.signal = S::standby}, "remember replug; " NK_FORGET("2")},
        MachineCase{"MbArrivalDoesNothing", NkCardStarting, CardKind::polled, false, {.signal = S::mbInterfaceArrived},
                    ""},
        MachineCase{"MbArrivalWhileWakingUpIsIgnored", NkCardStarting, CardKind::polled, true,
                    {.signal = S::mbInterfaceArrived}, mbArrivalIgnoredLine},
        MachineCase{"MbRemovalDoesNothing", NkCardStarting, CardKind::polled, false,
                    {.signal = S::mbInterfaceRemoved, .mbInterfaceGone = true}, ""},
        MachineCase{"SuspensionRequestSuspends", NkCardStarting, CardKind::polled, false,
                    {.signal = S::suspensionRequested}, "forget; enter Suspended; " NK_STOP_ALL_TIMERS "; notify 4"},
        MachineCase{"CheckRequestedChecksTheSystem", NkCardStarting, CardKind::polled, false,
                    {.signal = S::checkRequested, .reason = 5}, "check 5"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Started, CardStateMachineTable,
    ::testing::Values(
        MachineCase{"ArrivalDoesNothing", NkCardStarted, CardKind::eventBased, false,
                    {.signal = S::deviceArrived, .eventBits = portBit}, ""},
        MachineCase{"ArrivalWhileWakingUpIsIgnored", NkCardStarted, CardKind::eventBased, true,
                    {.signal = S::deviceArrived, .eventBits = portBit}, arrivalIgnored},
        MachineCase{"DevicesChangedDoNothing", NkCardStarted, CardKind::allEvents, false,
                    {.signal = S::devicesChanged, .eventBits = nodesChangedBit}, ""},
        MachineCase{"MainInterfaceRemovedForgetsTheCard", NkCardStarted, CardKind::polled, false,
                    {.signal = S::deviceRemoved, .mainInterfaceRemoved = true},
                    "log Nk: Symbolic link of the main device has been removed, resetting device state; " NK_FORGET("4")},
        MachineCase{"MbInterfaceGoneForgetsTheCard", NkCardStarted, CardKind::polled, false,
                    {.signal = S::mbInterfaceRemoved, .mbInterfaceGone = true}, NK_FORGET("4")},
        MachineCase{"OtherMbRemovalDoesNothing", NkCardStarted, CardKind::polled, false,
                    {.signal = S::mbInterfaceRemoved}, ""},
        MachineCase{"PortsCompleteAgainAreNotTold", NkCardStarted, CardKind::polled, false,
                    {.signal = S::portsComplete, .reason = 4}, ""},
        MachineCase{"CardLostIsForgotten", NkCardStarted, CardKind::polled, false, {.signal = S::cardLost},
                    NK_FORGET("4")},
        MachineCase{"DetectionTimeOutStillForgetsTheCard", NkCardStarted, CardKind::polled, false,
                    {.signal = S::timerExpired, .timer = T::detectionTimeout}, NK_FORGET("4")},
        MachineCase{"ExclusiveReleasedSuspendsKeepingTheRecord", NkCardStarted, CardKind::polled, false,
                    {.signal = S::exclusiveReleased}, "enter Suspended; " NK_STOP_ALL_TIMERS "; notify 5"},
        MachineCase{"SuspensionRequestSuspends", NkCardStarted, CardKind::polled, false,
                    {.signal = S::suspensionRequested}, "forget; enter Suspended; " NK_STOP_ALL_TIMERS "; notify 4"},
        MachineCase{"StandbyOfTheReplugFamilyRemembersTheCard", NkCardStarted, CardKind::replugFamily, false,
                    {.signal = S::standby}, "remember replug; " NK_FORGET("2")},
        MachineCase{"ResumeChecksTheSystem", NkCardStarted, CardKind::polled, false, {.signal = S::resumed},
                    "check 3"},
        MachineCase{"ReplugCardRemovedStopsItsTimer", NkCardStarted, CardKind::polled, false,
                    {.signal = S::replugCardRemoved}, "stop replugTimeout"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Suspended, CardStateMachineTable,
                         ::testing::Values(MachineCase{"CheckRequestedChecksTheSystem", NkCardSuspended,
                                                       CardKind::none, false,
                                                       {.signal = S::checkRequested, .reason = 5}, "check 5"},
                                           MachineCase{"CheckAtStartChecksTheSystem", NkCardSuspended,
                                                       CardKind::polled, false,
                                                       {.signal = S::checkRequested, .reason = 0}, "check 0"}),
                         [](const auto& info) { return std::string(info.param.name); });

#undef NK_FORGET
#undef NK_STOP_ALL_TIMERS

constexpr CardSignal everySignal[] = {
    S::checkRequested,      S::devicesChanged,    S::deviceArrived, S::deviceRemoved, S::mbInterfaceArrived,
    S::mbInterfaceRemoved,  S::suspensionRequested, S::exclusiveReleased, S::timerExpired, S::standby,
    S::resumed,             S::mustStaySuspended, S::cardFound,     S::noCardFound,   S::cardArrived,
    S::portsComplete,       S::cardLost,          S::replugCardRemoved,
};

TEST(CardStateMachineSuspended, HearsNothingButARequestToCheck)
{
    EXPECT_TRUE(CardStateMachine::hearsOnlyChecks(NkCardSuspended));
    for (const NkCardState state : {NkCardStopped, NkCardStarting, NkCardStarted})
        EXPECT_FALSE(CardStateMachine::hearsOnlyChecks(state)) << cardStateName(state);

    CardStateMachine machine;
    const DetectionState card = cardOf(CardKind::polled, NkCardSuspended);
    for (const CardSignal signal : everySignal) {
        if (signal == S::checkRequested)
            continue;
        for (const CardTimer timer : allCardTimers) {
            const CardEvent event{.signal = signal, .reason = 4, .timer = timer, .eventBits = portBit,
                                  .replugPending = true, .mainInterfaceRemoved = true, .mbInterfaceGone = true};
            EXPECT_EQ(describe(machine.dispatch(card, event)), "") << static_cast<int>(signal);
        }
    }
    // A standby while suspended goes unheard as well.
    EXPECT_FALSE(machine.wakingUp());
}

TEST(CardStateMachineWakeUp, ArrivalsCountAgainOnceTheSystemHasResumed)
{
    CardStateMachine machine;
    const DetectionState noCard = cardOf(CardKind::none, NkCardStopped);
    const CardEvent arrival{.signal = S::deviceArrived, .eventBits = portBit};
    machine.dispatch(noCard, {.signal = S::standby});
    EXPECT_TRUE(machine.wakingUp());
    EXPECT_EQ(describe(machine.dispatch(noCard, arrival)), arrivalIgnored);
    // A check requested meanwhile does not end the wake-up.
    machine.dispatch(noCard, {.signal = S::checkRequested, .reason = 5});
    EXPECT_EQ(describe(machine.dispatch(noCard, arrival)), arrivalIgnored);
    EXPECT_EQ(describe(machine.dispatch(noCard, {.signal = S::resumed})), "check 3");
    EXPECT_FALSE(machine.wakingUp());
    EXPECT_EQ(describe(machine.dispatch(noCard, arrival)), "detect 64");
}

} // namespace
} // namespace Nodekin
