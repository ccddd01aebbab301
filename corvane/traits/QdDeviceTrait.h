#pragma once
// The device trait of the modem backend: each operation becomes backend calls, at once
// on the caller's thread or on a short-lived thread of its own, and every outcome is
// published as signals. One exists per process; its threads only use what lives as long
// as the trait (the client, the publisher, the backend seam).
//
// Connecting, disconnecting and SMS are left to the base until the backend offers them
// in the shape they need.

#include "corvane/traits/DetachedThreads.h"
#include "corvane/traits/DeviceTrait.h"
#include "corvane/traits/QdClient.h"
#include "corvane/traits/SignalPublisher.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

namespace Corvane {

class QdDeviceTrait final : public DeviceTrait {
public:
    // The process's trait, created on first use.
    static QdDeviceTrait& instance();

    explicit QdDeviceTrait(QdClient& client = QdClient::instance(),
                           SignalPublisher& publisher = SignalPublisher::middleware());
    // Waits (within the shutdown patience) for the trait's threads still running.
    ~QdDeviceTrait() override = default;
    QdDeviceTrait(const QdDeviceTrait&) = delete;
    QdDeviceTrait& operator=(const QdDeviceTrait&) = delete;

    int initialise(Dictionary& parameters) override;
    int shutdown(Dictionary& parameters) override;
    int initDevice(Dictionary& parameters) override;
    int initSim(Dictionary& parameters) override;
    int initRadio(Dictionary& parameters) override;
    int initNetwork(Dictionary& parameters) override;
    int initSms(Dictionary& parameters) override;
    int initConnection(Dictionary& parameters) override;
    int initGps(Dictionary& parameters) override;
    int readDeviceInfo(Dictionary& parameters) override;
    int readRadioInfo(Dictionary& parameters) override;
    int readSimInfo(Dictionary& parameters) override;
    int readNetworkInfo(Dictionary& parameters) override;
    int enterPin(Dictionary& parameters) override;
    int changePin(Dictionary& parameters) override;
    int setPinMode(Dictionary& parameters) override;
    int setNetworkTechnology(Dictionary& parameters) override;
    int scanNetworks(Dictionary& parameters) override;
    int selectNetwork(Dictionary& parameters) override;
    int setRadioState(Dictionary& parameters) override;
    int readConnectionStatistics(Dictionary& parameters) override;
    int configureGps(Dictionary& parameters) override;

    // For tests: waits at most `timeout` for the trait's threads; whether all ended.
    bool waitForThreads(std::chrono::milliseconds timeout)
    {
        return starting_.waitUntilIdleFor(timeout) && threads_.waitUntilIdleFor(timeout);
    }

private:
    // Starts `work` on a thread of its own: cNoError, or cErrorInitFailed without one.
    int startThread(std::function<void()> work);

    void runInitDevice(std::uint32_t mode);
    void fullDeviceInitialisation();
    void gpsCheck();
    void runInitGps();
    void runBackendInitialisation(int (QdBackend::*initialisation)(), bool publishDone,
                                  void (QdClient::*collect)(Dictionary&));
    void runEnterPin(const std::array<char, 16>& pin, const std::array<char, 16>& puk);
    void runScan();
    void runSetRadioState(bool radioOff);
    int finishGps(int backendResult);

    QdClient& client_;
    SignalPublisher& publisher_;
    // Guards serviceKeptForReading_ and makes the initial receiver query and configureGps
    // take their turns with the GPS service whole.
    std::mutex gpsMutex_;
    bool serviceKeptForReading_ = false; // a client asked to read: the service stays open
    // Last: waited for while everything above still exists. The start of the backend has
    // its own, so that shutdown can wait for it alone before stopping the backend.
    DetachedThreads starting_;
    DetachedThreads threads_;
};

} // namespace Corvane
