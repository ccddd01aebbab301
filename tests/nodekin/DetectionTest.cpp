#include "tests/nodekin/DetectionFixture.h"

#include "nodekin/SuspensionObjects.h"
#include "platform/NamedEvent.h"
#include "platform/NamedMutex.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <string>

namespace Nodekin::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds pollingPeriod{1000};
constexpr std::chrono::milliseconds detectionTimeout{300000};

// --- a card present at start-up --------------------------------------------------------------

TEST_F(DetectionTest, GpsCardPresentAtStartIsStartedWithAllItsPorts)
{
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, 1));

    const NkCardInfo info = cardInfo();
    EXPECT_EQ(info.state, NkCardStarted);
    EXPECT_EQ(info.typeCode, 0x1800u);
    EXPECT_EQ(info.vendorId, 0x1C2Au);
    EXPECT_EQ(info.productId, 0x7501u);
    EXPECT_EQ(std::string(info.applicationPort), card.portOf("_APP\\"));
    EXPECT_EQ(std::string(info.gpsControlPort), card.portOf("_GPSC\\"));
    EXPECT_EQ(std::string(info.gpsDataPort), card.portOf("_GPSD\\"));
    EXPECT_EQ(std::string(info.modemName), "Roamex Modem Interface");
    EXPECT_EQ(std::string(info.deviceInstanceId), card.instanceId());
    EXPECT_NE(info.capabilities & NkCapGps, 0u);
    EXPECT_NE(info.capabilities & NkCapModem, 0u);
    EXPECT_NE(info.capabilities & NkCapApplicationPort, 0u);
    EXPECT_EQ(info.capabilities & NkCapSmartCardReader, 0u); // the card shows no reader
    EXPECT_EQ(info.driverVersion[0], (2u << 16) | 1u);
}

TEST_F(DetectionTest, CardWithoutGpsIsStartedWithoutTheGpsCapability)
{
    SimCard card(makerVendorId, roamexHx700ProductId, "SN0002");
    card.child("_MDM\\", "Modem", "Roamex Modem Interface").child("_APP\\", "Ports", "Roamex Application Interface");
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, 1));
    EXPECT_EQ(cardInfo().capabilities & NkCapGps, 0u);
    EXPECT_EQ(cardInfo().gpsDataPort[0], '\0');
}

TEST_F(DetectionTest, PortHeldByAnotherProgramStillVerifies)
{
    const SimCard card = SimCard::gpsCard();
    Os::SerialPort holder;
    ASSERT_EQ(holder.open(card.portOf("_APP\\"), false), 0);
    plug("card.json", card);
    start();
    registerRecorder();
    EXPECT_TRUE(waitFor(NkCardStarted, 1));
}

TEST_F(DetectionTest, TwoCardsGiveTheOneWithTheLowerRow)
{
    SimCard other(makerVendorId, roamexHx700ProductId, "SN0009");
    other.child("_MDM\\", "Modem", "Roamex Modem Interface").child("_APP\\", "Ports", "Roamex Application Interface");
    plug("other.json", other);
    const SimCard gps = SimCard::gpsCard();
    plug("gps.json", gps);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, 1));
    EXPECT_EQ(cardInfo().productId, 0x7501u);
}

TEST_F(DetectionTest, DisabledRowIsNeverDetected)
{
    SimCard modem(0x12D1, 0x1003, "SN0003");
    modem.child("_FF_SER", "Modem", "3G Modem").child("_UI", "Ports", "UI Interface");
    plug("card.json", modem);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), 55);
}

// --- cards that arrive and leave ---------------------------------------------------------------

TEST_F(DetectionTest, ArrivalStartsAndPollingCompletesThenUnplugStops)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1));
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, 4));
    advance(pollingPeriod);
    ASSERT_TRUE(waitFor(NkCardStarted, 4));

    unplug("card.json");
    ASSERT_TRUE(waitFor(NkCardStopped, 4));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), 55);
}

TEST_F(DetectionTest, CardWithOnlyItsGpsDataPortStaysStartingUntilTheTimeOut)
{
    SimCard card(makerVendorId, roamexGx750ProductId, "SN0004");
    card.child("_MDM\\", "Modem", "Roamex Modem Interface")
        .child("_APP\\", "Ports", "Roamex Application Interface")
        .child("_GPSC\\", "Ports", "Roamex GPS Control Port", false, 28) // no driver, no port
        .child("_GPSD\\", "Ports", "Roamex GPS Data Port");
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1)); // the start-up check is done
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, 4));
    for (int i = 0; i < 3; ++i)
        advance(pollingPeriod);
    EXPECT_EQ(cardInfo().state, NkCardStarting);

    advance(detectionTimeout);
    ASSERT_TRUE(waitFor(NkCardStopped, 4));
    EXPECT_EQ(cardInfo().state, NkCardStopped);
}

