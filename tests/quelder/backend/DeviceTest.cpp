// The device object with card detection played by the test: card states, events, the
// safe exit and the choice of platform. The communicator records the device work
// instead of running it, so each test sees what the device asked for.

#include "tests/quelder/backend/BackendTestSupport.h"
#include "tests/platform/PlatformTestSupport.h"
#include "tests/quelder/support/BackendLog.h"

#include "platform/OpenFault.h"
#include "platform/SystemError.h"
#include "quelder/Quelder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <future>
#include <typeinfo>

namespace Orvanta::testing {
namespace {

using GSM::DeviceState;


// Not the shared rig: these tests leave the device open at the end, so the pseudo-terminal
// its port is open on must go after the device, not before it as a member of a derived
// fixture would.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.queue = &communicator;
        ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    }
    void TearDown() override { communicator.Stop(); }

    // Waits until the communicator has run everything posted so far.
    void Drain()
    {
        const std::size_t marks = work.Count(kMark);
        ASSERT_EQ(communicator.Post(kMark), kQdSuccess);
        ASSERT_TRUE(work.WaitForCount(kMark, marks + 1));
    }

    // The card found for real: Init opens the application port on a pseudo-terminal, as
    // the communicator would have. Its events are delivered before this returns.
    void MakeFound(DeviceState state = DeviceState::found)
    {
        host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card.portPath);
        device.UpdateCardState(NkReasonDeviceChange); // asks the (recording) communicator for Init
        ASSERT_EQ(device.Init(0), 1);
        ASSERT_EQ(device.State(), DeviceState::found);
        if (state == DeviceState::initialized)
            device.SetDeviceState(state, true);
        Drain();
        ASSERT_TRUE(client.WaitFor([](const auto& events) { return !events.empty(); }));
        initEvents = client.Events().size();
    }
    std::vector<int> EventIdsAfterInit() const
    {
        const std::vector<int> all = client.EventIds();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(initEvents, all.size())), all.end()};
    }

    static constexpr std::uint32_t kMark = 0x80FF;
    PseudoTerminal card = openPseudoTerminal();
    std::size_t initEvents = 0;

    BackendLog log;
    Os::ManualClock clock;
    FakeHost host;
    RecordingWork work;
    ClientRecorder client;
    GSM::Device device{host};
    GSM::Communicator communicator{work, clock};
};

TEST_F(DeviceTest, StartedCardWithApplicationPortAsksForInitOnce)
{
    host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort | NkCapGps, "/dev/pts/99");
    device.UpdateCardState(NkReasonDeviceChange);
    Drain();
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_INIT), 1u);
    EXPECT_TRUE(device.Present());
}

struct CardCase {
    const char* name;
    std::uint32_t state;
    std::uint32_t type;
    std::uint32_t capabilities;
    bool asksForInit;
};

class CardStateCase : public DeviceTest, public ::testing::WithParamInterface<CardCase> {};

TEST_P(CardStateCase, OnlyCardsTheBackendCanTalkToAreInitialised)
{
    const CardCase& c = GetParam();
    host.SetCard(c.state, c.type, c.capabilities);
    device.UpdateCardState(NkReasonDeviceChange);
    Drain();
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_INIT), c.asksForInit ? 1u : 0u);
    EXPECT_NE(device.State(), DeviceState::found);
}

