#pragma once
// The line settings of a card's serial port, one set for every opener: raw, 115200 baud,
// 8 data bits, no parity, one stop bit, no hardware or software flow control, reads that
// return at once with what is there (callers wait in poll()), DTR and RTS raised.

#include "platform/SystemError.h"

namespace Os {

struct LineSettingsResult {
    enum class Step {
        none,
        readSettings,    // the line's settings could not be read (not a terminal at all)
        writeSettings,   // the settings were refused
        raiseModemLines, // DTR and RTS could not be raised on a terminal that has them
    };
    Step failed = Step::none; // the line is unusable when a step failed
    int error = kErrorSuccess; // the failed step's system error
    // A terminal without modem lines (a pseudo-terminal, as the virtual card's ports)
    // refuses DTR and RTS; the line works without them, so this is told, not failed:
    // the refusal's system error, kErrorSuccess when the lines were raised.
    int missingModemLines = kErrorSuccess;

    bool ok() const noexcept { return failed == Step::none; }
};

// Applies the settings to the terminal open on `fd`; each step runs only when the one
// before it succeeded.
LineSettingsResult applyLineSettings(int fd) noexcept;

} // namespace Os
