#pragma once
// The backend's result codes, the one number every Qd* function returns: 0 success,
// negative failure. Inside the backend a failure travels as a raised GSM::ResultError
// until the platform operation that started the work catches it and returns its code.

#include "platform/SystemError.h"

#include <cstdint>
#include <exception>

using QdResult = std::int32_t;

// 0x84000000 + n: the library's own codes.
constexpr QdResult qdLibraryError(std::uint32_t n) noexcept { return static_cast<QdResult>(0x84000000u + n); }
// The card answered "+CME ERROR: " n.
constexpr QdResult qdCmeError(std::uint32_t n) noexcept { return static_cast<QdResult>(0x84010000u + (n & 0xFFFFu)); }
// The card answered "+CMS ERROR: " n.
constexpr QdResult qdCmsError(std::uint32_t n) noexcept { return static_cast<QdResult>(0x84020000u + (n & 0xFFFFu)); }
// A positive system error number e (platform/SystemError.h) as 0x80070000 + (e AND 0xFFFF).
constexpr QdResult qdSystemError(int e) noexcept
{
    return e == 0 ? 0 : static_cast<QdResult>(0x80070000u + (static_cast<std::uint32_t>(e) & 0xFFFFu));
}

inline constexpr QdResult kQdSuccess = 0;
inline constexpr QdResult kQdNotInitialized = qdLibraryError(1);
inline constexpr QdResult kQdTimeout = qdLibraryError(2);          // no answer from the card in time
inline constexpr QdResult kQdModemError = qdLibraryError(3);       // the card answered "ERROR"
inline constexpr QdResult kQdUnexpectedFinal = qdLibraryError(4);  // a final result where an information line was expected
inline constexpr QdResult kQdMalformedError = qdLibraryError(5);   // "+CME ERROR: " or "+CMS ERROR: " without a number
inline constexpr QdResult kQdNullPointer = qdLibraryError(6);      // also: nothing to write
inline constexpr QdResult kQdNotSupported = qdLibraryError(7);
inline constexpr QdResult kQdNotAvailable = qdLibraryError(8);     // also: an answer line without what was asked for
inline constexpr QdResult kQdNoDevice = qdLibraryError(9);         // no device, port closed or going down
inline constexpr QdResult kQdNotReady = qdLibraryError(10);        // device not initialised
inline constexpr QdResult kQdQueueInconsistent = qdLibraryError(11);
inline constexpr QdResult kQdConnectionFailure = qdLibraryError(18);
inline constexpr QdResult kQdMalformedPdu = qdLibraryError(17);   // a short message's PDU that cannot be read
inline constexpr QdResult kQdChannelBusy = qdLibraryError(21);
inline constexpr QdResult kQdCodePageMissing = qdLibraryError(27); // a code page this system has not installed
inline constexpr QdResult kQdGpsNotRunning = qdLibraryError(38);
// A call that waits for the backend's threads (QdShutdown), made on one of them: from
// inside an event or error callback, which all run on the communicator thread.
inline constexpr QdResult kQdWrongThread = qdLibraryError(40);
// An argument the operation refuses before anything is sent: one that would not fit the
// command, or would end it and start another.
inline constexpr QdResult kQdInvalidParameter = qdSystemError(Os::kErrorInvalidParameter);
inline constexpr QdResult kQdOutOfMemory = static_cast<QdResult>(0x8007000Eu);

// Whether a call failed before anything went to the card: the library, the device or
// the platform not ready for it, or an argument refused.
constexpr bool RefusedBeforeSending(QdResult rc) noexcept
{
    return rc == kQdNotInitialized || rc == kQdNullPointer || rc == kQdNotSupported || rc == kQdNoDevice ||
           rc == kQdNotReady || rc == kQdChannelBusy || rc == kQdInvalidParameter;
}

namespace GSM {

// A result code on its way up to the operation that returns it.
class ResultError : public std::exception {
public:
    explicit ResultError(QdResult code) noexcept : code_(code) {}
    QdResult code() const noexcept { return code_; }
    const char* what() const noexcept override { return "Qd result code"; }

private:
    QdResult code_;
};

[[noreturn]] inline void Raise(QdResult code) { throw ResultError(code); }

} // namespace GSM
