#pragma once
// What the device does with each result the card sends on its own: one row per type it
// handles, with the name its log line gives and a small handler over the line (read
// past the prefix). Every other type is logged as ignored.
//
// Handlers run on the receiver thread of the card's port. The registration reports are
// moved to the communicator, whose roaming check may send a command; every other value
// is stored on the spot. A handler reads its whole line before it stores anything, so a
// line it cannot read (it raises kQdNotAvailable, which the engine logs with the type)
// changes nothing.

#include "quelder/at/Line.h"
#include "quelder/at/Unsolicited.h"

#include <span>

namespace GSM {

class Device;

using UnsolicitedHandler = void (*)(Line& line, Device& device);

struct UnsolicitedRow {
    Unsolicited type;
    const char* logName; // "Qd: Unsolicited::cClip"
    UnsolicitedHandler handler;
};

std::span<const UnsolicitedRow> UnsolicitedRows() noexcept;

// The row of `type`, or null for a type the device ignores.
const UnsolicitedRow* UnsolicitedRowOf(Unsolicited type) noexcept;

// Handles `line`, an unsolicited result of `type`, its parse position at its start.
void HandleUnsolicited(Line& line, Unsolicited type, Device& device);

} // namespace GSM
