#include "platform/LineSettings.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

namespace Os {

LineSettingsResult applyLineSettings(int fd) noexcept
{
    using Step = LineSettingsResult::Step;
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return {Step::readSettings, lastSystemError()};
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B115200) != 0 || ::cfsetospeed(&settings, B115200) != 0)
        return {Step::writeSettings, lastSystemError()};
    if (::tcsetattr(fd, TCSANOW, &settings) != 0)
        return {Step::writeSettings, lastSystemError()};
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0) {
        const int refusal = errno;
        // A terminal without modem control answers ENOTTY (some drivers EINVAL).
        if (refusal != ENOTTY && refusal != EINVAL)
            return {Step::raiseModemLines, systemErrorFromErrno(refusal)};
        return {Step::none, kErrorSuccess, systemErrorFromErrno(refusal)};
    }
    return {};
}

} // namespace Os
