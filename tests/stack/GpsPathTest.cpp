// The GPS path end to end: the client API, the state machines, the device trait, the
// backend and card detection, against orvanta-cardsim playing its bundled walk.

#include "tests/stack/StackFixture.h"
#include "tests/stack/TrackPositions.h"

#include "corvane/Keys.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace Orvanta::testing {
namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool holdsAll(const std::vector<std::string>& sequence, const std::vector<std::string>& wanted)
{
    return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& entry) {
        return std::find(sequence.begin(), sequence.end(), entry) != sequence.end();
    });
}

// Four groups a second keep the tests short; a fix from the first group on.
const std::vector<std::string> kCard{"--ttff", "0", "--rate", "4"};

class GpsPath : public StackTest {
protected:
    bool isPosition(const client::Notice& notice) const { return notice.kind == client::NoticeKind::gpsData; }

    // Waits for `count` positions and checks each against the track, in the track's order.
    void expectTrackPositions(std::size_t count)
    {
        const std::vector<Position> track = trackPositions(ORVANTA_BUNDLED_TRACK);
        ASSERT_GT(track.size(), 100u);
        std::optional<std::size_t> last;
        for (std::size_t seen = 0; seen < count; ++seen) {
            ASSERT_TRUE(waitFor([this](const client::Notice& n) {
                return isPosition(n) && n.real(Corvane::key::gpsLatitude) && n.real(Corvane::key::gpsLongitude);
            })) << ::testing::PrintToString(summaries());
            const client::Notice& notice = notices().back();
            const Position position{*notice.real(Corvane::key::gpsLatitude), *notice.real(Corvane::key::gpsLongitude)};
            const auto index = findPosition(track, position, last.value_or(0));
            ASSERT_TRUE(index) << "not on the track: " << position.latitude << " " << position.longitude;
            // The same fix comes from GGA and from RMC; a new one is the track's next.
            if (last) {
                EXPECT_TRUE(*index == *last || *index == (*last + 1) % track.size())
                    << "after " << *last << " came " << *index;
            }
            last = index;
        }
    }

    std::string cardStatus() { return card.control("status"); }
};

TEST_F(GpsPath, StartUpFindsTheReceiverAndReadingDeliversTheTrack)
{
    startStack(kCard);
    expectStartUp();
    const std::vector<std::string> startUp = summaries();
    EXPECT_TRUE(containsInOrder(startUp, {"library 0", "library 1"})) << ::testing::PrintToString(startUp);
    EXPECT_TRUE(containsInOrder(startUp, {"device 1", "device 2", "device 4"})) << ::testing::PrintToString(startUp);
    EXPECT_TRUE(holdsAll(startUp, {"support 1", "port " + card.portOf("GPS Data")}))
        << ::testing::PrintToString(startUp);

    const std::size_t beforeReading = taken();
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
    ASSERT_TRUE(waitForSummary("gps 2")) << ::testing::PrintToString(summaries(beforeReading));
    EXPECT_TRUE(containsInOrder(summaries(beforeReading), {"gps 1", "gps 2"}));
    EXPECT_TRUE(contains(cardStatus(), "receiver=on")) << cardStatus();
    expectTrackPositions(6);

    const std::size_t beforeStop = taken();
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeStopReading), Corvane::cNoError);
    ASSERT_TRUE(waitForSummary("gps 1")) << ::testing::PrintToString(summaries(beforeStop));
    // Stopping reading leaves the receiver on; switching off turns it off.
    EXPECT_TRUE(contains(cardStatus(), "receiver=on")) << cardStatus();
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeOff), Corvane::cNoError);
    ASSERT_TRUE(waitForSummary("gps 0")) << ::testing::PrintToString(summaries(beforeStop));
    EXPECT_TRUE(contains(cardStatus(), "receiver=off")) << cardStatus();
    for (const std::string& entry : summaries())
        EXPECT_FALSE(contains(entry, "error")) << ::testing::PrintToString(summaries());
}

TEST_F(GpsPath, ALostFixSearchesAndTheFixComingBackReadsAgain)
{
    startStack(kCard);
    expectStartUp();
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
    ASSERT_TRUE(waitForSummary("gps 2"));

    ASSERT_TRUE(contains(card.control("lose-fix"), "OK"));
    ASSERT_TRUE(waitForSummary("gps 3")) << ::testing::PrintToString(summaries());
    ASSERT_TRUE(contains(card.control("regain-fix"), "OK"));
    ASSERT_TRUE(waitForSummary("gps 2")) << ::testing::PrintToString(summaries());
    expectTrackPositions(2);
}

TEST_F(GpsPath, UnpluggingWhileStreamingTakesEverythingDownAndPluggingBringsItBack)
{
    startStack(kCard);
    expectStartUp();
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
    expectTrackPositions(2);

    const std::size_t beforeUnplug = taken();
    ASSERT_TRUE(contains(card.control("unplug"), "OK"));
    ASSERT_TRUE(waitForSummary("device 0")) << ::testing::PrintToString(summaries(beforeUnplug));
    EXPECT_TRUE(holdsAll(summaries(beforeUnplug), {"gps 0", "support 0", "device 0"}))
        << ::testing::PrintToString(summaries(beforeUnplug));

    const std::size_t beforePlug = taken();
    ASSERT_TRUE(contains(card.control("plug"), "OK"));
    expectStartUp(beforePlug);
    EXPECT_TRUE(containsInOrder(summaries(beforePlug), {"device 1", "device 2", "device 4"}))
        << ::testing::PrintToString(summaries(beforePlug));
    ASSERT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
    expectTrackPositions(2);
}

} // namespace
} // namespace Orvanta::testing
