// How the notices of a watch become a track: one point per fix, stretches cut where the
// positions stopped.

#include "NoticeScript.h"
#include "TrackFixes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace Orvanta::gps {
namespace {

// "point 48.1 11.5 ele=520.5 07:42:10 20240615" or "end", joined by "; ".
std::string trackEventsText(const std::vector<TrackEvent>& events)
{
    std::ostringstream text;
    for (const TrackEvent& event : events) {
        if (text.tellp() > 0)
            text << "; ";
        if (event.kind == TrackEvent::Kind::stretchEnd) {
            text << "end";
            continue;
        }
        const TrackPoint& point = event.point;
        text << "point " << point.latitude << ' ' << point.longitude;
        if (point.altitude)
            text << " ele=" << *point.altitude;
        if (point.timeOfDay) {
            const long long ms = *point.timeOfDay;
            char time[32];
            std::snprintf(time, sizeof time, " %02lld:%02lld:%02lld", ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60);
            text << time;
            if (ms % 1000 != 0)
                text << '.' << ms % 1000;
        }
        if (point.date)
            text << ' ' << *point.date;
    }
    return text.str();
}

struct FixStep {
    std::string notice; // a NoticeScript line, or "finish"
    std::string events;
};

struct FixScript {
    const char* name;
    std::vector<FixStep> steps;
};

class TrackFixesScript : public ::testing::TestWithParam<FixScript> {};

TEST_P(TrackFixesScript, GivesOnePointPerFixAndEndsStretchesWherePositionsStopped)
{
    testing::NoticeScript script;
    TrackFixes fixes;
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const FixStep& step = GetParam().steps[i];
        const std::vector<TrackEvent> events =
            step.notice == "finish" ? fixes.finish() : fixes.take(script.notice(step.notice));
        EXPECT_EQ(trackEventsText(events), step.events) << "step " << i << ": " << step.notice;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, TrackFixesScript,
    ::testing::Values(
        FixScript{"GgaAndRmcOfOneFixAreOnePoint",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"gsv 11", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"gga 07:42:11.5 48.2 11.6 521", ""},
                   {"rmc 07:42:11.5 20240615 48.2 11.6", "point 48.2 11.6 ele=521 07:42:11.500 20240615"},
                   {"finish", "end"}}},
        FixScript{"RmcBeforeGgaTakesTheGgaPosition",
                  {{"rmc 07:42:10 20240615 48.10001 11.5", ""},
                   {"gga 07:42:10 48.1 11.5 520.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"finish", "end"}}},
        FixScript{"AFixWithOneSentenceWaitsForTheNext",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"gga 07:42:11 48.2 11.6 521", "point 48.1 11.5 ele=520.5 07:42:10"},
                   {"rmc 07:42:12 20240615 48.3 11.7", "point 48.2 11.6 ele=521 07:42:11"},
                   {"finish", "point 48.3 11.7 07:42:12 20240615; end"}}},
        FixScript{"ALostFixEndsTheStretchAndTheNextFixStartsOne",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"gga 07:42:11 nofix", "end"},
                   {"state 3", ""},
                   {"rmc 07:42:11 20240615 nofix", ""},
                   {"gga 07:42:12 48.2 11.6 521", ""},
                   {"state 2", ""},
                   {"rmc 07:42:12 20240615 48.2 11.6", "point 48.2 11.6 ele=521 07:42:12 20240615"},
                   {"finish", "end"}}},
        FixScript{"ALostFixGivesOutTheWaitingPointFirst",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""}, {"rmc 07:42:11 20240615 nofix", "point 48.1 11.5 ele=520.5 07:42:10; end"}}},
        FixScript{"TheRestOfAFixCutByItsStretchsEndStartsNoStretch",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"state 1", "point 48.1 11.5 ele=520.5 07:42:10; end"},
                   {"rmc 07:42:10 20240615 48.1 11.5", ""},
                   {"gga 07:42:11 48.2 11.6 521", ""},
                   {"rmc 07:42:11 20240615 48.2 11.6", "point 48.2 11.6 ele=521 07:42:11 20240615"},
                   {"finish", "end"}}},
        FixScript{"SearchingEndsTheStretch",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""}, {"state 3", "point 48.1 11.5 ele=520.5 07:42:10; end"}, {"finish", ""}}},
        FixScript{"TheCardGoingEndsTheStretchOnce",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"state 0", "end"},
                   {"support 0", ""},
                   {"device 0", ""},
                   {"gga 07:42:20 48.2 11.6 521", ""},
                   {"support 0", "point 48.2 11.6 ele=521 07:42:20; end"},
                   {"gga 07:42:30 48.3 11.7 522", ""},
                   {"device 0", "point 48.3 11.7 ele=522 07:42:30; end"}}},
        FixScript{"ReadingAndOtherDeviceStatesKeepTheStretch",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"state 2", ""},
                   {"device 4", ""},
                   {"support 1", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"}}},
        FixScript{"TheSystemAsleepBetweenTwoFixesEndsTheStretch",
                  {{"@0 gga 07:42:10 48.1 11.5 520.5", ""},
                   {"@0 rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"@1 gga 07:42:11 48.2 11.6 521", ""},
                   {"@1 rmc 07:42:11 20240615 48.2 11.6", "point 48.2 11.6 ele=521 07:42:11 20240615"},
                   // The steady clock moved one second, the receiver's an hour.
                   {"@2 gga 08:42:12 48.3 11.7 522", ""},
                   {"@2 rmc 08:42:12 20240615 48.3 11.7", "end; point 48.3 11.7 ele=522 08:42:12 20240615"},
                   {"finish", "end"}}},
        FixScript{"ReceiverJitterWithinTheSlackKeepsTheStretch",
                  {{"@0 gga 07:42:10 48.1 11.5 520.5", ""},
                   {"@0 rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"@0.1 gga 07:42:14.9 48.2 11.6 521", ""},
                   {"@0.1 rmc 07:42:14.9 20240615 48.2 11.6", "point 48.2 11.6 ele=521 07:42:14.900 20240615"},
                   {"finish", "end"}}},
        FixScript{"AReceiverClockGoingBackEndsTheStretch",
                  {{"@0 gga 07:42:10 48.1 11.5 520.5", ""},
                   {"@0 rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"@1 gga 07:40:00 48.2 11.6 521", ""},
                   {"@1 rmc 07:40:00 20240615 48.2 11.6", "end; point 48.2 11.6 ele=521 07:40:00 20240615"}}},
        FixScript{"MidnightWithADateIsNoJump",
                  {{"@0 gga 23:59:59 48.1 11.5 520.5", ""},
                   {"@0 rmc 23:59:59 20240630 48.1 11.5", "point 48.1 11.5 ele=520.5 23:59:59 20240630"},
                   {"@1 gga 00:00:00 48.2 11.6 521", ""},
                   {"@1 rmc 00:00:00 20240701 48.2 11.6", "point 48.2 11.6 ele=521 00:00:00 20240701"},
                   {"finish", "end"}}},
        FixScript{"MidnightWithoutADateIsNoJump",
                  {{"@0 gga 23:59:59 48.1 11.5 520.5", ""},
                   {"@1 gga 00:00:00 48.2 11.6 521", "point 48.1 11.5 ele=520.5 23:59:59"},
                   {"@2 gga 00:00:01 48.3 11.7 522", "point 48.2 11.6 ele=521 00:00:00"},
                   {"finish", "point 48.3 11.7 ele=522 00:00:01; end"}}},
        FixScript{"AnotherSentenceOfAFixGivenOutAddsNothing",
                  {{"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:10 20240615"},
                   {"gga 07:42:10 48.1 11.5 520.5", ""},
                   {"rmc 07:42:10 20240615 48.1 11.5", ""},
                   {"finish", "end"}}},
        FixScript{"WithoutTimesTheSentencesOfOnePositionAreOneFix",
                  {{"gga - 48.1 11.5 520.5", ""},
                   {"rmc - - 48.1 11.5", "point 48.1 11.5 ele=520.5"},
                   {"gga - 48.2 11.6 521", ""},
                   {"gga - 48.2 11.6 521", "point 48.2 11.6 ele=521"},
                   {"rmc - - 48.3 11.7", "point 48.2 11.6 ele=521"},
                   {"finish", "point 48.3 11.7; end"}}},
        FixScript{"AnOlderLibraryWithoutFixFlagsReadsZeroAsNoFix",
                  {{"gga - 48.1 11.5 520.5 legacy", ""},
                   {"rmc - - 48.1 11.5 legacy", "point 48.1 11.5 ele=520.5"},
                   {"gga - nofix legacy", "end"},
                   {"rmc - - nofix legacy", ""}}},
        FixScript{"ImpossibleValuesAreLeftOut",
                  {{"gga 07:42:10 91 11.5 520.5", ""},
                   {"rmc 07:42:10 20240615 48.1 181", ""},
                   {"gga 07:42:11 48.1 11.5 520.5", ""},
                   // No 31st of June, no time after a leap second: the point has no time.
                   {"rmc 07:42:11 20240631 48.1 11.5", "point 48.1 11.5 ele=520.5 07:42:11"},
                   {"gga 86401000 48.2 11.6 521", ""},
                   {"finish", "point 48.2 11.6 ele=521; end"}}},
        FixScript{"SentencesAndSatellitesAreNoPositions",
                  {{"sentence $GPGGA,074210.00,4807.03762,N,01131.00156,E,1,10,1.11,520.5,M,47.4,M,,*52", ""},
                   {"gsv 11", ""},
                   {"finish", ""}}}),
    [](const ::testing::TestParamInfo<FixScript>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::gps
