#pragma once
// What every orvanta-modem command does around its own step: wait for the card, keep the
// view of it current with each notice, and wait for the answer, bounded by the time-out.

#include "ClientSession.h"
#include "CommandLine.h"
#include "ExitCodes.h"
#include "ModemView.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

namespace Orvanta::modem {

class SecretReader;

struct ModemContext {
    const Request& request;
    client::ClientSession& session;
    SecretReader& secrets;
    std::FILE* output = stdout;
    std::FILE* messages = stderr;
};

class ModemSession {
public:
    explicit ModemSession(const ModemContext& context) : context_(context) {}

    // Waits for a card to come; the failure when none came, the library failed or the
    // wait was interrupted.
    Outcome awaitCard();
    // Takes notices until none has come for the settle time, `done` holds, or the time-out
    // has passed from now.
    void settle(const std::function<bool()>& done = [] { return false; });
    // Takes notices until `done` holds; false when it did not within the time-out from now.
    bool waitUntil(const std::function<bool()>& done);
    // Takes notices, each also shown to `seen`, until `done` holds (true), the time-out
    // passed or the session was interrupted (false); `idle` is called when no notice came
    // within `tick`.
    bool waitUntil(const std::function<bool()>& done, const std::function<void(const client::Notice&)>& seen,
                   std::chrono::milliseconds tick, const std::function<void()>& idle);

    // Waits for the answer to a command just sent: each notice is shown to `decide`, and
    // whenever the library has been quiet for the settle time, `onQuiet`; the first that
    // answers ends the wait. Without an answer within the time-out: unanswered(what).
    using Decision = std::optional<Outcome>;
    Outcome awaitAnswer(const std::function<Decision(const client::Notice&)>& decide,
                        const std::function<Decision()>& onQuiet, const char* what);

    // The failure for a wait that ended without its answer: interrupted or timed out.
    Failure unanswered(const char* what) const;
    // The failure for a command the library refused at once.
    static Failure refused(const char* what, Corvane::ErrorCode error);

    const ModemView& view() const noexcept { return view_; }
    const ModemContext& context() const noexcept { return context_; }
    client::ClientSession& session() const noexcept { return context_.session; }

    // Every notice a command takes goes through here.
    void take(const client::Notice& notice);

private:
    const ModemContext& context_;
    ModemView view_;
};

// How long the library must stay quiet before a command takes the card as settled: it does
// not announce a SIM that asks for nothing, nor a command that succeeded without a new
// state, so silence is the only sign. A card answers within tens of milliseconds.
inline constexpr auto kSettleTime = std::chrono::milliseconds(1500);

} // namespace Orvanta::modem
