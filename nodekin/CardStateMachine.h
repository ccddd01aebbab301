#pragma once
// The card's states (Stopped, Starting, Started, Suspended) and what moves them between
// each other. The machine only decides: it answers each event with the steps to take, in
// order (the state to enter, the timers to start and stop, the client to tell, the checks
// to run), and the library carries them out on the notifier thread, handing the outcome
// of each check back in as an event of its own. It touches no device, thread or timer,
// so any state and event can be tried on it directly.

#include "nodekin/CardDetector.h"
#include "nodekin/DetectionState.h"
#include "nodekin/Nodekin.h"

#include <cstdint>
#include <vector>

namespace Nodekin {

// Notification reasons: the public ones, under the names the detection code uses.
enum Reason : int {
    reasonStartup = NkReasonStartup,
    reasonRegistered = NkReasonRegistered,
    reasonStandby = NkReasonStandby,
    reasonResumed = NkReasonResumed,
    reasonDeviceChange = NkReasonDeviceChange,
    reasonSuspensionEnded = NkReasonSuspensionEnded,
};

// The notifier's timers, by their ids.
enum class CardTimer : std::uintptr_t {
    detectionTimeout = 1,
    polling = 2,
    wakeupPolling = 3,
    wakeupTimeout = 4,
    replugTimeout = 5,
};
inline constexpr CardTimer allCardTimers[] = {CardTimer::detectionTimeout, CardTimer::polling, CardTimer::wakeupPolling,
                                              CardTimer::wakeupTimeout, CardTimer::replugTimeout};

enum class CardSignal {
    // The notifier's events, once the library has done its own part of them (logged the
    // message, run the removal check, refreshed the Mobile Broadband list).
    checkRequested,      // reason: the start-up check, or the end of a suspension
    devicesChanged,      // the device tree changed; eventBits
    deviceArrived,       // a port or device interface arrived; eventBits
    deviceRemoved,       // a port or device interface went; mainInterfaceRemoved
    mbInterfaceArrived,  // a Mobile Broadband interface arrived or changed its ready state
    mbInterfaceRemoved,  // a Mobile Broadband interface went; mbInterfaceGone
    suspensionRequested, // another program asks for the card
    exclusiveReleased,   // this program gave the card back and must now stay suspended
    timerExpired,        // timer (and replugPending)
    standby,             // the system goes to sleep
    resumed,             // the system woke up
    // What the checks the machine asked for found out.
    mustStaySuspended, // checkSystem: another program has the card; reason
    cardFound,         // checkSystem found a card; reason
    noCardFound,       // checkSystem found none; reason (and replugPending)
    cardArrived,       // detectArrivedCard found a card; eventBits
    portsComplete,     // discoverPorts completed the card; reason
    cardLost,          // the removal check found the card gone
    replugCardRemoved, // the removal check found the node of the card to be replugged gone
};

struct CardEvent {
    CardSignal signal = CardSignal::checkRequested;
    int reason = reasonStartup;
    CardTimer timer = CardTimer::detectionTimeout;
    std::uint32_t eventBits = 0;       // the detection event bits of the device event
    bool replugPending = false;        // a card went to standby to be replugged and was not seen since
    bool mainInterfaceRemoved = false; // the removed interface is the card's own symbolic link
    bool mbInterfaceGone = false;      // the card's Mobile Broadband interface left the list
};

enum class CardStep {
    enterState,        // state: store it, log it, forget the record when Stopped, publish it
    forgetCard,        // reset the record, silently
    notify,            // reason: tell the client
    startTimer,        // timer
    stopTimer,         // timer
    log,               // text, at the normal level
    checkSystem,       // reason; answered by mustStaySuspended, cardFound or noCardFound
    detectArrivedCard, // eventBits; answered by cardArrived when a card is there
    discoverPorts,     // scope, reason; answered by portsComplete when the card is complete
    rememberReplug,    // keep the node of the card that will be replugged after standby
    forgetReplug,      // the card to be replugged is no longer waited for
};

struct CardAction {
    CardStep step;
    NkCardState state = NkCardStopped;
    int reason = reasonStartup;
    CardTimer timer = CardTimer::detectionTimeout;
    DiscoveryScope scope{};
    std::uint32_t eventBits = 0;
    const char* text = nullptr;
};

using CardActions = std::vector<CardAction>;

class CardStateMachine {
public:
    // The steps `event` calls for, given the card as it is now (its state, its detection
    // methods, its family's data); the card itself is not changed.
    CardActions dispatch(const DetectionState& card, const CardEvent& event);

    // While Suspended the card hears nothing but a request to check the system: the
    // library lets no other message get as far as its own part of it.
    static bool hearsOnlyChecks(NkCardState state) noexcept { return state == NkCardSuspended; }

    // From standby until the system has woken up, arrivals are not acted on.
    bool wakingUp() const noexcept { return wakingUp_; }

private:
    // One handler per state; each hands what it does not handle itself to anyState.
    void stopped(const CardEvent& event);
    void starting(const CardEvent& event);
    void started(const CardEvent& event);
    void suspended(const CardEvent& event);
    // What Stopped, Starting and Started do alike.
    void anyState(const CardEvent& event);
    void timerExpired(const CardEvent& event);

    // Enters `state` unless the card is in it already (`always`: even then).
    void enter(NkCardState state, int reason, bool always = false);
    // The record reset and Stopped, always told.
    void forget(int reason);
    // Ports of the functions the event may have brought, while Starting.
    void deviceEventPass(std::uint32_t eventBits, bool nodesChanged);
    // False, and the arrival logged as ignored, while the system wakes up.
    bool awake(const char* ignored);
    void mainInterfaceRemoved(const CardEvent& event);

    void add(CardAction action) { actions_->push_back(action); }
    void log(const char* text) { add({.step = CardStep::log, .text = text}); }
    void notify(int reason) { add({.step = CardStep::notify, .reason = reason}); }
    void startTimer(CardTimer timer) { add({.step = CardStep::startTimer, .timer = timer}); }
    void stopTimer(CardTimer timer) { add({.step = CardStep::stopTimer, .timer = timer}); }
    void checkSystem(int reason) { add({.step = CardStep::checkSystem, .reason = reason}); }
    void discoverPorts(DiscoveryScope scope, int reason)
    {
        add({.step = CardStep::discoverPorts, .reason = reason, .scope = scope});
    }

    // During dispatch only.
    const DetectionState* card_ = nullptr;
    CardActions* actions_ = nullptr;

    bool wakingUp_ = false;
};

} // namespace Nodekin
