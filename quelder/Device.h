#pragma once
// The one object that stands for the card inside the backend. It follows card detection
// through the card-information record, keeps the device state and the cached modem
// values with their change events, chooses the platform and the data device when the
// card is found, and releases both on removal or shut-down. It is itself the AT channel
// on the card's application port.
//
// Threads: UpdateCardState runs on card detection's notifier thread; Init, Exit and the
// queued work on the communicator thread (Exit also on the client's thread at shut-down);
// the setters on whichever thread sees a change; OnReceiverFailed on the port's receiver.

#include "nodekin/Nodekin.h"
#include "quelder/CachedValues.h"
#include "quelder/Communicator.h"
#include "quelder/ModemStates.h"
#include "quelder/QueueMessages.h"
#include "quelder/at/Modem.h"
#include "quelder/connections/Connection.h"
#include "quelder/connections/PacketDataEvents.h"
#include "quelder/platforms/Answers.h"
#include "quelder/platforms/PendingPlatforms.h"
#include "quelder/platforms/SerialPlatform.h"
#include "quelder/registration/NetworkRegistration.h"
#include "quelder/sms/SmsStorage.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace GSM {

enum class DeviceState : int { searching = 0, notFound = 1, found = 2, initialized = 3 };

// What the device needs of the library around it.
class DeviceHost {
public:
    virtual bool LibraryInitialized() const = 0;
    // Serialises card operations; recursive, as an operation may run others.
    virtual std::recursive_mutex& LibraryLock() = 0;
    virtual Communicator& Queue() = 0;
    virtual int FetchCardInfo(NkCardInfo& record) = 0;
    virtual void AcknowledgeSuspension() = 0;
    // A port just opened, whose removal lets go of the device, and one just closed.
    virtual void WatchPort(const std::string& port) = 0;
    virtual void UnwatchPort(const std::string& port) = 0;

protected:
    ~DeviceHost() = default;
};

class Device final : public Modem, public DeviceWork, private ModemEvents {
public:
    explicit Device(DeviceHost& host, ModemTiming timing = {});
    ~Device() override = default;

    // The card listener: card detection's notification of a state change.
    void UpdateCardState(int type);
    // Opens the way to the card; 1 when done or not needed, else the failure's code. A
    // failure leaves the device NotFound and tells the client (error kind
    // QdErrorKindDevice).
    int Init(int kind);
    // Releases the card; always 1. While an initialisation runs, the release is
    // remembered and runs when it ends.
    int Exit(int kind);
    // Between the two no initialisation starts: the library is going down.
    void BeginShutdown();
    void EndShutdown();
    // Whether the way to the card is open (the platform initialised and not yet exited).
    bool HoldsChannel() const;
    void RequestSafeExit(int kind);
    void SetSimState(bool initialized, bool silent, bool startPolling);
    // The SIM's messages as the device keeps them (the shadow copy); each message added
    // is told to the client (event 14).
    SmsStorage& SmsShadowCopy() noexcept { return smsStorage_; }
    // What the Qd* functions of the message store add to the platform's work: a message
    // read joins the copy when it is not there yet, the list of all refills it, and a
    // message deleted leaves it.
    void AfterSmsRead(int index, const QdPhysicalSms& message);
    void AfterSmsListRead(const QdPhysicalSms* list, int count);
    void AfterSmsDeleted(int index);

    // The post-PIN step, run after each operation that sends a PIN, PUK or password:
    // once the card has been asked, whatever it answered, the cached PIN/PUK state and
    // the SIM state are read again, and event 11 is raised even when the state reads as
    // before, as a wrong code has used up one of the attempts the client shows. An
    // operation refused before anything was sent changes nothing and is passed by.
    // Returns `operationResult` unchanged.
    QdResult AfterPinOperation(QdResult operationResult);
    // Reads the PIN/PUK state, and the SIM state while the PIN is in, into the cache;
    // events 11 and 10 on change, event 11 also without one when `announce`.
    void RefreshPinState(bool announce);

    DeviceState State() const noexcept { return static_cast<DeviceState>(deviceState_.load()); }
    void SetDeviceState(DeviceState state, bool silent = false);
    int Get(Value value) const noexcept { return values_.Get(value); }
    void Set(Value value, int newValue, bool silent = false);
    // Two values that share one event: one event when either changed.
    void Set(Value first, int firstValue, Value second, int secondValue, bool silent = false);
    // Sets `value` to `newValue` only while `when` holds for what it is, with nothing
    // changing it in between; true when it did.
    bool SetIf(Value value, bool (*when)(int current), int newValue);
    // LAC and CellID together (event 23), -1 for unknown.
    void SetCellLocation(int lac, int cellId);
    NetworkRegistration& Registration() noexcept { return registration_; }
    int ConnectionState() const;
    void SetConnectionState(int state, bool silent = false);
    std::string IdleText() const;
    void SetIdleText(const std::string& text, bool silent = false);
    std::optional<FirmwareVersion> Firmware() const;
    void SetFirmware(std::optional<FirmwareVersion> version);
    // The number of the call that rings, empty when it is not known.
    std::string CallerNumber() const;
    void SetCallerNumber(const std::string& number);
    // What the last start-up learnt about the card, for the code that runs outside a card
    // operation (the unsolicited handlers, the communicator's work).
    CardFeatures Features() const;
    void SetFeatures(const CardFeatures& features);

