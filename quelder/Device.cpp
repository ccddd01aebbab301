#include "quelder/Device.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Names.h"
#include "quelder/sms/HeapRecord.h"
#include "quelder/Quelder.h"
#include "quelder/unsolicited/UnsolicitedHandlers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace GSM {
namespace {

using Nodekin::isGobi;
using Nodekin::isMobileBroadband;
using Nodekin::isZeroFootprint;

// A Started card the backend can talk to.
bool OffersChannel(const NkCardInfo& card) noexcept
{
    return Nodekin::offersApplicationPort(card) || isGobi(card) || isZeroFootprint(card) ||
           Nodekin::isGenericMobileBroadband(card);
}

} // namespace

Device::Device(DeviceHost& host, ModemTiming timing)
    : Modem(timing), host_(host), serial_(*this, timing), gobi_(*this), zeroFp_(*this), platform_(&serial_),
      connection_(&broadcomConnection_), smsStorage_([this](const SMS::Tpdu& message) {
          // A message the client is not told of stays in the copy all the same.
          if (SMS::Tpdu* record = HeapRecord(message))
              RaiseEvent(QdEventStoredSms, record);
      })
{
    for (auto& enabled : eventEnabled_)
        enabled = true;
}

// ---------------------------------------------------------------------------------------
// Cached values and events

bool Device::EventEnabled(int event) const noexcept
{
    return event >= 0 && event < static_cast<int>(eventEnabled_.size()) &&
           eventEnabled_[static_cast<std::size_t>(event)].load();
}

void Device::RaiseEvent(int event, void* data)
{
    if (EventEnabled(event) && host_.Queue().PostClientEvent(event, data) == kQdSuccess)
        return;
    // Not for the client, or the client cannot be told: the buffer has no other owner.
    if (EventCarriesBuffer(event))
        std::free(data);
}

void Device::EnableEvent(int event, bool enabled)
{
    if (event >= 0 && event < static_cast<int>(eventEnabled_.size()))
        eventEnabled_[static_cast<std::size_t>(event)] = enabled;
}

void Device::LogChange(const ValueInfo& info, int value) const
{
    switch (info.log) {
    case ChangeLog::byOwner:
        return;
    case ChangeLog::changed:
        xlog(logNormal, "Qd: %s changed to %s", info.name, info.print(value));
        return;
    case ChangeLog::hasChanged:
        break;
    }
    if (info.print != nullptr)
        xlog(logVerbose, "Qd: %s has changed to %s", info.name, info.print(value));
    else
        xlog(logVerbose, "Qd: %s has changed to %d", info.name, value);
}

void Device::Set(Value value, int newValue, bool silent)
{
    const ValueInfo& info = InfoOf(value);
    if (values_.Exchange(value, newValue) == newValue)
        return;
    LogChange(info, newValue);
    if (!silent && info.event != kNoEvent)
        RaiseEvent(info.event);
}

void Device::Set(Value first, int firstValue, Value second, int secondValue, bool silent)
{
    const bool firstChanged = values_.Exchange(first, firstValue) != firstValue;
    const bool secondChanged = values_.Exchange(second, secondValue) != secondValue;
    if (firstChanged)
        LogChange(InfoOf(first), firstValue);
    if (secondChanged)
        LogChange(InfoOf(second), secondValue);
    const int event = InfoOf(first).event;
    if (!silent && (firstChanged || secondChanged) && event != kNoEvent)
        RaiseEvent(event);
}

bool Device::SetIf(Value value, bool (*when)(int current), int newValue)
{
    int current = values_.Get(value);
    do {
        if (!when(current))
            return false;
        if (current == newValue)
            return true;
    } while (!values_.CompareExchange(value, current, newValue));
    const ValueInfo& info = InfoOf(value);
    LogChange(info, newValue);
    if (info.event != kNoEvent)
        RaiseEvent(info.event);
    return true;
}

