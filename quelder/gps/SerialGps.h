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

class SerialGps final : public Modem, private ModemEvents {
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
    // The control port, which tells the service when its receiver fails.
    class ControlPort final : public Modem, private ModemEvents {
    public:
        ControlPort(SerialGps& service, ModemTiming timing) : Modem(timing), service_(service) {}

    private:
        void OnReceiverFailed(int error) override { service_.PortFailed(*this, "control", error); }
        SerialGps& service_;
        ModemReceiverGuard receiverGuard_{*this, *this}; // last: the port closes first
    };

    // ModemEvents of the data port: every line is a sentence for the client.
    bool OnLine(std::string_view line, bool& continuation) override;
    void OnReceiverFailed(int error) override { PortFailed(*this, "data", error); }
    // A port of the service failed (the card went, or only its GPS ports did): the
    // service is over, so that the next Init opens the ports anew instead of taking the
    // dead ones for a running service. On that port's receiver thread.
    void PortFailed(Modem& port, const char* which, int error);
    void RequireService() const;
    void OpenPorts();
    void ProbeControlPort();
    // Both ports; a port already closed is left alone. Returns the last close failure.
    QdResult ClosePorts() noexcept;

    Device& device_;
    // Set by Init under the library lock; cleared by Exit under the lock, or by a failing
    // port's receiver, which closes nothing but its own port (closing the other could
    // wait for that port's receiver, which may be failing at the same moment).
    std::atomic<bool> running_{false};
    // Set by a failing port, cleared by Init before it opens: a port that fails while
    // Init probes makes Init fail rather than report a service on a dead port.
    std::atomic<bool> portsFailed_{false};
    ControlPort control_;
    // The ports opened last, watched for removal while open; under the library lock.
    std::string dataPort_;
    std::string controlPort_;

    // Last: the data port closes before anything its lines touch goes.
    ModemReceiverGuard receiverGuard_{*this, *this};
};

} // namespace GSM
