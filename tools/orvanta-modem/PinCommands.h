#pragma once
// "orvanta-modem pin status|enter|unblock|change|enable|disable": the SIM's PIN dialogue
// through the client interface. Codes come from the context's reader, never from the
// command line, and go nowhere but into the command's record.

#include "ModemSession.h"
#include "PinAnswer.h"

namespace Orvanta::modem {

Outcome showPinStatus(const ModemContext& context);
Outcome runPinCommand(const ModemContext& context, PinAction action);

} // namespace Orvanta::modem