void Device::SetCellLocation(int lac, int cellId)
{
    const bool lacChanged = values_.Exchange(Value::lac, lac) != lac;
    const bool cellChanged = values_.Exchange(Value::cellId, cellId) != cellId;
    if (!lacChanged && !cellChanged)
        return;
    xlog(logNormal, "Qd: New cell location information: LAC=0x%x CellID=0x%x", static_cast<unsigned>(lac),
         static_cast<unsigned>(cellId));
    RaiseEvent(InfoOf(Value::lac).event);
}

void Device::SetDeviceState(DeviceState state, bool silent)
{
    const int value = static_cast<int>(state);
    if (deviceState_.exchange(value) == value)
        return;
    xlog(logNormal, "Qd: Device state has changed to %s", DeviceStateName(value));
    if (!silent)
        RaiseEvent(0);
}

int Device::ConnectionState() const
{
    std::lock_guard lock(connectionMutex_);
    return connectionState_;
}

void Device::SetConnectionState(int state, bool silent)
{
    {
        std::lock_guard lock(connectionMutex_);
        if (connectionState_ == state)
            return;
        connectionState_ = state;
    }
    xlog(logNormal, "Qd: Connection state has changed to %s", ConnectionStateName(state));
    if (!silent)
        RaiseEvent(1);
}

std::string Device::IdleText() const
{
    std::lock_guard lock(textMutex_);
    return idleText_;
}

void Device::SetIdleText(const std::string& text, bool silent)
{
    {
        std::lock_guard lock(textMutex_);
        if (idleText_ == text)
            return;
        idleText_ = text;
    }
    xlog(logVerbose, "Qd: Idle text has changed to [%s]", text.c_str());
    if (!silent)
        RaiseEvent(20);
}

std::optional<FirmwareVersion> Device::Firmware() const
{
    std::lock_guard lock(textMutex_);
    return firmware_;
}

void Device::SetFirmware(std::optional<FirmwareVersion> version)
{
    std::lock_guard lock(textMutex_);
    firmware_ = version;
}

std::string Device::CallerNumber() const
{
    std::lock_guard lock(textMutex_);
    return callerNumber_;
}

void Device::SetCallerNumber(const std::string& number)
{
    std::lock_guard lock(textMutex_);
    callerNumber_ = number;
}

CardFeatures Device::Features() const
{
    std::lock_guard lock(textMutex_);
    return features_;
}

void Device::SetFeatures(const CardFeatures& features)
{
    std::lock_guard lock(textMutex_);
    features_ = features;
}

void Device::SetPacketDataEvents(PacketDataEvents* events) noexcept
{
    packetData_ = events != nullptr ? events : &loggedPacketData_;
}

void Device::ResetValues(bool bulk, DeviceState state)
{
    SetIdleText({}, bulk);
    SetCallerNumber({});
    // What the start-up learnt of the card and its SIM belongs to that card alone.
    SetFeatures({});
    registration_.SetHomeNumbers({});
    SetFirmware(std::nullopt);
    smsStorage_.Clear();
    for (std::size_t i = 0; i < kValueCount; ++i) {
        const Value value = static_cast<Value>(i);
        Set(value, InfoOf(value).zero, bulk);
    }
    SetConnectionState(0, bulk);
    SetDeviceState(state, bulk);
    if (!bulk)
        return;
    for (const int event : kBulkResetEvents)
        RaiseEvent(event);
}

// ---------------------------------------------------------------------------------------
// Access checks

NkCardInfo Device::Card() const
{
    std::lock_guard lock(cardMutex_);
    return card_;
}

bool Device::ChannelBusy() const
{
    // A card with a separate AT channel keeps it during a data connection.
    return !Nodekin::hasOwnApplicationPort(Card()) && ConnectionState() != 0;
}

int Device::CheckAccess(bool cardDependent, bool foundIsEnough) const
{
    if (!host_.LibraryInitialized())
        return kQdNotInitialized;
    if (!cardDependent)
        return kQdSuccess;
    const DeviceState state = State();
    if (state < DeviceState::found || exiting_)
        return kQdNoDevice;
    if (!foundIsEnough && state < DeviceState::initialized)
        return kQdNotReady;
    if (ChannelBusy())
        return kQdChannelBusy;
    return kQdSuccess;
}

