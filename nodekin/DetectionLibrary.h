#pragma once
// The running core of card detection: the notifier thread (a message loop standing for
// the hidden notification window) that receives device, power and Mobile Broadband
// events and timer ticks, hands them to the card's state machine and carries out what it
// decides; the listener thread of the suspension protocol; and the notification of the
// registered client.

#include "nodekin/CardDatabase.h"
#include "nodekin/CardDetector.h"
#include "nodekin/CardStateMachine.h"
#include "nodekin/DetectionState.h"
#include "nodekin/ExclusiveAccess.h"
#include "nodekin/Listener.h"
#include "nodekin/MobileBroadband.h"
#include "platform/Clock.h"
#include "platform/DeviceTree.h"
#include "platform/MessageLoop.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

namespace Nodekin {

using ReasonCallback = void (*)(int reason);

// What the library runs on. Production takes the defaults; tests bring their own tree,
// clock, service and folder.
struct DetectionEnvironment {
    std::unique_ptr<Os::DeviceTree> tree;                  // null: the tree the environment asks for
    Os::Clock* clock = nullptr;                            // null: the steady clock
    std::unique_ptr<MbInterfaceSource> mobileBroadband;    // null: no Mobile Broadband service
    std::filesystem::path namedObjectFolder;               // empty: the user's runtime folder
    std::chrono::milliseconds settle{200};                 // the pauses of the suspension protocol
};

class DetectionLibrary {
public:
    // Starts both threads and checks the system (reason 0). 0 or a system error number.
    int start(DetectionEnvironment environment);
    // Stops both threads. Must not run on the notifier thread.
    ~DetectionLibrary();

    void registerCallback(ReasonCallback callback);
    void unregisterCallback();
    // The "window": a message loop and the message it is told with (wParam = reason).
    int registerWindow(Os::MessageLoop* window, std::uint32_t message);
    void unregisterWindow();

    int copyCardInfo(void* record) const;
    bool firstInsertionsFakeRemoval();
    void acknowledgeSuspension();
    int requestExclusiveAccess(std::chrono::milliseconds timeout);
    int releaseExclusiveAccess();
    bool cardClaimedElsewhere();

    // A copy of the current record (for the library's own port operations).
    NkCardInfo cardInfo() const;
    bool onNotifierThread() const { return loop_ && loop_->isLoopThread(); }

private:
    // Everything below runs on the notifier thread.
    void onMessage(const Os::Message& message);
    void onTimer(std::uintptr_t id);
    void onPower(std::uintptr_t event);
    void onDeviceChange(const Os::Message& message);
    // Hands the event to the card's state machine and carries out its steps in order.
    void dispatch(CardEvent event);
    void perform(const CardAction& action);
    void enterState(NkCardState state);
    void checkSystem(int reason);
    void notify(int reason);
    void removalCheck();
    void startTimer(CardTimer timer);
    void stopTimer(CardTimer timer);
    void publish(); // copies the record for readers on other threads

    std::unique_ptr<Os::DeviceTree> tree_;
    CardDatabase database_;
    std::unique_ptr<MbInterfaceSource> mbSource_;
    MobileBroadbandList mobileBroadband_;
    std::unique_ptr<CardDetector> detector_;
    std::unique_ptr<Listener> listener_;
    std::unique_ptr<ExclusiveAccess> exclusive_;

    // Notifier thread only.
    DetectionState state_;
    CardStateMachine machine_;
    Os::DevNode replugMarker_ = Os::kNoDevNode;
    bool initialCheckDone_ = false;

    // Guards the published copy of the record, which client threads read while the
    // notifier thread works on state_.
    mutable std::mutex publishedMutex_;
    NkCardInfo published_{};
    bool publishedCardKnown_ = false;
    int publishedRow_ = -1;
    Os::DevNode publishedSmartCardNode_ = Os::kNoDevNode;

    mutable std::mutex clientMutex_; // guards the registrations and fakeRemovalAsked_
    ReasonCallback callback_ = nullptr;
    Os::MessageLoop* window_ = nullptr;
    std::uint32_t windowMessage_ = 0;
    bool fakeRemovalAsked_ = false;

    // Last: its thread starts once everything above exists, and it stops first.
    std::unique_ptr<Os::MessageLoop> loop_;
    std::unique_ptr<Os::DeviceWatch> watch_;
};

} // namespace Nodekin
