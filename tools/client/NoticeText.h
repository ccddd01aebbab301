#pragma once
// How the tools print what the library reports: one line per notice, a label and a value
// ("gps: reading", "position: 48.858370 2.294481", "pin: accepted", "radio: off").

#include "ClientSession.h"

#include <chrono>
#include <string>

namespace Orvanta::client {

// The line for `notice`, without its newline; empty for notices that say nothing a user
// of the GPS commands would look for (an update without the GPS data port).
std::string noticeLine(const Notice& notice);

// The words for the values of the modem's notices; "unknown" for a number that is none.
std::string deviceStateText(long long state);
std::string pinStateText(long long state);
std::string registrationText(long long state);
std::string radioStateText(long long state);
std::string technologyText(long long technology);
std::string networkStateText(long long state);
std::string connectionStateText(long long state);
// "PIN, 3 attempts left", "PUK, 10 attempts left": what the SIM asks for in an enter-PIN
// notice.
std::string pinRequestText(const Notice& notice);

// The receiver's state as its name says it, without the family prefix: gpsReading is
// "reading"; "unknown" for a number that is no state.
std::string gpsStateText(long long state);

// Why a watch had no positions for a while.
enum class GapCause { cardRemoved, suspended };

// "gap: no position for 4.2 s (card removed)": the line a watch prints when positions
// come again after the card went.
std::string gapLine(std::chrono::steady_clock::duration length, GapCause cause);

} // namespace Orvanta::client