TEST_F(DetectionTest, PortFourLevelsBelowTheCardIsNotTaken)
{
    SimCard card(makerVendorId, roamexHx700ProductId, "SN0005");
    card.child("_MDM\\", "Modem", "Roamex Modem Interface")
        .child("_HUB1", "other", "hub", false)
        .child("_HUB2", "other", "hub", false, 0, card.idOf("_HUB1"))
        .child("_HUB3", "other", "hub", false, 0, card.idOf("_HUB2"))
        .child("_APP\\", "Ports", "Roamex Application Interface", true, 0, card.idOf("_HUB3"));
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1)); // the start-up check is done
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, 4));
    advance(pollingPeriod);
    advance(pollingPeriod);
    EXPECT_EQ(cardInfo().state, NkCardStarting);
    EXPECT_EQ(cardInfo().applicationPort[0], '\0');
}

// --- the client --------------------------------------------------------------------------------------

TEST_F(DetectionTest, CallbackHearsReasonOneOnTheNotifierThreadAfterRegistering)
{
    start();
    registerRecorder(); // returns before the notification is sent
    ASSERT_TRUE(waitFor(NkCardStopped, 1));
    const auto heard = notifications();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NE(heard[0].thread, std::this_thread::get_id());
}

TEST_F(DetectionTest, RecordSizesAreChecked)
{
    start();
    NkCardInfo info{};
    info.size = 1000;
    EXPECT_EQ(NkGetCardInfo(&info), 122);
    EXPECT_EQ(NkGetCardInfo(nullptr), 122);
    info.size = 2376;
    EXPECT_EQ(NkGetCardInfo(&info), 55); // no card
}

TEST(DetectionWithoutLibrary, CallsAnswerNotInitialised)
{
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), 21);
    EXPECT_EQ(NkRegisterCallback(nullptr), 21);
    EXPECT_EQ(NkRequestExclusiveAccess(0), 21);
    EXPECT_EQ(NkUninitialize(), 0);
}

// --- standby -------------------------------------------------------------------------------------------

TEST_F(DetectionTest, CardArrivingDuringWakeUpIsFoundByTheWakeUpCheck)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1));
    power("suspend");
    ASSERT_TRUE(waitFor(NkCardStopped, 2));
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card); // ignored while waking up
    power("resume");
    ASSERT_TRUE(waitFor(NkCardStarted, 3));
    for (const Notification& n : notifications())
        EXPECT_NE(n.state == NkCardStarting && n.reason == 4, true) << "the arrival was acted on before the resume";
}

// --- suspension -------------------------------------------------------------------------------------------

TEST_F(DetectionTest, AnotherProgramTakingTheCardSuspendsThisOneUntilItLetsGo)
{
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, 1));

    // Another program asks for the card: it signals the event, then waits for the mutex.
    SuspensionPlace place{objectFolder.path()};
    Os::NamedEvent event;
    Os::NamedMutex mutex;
    ASSERT_EQ(place.open(event), 0);
    ASSERT_EQ(place.open(mutex), 0);
    Os::WaitStatus taken = Os::WaitStatus::failed;
    std::thread otherProgram([&] {
        event.set();
        taken = mutex.lock(10s).status;
    });
    ASSERT_TRUE(waitFor(NkCardSuspended, 4));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), 0); // no card, but suspended
    EXPECT_EQ(info.state, NkCardSuspended);

    EXPECT_EQ(NkAcknowledgeSuspension(), 0); // lets go of the mutex
    otherProgram.join();
    ASSERT_EQ(taken, Os::WaitStatus::signalled);
    EXPECT_TRUE(NkIsCardClaimedElsewhere());

    // The other program is done with the card.
    ASSERT_EQ(event.reset(), 0);
    ASSERT_EQ(mutex.unlock(), 0);
    ASSERT_TRUE(waitFor(NkCardStarted, 5));
}

TEST_F(DetectionTest, ExclusiveAccessIsRefusedWhileAnotherProgramHasAsked)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1)); // the start-up check is done
    SuspensionPlace place{objectFolder.path()};
    Os::NamedEvent event;
    Os::NamedMutex mutex;
    ASSERT_EQ(place.open(event), 0);
    ASSERT_EQ(place.open(mutex), 0);
    ASSERT_EQ(event.set(), 0); // while this program holds the mutex in normal mode
    EXPECT_EQ(NkRequestExclusiveAccess(100), 5023);
}

TEST_F(DetectionTest, StaleSuspensionRequestIsResetAndLogged)
{
    std::vector<std::string> lines;
    std::mutex linesMutex;
    struct Sink {
        std::vector<std::string>* lines;
        std::mutex* mutex;
    } sink{&lines, &linesMutex};
    NkSetLogFunction(
        [](const char* message, void* context) {
            auto* s = static_cast<Sink*>(context);
            std::lock_guard lock(*s->mutex);
            s->lines->emplace_back(message);
        },
        &sink);

    // A program that signalled and died: the event stays set, nobody holds the mutex.
    SuspensionPlace place{objectFolder.path()};
    Os::NamedEvent event;
    ASSERT_EQ(place.open(event), 0);
    ASSERT_EQ(event.set(), 0);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, 1)); // not suspended
    EXPECT_FALSE(event.isSet().value());
    {
        std::lock_guard lock(linesMutex);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Nk: Possibly the event stayed signalled due to a crash, resetting it..."),
                  lines.end());
    }
    NkUninitialize();
    NkSetLogFunction(nullptr, nullptr);
}

} // namespace
} // namespace Nodekin::testing
