#include "platform/SerialPort.h"

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
namespace {

int applyLineSettings(int fd, const std::string& path)
{
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0)
        return lastSystemError();
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    settings.c_cc[VMIN] = 0; // reads never block: the receiver waits in poll()
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B115200) != 0 || ::cfsetospeed(&settings, B115200) != 0)
        return lastSystemError();
    if (::tcsetattr(fd, TCSANOW, &settings) != 0)
        return lastSystemError();
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0)
        // Pseudo-terminals have no modem lines; nothing depends on them there.
        logFormat(LogLevel::verbose, "Cannot raise DTR and RTS on %s (error %d)", path.c_str(), lastSystemError());
    return kErrorSuccess;
}

} // namespace

int SerialPort::open(const std::string& path, bool lineSettings)
{
    assert(!isOpen() && "SerialPort opened twice");
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
        if (const int error = applyLineSettings(fd.get(), path))
            return error;
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
