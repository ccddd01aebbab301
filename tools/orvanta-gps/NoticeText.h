#pragma once
// How the GPS commands print what the library reports: one line per notice, a label and
// a value ("gps: reading", "position: 48.858370 2.294481").

#include "ClientSession.h"

#include <chrono>
#include <string>

namespace Orvanta::gps {

// The line for `notice`, without its newline; empty for notices that say nothing a user
// of the GPS commands would look for (an update without the GPS data port).
std::string noticeLine(const Notice& notice);

// The receiver's state as its name says it, without the family prefix: gpsReading is
// "reading"; "unknown" for a number that is no state.
std::string gpsStateText(long long state);

// Why a watch had no positions for a while.
enum class GapCause { cardRemoved, suspended };

// "gap: no position for 4.2 s (card removed)": the line a watch prints when positions
// come again after the card went.
std::string gapLine(std::chrono::steady_clock::duration length, GapCause cause);

} // namespace Orvanta::gps
