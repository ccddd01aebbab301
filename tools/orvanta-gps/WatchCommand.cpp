// "orvanta-gps watch": the receiver's states and positions as they come, until the user
// ends the watch, across the card being pulled and put back and the system sleeping.

#include "GpsCommands.h"

#include "ClientNames.h"
#include "NoticeRecorder.h"
#include "ReadingKeeper.h"
#include "ReceiverCommand.h"
#include "ReceiverReading.h"
#include "SleepWitness.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

#include <optional>
#include <string>

namespace Orvanta::gps {
namespace {

class Watch {
public:
    Watch(const GpsCommandOptions& options, ClientSession& session)
        : options_(options), session_(session), receiver_(options, session),
          reading_(options, session, receiver_, options.keepOn)
    {
        receiver_.echo = [this](const Notice& notice) { show(notice); };
    }

    int run()
    {
        if (!receiver_.awaitReceiver())
            return session_.interrupted() ? 0 : 1;
        reading_.learnStateFound();
        if (session_.interrupted())
            return 0; // nothing was changed yet
        lastPositionMark_ = sleep_.mark();
        if (!reading_.start())
            return 1;
        while (!session_.interrupted())
            if (const std::optional<Notice> notice = session_.next(Clock::now() + std::chrono::hours(1)))
                receiver_.take(*notice);
        session_.clearInterrupt();
        return reading_.putBack() ? 0 : 1;
    }

private:
    void show(const Notice& notice)
    {
        for (NoticeRecorder* recorder : options_.recorders)
            recorder->take(notice);
        const bool receiverBack = reading_.take(notice);
        print(notice);
        if (receiverBack)
            reading_.askToRead();
    }

    void print(const Notice& notice)
    {
        // Before reading is asked for, the card's failures are the wait's to explain.
        ReadingKeeper* const keeper = reading_.keeper();
        if (notice.kind == NoticeKind::traitError && !keeper)
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
        if (notice.kind == NoticeKind::gpsData && keeper) {
            // GGA and RMC of one fix carry the same position: it is shown once, except as
            // the first after a gap.
            if (line == shownPosition_ && !keeper->gapOpen())
                return;
            shownPosition_ = line;
            if (const auto gap = keeper->positionShown(notice.arrived, sleep_.sleptSince(lastPositionMark_)))
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
    ReceiverReading reading_;
    SleepWitness sleep_;
    SleepWitness::Mark lastPositionMark_;
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
