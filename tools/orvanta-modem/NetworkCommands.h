#pragma once
// "orvanta-modem status|radio|networks|select|tech": the card's radio and network through
// the client interface.

#include "ModemSession.h"

namespace Orvanta::modem {

Outcome showStatus(const ModemContext& context);
Outcome switchRadio(const ModemContext& context, bool on);
Outcome listNetworks(const ModemContext& context);
Outcome selectNetwork(const ModemContext& context);
Outcome selectTechnology(const ModemContext& context);

} // namespace Orvanta::modem
