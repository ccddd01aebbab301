#include "platform/MessageLoop.h"

#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

std::vector<std::uintptr_t> timerIds(const std::vector<Message>& messages)
{
    std::vector<std::uintptr_t> ids;
    for (const Message& message : messages)
        if (message.message == kWmTimer)
            ids.push_back(message.wParam);
    return ids;
}

TEST(MessageLoop, DeliversEachPosterInOrderOnTheLoopThread)
{
    constexpr int kPosters = 4;
    constexpr int kEach = 500;
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::vector<std::intptr_t>> seen(kPosters);
    std::atomic<bool> offThread{false};
    int total = 0;
    std::atomic<MessageLoop*> self{nullptr}; // set before anything is posted
    MessageLoop loop([&](const Message& message) {
        if (!self.load()->isLoopThread())
            offThread = true;
        std::lock_guard lock(mutex);
        seen[message.wParam].push_back(message.lParam);
        if (++total == kPosters * kEach)
            done.notify_all();
    });
    self = &loop;
    std::vector<std::thread> posters;
    for (int poster = 0; poster < kPosters; ++poster)
        posters.emplace_back([&loop, poster] {
            for (int i = 0; i < kEach; ++i)
                EXPECT_TRUE(loop.post(kWmApp, static_cast<std::uintptr_t>(poster), i));
        });
    for (auto& poster : posters)
        poster.join();

    std::unique_lock lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, 5s, [&] { return total == kPosters * kEach; }));
    EXPECT_FALSE(offThread);
    for (const auto& values : seen) {
        ASSERT_EQ(values.size(), static_cast<std::size_t>(kEach));
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(values[static_cast<std::size_t>(i)], i);
    }
}

TEST(MessageLoop, QuitHandlesWhatWasPostedAndRefusesTheRest)
{
    MessageRecorder recorder;
    MessageLoop loop(recorder.handler());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(loop.post(kWmApp + 1, 0, i));
    loop.quit();
    EXPECT_FALSE(loop.post(kWmApp + 2));
    ASSERT_TRUE(recorder.waitForCount(3));
    EXPECT_FALSE(recorder.waitForCount(4, 50ms));
}

TEST(MessageLoop, StopReturnsOnlyAfterTheMessageInHandIsDone)
{
    std::atomic<bool> handling{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    MessageLoop loop([&](const Message& message) {
        if (message.message != kWmApp)
            return;
        handling = true;
        while (!release)
            std::this_thread::yield();
        finished = true;
    });
    ASSERT_TRUE(loop.post(kWmApp));
    ASSERT_TRUE(waitUntil([&] { return handling.load(); }, 5s));
    std::thread releaser([&] {
        // Refused posts mean stop() has begun: only then may the handler finish.
        while (loop.post(kWmApp + 1))
            std::this_thread::yield();
        release = true;
    });
    loop.stop();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(loop.post(kWmApp));
    releaser.join();
}

class MessageLoopTimers : public ::testing::Test {
protected:
    ManualClock clock;
    MessageRecorder recorder;
    MessageLoop loop{recorder.handler(), clock};

    // Posting a marker and waiting for it proves the loop has looked at the clock since.
    void settle()
    {
        const std::size_t before = recorder.messages().size();
        ASSERT_TRUE(loop.post(kWmApp + 99));
        ASSERT_TRUE(recorder.waitForCount(before + 1));
    }
    std::vector<std::uintptr_t> fired() { return timerIds(recorder.messages()); }
};

TEST_F(MessageLoopTimers, FiveMinuteTimerFiresWhenTheClockGetsThere)
{
    const auto started = std::chrono::steady_clock::now();
    loop.setTimer(1, 300000ms);
    clock.advance(299999ms);
    settle();
    EXPECT_TRUE(fired().empty());
    clock.advance(1ms);
    ASSERT_TRUE(waitUntil([&] { return fired().size() == 1; }));
    EXPECT_EQ(fired(), std::vector<std::uintptr_t>{1});
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST_F(MessageLoopTimers, SettingARunningTimerAgainRestartsIt)
{
    loop.setTimer(7, 1000ms);
    clock.advance(800ms);
    loop.setTimer(7, 1000ms);
    clock.advance(800ms);
    settle();
    EXPECT_TRUE(fired().empty()) << "the first arming would have fired at 1000 ms";
    clock.advance(200ms);
    ASSERT_TRUE(waitUntil([&] { return fired().size() == 1; }));
}

TEST_F(MessageLoopTimers, PeriodicTimerKeepsFiringAndDoesNotMakeUpMissedTicks)
{
    loop.setTimer(2, 1000ms);
    for (int tick = 1; tick <= 3; ++tick) {
        clock.advance(1000ms);
        ASSERT_TRUE(waitUntil([&] { return fired().size() == static_cast<std::size_t>(tick); }));
    }
    clock.advance(10000ms); // ten periods at once: one tick, as a window timer gives
    ASSERT_TRUE(waitUntil([&] { return fired().size() == 4; }));
    settle();
    EXPECT_EQ(fired().size(), 4u);
}

TEST_F(MessageLoopTimers, KilledTimerStaysQuiet)
{
    loop.setTimer(3, 1000ms);
    EXPECT_TRUE(loop.killTimer(3));
    EXPECT_FALSE(loop.killTimer(3));
    clock.advance(5000ms);
    settle();
    EXPECT_TRUE(fired().empty());
}

TEST_F(MessageLoopTimers, DueTimersFireEarliestFirstAfterPostedMessages)
{
    loop.setTimer(5, 300000ms); // a detection time-out
    loop.setTimer(2, 1000ms);   // and a polling timer
    ASSERT_TRUE(loop.post(kWmApp + 5));
    clock.advance(300000ms);
    ASSERT_TRUE(waitUntil([&] { return fired().size() == 2; }));
    const auto messages = recorder.messages();
    EXPECT_EQ(messages.front().message, kWmApp + 5);
    EXPECT_EQ(fired(), (std::vector<std::uintptr_t>{2, 5}));
}

TEST(MessageLoop, TimerOnTheSteadyClockFires)
{
    MessageRecorder recorder;
    MessageLoop loop(recorder.handler());
    loop.setTimer(9, 10ms);
    ASSERT_TRUE(recorder.waitForCount(1, 5s));
    EXPECT_EQ(recorder.messages()[0].message, kWmTimer);
    EXPECT_EQ(recorder.messages()[0].wParam, 9u);
}

} // namespace
} // namespace Os