    // Where the registration tells the data connections what they need to know; the
    // logging stand-in until a data connection plugs its own in (null: the stand-in).
    PacketDataEvents& PacketData() const noexcept { return *packetData_.load(); }
    void SetPacketDataEvents(PacketDataEvents* events) noexcept;

    // Raises `event` to the client while it is enabled; an event's buffer goes to the
    // client with it, or is released here.
    void RaiseEvent(int event, void* data = nullptr);
    void EnableEvent(int event, bool enabled);
    bool EventEnabled(int event) const noexcept;

    // The record as card detection last reported it.
    NkCardInfo Card() const;
    bool Present() const noexcept { return present_.load(); }
    bool Exiting() const noexcept { return exiting_.load(); }
    bool Initialising() const noexcept { return initialising_.load(); }
    bool ExitScheduled() const noexcept { return exitScheduled_.load(); }
    // 0 when a card operation may run: kQdNotInitialized, kQdNoDevice (no card, or it is
    // going), kQdNotReady (not initialised, unless `foundIsEnough`), kQdChannelBusy.
    int CheckAccess(bool cardDependent, bool foundIsEnough = false) const;
    bool ChannelBusy() const;

    Platform& CurrentPlatform() const noexcept { return *platform_.load(); }
    Connection& CurrentConnection() const noexcept { return *connection_.load(); }
    std::recursive_mutex& LibraryLock() { return host_.LibraryLock(); }
    Communicator& Queue() { return host_.Queue(); }
    void WatchPort(const std::string& port) { host_.WatchPort(port); }
    void UnwatchPort(const std::string& port) { host_.UnwatchPort(port); }

    // Waits `time` unless the device goes down meanwhile: false then.
    bool Pause(std::chrono::milliseconds time);

    // DeviceWork: the queued device work, on the communicator thread.
    void Run(const QueueEntry& entry) override;

private:
    // ModemEvents: a result the card sent on its own; the card went.
    void OnUnsolicited(Line& line) override;
    void OnReceiverFailed(int error) override;
    bool BeginInit();
    // Ends an initialisation; the exit asked for meanwhile, if any.
    std::optional<int> EndInit(bool channelUp);
    void ResetValues(bool bulk, DeviceState state);
    Platform& ChoosePlatform(const NkCardInfo& card);
    Connection& ChooseConnection(const NkCardInfo& card);
    void LogChange(const ValueInfo& info, int value) const;
    void WakePauses();
    void PollSimState();
    // WM_QD_NEW_SMS: the message the card announced at `index`, read into the copy.
    void ReadNewSms(int index);
    // Once the SIM is ready: SMS set up and the copy filled; false when either failed.
    bool StartSms();
    void StartPhonebook();
    bool NdisCard() const;
    // WM_ENABLE_EX_ERRORS: the card's error codes and registration reports, switched on again.
    void EnableReports();

    DeviceHost& host_;
    CachedValues values_;
    std::atomic<int> deviceState_{static_cast<int>(DeviceState::searching)};
    std::array<std::atomic<bool>, 26> eventEnabled_;

    // Guards the changes of initialising_, exiting_, channelUp_, closing_ and pendingExit_
    // together, so that an exit arriving while an initialisation ends is never lost.
    // Init, Exit and QdShutdown take it; nothing is called while it is held.
    mutable std::mutex lifecycleMutex_;
    std::atomic<bool> initialising_{false};
    std::atomic<bool> exiting_{false};
    bool channelUp_ = false;
    bool closing_ = false;
    std::optional<int> pendingExit_;
    std::atomic<bool> exitScheduled_{false};
    std::atomic<bool> present_{false};

    mutable std::mutex cardMutex_; // guards card_: written by the notifier thread, read by the others
    NkCardInfo card_{};
    std::atomic<std::uint32_t> cardState_{NkCardStopped};

    mutable std::mutex textMutex_; // guards idleText_, callerNumber_, firmware_ and features_, which are no single words
    std::string idleText_;
    std::string callerNumber_;
    std::optional<FirmwareVersion> firmware_;
    CardFeatures features_;

    mutable std::mutex connectionMutex_; // guards connectionState_ and its change
    int connectionState_ = 0;

    std::mutex pauseMutex_; // guards nothing but the wake-up of Pause
    std::condition_variable pauseWake_;

    SerialPlatform serial_;
    GobiPlatform gobi_;
    ZeroFpPlatform zeroFp_;
    MbPlatform mb_;
    MbConnection mbConnection_;
    NdisConnection ndisConnection_;
    GobiConnection gobiConnection_;
    ZeroFpConnection zeroFpConnection_;
    RasConnection rasConnection_;
    BroadcomNdisConnection broadcomConnection_;
    std::atomic<Platform*> platform_;
    std::atomic<Connection*> connection_;

    SmsStorage smsStorage_;

    LoggedPacketDataEvents loggedPacketData_;
    std::atomic<PacketDataEvents*> packetData_{&loggedPacketData_};
    NetworkRegistration registration_{*this};

    // Last: the port closes before anything the receiver's failure report touches goes.
    ModemReceiverGuard receiverGuard_{*this, *this};
};

} // namespace GSM
