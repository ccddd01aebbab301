#include "nodekin/DetectionLibrary.h"

#include "nodekin/CardInfoRecord.h"
#include "nodekin/CardTraits.h"
#include "nodekin/DeviceQueries.h"
#include "nodekin/XLog.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <any>
#include <cctype>
#include <cstring>
#include <strings.h>

namespace Nodekin {

namespace {

// Private messages of the notification "window".
constexpr std::uint32_t callClient = 0x8003;          // wParam: reason; attachment: the callback
constexpr std::uint32_t mbInterfaceArrived = 0x8004;
constexpr std::uint32_t mbInterfaceRemoved = 0x8005;
constexpr std::uint32_t suspendAfterRelease = 0x8007; // Suspended with reason 5
constexpr std::uint32_t initialCheck = 0x8010;

struct TimerInfo {
    std::chrono::milliseconds period;
    const char* started; // printf format with the period in ms, or fixed text
    const char* stopped;
    const char* expired; // logged when it fires; null: nothing
    LogLevel expiredLevel;
};

const TimerInfo& timerInfo(CardTimer timer)
{
    static const TimerInfo timers[] = {
        {},
        {std::chrono::milliseconds(300000), "Nk: Detection timeout timer started with %d msec timeout",
         "Nk: Detection timeout timer stopped", "Nk: Detection timed out, cancelling...", logNormal},
        {std::chrono::milliseconds(1000), "Nk: Polling timer started with 1 sec frequency", "Nk: Polling timer stopped",
         "Nk: polling timer event", logVerbose},
        {std::chrono::milliseconds(1000), "Nk: Wakeup polling timer started with 1 sec frequency",
         "Nk: Wakeup polling timer stopped", "Nk: Wakeup polling timer event", logVerbose},
        {std::chrono::milliseconds(10000), "Nk: Wakeup timeout timer started with %d msec timeout",
         "Nk: Wakeup timeout timer stopped", "Nk: Wakeup check timed out, cancelling...", logNormal},
        {std::chrono::milliseconds(35000), "Nk: Replug timeout timer started with %d msec timeout",
         "Nk: Replug timeout timer stopped", nullptr, logNormal},
    };
    return timers[static_cast<std::uintptr_t>(timer)];
}

bool isCardTimer(std::uintptr_t id)
{
    return id >= static_cast<std::uintptr_t>(CardTimer::detectionTimeout) &&
           id <= static_cast<std::uintptr_t>(CardTimer::replugTimeout);
}

// Detection event bits.
enum EventBit : std::uint32_t {
    eventUnknown = 0,
    eventComPort = 0x1,
    eventModem = 0x2,
    eventUsb = 0x4,
    eventSerialEnumerator = 0x8,
    eventNetwork = 0x10,
    eventDeviceNode = 0x20,
    eventPort = 0x40,
    eventSmartCardReader = 0x80,
    eventNodesChanged = 0x80000000,
};

struct InterfaceEvent {
    const char* guid;
    std::uint32_t bit;
};

constexpr InterfaceEvent interfaceEvents[] = {
    {"{86E0D1E0-8089-11D0-9CE4-08003E301F73}", eventComPort},
    {"{2C7089AA-2E0E-11D1-B114-00C04FC2AAE4}", eventModem},
    {"{A5DCBF10-6530-11D2-901F-00C04FB951ED}", eventUsb},
    {"{4D36E978-E325-11CE-BFC1-08002BE10318}", eventSerialEnumerator},
    {"{AD498944-762F-11D0-8DCB-00C04FC3358C}", eventNetwork},
    {"{50DD5230-BA8A-11D1-BF5D-0000F805F530}", eventSmartCardReader},
};

constexpr std::uint32_t devicetypeDeviceNode = 1;

std::uint32_t eventBitsOf(const Os::DeviceBroadcast& broadcast)
{
    if (broadcast.deviceType == Os::kDbtDevtypPort)
        return eventPort;
    if (broadcast.deviceType == devicetypeDeviceNode)
        return eventDeviceNode;
    if (broadcast.deviceType == Os::kDbtDevtypDeviceInterface)
        for (const InterfaceEvent& event : interfaceEvents)
            if (::strcasecmp(event.guid, broadcast.interfaceClass.c_str()) == 0)
                return event.bit;
    return eventUnknown;
}

const char* eventName(std::uint32_t bits)
{
    switch (bits) {
    case eventUnknown:
        return "DetEvUnknown";
    case eventComPort:
        return "DetEvComPortDevIfArrived";
    case eventModem:
        return "DetEvModemDevIfArrived";
    case eventUsb:
        return "DetEvUsbIfArrived";
    case eventSerialEnumerator:
        return "DetEvSerEnumBusEnumIfArrived";
    case eventNetwork:
        return "DetEvNetworkDevIfArrived";
    case eventDeviceNode:
        return "DetEvDeviceNodeArrived";
    case eventPort:
        return "DetEvPortArrived";
    case eventSmartCardReader:
        return "DetEvScReaderIfArrived";
    case eventNodesChanged:
        return "DetEvDeviceNodeChanged";
    default:
        return "Unknown!";
    }
}

const char* checkText(int reason)
{
    switch (reason) {
    case reasonStartup:
        return "at startup...";
    case reasonResumed:
        return "after wake-up...";
    case reasonSuspensionEnded:
        return "after suspension...";
    default:
        return "";
    }
}

} // namespace

const char* cardStateName(std::uint32_t state) noexcept
{
    static constexpr const char* names[] = {"Stopped", "Stopping", "Starting", "Started", "Suspended"};
    return state < std::size(names) ? names[state] : "Unknown";
}

int DetectionLibrary::start(DetectionEnvironment environment)
{
    if (environment.tree) {
        tree_ = std::move(environment.tree);
    } else {
        Os::Result<std::unique_ptr<Os::DeviceTree>> tree = Os::openDeviceTree();
        if (!tree)
            return tree.error();
        tree_ = std::move(tree).value();
    }
    mbSource_ = environment.mobileBroadband ? std::move(environment.mobileBroadband) : noMobileBroadbandService();
    database_.checkConsistency();
    detector_ = std::make_unique<CardDetector>(*tree_, database_, mobileBroadband_);
    publish();

    const SuspensionPlace place{environment.namedObjectFolder};
    Listener::Hooks hooks;
    hooks.post = [this](std::uint32_t message) { return loop_ && loop_->post(message); };
    hooks.exclusive = [this] { return exclusive_ && exclusive_->exclusive(); };
    listener_ = std::make_unique<Listener>(place, std::move(hooks), environment.settle);
    exclusive_ = std::make_unique<ExclusiveAccess>(place, *listener_, environment.settle);
    if (const int error = exclusive_->open(); error != 0)
        return error;

    Os::Clock& clock = environment.clock ? *environment.clock : Os::steadyClock();
    loop_ = std::make_unique<Os::MessageLoop>([this](const Os::Message& message) { onMessage(message); }, clock);
    watch_ = tree_->watch(*loop_);
    xlog(logNormal, "Nk: Notification window initialized");
    loop_->post(initialCheck);
    listener_->start();

    mobileBroadband_.refresh(*mbSource_);
    MbInterfaceSource::Events events;
    events.arrival = [this](const std::string& id) {
        xlog(logNormal, "Nk: MB OnInterfaceArrival event for device [%s]", id.c_str());
        loop_->post(mbInterfaceArrived);
    };
    events.removal = [this](const std::string& id) {
        xlog(logNormal, "Nk: MB OnInterfaceRemoval event for device [%s]", id.c_str());
        loop_->post(mbInterfaceRemoved);
    };
    events.readyStateChange = [this](const std::string& id, int readyState) {
        xlog(logNormal, "Nk: MB OnReadyStateChange event for device [%s] with state %d", id.c_str(), readyState);
        loop_->post(mbInterfaceArrived);
    };
    mbSource_->subscribe(std::move(events));
    xlog(logNormal, "Nk: Mobile Broadband detection successfully initialized %s third-party support", "without");
    return 0;
}

DetectionLibrary::~DetectionLibrary()
{
    if (mbSource_)
        mbSource_->unsubscribe();
    unregisterWindow();
    // The listener posts to the loop: it goes first.
    if (listener_)
        listener_->stop();
    watch_.reset();
    if (loop_) {
        // The handler reaches the loop through loop_ (timers): it must be done before
        // loop_ empties, which reset() does before it destroys the loop.
        loop_->stop();
        loop_.reset();
        xlog(logNormal, "Nk: Notification window released");
        xlog(logNormal, "Nk: Notifier thread stopping");
    }
    if (exclusive_)
        exclusive_->releaseMutex();
}

// --- the client ---------------------------------------------------------------------------------

void DetectionLibrary::registerCallback(ReasonCallback callback)
{
    {
        std::lock_guard lock(clientMutex_);
        callback_ = callback;
    }
    if (callback != nullptr) {
        xlog(logNormal, "Nk: Sending notification via callback, reason=%d", reasonRegistered);
        Os::Message message{callClient, reasonRegistered, 0, {}};
        message.attachment = callback;
        loop_->post(std::move(message));
    }
}

void DetectionLibrary::unregisterCallback()
{
    std::lock_guard lock(clientMutex_);
    callback_ = nullptr;
}

int DetectionLibrary::registerWindow(Os::MessageLoop* window, std::uint32_t message)
{
    {
        std::lock_guard lock(clientMutex_);
        window_ = window;
        windowMessage_ = message;
    }
    if (window == nullptr)
        return 0;
    xlog(logNormal, "Nk: Sending notification via window, reason=%d", reasonRegistered);
    return window->post(message, reasonRegistered, 0) ? 0 : Os::kErrorInvalidHandle;
}

void DetectionLibrary::unregisterWindow()
{
    std::lock_guard lock(clientMutex_);
    window_ = nullptr;
}

void DetectionLibrary::notify(int reason)
{
    ReasonCallback callback = nullptr;
    Os::MessageLoop* window = nullptr;
    std::uint32_t windowMessage = 0;
    {
        std::lock_guard lock(clientMutex_);
        callback = callback_;
        window = window_;
        windowMessage = windowMessage_;
    }
    if (callback != nullptr) {
        xlog(logNormal, "Nk: Sending notification via callback, reason=%d", reason);
        callback(reason); // always on the notifier thread
    }
    if (window != nullptr) {
        xlog(logNormal, "Nk: Sending notification via window, reason=%d", reason);
        window->post(windowMessage, static_cast<std::uintptr_t>(reason), 0);
    }
}

int DetectionLibrary::copyCardInfo(void* record) const
{
    std::lock_guard lock(publishedMutex_);
    return Nodekin::copyCardInfo(published_, publishedCardKnown_, record);
}

NkCardInfo DetectionLibrary::cardInfo() const
{
    std::lock_guard lock(publishedMutex_);
    return published_;
}

void DetectionLibrary::publish()
{
    std::lock_guard lock(publishedMutex_);
    published_ = state_.info;
    publishedCardKnown_ = state_.cardKnown();
    publishedRow_ = state_.row;
    publishedSmartCardNode_ = state_.smartCardNode;
}

bool DetectionLibrary::firstInsertionsFakeRemoval()
{
    NkCardInfo info{};
    int row = -1;
    Os::DevNode reader = Os::kNoDevNode;
    {
        std::lock_guard lock(publishedMutex_);
        info = published_;
        row = publishedRow_;
        reader = publishedSmartCardNode_;
    }
    if ((info.state != NkCardStarting && info.state != NkCardStarted) || row < 0)
        return false;
    {
        std::lock_guard lock(clientMutex_);
        if (fakeRemovalAsked_)
            return false; // answered once in the life of the process
        fakeRemovalAsked_ = true;
    }
    if (reader == Os::kNoDevNode) {
        const std::optional<FoundFunction> found = findFunction(
            *tree_, FunctionKind::smartCardReader, database_.row(static_cast<std::size_t>(row)).smartCardName,
            info.deviceNode, false);
        if (!found)
            return false;
        reader = found->node;
    }
    const Os::Result<Os::NodeStatus> status = tree_->status(reader);
    if (!status) {
        xlog(logWarning, "Nk: NkIsFirstInsertionsFakeRemoval(): CM_Get_DevNode_Status for devnode 0x%x failed with 0x%x",
             reader, status.error());
        return false;
    }
    xlog(logNormal, "Nk: DevNode 0x%x status is 0x%x, problem# is %d", reader, status.value().status,
         static_cast<int>(status.value().problem));
    const bool fake =
        (status.value().status & Os::kDnHasProblem) != 0 && status.value().problem == Os::kProblemNotConfigured;
    if (fake)
        xlog(logNormal, "Nk: Fake removal detected due to the first insertion of a device with a smart card reader");
    return fake;
}

void DetectionLibrary::acknowledgeSuspension() { exclusive_->acknowledgeSuspension(); }

int DetectionLibrary::requestExclusiveAccess(std::chrono::milliseconds timeout) { return exclusive_->request(timeout); }

int DetectionLibrary::releaseExclusiveAccess()
{
    if (exclusive_->release())
        loop_->post(suspendAfterRelease);
    return 0;
}

bool DetectionLibrary::cardClaimedElsewhere() { return exclusive_->claimedElsewhere(); }

// --- the notifier thread ----------------------------------------------------------------------------

void DetectionLibrary::onMessage(const Os::Message& message)
{
    // A suspended card hears only the checks; the client's calls are delivered all the same.
    if (CardStateMachine::hearsOnlyChecks(state_.state()) && message.message != checkAfterSuspension &&
        message.message != callClient && message.message != initialCheck)
        return;
    switch (message.message) {
    case initialCheck:
        dispatch({.signal = CardSignal::checkRequested, .reason = reasonStartup});
        initialCheckDone_ = true;
        break;
    case checkAfterSuspension:
        dispatch({.signal = CardSignal::checkRequested, .reason = reasonSuspensionEnded});
        break;
    case callClient:
        if (const auto* callback = std::any_cast<ReasonCallback>(&message.attachment); callback && *callback)
            (*callback)(static_cast<int>(message.wParam));
        break;
    case mbInterfaceArrived:
        if (!initialCheckDone_) {
            xlog(logNormal, "Nk: MB OnInterfaceArrival event is ignored since initial detection has not yet been done.");
            break;
        }
        mobileBroadband_.refresh(*mbSource_);
        dispatch({.signal = CardSignal::mbInterfaceArrived});
        break;
    case mbInterfaceRemoved:
        mobileBroadband_.refresh(*mbSource_);
        dispatch({.signal = CardSignal::mbInterfaceRemoved,
                  .mbInterfaceGone = isMobileBroadband(state_.info) && !mobileBroadband_.contains(state_.info.ndisPort)});
        break;
    case takeMutexNormally:
        exclusive_->takeMutexNormally();
        break;
    case suspendRequested:
        dispatch({.signal = CardSignal::suspensionRequested});
        break;
    case suspendAfterRelease:
        dispatch({.signal = CardSignal::exclusiveReleased});
        break;
    case Os::kWmTimer:
        onTimer(message.wParam);
        break;
    case Os::kWmPowerBroadcast:
        onPower(message.wParam);
        break;
    case Os::kWmDeviceChange:
        onDeviceChange(message);
        break;
    default:
        break;
    }
    publish();
}

void DetectionLibrary::dispatch(CardEvent event)
{
    event.replugPending = replugMarker_ != Os::kNoDevNode;
    for (const CardAction& action : machine_.dispatch(state_, event))
        perform(action);
}

void DetectionLibrary::perform(const CardAction& action)
{
    switch (action.step) {
    case CardStep::enterState:
        enterState(action.state);
        break;
    case CardStep::forgetCard:
        state_.reset();
        break;
    case CardStep::notify:
        notify(action.reason);
        break;
    case CardStep::startTimer:
        startTimer(action.timer);
        break;
    case CardStep::stopTimer:
        stopTimer(action.timer);
        break;
    case CardStep::log:
        xlog(logNormal, "%s", action.text);
        break;
    case CardStep::checkSystem:
        checkSystem(action.reason);
        break;
    case CardStep::detectArrivedCard:
        if (detector_->detectAnyCard(state_, replugMarker_))
            dispatch({.signal = CardSignal::cardArrived, .eventBits = action.eventBits});
        break;
    case CardStep::discoverPorts:
        if (detector_->discoverPorts(state_, action.scope))
            dispatch({.signal = CardSignal::portsComplete, .reason = action.reason});
        break;
    case CardStep::rememberReplug:
        replugMarker_ = state_.adapterNode != Os::kNoDevNode ? state_.adapterNode : state_.info.deviceNode;
        xlog(logNormal, "Nk: Current card will be replugged, storing its WWAN NIC device node 0x%x", replugMarker_);
        break;
    case CardStep::forgetReplug:
        replugMarker_ = Os::kNoDevNode;
        break;
    }
}

void DetectionLibrary::enterState(NkCardState state)
{
    state_.info.state = state;
    xlog(logNormal, "Nk: Card state changed to %s", cardStateName(state));
    if (state == NkCardStopped)
        state_.reset();
    publish();
}

void DetectionLibrary::checkSystem(int reason)
{
    xlog(logNormal, "Nk: Checking actual state of the system %s", checkText(reason));
    state_.reset();
    xlog(logVerbose, "Nk: Card state has been silently set to CardStateStopped");
    if (exclusive_->mustStaySuspended()) {
        dispatch({.signal = CardSignal::mustStaySuspended, .reason = reason});
        return;
    }
    if (detector_->detectAnyCard(state_, replugMarker_)) {
        dispatch({.signal = CardSignal::cardFound, .reason = reason});
        return;
    }
    // Mobile Broadband cards of other vendors need a row of type 0xFF00, which this
    // database does not have.
    xlog(logNormal, "Nk: No supported card detected");
    dispatch({.signal = CardSignal::noCardFound, .reason = reason});
}

void DetectionLibrary::startTimer(CardTimer timer)
{
    const TimerInfo& info = timerInfo(timer);
    loop_->setTimer(static_cast<std::uintptr_t>(timer), info.period);
    xlog(logNormal, info.started, static_cast<int>(info.period.count()));
}

void DetectionLibrary::stopTimer(CardTimer timer)
{
    if (loop_->killTimer(static_cast<std::uintptr_t>(timer)))
        xlog(logNormal, "%s", timerInfo(timer).stopped);
}

void DetectionLibrary::onTimer(std::uintptr_t id)
{
    if (!isCardTimer(id))
        return;
    const auto timer = static_cast<CardTimer>(id);
    if (const TimerInfo& info = timerInfo(timer); info.expired != nullptr)
        xlog(info.expiredLevel, "%s", info.expired);
    dispatch({.signal = CardSignal::timerExpired, .timer = timer});
}

void DetectionLibrary::onPower(std::uintptr_t event)
{
    xlog(logNormal, "Nk: WM_POWERBROADCAST, wParam=0x%x", static_cast<unsigned>(event));
    if (event == Os::kPbtApmSuspend)
        dispatch({.signal = CardSignal::standby});
    else if (event == Os::kPbtApmResumeSuspend)
        dispatch({.signal = CardSignal::resumed});
}

void DetectionLibrary::onDeviceChange(const Os::Message& message)
{
    xlog(logVerbose, "Nk: WM_DEVICECHANGE: wParam=0x%x", static_cast<unsigned>(message.wParam));
    const auto* broadcast = std::any_cast<Os::DeviceBroadcast>(&message.attachment);
    switch (message.wParam) {
    case Os::kDbtDevNodesChanged:
        xlog(logVerbose, "Nk: DetectionEvent is %s", eventName(eventNodesChanged));
        removalCheck();
        dispatch({.signal = CardSignal::devicesChanged, .eventBits = eventNodesChanged});
        break;
    case Os::kDbtDeviceArrival: {
        if (broadcast == nullptr)
            break;
        xlog(logNormal, "Nk: DBT_DEVICEARRIVAL with device type %d", static_cast<int>(broadcast->deviceType));
        xlog(logNormal, broadcast->deviceType == Os::kDbtDevtypPort ? "Nk: Port %s arrived" : "Nk: Device interface %s arrived",
             broadcast->name.c_str());
        const std::uint32_t bits = eventBitsOf(*broadcast);
        xlog(logNormal, "Nk: DetectionEvent is %s", eventName(bits));
        removalCheck();
        dispatch({.signal = CardSignal::deviceArrived, .eventBits = bits});
        break;
    }
    case Os::kDbtDeviceRemoveComplete:
        if (broadcast == nullptr)
            break;
        xlog(logNormal, "Nk: DBT_DEVICEREMOVECOMPLETE with device type %d (size=%d)",
             static_cast<int>(broadcast->deviceType), static_cast<int>(broadcast->name.size()));
        removalCheck();
        xlog(logNormal, broadcast->deviceType == Os::kDbtDevtypPort ? "Nk: Port %s removed" : "Nk: Device interface %s removed",
             broadcast->name.c_str());
        dispatch({.signal = CardSignal::deviceRemoved,
                  .mainInterfaceRemoved = broadcast->deviceType == Os::kDbtDevtypDeviceInterface &&
                                          !state_.symbolicName.empty() &&
                                          ::strcasecmp(broadcast->name.c_str(), state_.symbolicName.c_str()) == 0});
        break;
    default:
        break;
    }
}

void DetectionLibrary::removalCheck()
{
    if (state_.cardKnown() && !state_.subdevicesPresent)
        state_.subdevicesPresent = detector_->subdevicesPresent(state_);
    if (state_.cardKnown() && !detector_->cardStillActive(state_)) {
        dispatch({.signal = CardSignal::cardLost});
    } else {
        for (const Os::DevNode node : detector_->functionNodes(state_))
            isDeviceNodeActive(*tree_, node);
    }
    if (replugMarker_ != Os::kNoDevNode && !tree_->status(replugMarker_).ok()) {
        xlog(logNormal, "Nk: Current repluggable card has been removed");
        replugMarker_ = Os::kNoDevNode;
        dispatch({.signal = CardSignal::replugCardRemoved});
    }
}

} // namespace Nodekin
