#pragma once
// The command a request names, run in a started session.

#include "ModemSession.h"

namespace Orvanta::modem {

Outcome runCommand(const ModemContext& context);

} // namespace Orvanta::modem
