#pragma once
// "orvanta-modem watch": every notice the library sends, as a line or a JSON object, until
// the session is interrupted (by the caller's signal thread).

#include "ModemSession.h"

namespace Orvanta::modem {

Outcome watchModem(const ModemContext& context);

} // namespace Orvanta::modem
