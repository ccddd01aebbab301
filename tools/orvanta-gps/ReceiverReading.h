#pragma once
// Reading the receiver on behalf of a command that runs until it is ended (watch, serve):
// what the receiver was when the command found it, asking for positions and asking again
// when the card comes back, and putting the receiver back as it was found at the end.
//
// Driven by the command's own notice loop: every notice goes through take(), and the
// requests are made on that same thread.

#include "ClientNames.h"
#include "GpsCommands.h"
#include "ReadingKeeper.h"
#include "ReceiverCommand.h"

#include <cstddef>
#include <optional>

namespace Orvanta::gps {

class ReceiverReading {
public:
    // `keepOn`: the receiver is left on at the end (and when reading stops), whatever it
    // was when found.
    ReceiverReading(const GpsCommandOptions& options, ClientSession& session, ReceiverCommand& receiver, bool keepOn)
        : options_(options), session_(session), receiver_(receiver), keepOn_(keepOn)
    {
    }

    // The state that the receiver is put back to. A receiver that is on says so at once;
    // one that is off says nothing, so a quiet second means off. Takes notices meanwhile.
    void learnStateFound();
    bool foundOn() const noexcept { return foundOn_; }

    // Asks for positions, now when the receiver is there, or once it comes; false when
    // the library refused.
    bool start();
    // Positions are no longer wanted: the receiver goes back to what it was found as,
    // without waiting for it to say so. A receiver that comes back later is not read.
    bool stop();
    // The end: as stop(), then waits up to a few seconds for the receiver to be back;
    // false, with a message, when it could not be switched or did not answer.
    bool putBack();

    // Takes a notice; true when the receiver has just come back and askToRead() is due.
    bool take(const Notice& notice);
    bool askToRead();

    // From the first start() on.
    ReadingKeeper* keeper() noexcept { return keeper_ ? &*keeper_ : nullptr; }
    bool wanted() const noexcept { return wanted_; }

private:
    bool stayOn() const noexcept { return keepOn_ || foundOn_; }

    const GpsCommandOptions& options_;
    ClientSession& session_;
    ReceiverCommand& receiver_;
    const bool keepOn_;
    std::optional<ReadingKeeper> keeper_;
    bool foundOn_ = false;
    bool wanted_ = false;      // positions are wanted: a receiver that comes back is read
    bool readPending_ = false; // reading was asked for and has not begun
    bool stopAfterRead_ = false; // reading was stopped while still pending: stop it once it begins
    bool ending_ = false;      // the receiver is being put back: a card that comes is not read
    std::size_t errors_ = 0;
};

} // namespace Orvanta::gps
