// "orvanta-gps watch": the receiver's states and positions as they come, until the user
// ends the watch, across the card being pulled and put back and the system sleeping.

#include "GpsCommands.h"

#include "ClientSession.h"
#include "NoticeRecorder.h"
#include "NoticeText.h"
#include "ReadingKeeper.h"
#include "ReceiverCommand.h"
#include "SleepWitness.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

#include <optional>
#include <string>

namespace Orvanta::gps {
namespace {

// How long a watch that was ended waits for the receiver to be put back. A card answers
// within tens of milliseconds; one that does not must not keep the user waiting.
constexpr auto kStopPatience = std::chrono::seconds(3);

class Watch {
public:
    Watch(const GpsCommandOptions& options, ClientSession& session)
        : options_(options), session_(session), receiver_(options, session)
    {
        receiver_.echo = [this](const Notice& notice) { show(notice); };
    }

    int run()
    {
        if (!receiver_.awaitReceiver())
            return session_.interrupted() ? 0 : 1;
        learnStateFound();
        if (session_.interrupted())
            return 0; // nothing was changed yet
        if (!startReading())
            return 1;
        while (!session_.interrupted())
            if (const std::optional<Notice> notice = session_.next(Clock::now() + std::chrono::hours(1)))
                receiver_.take(*notice);
        session_.clearInterrupt();
        return putBack() ? 0 : 1;
    }

private:
    // The state that the receiver is put back to at the end. A receiver that is on says
    // so at once; one that is off says nothing, so a quiet second means off.
    void learnStateFound()
    {
        receiver_.settle([this] { return receiver_.view().gpsState == Corvane::gpsActive || receiver_.view().lastError.has_value(); });
        foundOn_ = receiver_.view().gpsState == Corvane::gpsActive;
    }

    bool startReading()
    {
        // The card may have gone again while the watch looked: then reading is asked for
        // once it is back.
        const bool present = receiver_.view().gpsSupport == true;
        keeper_.emplace(Clock::now(), present);
        lastPositionMark_ = sleep_.mark();
        return !present || askToRead();
    }

    bool askToRead()
    {
        if (!receiver_.command(Corvane::cGpsModeRead))
            return false;
        readPending_ = true;
        return true;
    }

    // Off if it was off, on but not read if it was on; --keep-on leaves it on. A receiver
    // that went with its card has nothing to be put back to.
    bool putBack()
    {
        ending_ = true;
        if (!keeper_->receiverPresent())
            return true;
        const bool stayOn = options_.keepOn || foundOn_;
        const std::size_t errorsBefore = errors_;
        if (!receiver_.command(stayOn ? Corvane::cGpsModeStopReading : Corvane::cGpsModeOff))
            return false;
        // Reading that was asked for and not yet begun would begin after the mode just set
        // has been reported, and the receiver would be read again.
        const auto isBack = [&] {
            const long long state = receiver_.view().gpsState;
            return !readPending_ && (stayOn ? state <= Corvane::gpsActive : state == Corvane::gpsOff);
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
                         stayOn ? "to stop reading" : "off");
            return false;
        }
        if (!isBack()) {
            std::fprintf(options_.messages, "orvanta-gps: the receiver did not answer within %lld s\n",
                         static_cast<long long>(kStopPatience.count()));
            return false;
        }
        return true;
    }

    void show(const Notice& notice)
    {
        for (NoticeRecorder* recorder : options_.recorders)
            recorder->take(notice);
        const bool receiverBack = keeper_ && keeper_->take(notice);
        if (notice.kind == NoticeKind::traitError) {
            ++errors_;
            readPending_ = false;
        }
        if (notice.kind == NoticeKind::gpsState && notice.integer(Corvane::key::gpsState).value_or(Corvane::gpsOff) >= Corvane::gpsReading)
            readPending_ = false;
        print(notice);
        if (receiverBack && !ending_)
            askToRead();
    }

    void print(const Notice& notice)
    {
        // Before reading is asked for, the card's failures are the wait's to explain.
        if (notice.kind == NoticeKind::traitError && !keeper_)
            return;
        // Every fix re-enters "reading"; a state is shown when it changes.
        if (notice.kind == NoticeKind::gpsState) {
            const long long state = notice.integer(Corvane::key::gpsState).value_or(-1);
            if (shownState_ == state)
                return;
            shownState_ = state;
        }
        const std::string line = noticeLine(notice);
        if (line.empty())
            return;
        if (notice.kind == NoticeKind::gpsData && keeper_) {
            // GGA and RMC of one fix carry the same position: it is shown once, except as
            // the first after a gap.
            if (line == shownPosition_ && !keeper_->gapOpen())
                return;
            shownPosition_ = line;
            if (const auto gap = keeper_->positionShown(notice.arrived, sleep_.sleptSince(lastPositionMark_)))
                write(gapLine(gap->length, gap->cause));
            lastPositionMark_ = sleep_.mark();
        }
        write(line);
    }

    void write(const std::string& line)
    {
        std::fprintf(options_.output, "%s\n", line.c_str());
        std::fflush(options_.output);
    }

    const GpsCommandOptions& options_;
    ClientSession& session_;
    ReceiverCommand receiver_;
    SleepWitness sleep_;
    std::optional<ReadingKeeper> keeper_; // from the first request to read on
    SleepWitness::Mark lastPositionMark_;
    bool foundOn_ = false;
    bool readPending_ = false; // reading was asked for and has not begun
    bool ending_ = false;      // the receiver is being put back: a card that comes is not read
    std::size_t errors_ = 0;
    std::optional<long long> shownState_;
    std::string shownPosition_;
};

} // namespace

int watchGps(const GpsCommandOptions& options, ClientSession& session)
{
    Watch watch(options, session);
    const int rc = watch.run();
    bool recorded = true;
    for (NoticeRecorder* recorder : options.recorders)
        recorded = recorder->finish() && recorded;
    return recorded ? rc : 1;
}

} // namespace Orvanta::gps
