#include "sim/cardsim/PseudoTerminal.h"

#include "sim/cardsim/OutputQueue.h"

#include "platform/SystemError.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace Cardsim {

Os::Result<PseudoTerminal> PseudoTerminal::open()
{
    Os::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master)
        return Os::Failure{Os::lastSystemError()};
    char name[128];
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 || ::ptsname_r(master.get(), name, sizeof name) != 0)
        return Os::Failure{Os::lastSystemError()};
    Os::UniqueFd keeper(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!keeper)
        return Os::Failure{Os::lastSystemError()};
    termios settings{};
    if (::tcgetattr(keeper.get(), &settings) != 0)
        return Os::Failure{Os::lastSystemError()};
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    if (::tcsetattr(keeper.get(), TCSANOW, &settings) != 0)
        return Os::Failure{Os::lastSystemError()};
    return PseudoTerminal(std::move(master), std::move(keeper), name);
}

std::string PseudoTerminal::portName() const
{
    constexpr std::string_view devicePrefix = "/dev/";
    return path_.rfind(devicePrefix, 0) == 0 ? path_.substr(devicePrefix.size()) : path_;
}

Os::IoResult PseudoTerminal::write(std::span<const std::uint8_t> bytes)
{
    return writeWhatFits(master_.get(), bytes, false);
}

Os::IoResult PseudoTerminal::read(std::span<std::uint8_t> buffer)
{
    for (;;) {
        const ssize_t got = ::read(master_.get(), buffer.data(), buffer.size());
        if (got > 0)
            return Os::IoResult::completed(static_cast<std::size_t>(got));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return Os::IoResult::nothing();
        return Os::IoResult::failed(got == 0 ? Os::kErrorDeviceRemoved : Os::lastSystemError());
    }
}

void PseudoTerminal::releaseExclusiveUse() { ::ioctl(keeper_.get(), TIOCNXCL); }

void PseudoTerminal::dropUnread() { ::tcflush(keeper_.get(), TCIFLUSH); }

} // namespace Cardsim