INSTANTIATE_TEST_SUITE_P(Cards, CardStateCase,
                         ::testing::Values(CardCase{"StartedWithApplicationPort", NkCardStarted, kGx750,
                                                    NkCapApplicationPort, true},
                                           CardCase{"StartedWithoutApplicationPort", NkCardStarted, kGx750, NkCapGps,
                                                    false},
                                           CardCase{"Gobi", NkCardStarted, 0x8401, 0, true},
                                           CardCase{"ZeroFootprint", NkCardStarted, 0x2100, 0, true},
                                           CardCase{"GenericMobileBroadband", NkCardStarted, 0xFF00, 0, true},
                                           CardCase{"StartingWithApplicationPort", NkCardStarting, kGx750,
                                                    NkCapApplicationPort, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, StartedCardWithoutApplicationPortIsReportedAndIgnored)
{
    host.SetCard(NkCardStarted, kGx750, NkCapGps);
    device.UpdateCardState(NkReasonDeviceChange);
    EXPECT_TRUE(log.Contains("Qd: There is a device detected but it does not have an application port, ignoring it..."));
}

TEST_F(DeviceTest, NoCardIsSilentAndEndsInNotFoundWithTheBulkEventsInOrder)
{
    host.fetchError = NkErrorNoCard;
    device.UpdateCardState(NkReasonRegistered);
    Drain();
    EXPECT_EQ(device.State(), DeviceState::notFound);
    EXPECT_FALSE(log.Contains("NkGetCardInfo failed"));
    ASSERT_TRUE(client.WaitFor([](const auto& events) { return events.size() >= 17; }));
    // Searching to NotFound first, then the bulk reset.
    EXPECT_EQ(client.EventIds(), (std::vector<int>{0, 3, 4, 5, 6, 7, 1, 9, 10, 22, 20, 13, 11, 12, 18, 23, 24, 0}));
}

TEST_F(DeviceTest, OtherFetchFailuresAreLogged)
{
    host.fetchError = NkErrorInvalidParameter;
    device.UpdateCardState(NkReasonDeviceChange);
    EXPECT_TRUE(log.Contains("Qd: Device::UpdateCardState(): NkGetCardInfo failed with 0x57"));
    EXPECT_EQ(device.State(), DeviceState::notFound);
}

TEST_F(DeviceTest, CardLossOfAFoundDeviceQueuesOneSafeExit)
{
    MakeFound();
    host.fetchError = NkErrorNoCard;
    device.UpdateCardState(NkReasonDeviceChange);
    device.RequestSafeExit(0);
    Drain();
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_EXIT), 1u);
    EXPECT_TRUE(device.ExitScheduled());
    EXPECT_TRUE(log.Contains("Card is scheduled to uninitialize, ignoring safe exit request.."));
}

TEST_F(DeviceTest, StandbyAsksForExitKindOne)
{
    MakeFound(DeviceState::initialized);
    host.SetCard(NkCardStopped, 0, 0);
    device.UpdateCardState(2);
    Drain();
    const auto entries = work.Entries();
    ASSERT_EQ(work.Count(GSM::WM_QD_DEVICE_EXIT), 1u);
    for (const auto& entry : entries) {
        if (entry.message == GSM::WM_QD_DEVICE_EXIT) {
            EXPECT_EQ(entry.wParam, 1u);
        }
    }
}

TEST_F(DeviceTest, SuspendedCardIsAcknowledged)
{
    host.SetCard(NkCardSuspended, kGx750, NkCapApplicationPort);
    device.UpdateCardState(NkReasonDeviceChange);
    EXPECT_EQ(host.acknowledged, 1);
}

TEST_F(DeviceTest, InitWhileFoundAnswersOneAndChangesNothing)
{
    device.SetDeviceState(DeviceState::found, true);
    GSM::Platform* before = &device.CurrentPlatform();
    EXPECT_EQ(device.Init(0), 1);
    Drain();
    EXPECT_EQ(device.State(), DeviceState::found);
    EXPECT_EQ(&device.CurrentPlatform(), before);
    EXPECT_TRUE(client.Events().empty());
    EXPECT_TRUE(log.Contains("Qd: Device::Init(): Card has already been initialized, ignoring init request.."));
}

TEST_F(DeviceTest, ExitOfAFoundDeviceEndsInNotFoundAndClearsItsFlags)
{
    MakeFound();
    ASSERT_EQ(device.Exit(0), 1);
    EXPECT_EQ(device.State(), DeviceState::notFound);
    EXPECT_FALSE(device.Exiting());
    EXPECT_FALSE(device.ExitScheduled());
    EXPECT_FALSE(device.HoldsChannel());
    EXPECT_FALSE(device.IsOpen());
    Drain();
    EXPECT_EQ(EventIdsAfterInit(), std::vector<int>{QdEventDeviceState});
    EXPECT_TRUE(log.Contains("Qd: Device has been successfully released"));
}

// The three ways a release used to be lost, each leaving the device Found (or Searching)
// on ports that stay open behind it.

TEST_F(DeviceTest, ExitDuringInitialisationRunsWhenItEndsAndLeavesNothingOpen)
{
    host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card.portPath);
    device.UpdateCardState(NkReasonDeviceChange);
    std::future<int> init;
    {
        std::lock_guard holdInit(host.lock); // Init waits for it once it has begun
        init = std::async(std::launch::async, [this] { return device.Init(0); });
        ASSERT_TRUE(waitUntil([this] { return device.Initialising(); }));
        EXPECT_EQ(device.State(), DeviceState::searching);
        EXPECT_EQ(device.Exit(1), 1);
    }
    EXPECT_EQ(init.get(), 1);
    EXPECT_FALSE(device.HoldsChannel());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.State(), DeviceState::notFound);
    EXPECT_TRUE(log.Contains("Qd: Device::Init(): Running the exit request that arrived during initialization"));
    EXPECT_TRUE(host.Watched().empty()) << "a port that was closed is not watched";
}

