#include "quelder/gps/SerialGps.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/Quelder.h"
#include "quelder/at/Exchange.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace GSM {
namespace {

// What the receiver reports for "on" in its state, and takes to switch on.
constexpr int kReceiverOn = 2;
constexpr int kReceiverOff = 0;

} // namespace

SerialGps::SerialGps(Device& device, ModemTiming timing) : Modem(timing), device_(device), control_(*this, timing) {}

SerialGps::~SerialGps() { Exit(); }

bool SerialGps::Supported() const { return Nodekin::hasGps(device_.Card()); }

void SerialGps::RequireService() const
{
    if (!Supported())
        Raise(kQdNotSupported);
    if (!Running())
        Raise(kQdGpsNotRunning);
}

// ---------------------------------------------------------------------------------------
// Starting and stopping

void SerialGps::Init()
{
    if (!Supported())
        Raise(kQdNotSupported);
    if (Running())
        return;
    try {
        // What a failed port of an earlier run left open goes first.
        ClosePorts();
        portsFailed_ = false;
        OpenPorts();
        ProbeControlPort();
        if (portsFailed_)
            Raise(kQdNoDevice);
    } catch (const ResultError& error) {
        ClosePorts();
        xlog(logError, "Qd: GPS service failed to initialize with 0x%x", static_cast<unsigned>(error.code()));
        throw;
    } catch (const std::bad_alloc&) {
        ClosePorts();
        xlog(logError, "Qd: GPS service failed to initialize with 0x%x", static_cast<unsigned>(kQdOutOfMemory));
        throw;
    }
    running_ = true;
    xlog(logNormal, "Qd: GPS service has been initialized");
}

void SerialGps::OpenPorts()
{
    const NkCardInfo card = device_.Card();
    const OpenMode mode = card.nonSerialPorts != 0 ? OpenMode::deviceFileOverlapped : OpenMode::serialOverlapped;
    Open(mode, card.gpsDataPort);
    dataPort_ = card.gpsDataPort;
    device_.WatchPort(dataPort_);
    control_.Open(mode, card.gpsControlPort);
    controlPort_ = card.gpsControlPort;
    device_.WatchPort(controlPort_);
}

void SerialGps::ProbeControlPort()
{
    // A lone CR ends whatever a previous user of the port left half typed.
    static constexpr std::uint8_t kCarriageReturn[] = {'\r'};
    control_.Write(kCarriageReturn);
    for (int attempt = 1;; ++attempt) {
        try {
            Do(control_, "ATE0", kProbeTimeout);
            return;
        } catch (const ResultError& error) {
            if (attempt == kProbeAttempts || error.code() == kQdNoDevice)
                throw;
        }
        for (int step = 0; step < kProbeRetrySteps; ++step)
            if (!device_.Pause(kProbeRetryStep))
                Raise(kQdNoDevice);
    }
}

QdResult SerialGps::ClosePorts() noexcept
{
    device_.UnwatchPort(dataPort_);
    device_.UnwatchPort(controlPort_);
    QdResult result = kQdSuccess;
    if (IsOpen()) {
        if (const int rc = Close(); rc != kQdSuccess) {
            xlog(logError, "Qd: Closing the GPS data port failed with 0x%x", static_cast<unsigned>(rc));
            result = rc;
        }
    }
    if (control_.IsOpen()) {
        if (const int rc = control_.Close(); rc != kQdSuccess) {
            xlog(logError, "Qd: Closing the GPS control port failed with 0x%x", static_cast<unsigned>(rc));
            result = rc;
        }
    }
    return result;
}

QdResult SerialGps::Exit() noexcept
{
    // Cleared first: a line still on its way from the receiver is no longer the client's.
    const bool wasRunning = running_.exchange(false);
    // Closed even when not running: a port that failed ended the service but may have
    // left the other port open.
    const QdResult result = ClosePorts();
    if (wasRunning)
        xlog(logNormal, "Qd: GPS service has been shut down");
    return result;
}

void SerialGps::PortFailed(Modem& port, const char* which, int error)
{
    portsFailed_ = true;
    if (running_.exchange(false))
        xlog(logWarning, "Qd: The GPS %s port failed with 0x%x, the GPS service has stopped", which,
             static_cast<unsigned>(error));
    // Only the failing port is closed here, on its own receiver thread; the other goes
    // with the service's next Init or Exit.
    port.Close();
}

// ---------------------------------------------------------------------------------------
// The receiver

int SerialGps::State()
{
    RequireService();
    return AskInt(control_, "AT_TGPS?", "_TGPS:", kCommandTimeout) == kReceiverOn ? 1 : 0;
}

void SerialGps::SetState(bool on)
{
    RequireService();
    // The firmware wants its fix parameters before every switch-on.
    if (on)
        Do(control_, "AT_TGPSP=7,2", kCommandTimeout);
    control_.SetTimeout(kCommandTimeout);
    control_.Command("AT_TGPS=").AppendInt(on ? kReceiverOn : kReceiverOff).Send();
    control_.WaitFinal();
}

// ---------------------------------------------------------------------------------------
// The data port

bool SerialGps::OnLine(std::string_view line, bool& continuation)
{
    continuation = false;
    if (line.empty() || !Running() || !device_.EventEnabled(QdEventGpsData))
        return true;
    auto* copy = static_cast<char*>(std::malloc(line.size() + 1));
    if (copy == nullptr)
        Raise(kQdOutOfMemory);
    std::memcpy(copy, line.data(), line.size());
    copy[line.size()] = '\0';
    device_.RaiseEvent(QdEventGpsData, copy); // the buffer is the client's now, or released there
    return true;
}

} // namespace GSM
