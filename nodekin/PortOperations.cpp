// The card's ports as clients open them: the default line settings, opening the
// application port for this process alone with those settings, and the questions about
// the card's driver that this platform cannot answer.

#include "nodekin/Nodekin.h"

#include "nodekin/XLog.h"
#include "platform/LineSettings.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {


bool initialised()
{
    NkCardInfo probe{};
    probe.size = sizeof probe;
    return NkGetCardInfo(&probe) != Os::kErrorNotReady;
}

// The card's line settings; a terminal without modem lines (the virtual card's) is fine.
int applyDefaultSettings(int fd)
{
    using Step = Os::LineSettingsResult::Step;
    const Os::LineSettingsResult line = Os::applyLineSettings(fd);
    switch (line.failed) {
    case Step::none: return Os::kErrorSuccess;
    case Step::readSettings:
        Nodekin::xlog(Nodekin::logError, "Nk: NkOpenApplicationPortEx(): GetCommState() failed, rc=0x%x", line.error);
        break;
    case Step::writeSettings:
        Nodekin::xlog(Nodekin::logError, "Nk: NkOpenApplicationPortEx(): SetCommState() failed, rc=0x%x", line.error);
        break;
    case Step::raiseModemLines:
        Nodekin::xlog(Nodekin::logError, "Nk: NkOpenApplicationPortEx(): SetCommTimeouts() failed, rc=0x%x", line.error);
        break;
    }
    return line.error;
}

} // namespace

int NkGetDefaultPortSettings(const NkCardInfo* cardInfo, NkPortSettings* settings, NkPortTimeouts* timeouts)
{
    if (!initialised())
        return Os::kErrorNotReady;
    if (cardInfo == nullptr)
        return Os::kErrorInvalidParameter;
    if (settings == nullptr || settings->length != sizeof(NkPortSettings) || timeouts == nullptr)
        return Os::kErrorInsufficientBuffer;
    if (cardInfo->nonSerialPorts != 0)
        return Os::kErrorNotSupported;
    const std::uint32_t length = settings->length;
    *settings = NkPortSettings{};
    settings->length = length;
    settings->baudRate = 115200;
    settings->flags = NkPortBinary | NkPortDtrEnabled | NkPortTxContinueOnXoff | NkPortRtsEnabled;
    settings->byteSize = 8;
    *timeouts = NkPortTimeouts{UINT32_MAX, 0, 0, 1, 500};
    return 0;
}

int NkOpenApplicationPortEx(const NkCardInfo* cardInfo, int openFlags, int* handle)
{
    if (!initialised())
        return Os::kErrorNotReady;
    if (cardInfo == nullptr || handle == nullptr)
        return Os::kErrorInvalidParameter;
    const int fd = ::open(cardInfo->applicationPort, openFlags | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Os::lastSystemError();
    // Without sharing: a port another opener holds is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? Os::kErrorSharingViolation : Os::lastSystemError();
        ::close(fd);
        return error;
    }
    if (cardInfo->nonSerialPorts == 0) {
        if (const int error = applyDefaultSettings(fd); error != 0) {
            ::close(fd);
            return error;
        }
    }
    *handle = fd;
    return 0;
}

int NkOpenApplicationPort(const NkCardInfo* cardInfo, int* handle)
{
    return NkOpenApplicationPortEx(cardInfo, O_RDWR | O_NONBLOCK, handle);
}

int NkClosePort(int handle) { return ::close(handle) == 0 ? 0 : Os::lastSystemError(); }

int NkGetDriverFileName(char* buffer, std::uint32_t size)
{
    if (!initialised())
        return Os::kErrorNotReady;
    if (buffer == nullptr || size < 2)
        return Os::kErrorInsufficientBuffer;
    NkCardInfo info{};
    info.size = sizeof info;
    if (NkGetCardInfo(&info) != 0 || info.typeCode == 0)
        return Os::kErrorDevNotExist;
    // The kernel binds drivers without installation files to ask for.
    Nodekin::xlog(Nodekin::logWarning, "Nk: Could not query driver file name (failed with 0x%x)", Os::kErrorNotSupported);
    return Os::kErrorNotSupported;
}

int NkChangeDeviceState(const char* deviceInstanceId, std::uint32_t change)
{
    if (deviceInstanceId == nullptr || *deviceInstanceId == '\0')
        return Os::kErrorInvalidParameter;
    // Devices are started and stopped by the kernel here, not by an installer this
    // library could call.
    Nodekin::xlog(Nodekin::logWarning, "Nk: NkChangeDeviceState(): SetupDiOpenDeviceInfo failed with 0x%x (action %u)",
                  Os::kErrorNotSupported, change);
    return Os::kErrorNotSupported;
}
