#pragma once
// Carries out the "sms" control command on the card state, and the part of the status
// line that tells the message store's figures.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/SmsOrder.h"

#include <string>

namespace Cardsim {

// The reply line, "OK ..." or "ERROR ...".
std::string executeSmsOrder(const SmsOrder& order, CardState& state);

// " sms=<used>/<capacity>", with a blank in front.
std::string smsStatus(const CardState& state);

} // namespace Cardsim
