#pragma once
// What all ports of the card share besides its facts and its receiver: the SIM, the
// network side, the voice call, the USSD session and the hardware. Their events reach one
// listener; a call does not outlive the circuit-switched registration it needs, and the
// network registers only while the SIM is ready.

#include "sim/cardsim/CardHardware.h"
#include "sim/cardsim/Messaging.h"
#include "sim/cardsim/Network.h"
#include "sim/cardsim/Phonebook.h"
#include "sim/cardsim/Sim.h"
#include "sim/cardsim/UssdService.h"
#include "sim/cardsim/VoiceCall.h"

namespace Cardsim {

class CardState {
public:
    explicit CardState(const AlarmMaker& alarms, SimSetup sim = {});
    CardState(const CardState&) = delete;
    CardState& operator=(const CardState&) = delete;

    void onEvent(CardEventListener listener) { listener_ = std::move(listener); }

    Sim& sim() { return sim_; }
    const Sim& sim() const { return sim_; }
    Network& network() { return network_; }
    const Network& network() const { return network_; }
    VoiceCall& call() { return call_; }
    const VoiceCall& call() const { return call_; }
    UssdService& ussd() { return ussd_; }
    const UssdService& ussd() const { return ussd_; }
    Messaging& messaging() { return messaging_; }
    const Messaging& messaging() const { return messaging_; }
    Phonebook& phonebook() { return phonebook_; }
    const Phonebook& phonebook() const { return phonebook_; }
    CardHardware& hardware() { return hardware_; }
    const CardHardware& hardware() const { return hardware_; }

    // The card was plugged in: the SIM started again (its messages and phonebook kept), the
    // radio as AT_TAIR chose on the automatic selection, no call and no USSD session.
    void powerOn();

private:
    void forward(CardEvent event);

    CardEventListener listener_;
    CardHardware hardware_;
    VoiceCall call_;
    UssdService ussd_;
    Sim sim_;
    Messaging messaging_;
    Phonebook phonebook_;
    Network network_; // last: its first events may end the call
};

} // namespace Cardsim