bool Device::Pause(std::chrono::milliseconds time)
{
    std::unique_lock lock(pauseMutex_);
    return !pauseWake_.wait_for(lock, time, [this] { return exiting_.load() || !present_.load() || !IsOpen(); });
}

void Device::WakePauses()
{
    std::lock_guard lock(pauseMutex_);
    pauseWake_.notify_all();
}

// ---------------------------------------------------------------------------------------
// Card detection

void Device::UpdateCardState(int type)
{
    const std::uint32_t previous = cardState_.load();
    if (!host_.LibraryInitialized())
        return;

    NkCardInfo card{};
    card.size = sizeof card;
    const int rc = host_.FetchCardInfo(card);
    if (rc != 0) {
        card.state = NkCardStopped;
        card.typeCode = 0;
        if (rc != NkErrorNoCard)
            xlog(logError, "Qd: Device::UpdateCardState(): NkGetCardInfo failed with 0x%x", static_cast<unsigned>(rc));
    }
    {
        std::lock_guard lock(cardMutex_);
        card_ = card;
    }
    cardState_ = card.state;

    bool found = false;
    bool suspended = false;
    switch (card.state) {
    case NkCardStarting:
        SetDeviceState(DeviceState::searching);
        break;
    case NkCardStarted:
        found = OffersChannel(card);
        if (!found)
            xlog(logWarning, "Qd: There is a device detected but it does not have an application port, ignoring it...");
        break;
    case NkCardSuspended:
        suspended = true;
        break;
    default:
        break;
    }

    if (type != NkReasonResumed) {
        const bool present = card.state != NkCardStopped || (previous != NkCardStopped && type == NkReasonStandby);
        if (present_.exchange(present) != present)
            xlog(logNormal, "Qd: Device is presumably %s", present ? "present" : "not present");
    }

    if (found) {
        // Found is set by Init once the way to the card is open, so that a client told
        // Found can talk to the card at once.
        if (State() < DeviceState::found && !initialising_ && host_.Queue().Post(WM_QD_DEVICE_INIT) != kQdSuccess)
            xlog(logError, "Qd: Device::UpdateCardState(): Could not queue the initialization of the card");
    } else if (card.state != NkCardStarting) {
        if (State() == DeviceState::searching)
            SetDeviceState(DeviceState::notFound);
        // A device made Searching by a quick re-plug may still hold the ports of the card
        // that went: those are released, not just forgotten.
        const bool holding = HoldsChannel() || initialising_;
        if ((type == NkReasonRegistered || type == NkReasonResumed) && State() < DeviceState::found && !holding)
            ResetValues(true, DeviceState::notFound);
        else
            RequestSafeExit(type == NkReasonStandby ? 1 : 0);
    }

    if (suspended)
        host_.AcknowledgeSuspension();
}

// ---------------------------------------------------------------------------------------
// Init and exit

Platform& Device::ChoosePlatform(const NkCardInfo& card)
{
    const bool started = card.state == NkCardStarted;
    if (started && isMobileBroadband(card))
        return mb_;
    if (started && isGobi(card))
        return gobi_;
    if (started && isZeroFootprint(card))
        return zeroFp_;
    return serial_;
}

Connection& Device::ChooseConnection(const NkCardInfo& card)
{
    if (card.state == NkCardStarted && isMobileBroadband(card))
        return mbConnection_;
    if (Nodekin::isNdisKind(card))
        return ndisConnection_;
    if (isGobi(card))
        return gobiConnection_;
    if (isZeroFootprint(card))
        return zeroFpConnection_;
    if (Nodekin::hasWwanNdisPort(card))
        return rasConnection_;
    return broadcomConnection_;
}

