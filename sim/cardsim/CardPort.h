#pragma once
// One plugged port of the card: its pseudo-terminal on the reactor, with what comes in
// handed to the card and what goes out queued so that the card never blocks.

#include "sim/cardsim/OutputQueue.h"
#include "sim/cardsim/Profile.h"
#include "sim/cardsim/PseudoTerminal.h"
#include "sim/cardsim/Reactor.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace Cardsim {

class CardPort {
public:
    using InputHandler = std::function<void(std::span<const std::uint8_t> bytes)>;

    CardPort(PortRole role, PseudoTerminal terminal, Reactor& reactor, InputHandler onInput);
    CardPort(const CardPort&) = delete;
    CardPort& operator=(const CardPort&) = delete;

    PortRole role() const { return role_; }
    const PseudoTerminal& terminal() const { return terminal_; }

    // Sends `piece` whole, or drops it when the host does not keep up.
    void send(std::string_view piece);
    std::size_t dropped() const { return output_.dropped(); }

    // How many hosts have the port open. When the last one goes, the port forgets what it
    // held for it: unread output and its exclusive-use mark.
    void setOpeners(int openers);
    int openers() const { return openers_; }

private:
    void onEvents(short revents);
    void flush();

    const PortRole role_;
    PseudoTerminal terminal_;
    InputHandler onInput_;
    OutputQueue output_;
    int openers_ = 0;
    Reactor::Watch watch_; // last: handlers use everything above
};

} // namespace Cardsim
