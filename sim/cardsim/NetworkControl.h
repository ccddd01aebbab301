#pragma once
// The control commands that set the network the card meets, its calls, its hardware and
// its SIM with its messages, and the part of the status line that tells them.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/Dialect.h"

#include <string>

namespace Cardsim {

bool isNetworkVerb(ControlCommand::Verb verb);

// Carries out a command for which isNetworkVerb holds; the reply line, "OK" or "ERROR ...".
std::string executeNetworkCommand(const ControlCommand& command, CardState& state, CardFacts& facts);

// " cs=home ps=home mode=0 operator=00101 tech=hsdpa ...", with a blank in front.
std::string networkStatus(const CardState& state, const CardFacts& facts);

} // namespace Cardsim
