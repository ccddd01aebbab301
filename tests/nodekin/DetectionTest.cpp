#include "tests/nodekin/DetectionFixture.h"

#include "nodekin/SuspensionObjects.h"
#include "platform/NamedEvent.h"
#include "platform/NamedMutex.h"
#include "platform/OpenFault.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));

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
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));
    EXPECT_EQ(cardInfo().capabilities & NkCapGps, 0u);
    EXPECT_EQ(cardInfo().gpsDataPort[0], '\0');
}

// What detection logs while it lives.
class DetectionLog {
public:
    DetectionLog()
    {
        NkSetLogFunction(
            [](const char* message, void* context) {
                auto* self = static_cast<DetectionLog*>(context);
                std::lock_guard lock(self->mutex_);
                self->lines_.emplace_back(message);
            },
            this);
    }
    ~DetectionLog() { NkSetLogFunction(nullptr, nullptr); }

    bool contains(std::string_view fragment) const
    {
        std::lock_guard lock(mutex_);
        return std::any_of(lines_.begin(), lines_.end(),
                           [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    }

private:
    mutable std::mutex mutex_; // guards lines_: the notifier logs, the test reads
    std::vector<std::string> lines_;
};

struct RefusedPortCase {
    const char* name;
    bool heldByAnotherProgram;
    int refusedWith; // errno of an open refused by the system; 0: none
    const char* logged;
    const char* notLogged;
};

class FinalPortRefused : public DetectionTest, public ::testing::WithParamInterface<RefusedPortCase> {};

// Either way the port is there and the card is Started; the two are told apart in the
// log, because only one of them is the user's to mend.
TEST_P(FinalPortRefused, StillVerifiesAndSaysWhy)
{
    const RefusedPortCase& c = GetParam();
    DetectionLog log;
    const SimCard card = SimCard::gpsCard();
    const std::string port = card.portOf("_APP\\");
    Os::SerialPort holder;
    if (c.heldByAnotherProgram) {
        ASSERT_EQ(holder.open(port, false), 0);
    }
    std::optional<Os::OpenFault> refusal;
    if (c.refusedWith != 0)
        refusal.emplace(port, c.refusedWith);
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));
    EXPECT_TRUE(log.contains(c.logged));
    EXPECT_FALSE(log.contains(c.notLogged));
    NkUninitialize();
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FinalPortRefused,
    ::testing::Values(RefusedPortCase{"HeldByAnotherProgram", true, 0,
                                      "Nk: Final port is kept open by another application, supposing card is o.k.",
                                      "permission denied"},
                      RefusedPortCase{"PermissionDenied", false, EACCES, "Nk: Final port: permission denied on /dev/",
                                      "kept open by another application"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DetectionTest, TwoCardsGiveTheOneWithTheLowerRow)
{
    SimCard other(makerVendorId, roamexHx700ProductId, "SN0009");
    other.child("_MDM\\", "Modem", "Roamex Modem Interface").child("_APP\\", "Ports", "Roamex Application Interface");
    plug("other.json", other);
    const SimCard gps = SimCard::gpsCard();
    plug("gps.json", gps);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));
    EXPECT_EQ(cardInfo().productId, 0x7501u);
}

TEST_F(DetectionTest, DisabledRowIsNeverDetected)
{
    SimCard modem(0x12D1, 0x1003, "SN0003");
    modem.child("_FF_SER", "Modem", "3G Modem").child("_UI", "Ports", "UI Interface");
    plug("card.json", modem);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorNoCard);
}

// --- cards that arrive and leave ---------------------------------------------------------------

TEST_F(DetectionTest, ArrivalStartsAndPollingCompletesThenUnplugStops)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered));
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, NkReasonDeviceChange));
    advance(pollingPeriod);
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonDeviceChange));

    const std::size_t beforeUnplug = notifications().size();
    unplug("card.json");
    ASSERT_TRUE(waitForFrom(beforeUnplug, NkCardStopped, NkReasonDeviceChange));
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorNoCard);
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
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered)); // the start-up check is done
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, NkReasonDeviceChange));
    for (int i = 0; i < 3; ++i)
        advance(pollingPeriod);
    EXPECT_EQ(cardInfo().state, NkCardStarting);

    const std::size_t beforeTimeOut = notifications().size();
    advance(detectionTimeout);
    ASSERT_TRUE(waitForFrom(beforeTimeOut, NkCardStopped, NkReasonDeviceChange));
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
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered)); // the start-up check is done
    plug("card.json", card);
    ASSERT_TRUE(waitFor(NkCardStarting, NkReasonDeviceChange));
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
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered));
    const auto heard = notifications();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NE(heard[0].thread, std::this_thread::get_id());
}

TEST_F(DetectionTest, RecordSizesAreChecked)
{
    start();
    NkCardInfo info{};
    info.size = 1000;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorInsufficientBuffer);
    EXPECT_EQ(NkGetCardInfo(nullptr), NkErrorInsufficientBuffer);
    info.size = 2376;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorNoCard); // no card
}

TEST(DetectionWithoutLibrary, CallsAnswerNotInitialised)
{
    NkCardInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(NkGetCardInfo(&info), NkErrorNotInitialized);
    EXPECT_EQ(NkRegisterCallback(nullptr), NkErrorNotInitialized);
    EXPECT_EQ(NkRequestExclusiveAccess(0), NkErrorNotInitialized);
    EXPECT_EQ(NkUninitialize(), 0);
}

// --- standby -------------------------------------------------------------------------------------------

TEST_F(DetectionTest, CardArrivingDuringWakeUpIsFoundByTheWakeUpCheck)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered));
    power("suspend");
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonStandby));
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card); // ignored while waking up
    power("resume");
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonResumed));
    for (const Notification& n : notifications())
        EXPECT_NE(n.state == NkCardStarting && n.reason == NkReasonDeviceChange, true)
            << "the arrival was acted on before the resume";
}

// --- suspension -------------------------------------------------------------------------------------------

TEST_F(DetectionTest, AnotherProgramTakingTheCardSuspendsThisOneUntilItLetsGo)
{
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));

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
    ASSERT_TRUE(waitFor(NkCardSuspended, NkReasonDeviceChange));
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
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonSuspensionEnded));
}

TEST_F(DetectionTest, ExclusiveAccessIsRefusedWhileAnotherProgramHasAsked)
{
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered)); // the start-up check is done
    SuspensionPlace place{objectFolder.path()};
    Os::NamedEvent event;
    Os::NamedMutex mutex;
    ASSERT_EQ(place.open(event), 0);
    ASSERT_EQ(place.open(mutex), 0);
    ASSERT_EQ(event.set(), 0); // while this program holds the mutex in normal mode
    EXPECT_EQ(NkRequestExclusiveAccess(100), NkErrorClaimedElsewhere);
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
    ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered)); // not suspended
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