bool Device::BeginInit()
{
    std::lock_guard lock(lifecycleMutex_);
    if (closing_) {
        xlog(logNormal, "Qd: Device::Init(): The library is shutting down, ignoring init request..");
        return false;
    }
    if (State() >= DeviceState::found) {
        xlog(logNormal, "Qd: Device::Init(): Card has already been initialized, ignoring init request..");
        return false;
    }
    if (initialising_) {
        xlog(logNormal, "Qd: Device::Init(): Card is currently initializing, ignoring init request..");
        return false;
    }
    initialising_ = true;
    return true;
}

std::optional<int> Device::EndInit(bool channelUp)
{
    std::lock_guard lock(lifecycleMutex_);
    channelUp_ = channelUp;
    initialising_ = false;
    return std::exchange(pendingExit_, std::nullopt);
}

int Device::Init(int kind)
{
    if (!BeginInit())
        return 1;
    xlog(logNormal, "Qd: Device::Init request arrived");
    const NkCardInfo card = Card();
    Platform& platform = ChoosePlatform(card);
    int rc = kQdSuccess;
    {
        std::lock_guard lock(host_.LibraryLock());
        platform_ = &platform;
        rc = platform.Init();
        if (rc != kQdSuccess) {
            xlog(logError, "Qd: Device::Init(): Communication channel could not be initialized (0x%x)",
                 static_cast<unsigned>(rc));
        } else {
            Connection& connection = ChooseConnection(card);
            connection_ = &connection;
            rc = connection.Init();
            if (rc != kQdSuccess) {
                xlog(logError, "Qd: Device::Init(): Could not initialize data device (0x%x)",
                     static_cast<unsigned>(rc));
                platform.Exit();
            }
        }
    }

    if (rc == kQdSuccess) {
        const bool mobileBroadband = &platform == &mb_;
        xlog(logNormal, "Qd: ********** CARD DETECTED: %s%s **********", CardTypeName(card.typeCode).c_str(),
             mobileBroadband ? " (in Mobile Broadband mode)" : "");
        ResetValues(kind != 0, DeviceState::found);
    }
    // An exit asked for while the way to the card was being opened runs now: the card
    // went, or the library is going, and nothing may stay open behind a Found device.
    const std::optional<int> exitKind = EndInit(rc == kQdSuccess);
    if (rc == kQdSuccess && exitKind) {
        xlog(logNormal, "Qd: Device::Init(): Running the exit request that arrived during initialization");
        Exit(*exitKind);
        return 1;
    }
    if (rc == kQdSuccess) {
        // The card may have gone while its port was being opened, when a removal was
        // still ignored for a card not yet found: let it go now.
        if (!present_ || (&platform == &serial_ && !IsOpen()))
            RequestSafeExit(0);
        return 1;
    }
    // A card that cannot be reached is not found, and its client is told why: left
    // Searching, it would wait for a card that is there but closed to it.
    if (kind != 0)
        ResetValues(true, DeviceState::notFound);
    else
        SetDeviceState(DeviceState::notFound);
    if (host_.Queue().PostClientError(QdErrorKindDevice, rc, 0) != kQdSuccess)
        xlog(logVerbose, "Qd: Device::Init(): The client could not be told of the failure");
    return rc;
}

void Device::BeginShutdown()
{
    std::lock_guard lock(lifecycleMutex_);
    closing_ = true;
}

void Device::EndShutdown()
{
    std::lock_guard lock(lifecycleMutex_);
    closing_ = false;
}

bool Device::HoldsChannel() const
{
    std::lock_guard lock(lifecycleMutex_);
    return channelUp_;
}