TEST_F(DeviceTest, QueuedExitAfterAQuickReplugReleasesThePortsOfTheCardThatWent)
{
    MakeFound(DeviceState::initialized);
    host.SetCard(NkCardStopped, 0, 0);
    device.UpdateCardState(NkReasonDeviceChange); // pulled: a release is queued
    host.SetCard(NkCardStarting, kGx750, NkCapApplicationPort, card.portPath);
    device.UpdateCardState(NkReasonDeviceChange); // and back before it ran
    ASSERT_EQ(device.State(), DeviceState::searching);
    Drain();
    ASSERT_EQ(work.Count(GSM::WM_QD_DEVICE_EXIT), 1u);

    device.Exit(1); // what the communicator runs for the queued request
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.HoldsChannel());
    EXPECT_EQ(device.State(), DeviceState::notFound);

    // The card that came back is opened afresh.
    host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card.portPath);
    device.UpdateCardState(NkReasonDeviceChange);
    Drain();
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_INIT), 2u);
    EXPECT_EQ(device.Init(0), 1);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.State(), DeviceState::found);
}

TEST_F(DeviceTest, ShutdownBeforeAQueuedInitialisationKeepsTheCardClosed)
{
    host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card.portPath);
    device.UpdateCardState(NkReasonDeviceChange); // Init is queued
    device.BeginShutdown();
    device.Exit(1);
    EXPECT_EQ(device.Init(0), 1); // the queued request, run while the library goes down
    EXPECT_FALSE(device.IsOpen());
    EXPECT_NE(device.State(), DeviceState::found);
    EXPECT_TRUE(log.Contains("Qd: Device::Init(): The library is shutting down, ignoring init request.."));
    device.EndShutdown();
    EXPECT_EQ(device.Init(0), 1); // a library started again opens the card
    EXPECT_EQ(device.State(), DeviceState::found);
}

struct OpenFailureCase {
    const char* name;
    int refusedWith; // errno
    QdResult reported;
    const char* loggedBefore; // the log explains, around the port's path
    const char* loggedAfter;
};

class PortRefused : public DeviceTest, public ::testing::WithParamInterface<OpenFailureCase> {};

// The card is there but its port will not open: the device must not wait in Searching
// for ever, and the client must hear why.
TEST_P(PortRefused, CardIsNotFoundAndTheClientIsTold)
{
    const OpenFailureCase& c = GetParam();
    Os::OpenFault refusal(card.portPath, c.refusedWith);
    host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card.portPath);
    device.UpdateCardState(NkReasonDeviceChange);
    EXPECT_EQ(device.Init(0), c.reported);
    EXPECT_EQ(device.State(), DeviceState::notFound);
    EXPECT_FALSE(device.HoldsChannel());
    ASSERT_TRUE(client.WaitForErrors(1));
    const auto error = client.Errors().front();
    EXPECT_EQ(error.kind, QdErrorKindDevice);
    EXPECT_EQ(error.code, c.reported);
    ASSERT_TRUE(client.WaitFor([](const auto& events) { return !events.empty(); }));
    EXPECT_EQ(client.EventIds().back(), QdEventDeviceState);
    EXPECT_TRUE(log.Contains(std::string("Qd: ") + c.loggedBefore + card.portPath + c.loggedAfter));
}

