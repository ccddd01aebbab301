#include "corvane/fsm/ActiveObject.h"

#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Publish.h"
#include "corvane/fsm/TracedHsm.h"
#include "tests/corvane/fsm/ReferenceHsm.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <barrier>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace Corvane {
namespace {

using namespace std::chrono_literals;
using Orvanta::testing::LogCapture;
constexpr auto patience = 10s;

// A radio switch: off and on, remembering on which thread and with what it last acted.
class SwitchHsm : public TracedHsm {
public:
    SwitchHsm() : TracedHsm(handler(&SwitchHsm::initial), "SwitchHsm", "corvane.test.switch", states()) {}

    static std::array<Signal, 2> subscriptions() { return {sigRadioOn, sigRadioOff}; }

    struct Seen {
        std::string what;
        std::thread::id thread;
        std::int64_t level;
    };

    std::vector<Seen> seen() const
    {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    bool waitForSeen(std::size_t count) const
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, patience, [&] { return seen_.size() >= count; });
    }

    QState initial(const QEvent*)
    {
        initTran(handler(&SwitchHsm::off));
        return handled();
    }
    QState off(const QEvent* e)
    {
        switch (e->sig) {
        case Q_ENTRY_SIG:
            return see("off", 0);
        case sigRadioOn:
            see("switch on", parametersOf(e).integer("level"));
            Q_TRAN(&SwitchHsm::on);
            return handled();
        }
        return super(&QHsm::top);
    }
    QState on(const QEvent* e)
    {
        switch (e->sig) {
        case Q_ENTRY_SIG:
            return see("on", 0);
        case sigRadioOff:
            see("switch off", 0);
            Q_TRAN(&SwitchHsm::off);
            return handled();
        }
        return super(&QHsm::top);
    }

private:
    static std::span<const StateName> states()
    {
        static const StateName names[] = {{handler(&SwitchHsm::off), "off"}, {handler(&SwitchHsm::on), "on"}};
        return names;
    }
    QState see(const char* what, std::int64_t level)
    {
        std::lock_guard lock(mutex_);
        seen_.push_back({what, std::this_thread::get_id(), level});
        changed_.notify_all();
        return handled();
    }

    mutable std::mutex mutex_; // guards seen_: written by the machine's thread, read by the test's
    mutable std::condition_variable changed_;
    std::vector<Seen> seen_;
};

CvEventPtr event(Signal signal, Dictionary values = {}) { return std::make_shared<CvEvent>(signal, std::move(values)); }

TEST(ActiveObject, InitRunsOnTheOwnersThreadAndEventsOnTheObjectsThread)
{
    LogCapture dispatchLines("corvane.test.switch");
    Observable hub;
    ActiveObject<SwitchHsm> active(hub);
    active.subscribe();
    active.start();

    hub.notify(event(sigRadioOn, buildDictionary("I", "level", std::int64_t{3})));
    hub.notify(event(sigRadioOff));
    ASSERT_TRUE(active.machine().waitForSeen(5));

    const auto seen = active.machine().seen();
    EXPECT_EQ(seen[0].what, "off");
    EXPECT_EQ(seen[0].thread, std::this_thread::get_id());
    EXPECT_EQ(seen[1].what, "switch on");
    EXPECT_EQ(seen[1].level, 3);
    EXPECT_NE(seen[1].thread, std::this_thread::get_id());
    EXPECT_EQ(seen[2].what, "on");
    EXPECT_EQ(seen[3].what, "switch off");
    EXPECT_EQ(seen[4].what, "off");
    for (std::size_t i = 2; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].thread, seen[1].thread);

    const auto lines = dispatchLines.messages(log4cplus::DEBUG_LOG_LEVEL);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Dispatch event 'sigRadioOn' in state 'SwitchHsm::off'"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Dispatch event 'sigRadioOff' in state 'SwitchHsm::on'"), lines.end());
}

TEST(ActiveObject, DestructionUnsubscribesFromEverySignal)
{
    Observable hub;
    auto active = std::make_unique<ActiveObject<SwitchHsm>>(hub);
    active->subscribe();
    active->start();
    const Observer* observer = active.get();
    EXPECT_TRUE(hub.isSubscribed(observer, sigRadioOn));
    EXPECT_TRUE(hub.isSubscribed(observer, sigRadioOff));
    active.reset();
    EXPECT_FALSE(hub.isSubscribedAnywhere(observer));
    hub.notify(event(sigRadioOn)); // reaches nobody
}

TEST(Publish, ReachesActiveObjectsThroughTheControllersHub)
{
    publish(sigRadioOn); // no library yet: dropped without harm
    CorvaneController& controller = CorvaneController::instance();
    {
        ActiveObject<SwitchHsm> active(controller.hub());
        active.subscribe();
        active.start();
        publish(sigRadioOn, buildDictionary("I", "level", std::int64_t{7}));
        ASSERT_TRUE(active.machine().waitForSeen(3));
        EXPECT_EQ(active.machine().seen()[1].level, 7);
    }
    CorvaneController::destroyInstance();
    EXPECT_EQ(CorvaneController::existing(), nullptr);
}

// Two machines of one class take the same transition sites at the same moment on two
// threads: the first of them to finish a path records it, the other must neither race
// with that nor see a half-written record.
TEST(QHsmThreads, MachinesOfOneClassShareTransitionRecordsSafely)
{
    using testing::ReferenceHsm;
    const std::vector<std::pair<std::uint16_t, std::vector<std::string>>> round = {
        {testing::SIBLING, {"a11:exit", "a12:entry"}},
        {testing::COUSIN, {"a12:exit", "a1:exit", "a2:entry", "a21:entry", "a212:entry"}},
        {testing::AUNT, {"a212:exit", "a21:exit", "a2:exit", "a1:entry", "a1:init", "a11:entry"}},
    };
    constexpr int rounds = 200;
    std::barrier step(2);
    const auto drive = [&] {
        ReferenceHsm machine;
        machine.init();
        machine.actions.clear();
        for (int r = 0; r < rounds; ++r) {
            for (const auto& [signal, expected] : round) {
                step.arrive_and_wait();
                const QEvent e{signal};
                machine.dispatch(&e);
                EXPECT_EQ(machine.actions, expected);
                machine.actions.clear();
            }
        }
    };
    std::jthread first(drive);
    std::jthread second(drive);
}

} // namespace
} // namespace Corvane
