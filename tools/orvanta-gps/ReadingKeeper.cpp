#include "ReadingKeeper.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

namespace Orvanta::gps {

ReadingKeeper::ReadingKeeper(Clock::time_point since, bool present)
    : present_(present), gapOpen_(!present), lastPosition_(since)
{
}

bool ReadingKeeper::take(const Notice& notice)
{
    switch (notice.kind) {
    case NoticeKind::gpsSupport:
        if (notice.integer(Corvane::key::gpsSupport).value_or(0) == 0)
            lose();
        else if (!present_)
            supportBack_ = true;
        return false;
    case NoticeKind::deviceState:
        if (notice.integer(Corvane::key::deviceState) == Corvane::devmRemoved)
            lose();
        return false;
    case NoticeKind::gpsState:
        // The device machine announces the receiver, then creates its state machine, whose
        // first state follows at once; a mode set before that would find no machine.
        if (!supportBack_)
            return false;
        supportBack_ = false;
        present_ = true;
        return true;
    default:
        return false;
    }
}

void ReadingKeeper::lose()
{
    present_ = false;
    supportBack_ = false;
    gapOpen_ = true;
}

std::optional<ReadingKeeper::Gap> ReadingKeeper::positionShown(Clock::time_point at, bool slept)
{
    const Clock::time_point previous = lastPosition_;
    lastPosition_ = at;
    if (!gapOpen_)
        return std::nullopt;
    gapOpen_ = false;
    return Gap{at - previous, slept ? GapCause::suspended : GapCause::cardRemoved};
}

} // namespace Orvanta::gps
