#pragma once
// One port of the card: a pseudo-terminal whose master side the card reads and writes,
// and whose other side (/dev/pts/N) the host opens as the card's serial port. Closing it
// pulls the port: the host's reads then fail as on a pulled card.
//
// The card keeps the port side open itself, for two reasons. Without any opener the
// master side reports a hang-up without end, and the port's line settings would fall back
// to a terminal's (echo, line editing) between two hosts. And a host that opens the port
// for exclusive use (TIOCEXCL) leaves that mark on the terminal when it closes: a real
// serial port forgets it with its last close, a pseudo-terminal keeps it while the master
// lives, and every later opener without privileges would be refused. The card takes the
// mark off again through its own descriptor once the port is free.

#include "platform/IoResult.h"
#include "platform/Result.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <span>
#include <string>

namespace Cardsim {

class PseudoTerminal {
public:
    // A new pseudo-terminal in raw mode at 115200 baud, as a card's USB serial port is.
    static Os::Result<PseudoTerminal> open();

    int masterFd() const { return master_.get(); }
    // "/dev/pts/4"
    const std::string& path() const { return path_; }
    // "pts/4", the port name of the device tree
    std::string portName() const;

    // Never blocks: completed with what fitted (maybe nothing), or failed.
    Os::IoResult write(std::span<const std::uint8_t> bytes);
    Os::IoResult read(std::span<std::uint8_t> buffer);

    // Takes back a host's exclusive-use mark; for when no host has the port open.
    void releaseExclusiveUse();
    // Drops what the card wrote and no host read, as a closed serial port loses it.
    void dropUnread();

private:
    PseudoTerminal(Os::UniqueFd master, Os::UniqueFd keeper, std::string path)
        : master_(std::move(master)), keeper_(std::move(keeper)), path_(std::move(path))
    {
    }

    Os::UniqueFd master_;
    Os::UniqueFd keeper_;
    std::string path_;
};

} // namespace Cardsim
