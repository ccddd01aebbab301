#pragma once
// "orvanta-gps cards": what card detection sees now — the card state, which card, its
// ports and capabilities — for users and for support.

#include "PortDiagnosis.h"

#include <chrono>
#include <cstdio>

namespace Orvanta::gps {

// Starts detection, waits up to `patience` for the card to settle (Started, or no card),
// prints what detection knows, with what keeps this user from opening each port (as
// `access` judges it) under the port, and returns 0; 1 when detection could not start.
int listCards(std::FILE* output, std::FILE* messages, std::chrono::milliseconds patience,
              const AccessCheck& access = checkPortAccess);

} // namespace Orvanta::gps
