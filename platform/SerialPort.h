#pragma once
// A card's serial port on termios. Opened for exclusive use, as a port opened without
// sharing: a second opener, in this process or any other, gets kErrorSharingViolation. With
// line settings the port runs raw at 115200 baud, 8 data bits, no parity, one stop bit,
// without hardware or software flow control, DTR and RTS raised; without them it is a
// plain device file. A pulled card shows as kErrorDeviceRemoved, reported once by the
// receiver, which then ends.

#include "platform/ByteStream.h"
#include "platform/LineSettings.h"

#include <atomic>
#include <chrono>
#include <string>

namespace Os {

class SerialPort final : public ByteStream {
public:
    SerialPort() : ByteStream(Kind::tty) {}
    ~SerialPort() override { close(); }

    // Returns 0 or a system error number: kErrorFileNotFound, kErrorAccessDenied (no
    // permission), kErrorSharingViolation (held by another opener), kErrorInvalidFunction
    // (line settings on something that is not a tty). A terminal without modem lines is
    // opened all the same (logged at verbose level).
    int open(const std::string& path, bool lineSettings = true);
    // The step of the line settings at which the last open failed (Step::none when it
    // failed elsewhere or succeeded), for the caller's log.
    LineSettingsResult::Step lineSettingsFailure() const noexcept { return lineSettingsFailure_; }
    // Drops whatever waits to be sent or read.
    int purge();
    // Also ends the exclusive use: a pseudo-terminal (the virtual card's ports) keeps the
    // mark after its last close, unlike a real serial port, and would refuse every later
    // opener without privileges.
    void close() override;
    // The time a write of `bytes` may take: 1 ms per byte and 500 ms on top.
    static std::chrono::milliseconds writeTimeoutFor(std::size_t bytes)
    {
        return std::chrono::milliseconds(500 + static_cast<std::int64_t>(bytes));
    }

private:
    std::atomic<bool> exclusive_{false}; // TIOCEXCL was set; whoever closes first clears it
    LineSettingsResult::Step lineSettingsFailure_ = LineSettingsResult::Step::none;
};

} // namespace Os