int Device::Exit(int kind)
{
    {
        std::lock_guard lock(lifecycleMutex_);
        if (initialising_) {
            // Released by the initialisation once it is done; dropping the request would
            // leave the ports it is opening open behind a card that went.
            pendingExit_ = std::max(pendingExit_.value_or(0), kind);
            xlog(logNormal, "Qd: Device::Exit(): Card is currently initializing, the exit will follow when it is done..");
            return 1;
        }
        if (!channelUp_) {
            xlog(logNormal, "Qd: Device::Exit(): Card is not initialized, ignoring exit request..");
            exitScheduled_ = false;
            return 1;
        }
        if (exiting_) {
            xlog(logNormal, "Qd: Device::Exit(): Card is currently uninitializing, ignoring exit request..");
            return 1;
        }
        exiting_ = true;
    }
    // What the state says does not matter: a quick re-plug may have made it Searching
    // while the ports of the card that went are still open.
    xlog(logNormal, "Qd: Device::Exit request arrived");
    // A command waiting for a card that has gone fails at once, and the lock comes free.
    WakePauses();
    Close();
    {
        std::lock_guard lock(host_.LibraryLock());
        try {
            int rc = CurrentConnection().Exit(kind);
            if (rc != kQdSuccess)
                xlog(logError, "Qd: Device::Exit(): Exiting data device failed with 0x%x", static_cast<unsigned>(rc));
            ResetValues(false, DeviceState::notFound);
            rc = CurrentPlatform().Exit();
            if (rc != kQdSuccess)
                xlog(logError, "Qd: Device::Exit(): Exiting communication channel failed with 0x%x",
                     static_cast<unsigned>(rc));
        } catch (...) {
            xlog(logError, "Qd: Failure occured during exiting the device!");
        }
    }
    {
        std::lock_guard lock(lifecycleMutex_);
        channelUp_ = false;
        exitScheduled_ = false;
        exiting_ = false;
    }
    xlog(logNormal, "Qd: Device has been successfully released");
    return 1;
}

void Device::RequestSafeExit(int kind)
{
    if (!HoldsChannel() && !initialising_) {
        xlog(logVerbose, "Qd: Device::RequestSafeExit(): Card is not initialized, ignoring safe exit request..");
        return;
    }
    if (exiting_) {
        xlog(logVerbose, "Qd: Device::RequestSafeExit(): Card is currently uninitializing, ignoring safe exit request..");
        return;
    }
    // Claimed before posting: the notifier and a receiver may both ask at once.
    if (exitScheduled_.exchange(true)) {
        xlog(logVerbose,
             "Qd: Device::RequestSafeExit(): Card is scheduled to uninitialize, ignoring safe exit request..");
        return;
    }
    if (host_.Queue().Post(WM_QD_DEVICE_EXIT, static_cast<std::uintptr_t>(kind)) != kQdSuccess)
        exitScheduled_ = false;
}

void Device::OnUnsolicited(Line& line) { HandleUnsolicited(line, *line.UnsolicitedType(), *this); }

void Device::OnReceiverFailed(int /*error*/)
{
    if (present_.exchange(false))
        xlog(logNormal, "Qd: Device is presumably %s", "not present");
    WakePauses();
    Close();
    RequestSafeExit(0);
}

// ---------------------------------------------------------------------------------------
// SIM and PIN

void Device::SetSimState(bool initialized, bool silent, bool startPolling)
{
    // What lives on the SIM is set up when it becomes ready, not at every look at it: the
    // state is asked again after each PIN and each SIM poll.
    bool ready = initialized;
    if (ready && values_.Get(Value::simInitialized) == 0)
        ready = StartSms();
    const int value = ready ? 1 : 0;
    if (values_.Exchange(Value::simInitialized, value) != value) {
        xlog(logNormal, "Qd: SIM state has changed to %s", ready ? "initialized" : "uninitialized");
        if (!silent)
            RaiseEvent(10);
        if (ready)
            StartPhonebook();
        else
            Set(Value::phonebookInitialized, 0, silent);
    }
    // A SIM whose SMS could not be set up is asked again, as one that is not ready.
    if (!ready && (startPolling || initialized)) {
        if (!host_.Queue().PollerSet().IsOn(Poller::sim))
            host_.Queue().StartPoller(Poller::sim);
    } else {
        host_.Queue().StopPoller(Poller::sim);
    }
}

