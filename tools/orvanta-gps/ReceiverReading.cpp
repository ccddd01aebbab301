#include "ReceiverReading.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

namespace Orvanta::gps {
namespace {

// How long putting the receiver back waits for it to say so. A card answers within tens
// of milliseconds; one that does not must not keep the user waiting.
constexpr auto kStopPatience = std::chrono::seconds(3);

} // namespace

void ReceiverReading::learnStateFound()
{
    receiver_.settle([this] {
        return receiver_.view().gpsState == Corvane::gpsActive || receiver_.view().lastError.has_value();
    });
    foundOn_ = receiver_.view().gpsState == Corvane::gpsActive;
}

bool ReceiverReading::start()
{
    wanted_ = true;
    stopAfterRead_ = false;
    if (!keeper_) {
        // The card may have gone again while the command looked: then reading is asked
        // for once it is back.
        keeper_.emplace(Clock::now(), receiver_.view().gpsSupport == true);
    }
    return !keeper_->receiverPresent() || askToRead();
}

bool ReceiverReading::askToRead()
{
    if (!receiver_.command(Corvane::cGpsModeRead))
        return false;
    readPending_ = true;
    return true;
}

bool ReceiverReading::stop()
{
    wanted_ = false;
    if (!keeper_ || !keeper_->receiverPresent())
        return true;
    // Reading that was asked for and not yet begun would begin after this mode has been
    // reported, and the receiver would be read again: it is stopped once more then.
    stopAfterRead_ = readPending_;
    return receiver_.command(stayOn() ? Corvane::cGpsModeStopReading : Corvane::cGpsModeOff);
}

bool ReceiverReading::putBack()
{
    ending_ = true;
    wanted_ = false;
    stopAfterRead_ = false;
    // A receiver that was never asked for positions is as it was found, and one that went
    // with its card has nothing to be put back to.
    if (!keeper_ || !keeper_->receiverPresent())
        return true;
    const bool on = stayOn();
    const std::size_t errorsBefore = errors_;
    if (!receiver_.command(on ? Corvane::cGpsModeStopReading : Corvane::cGpsModeOff))
        return false;
    const auto isBack = [&] {
        const long long state = receiver_.view().gpsState;
        return !readPending_ && (on ? state <= Corvane::gpsActive : state == Corvane::gpsOff);
    };
    const Clock::time_point deadline = Clock::now() + kStopPatience;
    while (!isBack() && errors_ == errorsBefore) {
        const std::optional<Notice> notice = session_.next(deadline);
        if (!notice)
            break;
        receiver_.take(*notice);
    }
    if (errors_ != errorsBefore) {
        std::fprintf(options_.messages, "orvanta-gps: the receiver could not be switched %s\n",
                     on ? "to stop reading" : "off");
        return false;
    }
    if (!isBack()) {
        std::fprintf(options_.messages, "orvanta-gps: the receiver did not answer within %lld s\n",
                     static_cast<long long>(kStopPatience.count()));
        return false;
    }
    return true;
}

bool ReceiverReading::take(const Notice& notice)
{
    const bool receiverBack = keeper_ && keeper_->take(notice);
    if (notice.kind == NoticeKind::traitError) {
        ++errors_;
        readPending_ = false;
    }
    if (notice.kind == NoticeKind::gpsState &&
        notice.integer(Corvane::key::gpsState).value_or(Corvane::gpsOff) >= Corvane::gpsReading) {
        readPending_ = false;
        if (stopAfterRead_) {
            stopAfterRead_ = false;
            receiver_.command(stayOn() ? Corvane::cGpsModeStopReading : Corvane::cGpsModeOff);
        }
    }
    return receiverBack && wanted_ && !ending_;
}

} // namespace Orvanta::gps
