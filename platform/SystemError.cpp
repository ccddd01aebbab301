#include "platform/SystemError.h"

#include <cerrno>

namespace Os {

int systemErrorFromErrno(int errnoValue) noexcept
{
    switch (errnoValue) {
    case 0: return kErrorSuccess;
    case EPERM:
    case EACCES:
    case EISDIR: return kErrorAccessDenied;
    case EBUSY: return kErrorSharingViolation; // a tty opened exclusively by somebody else
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EBADF: return kErrorInvalidHandle;
    case EBADFD: return kErrorInvalidHandleState;
    case EIO:
    case ENXIO:
    case ENODEV: return kErrorDeviceRemoved;
    case ENOMEM: return kErrorOutOfMemory;
    case EROFS: return kErrorWriteProtect;
    case ENOTTY: return kErrorInvalidFunction;
    case ENOSYS:
    case EOPNOTSUPP: return kErrorNotSupported;
    case EEXIST: return kErrorFileExists;
    case EINVAL: return kErrorInvalidParameter;
    case EPIPE: return kErrorBrokenPipe;
    case ENOSPC: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case ETIMEDOUT: return kErrorWaitTimeout;
    case ECONNABORTED: return kErrorConnectionAborted;
    case ECONNRESET: return kErrorConnectionReset;
    case ENOTCONN: return kErrorNotConnected;
    case ESHUTDOWN: return kErrorShutDown;
    case EADDRINUSE: return kErrorAddressInUse;
    case EADDRNOTAVAIL: return kErrorAddressNotAvailable;
    case ENETUNREACH: return kErrorNetworkUnreachable;
    case ECONNREFUSED: return kErrorConnectionRefused;
    case EHOSTUNREACH: return kErrorHostUnreachable;
    default: return kErrnoBit | errnoValue;
    }
}

int lastSystemError() noexcept { return systemErrorFromErrno(errno); }

bool isDeviceRemoval(int error) noexcept
{
    return error == kErrorDeviceRemoved || error == kErrorInvalidHandleState;
}

} // namespace Os
