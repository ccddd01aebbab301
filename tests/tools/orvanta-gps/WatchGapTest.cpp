// What orvanta-gps watch does as the card goes and comes back, without a card: the
// notices it would get, in the order the middleware gives them, and positions at made-up
// times; and the lines it prints for them.

#include "ClientNames.h"
#include "ReadingKeeper.h"

#include "corvane/Corvane.h"
#include "corvane/Keys.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace Orvanta::gps {
namespace {

using namespace std::chrono_literals;

Notice noticeOf(NoticeKind kind, const char* key, long long value)
{
    Notice notice{kind, Record(Corvane::newParameters()), Clock::now()};
    Corvane::setInteger(notice.record.get(), key, value);
    return notice;
}

// One step of a script and what the keeper must answer:
//   "support 1", "device 0", "gps 2"  a notice; "ask" when reading is to be asked again
//   "position 4.5", "position 9 slept" a position at that second; "gap 4.5 removed" or
//                                      "gap 4.5 suspended" when it ends a gap
//   "present"                          "yes" or "no": whether the receiver can be set
struct Step {
    std::string event;
    std::string answer;
};

struct Script {
    const char* name;
    bool presentAtStart;
    std::vector<Step> steps;
};

std::string play(ReadingKeeper& keeper, Clock::time_point start, const std::string& event)
{
    std::istringstream words(event);
    std::string what;
    words >> what;
    if (what == "present")
        return keeper.receiverPresent() ? "yes" : "no";
    if (what == "position") {
        double second = 0;
        std::string slept;
        words >> second >> slept;
        const auto at = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(second));
        const auto gap = keeper.positionShown(at, slept == "slept");
        if (!gap)
            return "";
        std::ostringstream text;
        text.precision(3);
        text << "gap " << std::chrono::duration<double>(gap->length).count() << ' '
             << (gap->cause == GapCause::suspended ? "suspended" : "removed");
        return text.str();
    }
    long long value = 0;
    words >> value;
    const bool ask = what == "support"  ? keeper.take(noticeOf(NoticeKind::gpsSupport, Corvane::key::gpsSupport, value))
                     : what == "device" ? keeper.take(noticeOf(NoticeKind::deviceState, Corvane::key::deviceState, value))
                                        : keeper.take(noticeOf(NoticeKind::gpsState, Corvane::key::gpsState, value));
    return ask ? "ask" : "";
}

class WatchGap : public ::testing::TestWithParam<Script> {};

TEST_P(WatchGap, AsksAgainOnceTheReceiverIsBackAndTellsOfTheGapOnce)
{
    const Script& script = GetParam();
    const Clock::time_point start = Clock::now();
    ReadingKeeper keeper(start, script.presentAtStart);
    for (std::size_t i = 0; i < script.steps.size(); ++i)
        EXPECT_EQ(play(keeper, start, script.steps[i].event), script.steps[i].answer)
            << "step " << i << ": " << script.steps[i].event;
}

// The middleware's order: on removal gps 0, support 0, device 0; on arrival device 1 and 2,
// support 1 with the new state machine's gps 0 right after it, device 4, then the state
// the receiver reports.
INSTANTIATE_TEST_SUITE_P(
    Scripts, WatchGap,
    ::testing::Values(
        Script{"ReplugAsksOnceTheNewStateMachineIsThere",
               true,
               {{"position 1", ""},
                {"gps 0", ""},
                {"support 0", ""},
                {"device 0", ""},
                {"present", "no"},
                {"device 1", ""},
                {"device 2", ""},
                {"support 1", ""},
                {"present", "no"},
                {"gps 0", "ask"},
                {"present", "yes"},
                {"device 4", ""},
                {"gps 1", ""},
                {"gps 2", ""},
                {"position 5", "gap 4 removed"},
                {"position 6", ""}}},
        Script{"ASecondSupportNoticeAsksNothing",
               true,
               {{"support 0", ""}, {"support 1", ""}, {"gps 0", "ask"}, {"support 1", ""}, {"gps 0", ""}}},
        Script{"ASuspendIsNamedAsSuch",
               true,
               {{"position 1", ""},
                {"gps 0", ""},
                {"support 0", ""},
                {"device 0", ""},
                {"support 1", ""},
                {"gps 0", "ask"},
                {"position 10.5 slept", "gap 9.5 suspended"}}},
        Script{"GoingTwiceBeforeAPositionIsOneGap",
               true,
               {{"position 1", ""},
                {"support 0", ""},
                {"support 1", ""},
                {"gps 0", "ask"},
                {"device 0", ""},
                {"support 1", ""},
                {"gps 0", "ask"},
                {"position 8", "gap 7 removed"},
                {"position 9", ""}}},
        Script{"StatesOtherThanRemovedKeepTheReceiver",
               true,
               {{"device 7", ""}, {"gps 3", ""}, {"gps 0", ""}, {"present", "yes"}, {"position 1", ""}}},
        Script{"AReceiverGoneBeforeReadingIsAskedForWhenItComes",
               false,
               {{"present", "no"}, {"gps 0", ""}, {"support 1", ""}, {"gps 0", "ask"}, {"position 3", "gap 3 removed"}}}),
    [](const ::testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

struct GapText {
    Clock::duration length;
    GapCause cause;
    const char* line;
};

class GapLine : public ::testing::TestWithParam<GapText> {};

TEST_P(GapLine, SaysHowLongAndWhy)
{
    EXPECT_EQ(gapLine(GetParam().length, GetParam().cause), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, GapLine,
    ::testing::Values(GapText{2040ms, GapCause::cardRemoved, "gap: no position for 2.0 s (card removed)"},
                      GapText{2960ms, GapCause::suspended, "gap: no position for 3.0 s (suspended)"},
                      GapText{59960ms, GapCause::cardRemoved, "gap: no position for 1 min 0 s (card removed)"},
                      GapText{125s, GapCause::suspended, "gap: no position for 2 min 5 s (suspended)"},
                      GapText{3h + 5min + 20s, GapCause::suspended, "gap: no position for 3 h 5 min (suspended)"}));

// The receiver's states print as their names say them; a number that is no state,
// including one that would wrap onto a state, says so.
struct StateText {
    long long state;
    const char* line;
};

class GpsStateLine : public ::testing::TestWithParam<StateText> {};

TEST_P(GpsStateLine, NamesTheState)
{
    EXPECT_EQ(noticeLine(noticeOf(NoticeKind::gpsState, Corvane::key::gpsState, GetParam().state)), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(States, GpsStateLine,
                         ::testing::Values(StateText{0, "gps: off"}, StateText{1, "gps: active"},
                                           StateText{2, "gps: reading"}, StateText{3, "gps: searching"},
                                           StateText{4, "gps: unknown"}, StateText{-1, "gps: unknown"},
                                           StateText{(1LL << 32) + 2, "gps: unknown"}));

} // namespace
} // namespace Orvanta::gps
