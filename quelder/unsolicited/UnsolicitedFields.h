#pragma once
// How the unsolicited handlers read the fields of a report, on the line after its
// prefix. Each reader raises kQdNotAvailable for a line that does not hold what it reads,
// so that a handler has read everything before it stores anything.
//
// The conventions: an int is a decimal number after any blanks; the last int is an int,
// or, when a comma and another int follow it, that next one - so "+CREG: 1" (the report)
// and "+CREG: 1,5" (the answer to "AT+CREG?", mode first) both give the state.

#include "quelder/at/Line.h"
#include "quelder/registration/CellLocation.h"

#include <optional>
#include <string>

namespace GSM {

int ReadLastInt(Line& line);
// "a,b": two ints with a comma between them.
struct IntPair {
    int first = 0;
    int second = 0;
};
IntPair ReadIntPair(Line& line);
// Skips the int and the comma that stand before the field a report is read for.
void SkipIntAndComma(Line& line);

// A +CREG or +CGREG state: 0 to 5.
int CheckedNetworkState(int state);

// +CGREG in its three forms:
//   +CGREG: 1                      the report, without a location
//   +CGREG: 1,"1A2B","00C3"        the report with LAC and CellID (hex, quoted or bare)
//   +CGREG: 2,1,"1A2B","00C3"      the answer to "AT+CGREG?": the report mode first
// After the first int and its comma, the number of commas left tells them apart: none
// or two, and the first int was the mode; one or more, and there is a location. So a
// report that goes on past the CellID with the access technology and the routing area
// (three commas left) reads right, but one with the technology alone (two) would be
// taken for the answer with the mode first: the cards this backend drives send neither.
struct PacketSwitchedReport {
    int state = 0;
    std::optional<CellLocation> location;
};
PacketSwitchedReport ReadPacketSwitchedReport(Line& line);

// +CUSD: 0,"Balance 5.00",15 - or the status alone.
struct UssdReport {
    int status = 0;
    std::string text; // as it stood between the quotes
    bool hasText = false;
};
UssdReport ReadUssdReport(Line& line);

// ^MODE: 5,7 - system mode and sub-mode as 2G and 3G cell types (0: not such a cell).
struct CellTypes {
    int type2g = 0;
    int type3g = 0;
};
CellTypes CellTypesOfSystemMode(int system, int subMode) noexcept;

} // namespace GSM
