#include "sim/cardsim/CardState.h"

#include <utility>

namespace Cardsim {

CardState::CardState(const AlarmMaker& alarms, SimSetup sim)
    : hardware_([this](CardEvent event) { forward(event); }),
      call_(alarms, [this](CardEvent event) { forward(event); }),
      ussd_(alarms, [this](CardEvent event) { forward(event); }),
      sim_(std::move(sim), [this](CardEvent event) { forward(event); }),
      messaging_([this](CardEvent event) { forward(event); }),
      network_(alarms, [this](CardEvent event) { forward(event); })
{
    network_.setSimReady(sim_.ready());
}

void CardState::forward(CardEvent event)
{
    // The network hears of the SIM before anyone else, so that the registration reports
    // it raises follow the SIM's change.
    if (event == CardEvent::simStateChanged)
        network_.setSimReady(sim_.ready());
    if (listener_)
        listener_(event);
    // The registration report first, then the call that ended with it.
    if (event == CardEvent::circuitRegistration && !isRegistered(network_.circuit())) {
        call_.endFromFarSide();
        ussd_.cancel();
    }
}

void CardState::powerOn()
{
    call_.hangUp();
    ussd_.cancel();
    sim_.powerOn();
    messaging_.powerOn();
    network_.powerOn();
}

} // namespace Cardsim