INSTANTIATE_TEST_SUITE_P(Reasons, PortRefused,
                         ::testing::Values(OpenFailureCase{"PermissionDenied", EACCES,
                                                           qdSystemError(Os::kErrorAccessDenied),
                                                           "permission denied on ", " (owner "},
                                           OpenFailureCase{"HeldByAnotherProgram", EBUSY,
                                                           qdSystemError(Os::kErrorSharingViolation), "",
                                                           " is in use by another program"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PlatformCase {
    const char* name;
    std::uint32_t type;
    std::uint32_t capabilities;
    const std::type_info& platform;
};

class PlatformChoice : public DeviceTest, public ::testing::WithParamInterface<PlatformCase> {};

TEST_P(PlatformChoice, FirstMatchWinsAndPlatformsNotYetBuiltKeepTheCardAway)
{
    const PlatformCase& c = GetParam();
    host.SetCard(NkCardStarted, c.type, c.capabilities, "/nonexistent/port");
    device.UpdateCardState(NkReasonDeviceChange);
    const int rc = device.Init(1);
    const GSM::Platform& chosen = device.CurrentPlatform();
    EXPECT_EQ(typeid(chosen), c.platform);
    // None of them reaches a card here: the serial port does not exist, the others are
    // not built yet.
    EXPECT_LT(rc, 0);
    EXPECT_EQ(device.State(), DeviceState::notFound);
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, PlatformChoice,
    ::testing::Values(PlatformCase{"MobileBroadbandModeFirst", 0x8401, NkCapMobileBroadband | NkCapApplicationPort,
                                   typeid(GSM::MbPlatform)},
                      PlatformCase{"Gobi", 0x8400, NkCapApplicationPort, typeid(GSM::GobiPlatform)},
                      PlatformCase{"ZeroFootprint", 0x2700, 0, typeid(GSM::ZeroFpPlatform)},
                      PlatformCase{"OwnCardOnItsPort", kGx750, NkCapApplicationPort, typeid(GSM::SerialPlatform)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, DisabledEventNeverReachesTheClientAndItsBufferIsReleased)
{
    device.EnableEvent(QdEventGpsData, false);
    // The leak checker of the sanitizer builds sees a buffer that is not released.
    device.RaiseEvent(QdEventGpsData, std::calloc(16, 1));
    device.RaiseEvent(QdEventSimState);
    device.EnableEvent(QdEventGpsData, true);
    auto* text = static_cast<char*>(std::malloc(8));
    std::strcpy(text, "$GPGGA");
    device.RaiseEvent(QdEventGpsData, text);
    ASSERT_TRUE(client.WaitFor([](const auto& events) { return events.size() >= 2; }));
    Drain();
    EXPECT_EQ(client.EventIds(), (std::vector<int>{QdEventSimState, QdEventGpsData}));
    EXPECT_EQ(client.Events()[1].text, "$GPGGA");
}

TEST_F(DeviceTest, EventBufferIsReleasedWhenTheCommunicatorIsStopped)
{
    communicator.Stop();
    device.RaiseEvent(QdEventGpsData, std::calloc(16, 1));
    EXPECT_TRUE(client.Events().empty());
}

TEST_F(DeviceTest, SettersRaiseTheirEventOnlyOnChange)
{
    device.Set(GSM::Value::csNetworkState, 1);
    device.Set(GSM::Value::csNetworkState, 1);
    device.Set(GSM::Value::lac, 0x1234, GSM::Value::cellId, 0x99);
    device.Set(GSM::Value::lac, 0x1234, GSM::Value::cellId, 0x99);
    device.Set(GSM::Value::removable, 3); // no event of its own
    device.Set(GSM::Value::pinPukState, 1, true);
    ASSERT_TRUE(client.WaitFor([](const auto& events) { return events.size() >= 2; }));
    Drain();
    EXPECT_EQ(client.EventIds(), (std::vector<int>{QdEventCsNetworkState, QdEventCellLocation}));
}

TEST_F(DeviceTest, SimStateStartsAndStopsTheSimPoller)
{
    device.SetSimState(false, false, true);
    EXPECT_TRUE(communicator.PollerSet().IsOn(GSM::Poller::sim));
    device.SetSimState(false, false, false);
    EXPECT_FALSE(communicator.PollerSet().IsOn(GSM::Poller::sim));
}

// A SIM that reads as ready is initialised only once SMS is set up on it; without a card
// to set it up on it stays uninitialised, and is asked again.
TEST_F(DeviceTest, ReadySimWhoseSmsCannotBeSetUpStaysUninitialisedAndPolled)
{
    device.SetSimState(true, false, false);
    EXPECT_EQ(device.Get(GSM::Value::simInitialized), 0);
    EXPECT_TRUE(communicator.PollerSet().IsOn(GSM::Poller::sim));
}

TEST_F(DeviceTest, CachedValueChecksComeInTheirOrder)
{
    host.initialized = false;
    EXPECT_EQ(device.CheckAccess(false), kQdNotInitialized);
    host.initialized = true;
    EXPECT_EQ(device.CheckAccess(false), kQdSuccess);
    EXPECT_EQ(device.CheckAccess(true), kQdNoDevice);
    device.SetDeviceState(DeviceState::found, true);
    EXPECT_EQ(device.CheckAccess(true), kQdNotReady);
    EXPECT_EQ(device.CheckAccess(true, true), kQdSuccess);
    device.SetDeviceState(DeviceState::initialized, true);
    EXPECT_EQ(device.CheckAccess(true), kQdSuccess);
    device.SetConnectionState(2, true);
    EXPECT_EQ(device.CheckAccess(true), kQdChannelBusy);
}

} // namespace
} // namespace Orvanta::testing
