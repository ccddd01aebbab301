#include "sim/cardsim/CardPort.h"

#include "platform/Log.h"

#include <poll.h>

namespace Cardsim {

CardPort::CardPort(PortRole role, PseudoTerminal terminal, Reactor& reactor, InputHandler onInput)
    : role_(role), terminal_(std::move(terminal)), onInput_(std::move(onInput))
{
    watch_ = reactor.watch(terminal_.masterFd(), POLLIN, [this](short revents) { onEvents(revents); });
}

void CardPort::send(std::string_view piece)
{
    output_.push(piece);
    flush();
}

void CardPort::setOpeners(int openers)
{
    openers_ = openers;
    if (openers_ > 0)
        return;
    output_.clear();
    terminal_.dropUnread();
    terminal_.releaseExclusiveUse();
}

void CardPort::flush()
{
    const Os::IoResult result = output_.flush([this](std::span<const std::uint8_t> bytes) { return terminal_.write(bytes); });
    if (result.outcome == Os::IoResult::Outcome::failed) {
        Os::logFormat(Os::LogLevel::error, "writing to %s failed (error %d); its output is dropped",
                      terminal_.path().c_str(), result.error);
        output_.clear();
    }
    if (watch_)
        watch_.setEvents(static_cast<short>(output_.empty() ? POLLIN : POLLIN | POLLOUT));
}

void CardPort::onEvents(short revents)
{
    if ((revents & POLLOUT) != 0)
        flush();
    if ((revents & (POLLIN | POLLHUP | POLLERR)) == 0)
        return;
    std::uint8_t buffer[2048];
    const Os::IoResult result = terminal_.read(buffer);
    if (result.outcome == Os::IoResult::Outcome::completed) {
        onInput_(std::span<const std::uint8_t>(buffer, result.count));
    } else if (result.outcome == Os::IoResult::Outcome::failed) {
        // The card holds the port side open itself, so this is not a host going away.
        Os::logFormat(Os::LogLevel::error, "reading from %s failed (error %d); the port stops listening",
                      terminal_.path().c_str(), result.error);
        watch_.reset();
    }
}

} // namespace Cardsim
