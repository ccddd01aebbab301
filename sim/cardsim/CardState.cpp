#include "sim/cardsim/CardState.h"

namespace Cardsim {

CardState::CardState(const AlarmMaker& alarms)
    : hardware_([this](CardEvent event) { forward(event); }),
      call_(alarms, [this](CardEvent event) { forward(event); }),
      ussd_(alarms, [this](CardEvent event) { forward(event); }),
      network_(alarms, [this](CardEvent event) { forward(event); })
{
}

void CardState::forward(CardEvent event)
{
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
    network_.powerOn();
}

} // namespace Cardsim
