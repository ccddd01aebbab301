#pragma once
// One AT port of the card at the byte level: echoes what comes in (while echo is on),
// collects the command line up to its CR, and answers it through the dialect. What the
// card sends back comes out as emissions in order: echo bytes as they are, and answer
// lines, which the port frames with CR LF on both sides as a modem in verbose mode does.
//
// Line feeds are not echoed: a host ends its commands with CR LF and expects the echo of
// the command followed by CR alone, so an echoed LF would turn up in front of the answer.

#include "sim/cardsim/Dialect.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Cardsim {

struct Emission {
    enum class Kind { echo, line };
    Kind kind;
    std::string text;

    bool operator==(const Emission&) const = default;
};

class AtSession {
public:
    // The longest command line the card takes; a longer one is answered with ERROR.
    static constexpr std::size_t kMaxCommandLine = 1024;

    AtSession(const Dialect& dialect, const CardFacts& facts, Receiver* receiver, FaultRules& faults)
        : dialect_(dialect), facts_(facts), receiver_(receiver), faults_(faults)
    {
    }

    // Appends to `out` what the card sends in answer to `bytes`.
    void feed(std::span<const std::uint8_t> bytes, std::vector<Emission>& out);
    // Appends the unsolicited results that `event` raises on this port.
    void report(CardEvent event, std::vector<Emission>& out) const;
    // Forgets a command line that has not ended yet.
    void dropPartialLine();
    const SessionSettings& settings() const { return settings_; }

private:
    void endOfLine(std::vector<Emission>& out);

    const Dialect& dialect_;
    const CardFacts& facts_;
    Receiver* const receiver_;
    FaultRules& faults_;
    SessionSettings settings_;
    std::string line_;
    bool overlong_ = false;
};

} // namespace Cardsim
