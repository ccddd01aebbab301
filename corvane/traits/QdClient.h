#pragma once
// The middleware's side of the backend's client interface: what the backend reports on
// its own (events, errors, log lines) becomes signals, GPS data goes to the NMEA parser,
// and groups of card values are read into records.
//
// The backend calls the callbacks on its one communicator thread; they reach the
// process's client. The last known values the events carry are kept for the decisions
// of later events and for readers on other threads.

#include "corvane/ErrorCode.h"
#include "corvane/nmea/NmeaParser.h"
#include "corvane/traits/QdBackend.h"
#include "corvane/traits/QdConnectionStatistics.h"
#include "corvane/traits/SignalPublisher.h"
#include "corvane/types/Dictionary.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

namespace Corvane {

class QdClient {
public:
    // The process's client, created on first use; the backend's callbacks reach it.
    static QdClient& instance();

    explicit QdClient(SignalPublisher& publisher = SignalPublisher::middleware(),
                      QdConnectionStatistics& statistics = QdConnectionStatistics::processWide(),
                      std::FILE* nmeaMessages = stderr);
    QdClient(const QdClient&) = delete;
    QdClient& operator=(const QdClient&) = delete;

    // Given to the backend.
    static void eventCallback(int event, void* data);
    static void errorCallback(int kind, int primaryCode, int secondaryCode);
    static void logSink(const char* text, void* context);

    void handleEvent(int event, void* data);
    void handleError(int kind, int primaryCode, int secondaryCode);

    // While the backend starts, the errors its callbacks report wait until the start's
    // own outcome has been published: a card that fails to open in the backend's first
    // milliseconds must not read as the library failing to start.
    void holdErrors();
    // Publishes the errors held, in the order they came, and stops holding.
    void releaseErrors();

    void readDeviceInfo(Dictionary& record);
    void readRadioInfo(Dictionary& record);
    void readSimInfo(Dictionary& record);
    void readNetworkInfo(Dictionary& record);
    void readConnectionStatistics(Dictionary& record);

    // One backend call each, its result as an error value (cNoError on success).
    ErrorCode changePin(const char* pin, const char* newPin);
    ErrorCode setPinMode(bool enable, const char* pin);
    ErrorCode setTechnologySelectionMode(int mode);
    ErrorCode setNetworkSelectionMode(int mode, const char* mccmnc, int technology);

    int deviceState() const noexcept { return deviceState_.load(std::memory_order_relaxed); }
    int connectionState() const noexcept { return connectionState_.load(std::memory_order_relaxed); }

private:
    using Handler = void (QdClient::*)(void* data);

    std::mutex heldErrorsMutex_; // guards holdingErrors_ and heldErrors_; held while they are published
    bool holdingErrors_ = false;
    std::vector<int> heldErrors_;
    static const Handler handlers_[QdEventCount];

    // Publishes a backend failure met while handling an event, unless it only says that
    // there is no card.
    void reportEventFailure(int backendResult);
    // The value `getter` reads; none, with the failure reported, when the call fails.
    std::optional<int> readValue(int (QdBackend::*getter)(int*));
    void onDeviceState(void* data);
    void onConnectionState(void* data);
    void onCsNetworkState(void* data);
    void onPsNetworkState(void* data);
    void onHighSpeedState(void* data);
    void onSignalQuality(void* data);
    void onWcdmaSignal(void* data);
    void onSimState(void* data);
    void onPinPukState(void* data);
    void onPinMode(void* data);
    void onStoredSms(void* data);
    void releaseBuffer(void* data);
    void onHwRadioSwitch(void* data);
    void onSmartAntenna(void* data);
    void onGpsData(void* data);

    void onNetworkState(int (QdBackend::*getter)(int*), std::atomic<int>& field);
    void publishSignalUpdate();
    void publishPinFailure(int backendCode);
    bool initialised() const noexcept { return deviceState() == QdDeviceInitialized; }
    ErrorCode report(int backendResult);

    SignalPublisher& publisher_;
    QdConnectionStatistics& statistics_;
    NmeaParser parser_; // the communicator thread's alone

    // Written by the event handlers on the communicator thread, read anywhere.
    std::atomic<int> deviceState_{QdDeviceNotFound};
    std::atomic<int> pinPukState_{0};
    std::atomic<int> pinMode_{0};
    std::atomic<int> psNetworkState_{0};
    std::atomic<int> csNetworkState_{0};
    std::atomic<bool> highSpeed_{false};
    std::atomic<int> signalStrength_{0};
    std::atomic<int> wcdmaSignalStrength_{0};
    std::atomic<int> hwSwitchState_{0};
    std::atomic<bool> smartAntennaOut_{true};
    std::atomic<int> connectionState_{0};
};

} // namespace Corvane
