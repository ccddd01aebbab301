#pragma once
// What a watch does about the card going and coming back. The middleware drops its GPS
// state machine with the card and makes a new one, receiver idle, when the card is back,
// so nobody asks for positions any more unless the watch asks again; and a user looking
// at the positions wants to know why there were none for a while.
//
// Driven by the notices as they come and by the positions the watch shows; it keeps no
// clock of its own, so tests move time by hand.

#include "ClientNames.h"

#include <optional>

namespace Orvanta::gps {

class ReadingKeeper {
public:
    struct Gap {
        Clock::duration length;
        GapCause cause;
    };

    // Reading was asked for at `since` with the receiver there (`present`), or is to be
    // asked for once it comes (`present` false).
    ReadingKeeper(Clock::time_point since, bool present);

    // Takes a notice; true when the receiver has just come back and reading is to be asked
    // for again.
    bool take(const Notice& notice);

    // The receiver is there and its state machine is back: a mode set now reaches it.
    bool receiverPresent() const noexcept { return present_; }
    // Positions stopped because the receiver went, and have not come again.
    bool gapOpen() const noexcept { return gapOpen_; }

    // A position is being shown at `at`; the gap it ends, once, if one was open. `slept`
    // tells whether the system was suspended since the last position.
    std::optional<Gap> positionShown(Clock::time_point at, bool slept);

private:
    void lose();

    bool present_;
    bool supportBack_ = false; // "gps support: yes" came; the new state machine's first state is next
    bool gapOpen_;
    Clock::time_point lastPosition_; // or when reading was first asked for
};

} // namespace Orvanta::gps
