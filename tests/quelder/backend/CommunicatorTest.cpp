// The communicator: posting, the order of delivery, stopping, and the pollers' seconds.

#include "tests/quelder/backend/BackendTestSupport.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/platform/PlatformTestSupport.h"

#include "platform/Clock.h"
#include "quelder/Quelder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <future>
#include <map>

namespace Orvanta::testing {
namespace {

using GSM::Communicator;
using GSM::Poller;

char* TextBuffer(const char* text)
{
    auto* buffer = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    std::strcpy(buffer, text);
    return buffer;
}

class CommunicatorTest : public ::testing::Test {
protected:
    BackendLog log;
    Os::ManualClock clock;
    RecordingWork work;
    ClientRecorder client;
    Communicator communicator{work, clock};
};

TEST_F(CommunicatorTest, PostingWhileStoppedIsRefusedAndNothingIsQueued)
{
    EXPECT_EQ(communicator.Post(GSM::WM_QD_DEVICE_INIT), kQdNotInitialized);
    EXPECT_EQ(communicator.PostClientError(1, 2, 3), kQdNotInitialized);
    ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    ASSERT_EQ(communicator.Post(GSM::WM_QD_SIM_STATE, 1), kQdSuccess);
    ASSERT_TRUE(work.WaitForCount(GSM::WM_QD_SIM_STATE, 1));
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_INIT), 0u);
    communicator.Stop();
    EXPECT_EQ(communicator.PostClientEvent(QdEventDeviceState, nullptr), kQdNotInitialized);
}

TEST_F(CommunicatorTest, EventsAndErrorsReachTheClientOnTheCommunicatorThreadInOrder)
{
    ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    // Hold the thread in the first call so that the rest wait in the queue together.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    client.SetHook([released](int event) {
        if (event == QdEventDeviceState)
            released.wait();
    });
    ASSERT_EQ(communicator.PostClientEvent(QdEventDeviceState, nullptr), kQdSuccess);
    ASSERT_EQ(communicator.PostClientEvent(QdEventGpsData, TextBuffer("$GPGGA,1")), kQdSuccess);
    ASSERT_EQ(communicator.PostClientError(4, -5, 6), kQdSuccess);
    ASSERT_EQ(communicator.PostClientEvent(QdEventSimState, nullptr), kQdSuccess);
    ASSERT_EQ(communicator.PostClientEvent(QdEventGpsData, TextBuffer("$GPRMC,2")), kQdSuccess);
    release.set_value();

    ASSERT_TRUE(client.WaitFor([](const auto& events) { return events.size() == 4; }));
    const auto events = client.Events();
    EXPECT_EQ(client.EventIds(), (std::vector<int>{QdEventDeviceState, QdEventGpsData, QdEventSimState, QdEventGpsData}));
    EXPECT_EQ(events[1].text, "$GPGGA,1");
    EXPECT_EQ(events[3].text, "$GPRMC,2");
    for (const auto& event : events)
        EXPECT_NE(event.thread, std::this_thread::get_id());
    ASSERT_TRUE(client.WaitForErrors(1));
    EXPECT_EQ(client.Errors()[0].kind, 4);
    EXPECT_EQ(client.Errors()[0].code, -5);
    EXPECT_EQ(client.Errors()[0].extra, 6);
}

TEST_F(CommunicatorTest, StopEndsTheLoopBeforeTheNextEntryAndReleasesWhatWasNotDelivered)
{
    ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    client.SetHook([&entered, released](int event) {
        if (event == QdEventDeviceState) {
            entered.set_value();
            released.wait();
        }
    });
    ASSERT_EQ(communicator.PostClientEvent(QdEventDeviceState, nullptr), kQdSuccess);
    ASSERT_EQ(entered.get_future().wait_for(5s), std::future_status::ready);
    // Undelivered buffers must be released: the leak checker of the sanitizer builds sees them.
    ASSERT_EQ(communicator.PostClientEvent(QdEventGpsData, TextBuffer("never delivered")), kQdSuccess);
    ASSERT_EQ(communicator.PostClientError(1, 2, 3), kQdSuccess);
    ASSERT_EQ(communicator.Post(GSM::WM_QD_DEVICE_EXIT, 1), kQdSuccess);

    std::thread stopper([&] { communicator.Stop(); });
    ASSERT_TRUE(log.WaitFor("Qd: Stopping thread"));
    release.set_value();
    stopper.join();

    EXPECT_EQ(client.EventIds(), std::vector<int>{QdEventDeviceState});
    EXPECT_TRUE(client.Errors().empty());
    EXPECT_EQ(work.Count(GSM::WM_QD_DEVICE_EXIT), 0u);
    EXPECT_TRUE(log.Contains("Qd: Communicator thread stopped"));
}

// Which idle seconds each poll message came on, over `seconds` seconds.
std::map<std::uint32_t, std::vector<int>> PollSeconds(Communicator& communicator, Os::ManualClock& clock,
                                                      RecordingWork& work, int seconds)
{
    std::map<std::uint32_t, std::vector<int>> fired;
    std::size_t seen = 0;
    for (int second = 1; second <= seconds; ++second) {
        clock.advance(Communicator::kTick);
        EXPECT_TRUE(waitUntil([&] { return communicator.IdleTicks() >= static_cast<std::uint64_t>(second); }));
        const auto entries = work.Entries();
        for (; seen < entries.size(); ++seen)
            fired[entries[seen].message].push_back(second);
    }
    return fired;
}

TEST_F(CommunicatorTest, PollersFireOnTheirSecondsOfIdleness)
{
    ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    communicator.StartPoller(Poller::sim);
    communicator.StartPoller(Poller::cellType);
    auto fired = PollSeconds(communicator, clock, work, 11);
    EXPECT_EQ(fired[GSM::WM_QD_SIM_POLL], (std::vector<int>{1, 3, 5, 7, 9, 11}));
    EXPECT_EQ(fired[GSM::WM_QD_CELL_TYPE_POLL], (std::vector<int>{1, 6, 11}));
    EXPECT_EQ(fired.count(GSM::WM_QD_SIGNAL_POLL), 0u);

    // Stopped, a poller is silent; started again, it fires on the next second.
    communicator.StopPoller(Poller::sim);
    communicator.StartPoller(Poller::signal);
    const std::size_t before = work.Count(GSM::WM_QD_SIM_POLL);
    clock.advance(Communicator::kTick);
    ASSERT_TRUE(waitUntil([&] { return communicator.IdleTicks() >= 12; }));
    EXPECT_EQ(work.Count(GSM::WM_QD_SIM_POLL), before);
    EXPECT_EQ(work.Count(GSM::WM_QD_SIGNAL_POLL), 1u);
}

} // namespace
} // namespace Orvanta::testing
