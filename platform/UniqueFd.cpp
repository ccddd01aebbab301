#include "platform/UniqueFd.h"

#include <unistd.h>

namespace Os {

void UniqueFd::reset(int fd) noexcept
{
    if (fd_ >= 0)
        ::close(fd_); // the descriptor is gone whatever close reports; there is nothing to retry
    fd_ = fd;
}

} // namespace Os
