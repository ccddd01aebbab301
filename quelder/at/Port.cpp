#include "quelder/at/Port.h"

#include "platform/PortAccess.h"
#include "platform/SystemError.h"
#include "quelder/QdResult.h"
#include "quelder/at/LogText.h"

#include <thread>

namespace GSM {

const char* Port::OpenFailureFormat(int error) const
{
    using Step = Os::LineSettingsResult::Step;
    switch (port_.lineSettingsFailure()) {
    case Step::writeSettings:
    case Step::raiseModemLines: return "Qd: Port::Open: SetCommState() failed, rc=0x%x";
    case Step::readSettings: return "Qd: Port::Open: GetCommState() failed, rc=0x%x";
    case Step::none: break;
    }
    // Line settings on something that is not a serial port fail when they are read.
    return serial_ && error == Os::kErrorInvalidFunction ? "Qd: Port::Open: GetCommState() failed, rc=0x%x"
                                                         : "Qd: Port::Open: CreateFile() failed, rc=0x%x";
}

void Port::Open(const std::string& name, bool serial, bool overlapped, std::chrono::milliseconds settle)
{
    Close();
    name_ = name;
    serial_ = serial;
    overlapped_ = overlapped;

    if (const int error = port_.open(name, serial)) {
        Nodekin::xlog(Nodekin::logError, OpenFailureFormat(error), static_cast<unsigned>(error));
        if (error == Os::kErrorAccessDenied || error == Os::kErrorSharingViolation)
            Nodekin::xlog(Nodekin::logError, "Qd: %s", Os::describeOpenFailure(name, error).c_str());
        Raise(qdSystemError(error));
    }
    std::this_thread::sleep_for(settle);
    if (serial)
        Purge();

    receiverId_ = NextLogId();
    receiverLive_ = true;
    if (const int error = port_.startReceiver(MakeReceiver([this](const Os::IoResult& end) { ReceiverEnded(end); }))) {
        Nodekin::xlog(Nodekin::logError, "Qd: Port::Open: Could not start receiver thread");
        receiverLive_ = false;
        port_.close();
        Raise(qdSystemError(error));
    }
    Nodekin::xlog(Nodekin::logVerbose, "Qd: %s ReceiverThread 0x%x started", overlapped ? "overlapped" : "normal",
                  receiverId_);
    std::this_thread::sleep_for(settle);
    Nodekin::xlog(Nodekin::logNormal, "Qd: Port %s opened successfully in %s I/O mode", name.c_str(),
                  overlapped ? "overlapped" : "normal");
}

void Port::Purge()
{
    if (const int error = port_.purge())
        Nodekin::xlog(Nodekin::logVerbose, "Qd: Purging port %s failed with 0x%x", name_.c_str(),
                      static_cast<unsigned>(error));
}

void Port::CloseStreams()
{
    port_.close();
    LogReceiverEnd();
}

void Port::LogReceiverEnd()
{
    if (receiverLive_.exchange(false))
        Nodekin::xlog(Nodekin::logVerbose, "Qd: ReceiverThread 0x%x ended", receiverId_);
}

void Port::LogWriteFailure(int error) const
{
    Nodekin::xlog(Nodekin::logError, "Qd: Writing failed with 0x%x", static_cast<unsigned>(error));
}

void Port::ReceiverEnded(const Os::IoResult& end)
{
    int error = end.outcome == Os::IoResult::Outcome::failed ? end.error : Os::kErrorDeviceRemoved;
    if (Os::isDeviceRemoval(error) && overlapped_ && serial_) {
        Nodekin::xlog(Nodekin::logWarning,
                      "Qd: Access denied detected on the serial port, receiver thread is stopping...");
        error = Os::kErrorAccessDenied;
    } else if (Os::isDeviceRemoval(error)) {
        Nodekin::xlog(Nodekin::logWarning,
                      "Qd: Access denied detected on the serial port (0x%x), receiver thread is stopping...",
                      static_cast<unsigned>(error));
    } else {
        Nodekin::xlog(Nodekin::logError, "Qd: Reading from port %s failed with 0x%x, receiver thread is stopping...",
                      name_.c_str(), static_cast<unsigned>(error));
    }
    LogReceiverEnd();
    events_.ReceiverFailed(error);
}

} // namespace GSM
