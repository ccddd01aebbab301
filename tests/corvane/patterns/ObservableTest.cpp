#include "corvane/patterns/Observable.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Corvane {
namespace {

using Orvanta::testing::LogCapture;

CvEventPtr bareEvent(std::uint16_t signal) { return std::make_shared<CvEvent>(signal, Dictionary{}); }

// Appends "<name>:<signal>" to a shared journal for every event it receives.
class JournalObserver : public Observer {
public:
    JournalObserver(std::string name, std::vector<std::string>& journal) : name_(std::move(name)), journal_(journal) {}
    void update(const CvEventPtr& e) override
    {
        journal_.push_back(name_ + ":" + std::to_string(e->sig));
        markNotified();
    }

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

TEST(Observable, DuplicateSubscriptionLeavesOneEntryAndLogsOnce)
{
    LogCapture log("corvane.observable");
    std::vector<std::string> journal;
    JournalObserver first("first", journal);
    Observable hub;
    hub.subscribe(&first, sigArrival);
    hub.subscribe(&first, sigArrival);
    hub.notify(bareEvent(sigArrival));
    EXPECT_EQ(journal, std::vector<std::string>{"first:10"});
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), std::vector<std::string>{"Registered Observer"});
}

TEST(Observable, DeliversInSubscriptionOrderToSubscribersOfTheSignalOnly)
{
    std::vector<std::string> journal;
    JournalObserver first("first", journal);
    JournalObserver second("second", journal);
    JournalObserver other("other", journal);
    Observable hub;
    hub.subscribe(&second, sigGpsUpdate);
    hub.subscribe(&first, sigGpsUpdate);
    hub.subscribe(&other, sigDeparture);

    hub.notify(bareEvent(sigGpsUpdate));
    hub.notify(bareEvent(sigError)); // nobody listens: dropped
    EXPECT_EQ(journal, (std::vector<std::string>{"second:56", "first:56"}));
    EXPECT_TRUE(first.wasNotified());
    EXPECT_FALSE(first.wasNotified()); // the flag clears when read
    EXPECT_FALSE(other.wasNotified());
}

TEST(Observable, UnsubscribingRemovesFromOneOrFromEveryList)
{
    std::vector<std::string> journal;
    JournalObserver observer("o", journal);
    Observable hub;
    hub.subscribe(&observer, sigArrival);
    hub.subscribe(&observer, sigDeparture);
    EXPECT_TRUE(hub.isSubscribed(&observer, sigArrival));

    hub.unsubscribe(&observer, sigArrival);
    EXPECT_FALSE(hub.isSubscribed(&observer, sigArrival));
    EXPECT_TRUE(hub.isSubscribedAnywhere(&observer));

    hub.unsubscribeAll(&observer);
    EXPECT_FALSE(hub.isSubscribedAnywhere(&observer));
    hub.notify(bareEvent(sigDeparture));
    EXPECT_TRUE(journal.empty());
}

// An observer whose update holds the delivery until the test lets it go.
class SlowObserver : public Observer {
public:
    std::latch entered{1};
    std::latch mayLeave{1};
    std::atomic<bool> inUpdate{false};
    std::atomic<int> updates{0};

    void update(const CvEventPtr&) override
    {
        inUpdate = true;
        ++updates;
        entered.count_down();
        mayLeave.wait();
        inUpdate = false;
    }
};

TEST(ObservableThreads, UnsubscribeDuringDeliveryWaitsForItToEnd)
{
    SlowObserver slow;
    Observable hub;
    hub.subscribe(&slow, sigUpdate);

    std::jthread publisher([&] { hub.notify(bareEvent(sigUpdate)); });
    slow.entered.wait();

    std::atomic<bool> updateRunningAfterUnsubscribe{true};
    std::latch unsubscribing{1};
    std::jthread unsubscriber([&] {
        unsubscribing.count_down();
        hub.unsubscribe(&slow, sigUpdate);
        updateRunningAfterUnsubscribe = slow.inUpdate.load();
    });
    unsubscribing.wait(); // most often the unsubscriber now waits for the delivery
    slow.mayLeave.count_down();
    publisher.join();
    unsubscriber.join();

    EXPECT_FALSE(updateRunningAfterUnsubscribe);
    hub.notify(bareEvent(sigUpdate));
    EXPECT_EQ(slow.updates, 1);
}

} // namespace
} // namespace Corvane
