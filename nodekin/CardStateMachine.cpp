#include "nodekin/CardStateMachine.h"

#include "nodekin/CardTraits.h"

namespace Nodekin {

namespace {

bool pollsFor(int method) { return method == methodPolling || method == methodControlDevicePolling; }
bool waitsForEvents(int method) { return method == methodEventBased || method == methodControlDeviceEventBased; }

constexpr const char* deviceArrivalIgnored = "Nk: Device arrival event is ignored before complete system wake up";
constexpr const char* mbArrivalIgnored = "Nk: MB device arrival event is ignored before complete system wake up";

} // namespace

CardActions CardStateMachine::dispatch(const DetectionState& card, const CardEvent& event)
{
    CardActions actions;
    card_ = &card;
    actions_ = &actions;
    switch (card.state()) {
    case NkCardStopped:
        stopped(event);
        break;
    case NkCardStarting:
        starting(event);
        break;
    case NkCardStarted:
        started(event);
        break;
    case NkCardSuspended:
        suspended(event);
        break;
    default:
        anyState(event);
        break;
    }
    card_ = nullptr;
    actions_ = nullptr;
    return actions;
}

void CardStateMachine::stopped(const CardEvent& event)
{
    switch (event.signal) {
    case CardSignal::deviceArrived:
        if (awake(deviceArrivalIgnored))
            add({.step = CardStep::detectArrivedCard, .eventBits = event.eventBits});
        break;
    case CardSignal::mbInterfaceArrived:
        if (awake(mbArrivalIgnored))
            checkSystem(reasonDeviceChange);
        break;
    case CardSignal::mustStaySuspended:
        enter(NkCardSuspended, event.reason);
        break;
    case CardSignal::cardFound:
        enter(NkCardStarting, event.reason);
        discoverPorts(DiscoveryScope{}, event.reason);
        break;
    case CardSignal::noCardFound:
        if (event.reason != reasonStartup)
            notify(event.reason);
        // A card that goes to sleep to be replugged gets some time to come back.
        if (event.reason == reasonResumed && event.replugPending)
            startTimer(CardTimer::replugTimeout);
        break;
    case CardSignal::cardArrived:
        enter(NkCardStarting, reasonDeviceChange);
        deviceEventPass(event.eventBits, false);
        break;
    default:
        anyState(event);
        break;
    }
}

void CardStateMachine::starting(const CardEvent& event)
{
    switch (event.signal) {
    case CardSignal::deviceArrived:
        if (awake(deviceArrivalIgnored))
            deviceEventPass(event.eventBits, false);
        break;
    case CardSignal::devicesChanged:
        deviceEventPass(event.eventBits, true);
        break;
    case CardSignal::deviceRemoved:
        mainInterfaceRemoved(event);
        break;
    default:
        anyState(event);
        break;
    }
}

void CardStateMachine::started(const CardEvent& event)
{
    switch (event.signal) {
    case CardSignal::deviceRemoved:
        mainInterfaceRemoved(event);
        break;
    case CardSignal::mbInterfaceRemoved:
        if (event.mbInterfaceGone)
            forget(reasonDeviceChange);
        break;
    default:
        anyState(event);
        break;
    }
}

void CardStateMachine::suspended(const CardEvent& event)
{
    switch (event.signal) {
    case CardSignal::checkRequested:
        checkSystem(event.reason);
        break;
    default:
        break; // another program has the card
    }
}

void CardStateMachine::anyState(const CardEvent& event)
{
    switch (event.signal) {
    case CardSignal::checkRequested:
        checkSystem(event.reason);
        break;
    case CardSignal::deviceArrived:
        awake(deviceArrivalIgnored);
        break;
    case CardSignal::mbInterfaceArrived:
        awake(mbArrivalIgnored);
        break;
    case CardSignal::suspensionRequested:
        add({.step = CardStep::forgetCard});
        enter(NkCardSuspended, reasonDeviceChange, true);
        break;
    case CardSignal::exclusiveReleased:
        enter(NkCardSuspended, reasonSuspensionEnded);
        break;
    case CardSignal::timerExpired:
        timerExpired(event);
        break;
    case CardSignal::standby:
        if (card_->cardKnown() && reenumeratesAfterStandby(card_->info))
            add({.step = CardStep::rememberReplug});
        forget(reasonStandby);
        wakingUp_ = true;
        break;
    case CardSignal::resumed:
        wakingUp_ = false;
        checkSystem(reasonResumed);
        break;
    case CardSignal::portsComplete:
        enter(NkCardStarted, event.reason);
        break;
    case CardSignal::cardLost:
        forget(reasonDeviceChange);
        break;
    case CardSignal::replugCardRemoved:
        stopTimer(CardTimer::replugTimeout);
        break;
    default:
        break;
    }
}

void CardStateMachine::timerExpired(const CardEvent& event)
{
    const DetectionMethods& methods = card_->methods;
    switch (event.timer) {
    case CardTimer::detectionTimeout:
        forget(reasonDeviceChange);
        break;
    case CardTimer::polling:
        discoverPorts({pollsFor(methods.modem), pollsFor(methods.application), true}, reasonDeviceChange);
        break;
    case CardTimer::wakeupPolling:
        discoverPorts(DiscoveryScope{}, reasonResumed);
        break;
    case CardTimer::wakeupTimeout:
        forget(reasonResumed);
        break;
    case CardTimer::replugTimeout:
        stopTimer(CardTimer::replugTimeout);
        if (event.replugPending) {
            log("Nk: Repluggable card was not replugged within a reasonable time after standby, assuming "
                "non-powered down USB, checking system...");
            add({.step = CardStep::forgetReplug});
            checkSystem(reasonDeviceChange);
        }
        break;
    default:
        break;
    }
}

void CardStateMachine::enter(NkCardState state, int reason, bool always)
{
    if (state == card_->state() && !always)
        return;
    add({.step = CardStep::enterState, .state = state});
    // The timers are set before the client hears of the state, so that whatever the
    // client does next finds them running.
    const DetectionMethods& methods = card_->methods;
    if (state != NkCardStarting) {
        for (const CardTimer timer : allCardTimers)
            stopTimer(timer);
    } else if (reason == reasonResumed) {
        startTimer(CardTimer::wakeupPolling);
        startTimer(CardTimer::wakeupTimeout);
    } else {
        startTimer(CardTimer::detectionTimeout);
        if (pollsFor(methods.modem) || pollsFor(methods.application))
            startTimer(CardTimer::polling);
    }
    notify(reason);
}

void CardStateMachine::forget(int reason)
{
    add({.step = CardStep::forgetCard});
    enter(NkCardStopped, reason, true);
}

void CardStateMachine::deviceEventPass(std::uint32_t eventBits, bool nodesChanged)
{
    const bool masked = (card_->info.insertionEventMask & eventBits) != 0;
    const DetectionMethods& methods = card_->methods;
    DiscoveryScope scope;
    scope.modem = waitsForEvents(methods.modem) && masked;
    scope.application = waitsForEvents(methods.application) && masked;
    scope.others = !pollsFor(methods.modem) && !pollsFor(methods.application) && !nodesChanged;
    if (scope.modem || scope.application || scope.others)
        discoverPorts(scope, reasonDeviceChange);
}

bool CardStateMachine::awake(const char* ignored)
{
    if (wakingUp_)
        log(ignored);
    return !wakingUp_;
}

void CardStateMachine::mainInterfaceRemoved(const CardEvent& event)
{
    if (!event.mainInterfaceRemoved)
        return;
    log("Nk: Symbolic link of the main device has been removed, resetting device state");
    forget(reasonDeviceChange);
}

} // namespace Nodekin
