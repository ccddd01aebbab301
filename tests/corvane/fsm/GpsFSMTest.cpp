#include "corvane/fsm/GpsFSM.h"

#include "corvane/Keys.h"
#include "tests/corvane/support/LibraryFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Summary = std::vector<std::string>;

class GpsMachine : public LibraryFixture {};

TEST_F(GpsMachine, StartsOffAndSaysSo)
{
    GpsFSM gps;
    gps.init();
    EXPECT_EQ(journal.summary(), Summary{"gps 0"});
    EXPECT_EQ(gps.currentStateName(), "GpsFSM::gps");
}

struct GpsCase {
    const char* name;
    std::vector<Signal> path; // from "gps" to the starting state
    Signal signal;
    Summary seen;
    const char* end;
};

class GpsTransitions : public GpsMachine, public ::testing::WithParamInterface<GpsCase> {};

TEST_P(GpsTransitions, ClientSeesExactlyThis)
{
    const GpsCase& c = GetParam();
    GpsFSM gps;
    gps.init();
    for (Signal s : c.path)
        send(gps, s);
    journal.clear();

    send(gps, c.signal, buildDictionary("I", key::gpsSatInUse, std::int64_t{5}));
    EXPECT_EQ(journal.summary(), c.seen);
    EXPECT_EQ(gps.currentStateName(), std::string("GpsFSM::") + c.end);
}

const std::vector<Signal> toActive{sigActivateGps};
const std::vector<Signal> toReading{sigReadGps};
const std::vector<Signal> toSearching{sigReadGps, sigGpsSearch};

INSTANTIATE_TEST_SUITE_P(
    Table, GpsTransitions,
    ::testing::Values(
        GpsCase{"OffActivated", {}, sigActivateGps, {"gps 1"}, "active"},
        GpsCase{"OffAskedToReadSwitchesOnThenReads", {}, sigReadGps, {"gps 1", "gps 2"}, "reading"},
        GpsCase{"OffDeactivatedIsDropped", {}, sigDeactivateGps, {}, "gps"},
        GpsCase{"OffUpdateIsDropped", {}, sigGpsUpdate, {}, "gps"},
        GpsCase{"OffStopIsDropped", {}, sigStopGps, {}, "gps"},
        GpsCase{"OffSearchIsDropped", {}, sigGpsSearch, {}, "gps"},
        GpsCase{"ActiveActivatedAgainChangesNothing", toActive, sigActivateGps, {}, "active"},
        GpsCase{"ActiveDeactivated", toActive, sigDeactivateGps, {"gps 0"}, "gps"},
        GpsCase{"ActiveReads", toActive, sigReadGps, {"gps 2"}, "reading"},
        GpsCase{"ActiveUpdateIsDropped", toActive, sigGpsUpdate, {}, "active"},
        GpsCase{"ActiveStopIsDropped", toActive, sigStopGps, {}, "active"},
        GpsCase{"ActiveSearchIsDropped", toActive, sigGpsSearch, {}, "active"},
        GpsCase{"ReadingForwardsPositions", toReading, sigGpsUpdate, {"position"}, "reading"},
        GpsCase{"ReadingAgainReentersReading", toReading, sigReadGps, {"gps 2"}, "reading"},
        GpsCase{"ReadingStopsWithoutReenteringActive", toReading, sigStopGps, {"gps 1"}, "active"},
        GpsCase{"ReadingLosesTheFix", toReading, sigGpsSearch, {"gps 3"}, "searching"},
        GpsCase{"ReadingActivatedChangesNothing", toReading, sigActivateGps, {}, "reading"},
        GpsCase{"ReadingDeactivated", toReading, sigDeactivateGps, {"gps 0"}, "gps"},
        GpsCase{"SearchingFindsTheFix", toSearching, sigReadGps, {"gps 2"}, "reading"},
        GpsCase{"SearchingStillWithoutFixSaysNothing", toSearching, sigGpsSearch, {}, "searching"},
        GpsCase{"SearchingForwardsPositions", toSearching, sigGpsUpdate, {"position"}, "searching"},
        GpsCase{"SearchingDeactivatedSaysOffOnce", toSearching, sigDeactivateGps, {"gps 0"}, "gps"},
        GpsCase{"SearchingStopped", toSearching, sigStopGps, {"gps 1"}, "active"},
        GpsCase{"SearchingActivatedChangesNothing", toSearching, sigActivateGps, {}, "searching"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GpsMachine, PositionRecordReachesTheClientUnchangedWithItsContext)
{
    GpsFSM gps;
    gps.init();
    send(gps, sigReadGps);
    journal.clear();
    const Dictionary position = buildDictionary("I", key::gpsSatInUse, std::int64_t{7});
    Dictionary withLatitude = position;
    withLatitude.setDouble(key::gpsLatitude, 48.1173);
    send(gps, sigGpsUpdate, withLatitude);

    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].record.real(key::gpsLatitude), 48.1173);
    EXPECT_EQ(entries[0].record.integer(key::gpsSatInUse), 7);
    EXPECT_EQ(entries[0].record.address(key::gpsContext), &gpsContext);
}

TEST_F(GpsMachine, TracesAndDestructorLine)
{
    LogCapture log("corvane.fsm.gps");
    {
        GpsFSM gps;
        gps.init();
        send(gps, sigActivateGps);
    }
    const std::vector<std::string> expected = {"GpsFSM::Corvane::GpsFSM::initial", "Corvane::GpsFSM::gps: entry",
                                               "Corvane::GpsFSM::gps: activate", "Corvane::GpsFSM::active: entry",
                                               "~GpsFSM() - Exit"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
}

} // namespace
} // namespace Corvane::testing
