#include "corvane/threads/Worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Corvane {
namespace {

using namespace std::chrono_literals;
constexpr auto threadPatience = 10s; // how long a test waits for another thread before failing

// What the test and the worker share; it outlives the worker.
struct Probe {
    int heldItem = -1;            // this item waits in process() until the worker is stopping
    std::latch heldItemStarted{1};
    std::atomic<bool> heldItemFinished{false};
    std::atomic<int> processed{0};

    std::mutex mutex; // guards values and threads
    std::condition_variable changed;
    std::vector<int> values;
    std::vector<std::thread::id> threads;

    bool waitForCount(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, threadPatience, [&] { return values.size() >= count; });
    }
};

// Records what its worker processes, as an owner of a worker does: the worker last.
class RecordingWorker {
public:
    explicit RecordingWorker(Probe& probe, bool startThread = true, WorkerOptions options = {})
        : probe_(probe), worker_([this](const std::shared_ptr<int>& item) { process(item); }, startThread,
                                 std::move(options))
    {
    }

    void post(std::shared_ptr<int> item) { worker_.post(std::move(item)); }

private:
    void process(const std::shared_ptr<int>& item)
    {
        if (*item == probe_.heldItem) {
            probe_.heldItemStarted.count_down();
            const auto deadline = std::chrono::steady_clock::now() + threadPatience;
            while (!worker_.stopping() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            probe_.heldItemFinished = true;
        }
        ++probe_.processed;
        std::lock_guard lock(probe_.mutex);
        probe_.values.push_back(*item);
        probe_.threads.push_back(std::this_thread::get_id());
        probe_.changed.notify_all();
    }

    Probe& probe_;
    Worker<std::shared_ptr<int>> worker_;
};

TEST(Worker, BurstOfPostsIsProcessedInOrderByOneThread)
{
    Probe probe;
    RecordingWorker worker(probe);
    constexpr int burst = 5000;
    for (int i = 0; i < burst; ++i)
        worker.post(std::make_shared<int>(i));
    ASSERT_TRUE(probe.waitForCount(burst));

    std::lock_guard lock(probe.mutex);
    for (int i = 0; i < burst; ++i)
        ASSERT_EQ(probe.values[i], i);
    EXPECT_NE(probe.threads.front(), std::this_thread::get_id());
    for (const std::thread::id id : probe.threads)
        ASSERT_EQ(id, probe.threads.front());
}

TEST(Worker, PostsFromSeveralThreadsKeepEachPostersOrder)
{
    Probe probe;
    RecordingWorker worker(probe);
    constexpr int posters = 4;
    constexpr int perPoster = 500;
    {
        std::vector<std::jthread> threads;
        for (int p = 0; p < posters; ++p)
            threads.emplace_back([&worker, p] {
                for (int i = 0; i < perPoster; ++i)
                    worker.post(std::make_shared<int>(p * perPoster + i));
            });
    }
    ASSERT_TRUE(probe.waitForCount(posters * perPoster));

    std::lock_guard lock(probe.mutex);
    std::vector<int> last(posters, -1);
    for (int value : probe.values) {
        const int poster = value / perPoster;
        ASSERT_GT(value, last[poster]);
        last[poster] = value;
    }
}

TEST(Worker, DestructionWaitsForTheItemInProgressAndDropsTheRest)
{
    Probe probe;
    probe.heldItem = 0;
    std::vector<std::weak_ptr<int>> queued;
    {
        RecordingWorker worker(probe);
        worker.post(std::make_shared<int>(0));
        probe.heldItemStarted.wait();
        for (int i = 1; i <= 100; ++i) {
            auto item = std::make_shared<int>(i);
            queued.push_back(item);
            worker.post(std::move(item));
        }
    } // the held item gives up only once destruction has begun
    EXPECT_TRUE(probe.heldItemFinished);
    EXPECT_EQ(probe.processed, 1);
    for (const auto& item : queued)
        EXPECT_TRUE(item.expired());
}

TEST(Worker, WithoutAThreadItemsWaitAndAreDroppedAtDestruction)
{
    Probe probe;
    std::weak_ptr<int> posted;
    {
        RecordingWorker worker(probe, false);
        auto item = std::make_shared<int>(1);
        posted = item;
        worker.post(std::move(item));
        EXPECT_FALSE(posted.expired());
    }
    EXPECT_TRUE(posted.expired());
    EXPECT_EQ(probe.processed, 0);
}

TEST(Worker, SlowStartIsReportedAndConstructionGoesOn)
{
    Probe probe;
    std::latch threadMayStart{1};
    WorkerOptions options;
    options.startWait = 20ms;
    options.beforeStart = [&] { threadMayStart.wait(); };

    ::testing::internal::CaptureStderr();
    RecordingWorker worker(probe, true, options);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "timedout\n");

    threadMayStart.count_down();
    worker.post(std::make_shared<int>(42));
    ASSERT_TRUE(probe.waitForCount(1)); // the late thread still serves the queue
}

} // namespace
} // namespace Corvane
