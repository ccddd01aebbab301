// The listener thread on its own, with the other program played by this test.

#include "nodekin/Listener.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace Nodekin {
namespace {

using namespace std::chrono_literals;

class PostedMessages {
public:
    bool post(std::uint32_t message)
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
        changed_.notify_all();
        return true;
    }
    bool waitFor(std::uint32_t message, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            return std::find(messages_.begin(), messages_.end(), message) != messages_.end();
        });
    }

private:
    std::mutex mutex_; // guards messages_
    std::condition_variable changed_;
    std::vector<std::uint32_t> messages_;
};

TEST(Listener, RequestWithdrawnBeforeTheWaitStartsStillEndsTheSuspension)
{
    Orvanta::testing::TestFolder folder;
    const SuspensionPlace place{folder.path()};
    // The other program has already reset its request and holds the mutex again in
    // normal mode: the event never looks signalled to the waiting listener.
    Os::NamedMutex otherProgramsMutex;
    ASSERT_EQ(place.open(otherProgramsMutex), 0);
    ASSERT_EQ(otherProgramsMutex.lock(0ms).status, Os::WaitStatus::signalled);

    PostedMessages posted;
    Listener listener(place, {[&](std::uint32_t message) { return posted.post(message); }, [] { return false; }},
                      20ms);
    listener.start();
    listener.setDuty(ListenerDuty::waitForMutex);
    EXPECT_TRUE(posted.waitFor(checkAfterSuspension, 5s));
    listener.stop();
}

} // namespace
} // namespace Nodekin
