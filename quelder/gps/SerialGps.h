#pragma once
// The serial GPS service of a card with a GPS receiver: the receiver's control port,
// which takes AT commands to switch it, and its data port, whose lines (NMEA sentences)
// go to the client one by one as the GPS data event. The object is itself the data port.
//
// The operations run on the caller's thread under the library lock and raise their
// failures as result codes; the device-state checks come before them. Lines arrive on
// the data port's receiver thread and are posted to the communicator, which hands them
// to the client in arrival order.

#include "quelder/at/Modem.h"

#include <atomic>
#include <chrono>

namespace GSM {

class Device;

class SerialGps final : public Modem {
public:
    static constexpr std::chrono::milliseconds kProbeTimeout{2000};
    static constexpr int kProbeAttempts = 3;
    static constexpr std::chrono::milliseconds kProbeRetryStep{250};
    static constexpr int kProbeRetrySteps = 4;
    static constexpr std::chrono::milliseconds kCommandTimeout{5000};

    explicit SerialGps(Device& device, ModemTiming timing = {});
    ~SerialGps() override;

    // Whether the card has a GPS receiver.
    bool Supported() const;
    bool Running() const noexcept { return running_.load(); }

    // Opens both ports and checks that the control port answers; nothing when running.
    void Init();
    // Closes both ports when running: 0, or the last close failure.
    QdResult Exit() noexcept;
    // 1 when the receiver reports it is on.
    int State();
    void SetState(bool on);

private:
    void OnLine(std::string_view line, bool& continuation) override;
    void RequireService() const;
    void OpenPorts();
    void ProbeControlPort();
    void ClosePorts() noexcept;

    Device& device_;
    std::atomic<bool> running_{false}; // set by Init and cleared by Exit, both under the library lock
    Modem control_;
};

} // namespace GSM
