#include "platform/SerialPort.h"

#include "platform/LineSettings.h"
#include "platform/Log.h"
#include "platform/OpenFault.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>

namespace Os {

int SerialPort::open(const std::string& path, bool lineSettings)
{
    assert(!isOpen() && "SerialPort opened twice");
    lineSettingsFailure_ = LineSettingsResult::Step::none;
    if (const int injected = injectedOpenFailure(path))
        return systemErrorFromErrno(injected);
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return lastSystemError();
    // TIOCEXCL keeps other openers out, but not privileged ones; the lock keeps out every
    // opener that asks for it, the root user's too.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? kErrorSharingViolation : lastSystemError();
    if (lineSettings) {
        if (::ioctl(fd.get(), TIOCEXCL) != 0)
            return lastSystemError();
        exclusive_ = true;
        const LineSettingsResult line = applyLineSettings(fd.get());
        lineSettingsFailure_ = line.failed;
        if (!line.ok())
            return line.error;
        if (line.missingModemLines != kErrorSuccess)
            // Pseudo-terminals have no modem lines; nothing depends on them there.
            logFormat(LogLevel::verbose, "Cannot raise DTR and RTS on %s (error %d)", path.c_str(),
                      line.missingModemLines);
    }
    adopt(std::move(fd));
    return kErrorSuccess;
}

void SerialPort::close()
{
    if (exclusive_.exchange(false))
        if (const auto fd = descriptor())
            ::ioctl(fd->get(), TIOCNXCL); // fails harmlessly on a port that has gone
    ByteStream::close();
}

int SerialPort::purge()
{
    const auto fd = descriptor();
    if (!fd)
        return kErrorInvalidHandle;
    return ::tcflush(fd->get(), TCIOFLUSH) == 0 ? kErrorSuccess : lastSystemError();
}

} // namespace Os
