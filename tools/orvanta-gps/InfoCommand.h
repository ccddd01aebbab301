#pragma once
// "orvanta-gps info": the card as the modem backend sees it — model, firmware, IMEI and
// ports — read from the card itself.

#include <chrono>
#include <cstdio>

namespace Orvanta::gps {

// Starts the backend alone, waits up to `patience` for a card to be found, starts it
// and prints its identity: 0; 1 when the backend could not start, no card came or the
// card did not answer.
int showCardInfo(std::FILE* output, std::FILE* messages, std::chrono::milliseconds patience);

} // namespace Orvanta::gps
