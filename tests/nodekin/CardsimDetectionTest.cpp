// Detection of the virtual card: orvanta-cardsim in a process of its own plugs, pulls
// and suspends a card through the simulated device tree, as hardware would.

#include "tests/nodekin/DetectionFixture.h"
#include "tests/sim/SimTestSupport.h"

#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Nodekin::testing {
namespace {

using namespace std::chrono_literals;
using Cardsim::testing::CardsimProcess;
using Cardsim::testing::LineCollector;

constexpr std::chrono::milliseconds pollingPeriod{1000};
constexpr std::chrono::milliseconds detectionTimeout{300000};

class CardsimDetection : public DetectionTest {
protected:
    // Starts the card, then detection on its folder, and waits for the start-up check.
    void startBoth(const std::vector<std::string>& cardArguments, NkCardState expected)
    {
        ASSERT_TRUE(card.start(cardArguments));
        startOn(card.simDir());
        registerRecorder();
        // The start-up check may be over before the recorder is registered: ask.
        ASSERT_TRUE(Orvanta::testing::waitUntil([&] { return cardInfo().state == expected; }, 10s));
    }

    CardsimProcess card;
};

TEST_F(CardsimDetection, GpsCardStartsWithThePortsTheCardOpenedAndTheyAnswer)
{
    startBoth({}, NkCardStarted);
    const NkCardInfo info = cardInfo();
    EXPECT_EQ(info.vendorId, static_cast<std::uint32_t>(makerVendorId));
    EXPECT_EQ(info.productId, static_cast<std::uint32_t>(roamexGx750ProductId));
    EXPECT_NE(info.capabilities & NkCapGps, 0u);
    EXPECT_EQ(std::string(info.applicationPort), card.portOf("Application Interface"));
    EXPECT_EQ(std::string(info.gpsControlPort), card.portOf("GPS Control"));
    EXPECT_EQ(std::string(info.gpsDataPort), card.portOf("GPS Data"));

    // What detection reports is the card's working control port, not just a name.
    LineCollector lines;
    Os::SerialPort port;
    ASSERT_EQ(port.open(info.gpsControlPort), 0);
    ASSERT_EQ(port.startReceiver(lines.receiver()), 0);
    const std::string command = "AT_TGPS?\r\n";
    port.write({reinterpret_cast<const std::uint8_t*>(command.data()), command.size()}, 1s);
    EXPECT_TRUE(lines.waitForLine([](const std::string& line) { return line == "_TGPS: 0"; }));
}

TEST_F(CardsimDetection, UnplugStopsAndPlugStartsAgainOnNewPorts)
{
    startBoth({}, NkCardStarted);

    ASSERT_EQ(card.control("unplug"), "OK");
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonDeviceChange));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorNoCard);

    ASSERT_EQ(card.control("plug"), "OK");
    ASSERT_TRUE(waitFor(NkCardStarting, NkReasonDeviceChange));
    advance(pollingPeriod);
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonDeviceChange));
    EXPECT_EQ(std::string(cardInfo().gpsDataPort), card.portOf("GPS Data"));
    EXPECT_FALSE(card.portOf("GPS Data").empty());
}

TEST_F(CardsimDetection, CardWithoutGpsStartsWithoutGpsPorts)
{
    startBoth({"--profile", "no-gps"}, NkCardStarted);
    const NkCardInfo info = cardInfo();
    EXPECT_EQ(info.productId, static_cast<std::uint32_t>(roamexHx700ProductId));
    EXPECT_EQ(info.capabilities & NkCapGps, 0u);
    EXPECT_EQ(info.gpsDataPort[0], '\0');
    EXPECT_EQ(std::string(info.applicationPort), card.portOf("Application Interface"));
}

TEST_F(CardsimDetection, CardWithOnlyItsGpsDataPortNeverStarts)
{
    startBoth({"--profile", "gps-data-only"}, NkCardStarting);
    for (int i = 0; i < 3; ++i)
        advance(pollingPeriod);
    advance(detectionTimeout);
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonDeviceChange));
    for (const Notification& n : notifications())
        EXPECT_NE(n.state, static_cast<std::uint32_t>(NkCardStarted));
}

TEST_F(CardsimDetection, StandbyForgetsTheCardAndWakingUpFindsItAgain)
{
    startBoth({}, NkCardStarted);
    ASSERT_EQ(card.control("suspend"), "OK");
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonStandby));
    ASSERT_EQ(card.control("resume"), "OK");
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonResumed));
}

} // namespace
} // namespace Nodekin::testing
