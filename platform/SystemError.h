#pragma once
// The system error numbers this layer reports, in the numbering the detection library
// and the modem backend test for, and the one mapping from errno to them. Everything in
// platform/ that fails on a system call reports through systemErrorFromErrno, so the
// layers above compare against these constants and nothing else.

namespace Os {

inline constexpr int kErrorSuccess = 0;
inline constexpr int kErrorInvalidFunction = 1;   // the call does not apply to this kind of file
inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorTooManyOpenFiles = 4;
inline constexpr int kErrorAccessDenied = 5;      // no permission: the user may not open it
inline constexpr int kErrorInvalidHandle = 6;
inline constexpr int kErrorInvalidData = 13;      // a device property that the node does not have
inline constexpr int kErrorOutOfMemory = 14;
inline constexpr int kErrorWriteProtect = 19;
inline constexpr int kErrorNotReady = 21;         // detection has not been initialised
inline constexpr int kErrorSharingViolation = 32; // held by another opener (a busy tty, a taken lock)
inline constexpr int kErrorNotSupported = 50;
inline constexpr int kErrorDevNotExist = 55;      // no card present
inline constexpr int kErrorFileExists = 80;
inline constexpr int kErrorInvalidParameter = 87;
inline constexpr int kErrorBrokenPipe = 109;
inline constexpr int kErrorInsufficientBuffer = 122;
inline constexpr int kErrorDiskFull = 112;
inline constexpr int kErrorInvalidName = 123;
inline constexpr int kErrorFilenameTooLong = 206;
inline constexpr int kErrorWaitTimeout = 258;
inline constexpr int kErrorNotOwner = 288;        // releasing a mutex that is not held
inline constexpr int kErrorNoUnicodeTranslation = 1113;
inline constexpr int kErrorInvalidState = 5023;   // exclusive access to the card is held by another program
inline constexpr int kErrorBusy = 170;            // the resource is in use (a thread still running)
inline constexpr int kErrorInvalidHandleState = 1609; // counts as a removed device
inline constexpr int kErrorDeviceRemoved = 1617;
inline constexpr int kErrorConnectionAborted = 10053;
inline constexpr int kErrorConnectionReset = 10054;
inline constexpr int kErrorNotConnected = 10057;
inline constexpr int kErrorShutDown = 10058;
inline constexpr int kErrorAddressInUse = 10048;
inline constexpr int kErrorAddressNotAvailable = 10049;
inline constexpr int kErrorNetworkUnreachable = 10051;
inline constexpr int kErrorConnectionRefused = 10061;
inline constexpr int kErrorHostUnreachable = 10065;

// An errno value without a counterpart above is kept whole with this bit set (the bit
// that marks application-defined error numbers), so no failure is reported as success
// and the original errno can still be read from the log.
inline constexpr int kErrnoBit = 0x20000000;

int systemErrorFromErrno(int errnoValue) noexcept;
// systemErrorFromErrno(errno).
int lastSystemError() noexcept;

// The device under an open port or handle has gone (pulled card, closed pseudo-terminal).
bool isDeviceRemoval(int error) noexcept;

} // namespace Os
