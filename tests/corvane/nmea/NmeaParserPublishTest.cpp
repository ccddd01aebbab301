// The parser's default publisher is the middleware's: subscribers of the hub receive the
// records, the fix signal of a $GPRMC before its position.

#include "corvane/nmea/NmeaParser.h"

#include "corvane/fsm/CorvaneController.h"
#include "tests/corvane/support/SignalRecorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace Corvane {
namespace {

TEST(NmeaParserDefaultPublisher, HubSubscribersGetTheFixThenThePosition)
{
    std::vector<CvEventPtr> events;
    {
        testing::SignalRecorder recorder(CorvaneController::instance().hub(),
                                         {sigReadGps, sigGpsSearch, sigGpsUpdate});
        NmeaParser parser;
        parser.parse("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07");
        parser.parse("$GPGSV,3,3,09,32,10,120,25*44");
        // The hub delivers on the publisher's thread: everything is there already.
        events = recorder.events();
    }
    CorvaneController::destroyInstance();

    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->sig, sigReadGps);
    EXPECT_TRUE(events[0]->parameters.isEmpty());
    EXPECT_EQ(events[1]->sig, sigGpsUpdate);
    EXPECT_NEAR(events[1]->parameters.real("gpsLatitude"), 48.1173, 1e-9);
    EXPECT_NEAR(events[1]->parameters.real("gpsSpeed"), 41.4848, 1e-9);
    EXPECT_EQ(events[2]->sig, sigGpsUpdate);
    EXPECT_EQ(events[2]->parameters.integer("gpsSatInView"), 9);
}

} // namespace
} // namespace Corvane
