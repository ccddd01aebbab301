#pragma once
// One AT port of the card at the byte level: echoes what comes in (while echo is on),
// collects the command line up to its CR, and answers it through the dialect. What the
// card sends back comes out as emissions in order: echo bytes as they are, and answer
// lines, which the port frames with CR LF on both sides as a modem in verbose mode does.
//
// Line feeds are not echoed: a host ends its commands with CR LF and expects the echo of
// the command followed by CR alone, so an echoed LF would turn up in front of the answer.
//
// A command that takes a text after a prompt (a message's PDU) writes "> " and reads what
// comes up to Ctrl-Z, which ends it, or ESC, which cancels the command; the reports raised
// meanwhile wait for its final result.
//
// A command whose answer comes later (a network scan) keeps the port busy: the lines it
// has written so far go out at once, its final result and the rest of the command line
// when its alarm rings, through the late output. What the host sends meanwhile is held
// and read once the answer is complete, as a modem reads its buffer after a long command.

#include "sim/cardsim/Alarm.h"
#include "sim/cardsim/Dialect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Cardsim {

struct Emission {
    // Echo bytes and the prompt go out as they are, lines framed.
    enum class Kind { echo, line, prompt };
    Kind kind;
    std::string text;

    bool operator==(const Emission&) const = default;
};

class AtSession {
public:
    // The longest command line the card takes; a longer one is answered with ERROR.
    static constexpr std::size_t kMaxCommandLine = 1024;
    // What the port holds while busy; more is dropped.
    static constexpr std::size_t kMaxHeldInput = 4 * kMaxCommandLine;
    // The longest text after a prompt; a longer one is refused when it ends.
    static constexpr std::size_t kMaxPromptText = kMaxCommandLine;
    static constexpr std::string_view kPrompt = "\r\n> ";

    using LateOutput = std::function<void(const std::vector<Emission>& emissions)>;

    // `card` and `alarms` may be left out by dialects without network rows.
    AtSession(const Dialect& dialect, const CardFacts& facts, Receiver* receiver, FaultRules& faults,
              CardState* card = nullptr, const AlarmMaker& alarms = {});
    AtSession(const AtSession&) = delete;
    AtSession& operator=(const AtSession&) = delete;

    // Where what the card sends after a deferred answer's alarm goes.
    void onLateOutput(LateOutput output) { lateOutput_ = std::move(output); }

    // Appends to `out` what the card sends in answer to `bytes`.
    void feed(std::span<const std::uint8_t> bytes, std::vector<Emission>& out);
    // Appends the unsolicited results that `event` raises on this port. Those that a
    // command of this port raises wait for the command's final result, as on a modem.
    void report(CardEvent event, std::vector<Emission>& out);
    // Forgets a command line that has not ended yet, and what a busy port holds.
    void dropPartialLine();
    const SessionSettings& settings() const { return settings_; }
    // A deferred answer is on its way.
    bool busy() const { return deferred_.has_value(); }
    // A prompt waits for its text.
    bool prompting() const { return prompting_.has_value(); }

private:
    struct Deferred {
        Handler finish;
        std::vector<AtCommand> rest; // of the command line, carried out after it
    };

    struct Prompting {
        Prompt prompt;
        std::vector<AtCommand> rest;
        std::string text;
        bool overlong = false;
    };

    void endOfLine(std::vector<Emission>& out);
    // One byte of a prompt's text.
    void promptInput(char c, std::vector<Emission>& out);
    // Carries out `commands` and answers with the final result, unless one defers.
    void proceed(std::span<const AtCommand> commands, FinalResult result, std::vector<std::string>& lines,
                 std::vector<Emission>& out);
    void finishDeferred();
    CommandContext contextFor(std::vector<std::string>& lines);

    const Dialect& dialect_;
    const CardFacts& facts_;
    Receiver* const receiver_;
    FaultRules& faults_;
    CardState* const card_;
    SessionSettings settings_;
    std::string line_;
    bool overlong_ = false;
    std::optional<Deferred> deferred_;
    std::optional<Prompting> prompting_;
    bool inCommand_ = false;
    std::vector<Emission> heldReports_; // raised by the command being carried out
    std::string held_;
    LateOutput lateOutput_;
    std::unique_ptr<Alarm> alarm_; // last: its ring uses everything above
};

} // namespace Cardsim
