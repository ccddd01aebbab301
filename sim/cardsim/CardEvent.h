#pragma once
// What happens on the card by itself, for unsolicited results to report.

#include <functional>

namespace Cardsim {

enum class CardEvent {
    receiverSwitched,
    fixLost,
    fixRegained,
    // The network side: each raised when what the card would report about it changed.
    circuitRegistration,
    packetRegistration,
    cellChanged, // while the registration stayed as it was
    signalChanged,
    systemChanged,
    cellType2gChanged,
    cellType3gChanged,
    radioSwitchChanged,
    idleTextChanged,
    // The hardware.
    antennaMoved,
    temperatureChanged,
    // The SIM: pulled, inserted, unlocked, locked up.
    simStateChanged,
    // Services.
    ussdReceived,
    messageArrived, // a new message or status report: Messaging::indication says which
    ringing,
    outgoingCallConnected,
    callEnded, // by the other side or the network
};

using CardEventListener = std::function<void(CardEvent event)>;

} // namespace Cardsim