QdResult Device::AfterPinOperation(QdResult operationResult)
{
    if (!RefusedBeforeSending(operationResult))
        RefreshPinState(true);
    return operationResult;
}

void Device::RefreshPinState(bool announce)
{
    int state = kPinStateUnknown;
    const int rc = CurrentPlatform().QdGetDirectPinPukState(&state);
    Set(Value::pinPukState, rc == kQdSuccess ? state : kPinStateUnknown, Value::pinPukResult, rc, announce);
    if (announce)
        RaiseEvent(InfoOf(Value::pinPukState).event);
    if (rc != kQdSuccess) {
        xlog(logError, "Qd: UpdatePinStateCache(): Post-PIN operation failed with 0x%x", static_cast<unsigned>(rc));
        return;
    }
    if (state != kPinStateReady) {
        SetSimState(false, false, false);
        return;
    }
    int ready = 0;
    const int simRc = CurrentPlatform().QdGetSimReadyState(&ready);
    if (simRc != kQdSuccess)
        xlog(logError, "Qd: UpdatePinStateCache(): Post-PIN operation failed with 0x%x", static_cast<unsigned>(simRc));
    SetSimState(simRc == kQdSuccess && ready != 0, false, true);
}

void Device::EnableReports()
{
    if (State() != DeviceState::initialized || ChannelBusy())
        return;
    int rc = CurrentPlatform().QdEnableExtendedErrorReporting();
    if (rc != kQdSuccess) {
        xlog(logError, "Qd: QdEnableExtendedErrorReporting() initiated by WM_ENABLE_EX_ERRORS failed with 0x%x",
             static_cast<unsigned>(rc));
        return;
    }
    rc = CurrentPlatform().QdEnableRegistrationEvents();
    if (rc != kQdSuccess)
        xlog(logError, "Qd: QdEnableRegistrationEvents() initiated by WM_ENABLE_EX_ERRORS failed with 0x%x",
             static_cast<unsigned>(rc));
}

void Device::PollSimState()
{
    if (State() != DeviceState::initialized || ChannelBusy())
        return;
    int ready = 0;
    const int rc = CurrentPlatform().QdGetSimReadyState(&ready);
    if (rc != kQdSuccess)
        xlog(logWarning, "Qd: Querying SIM state failed with 0x%x during SIM polling", static_cast<unsigned>(rc));
    else if (ready != 0)
        SetSimState(true, false, false);
}

// ---------------------------------------------------------------------------------------
// Queued work

void Device::Run(const QueueEntry& entry)
{
    switch (entry.message) {
    case WM_QD_DEVICE_INIT:
        Init(0);
        break;
    case WM_QD_DEVICE_EXIT:
        Exit(static_cast<int>(entry.wParam));
        break;
    case WM_ENABLE_EX_ERRORS:
        EnableReports();
        break;
    case WM_QD_PDP_CONTEXT:
        PacketData().PdpContextChanged(static_cast<int>(entry.wParam), entry.lParam != 0);
        break;
    case WM_QD_CS_REGISTRATION:
        registration_.ReportCircuitSwitched(static_cast<int>(entry.wParam));
        break;
    case WM_QD_PS_REGISTRATION:
        registration_.ReportPacketSwitched(static_cast<int>(entry.wParam), entry.lParam);
        break;
    case WM_QD_SIGNAL_POLL:
        registration_.PollSignal();
        break;
    case WM_QD_CELL_TYPE_POLL:
        registration_.PollCellType();
        break;
    case WM_QD_SIM_STATE:
        SetSimState(entry.wParam != 0, false, entry.wParam == 0);
        break;
    case WM_QD_SIM_POLL:
        PollSimState();
        break;
    case WM_QD_NEW_SMS:
        ReadNewSms(static_cast<int>(entry.wParam));
        break;
    default:
        // The data-call and Gobi polls belong to work that is not built yet.
        xlog(logVerbose, "Qd: Queued message 0x%x has no handler yet", static_cast<unsigned>(entry.message));
        break;
    }
}

} // namespace GSM
