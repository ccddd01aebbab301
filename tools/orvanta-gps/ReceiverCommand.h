#pragma once
// What the receiver commands share: the card as the notices so far describe it, and the
// steps of talking to its receiver through a client session.

#include "ClientNames.h"
#include "GpsCommands.h"

#include <functional>
#include <optional>
#include <string>

namespace Orvanta::gps {

// What the notices seen so far say about the card.
struct CardView {
    std::optional<bool> gpsSupport;
    std::optional<std::string> dataPort;
    long long gpsState = Corvane::gpsOff;
    std::optional<long long> lastError;
    bool libraryFailed = false;

    void take(const Notice& notice);
};

class ReceiverCommand {
public:
    ReceiverCommand(const GpsCommandOptions& options, ClientSession& session) : options_(options), session_(session) {}

    // Waits for the card to say whether it has a receiver; false, with a message, when it
    // has none, does not say so in time, or came but could not be used.
    bool awaitReceiver();

    // Takes notices until none has come for the settle time, `done` holds, or the
    // patience has passed.
    void settle(const std::function<bool()>& done = [] { return false; });

    bool command(Corvane::GpsMode mode);
    // Whether the card refused a command, with a message.
    bool failed() const;

    // Every notice goes through here, so that the view stays current and a watch can
    // print the notice as it comes.
    void take(const Notice& notice);
    std::function<void(const Notice&)> echo;

    const CardView& view() const noexcept { return view_; }

private:
    // Why no receiver came, after an error or when the wait ran out: from the ports of the
    // card detection sees, when it sees one.
    void explainMissingReceiver(bool errorCame) const;

    const GpsCommandOptions& options_;
    ClientSession& session_;
    CardView view_;
};

} // namespace Orvanta::gps
