#pragma once
// Carries out the "sms" control command on the card state, lists the phonebook for the
// "phonebook" command, and writes the part of the status line that tells the message
// store's figures.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/SmsOrder.h"

#include <string>
#include <string_view>

namespace Cardsim {

// The reply line, "OK ..." or "ERROR ...".
std::string executeSmsOrder(const SmsOrder& order, CardState& state);

// `text` in double quotes on one line: quotes, backslashes and control characters escaped.
std::string quotedForReply(std::string_view text);

// The phonebook's entries: "OK used=N capacity=100 | index=1 number=... type=145 name=\"...\"".
std::string phonebookText(const Phonebook& phonebook);

// " sms=<used>/<capacity>", with a blank in front.
std::string smsStatus(const CardState& state);

} // namespace Cardsim
