// Threads the library does not own publish while the library goes: the controller waits
// for a delivery under way and later ones find no controller.

#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Publish.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace Corvane {
namespace {

TEST(PublishWhileDestroyed, PublishersOnOtherThreadsNeverMeetAGoingController)
{
    for (int round = 0; round < 20; ++round) {
        CorvaneController::instance();
        std::atomic<bool> stop{false};
        std::mutex mutex; // guards published
        std::condition_variable progressed;
        int published = 0;
        std::thread publisher([&] {
            while (!stop.load()) {
                publish(sigUpdate);
                std::lock_guard lock(mutex);
                ++published;
                progressed.notify_all();
            }
        });
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(progressed.wait_for(lock, std::chrono::seconds(10), [&] { return published >= 3; }));
        }
        CorvaneController::destroyInstance();
        EXPECT_EQ(CorvaneController::existing(), nullptr);
        stop.store(true);
        publisher.join();
    }
}

} // namespace
} // namespace Corvane
