#pragma once
// Results of the middleware's client functions, and the "lastError" values that failed
// commands report later.

#include <string_view>

namespace Corvane {

enum ErrorCode : int {
    cNoError = 0,
    cErrorUnknown,
    cErrorParameterMissing,
    cErrorNotSupported,
    cErrorDeviceNotFound,
    cErrorCommunicationFailed,
    cErrorInitFailed,
    cErrorSimMissing,
    cErrorSimNotSupported,
    cErrorSimFailure,
    cErrorSimBlocked,
    cErrorPinRequired,
    cErrorPukRequired,
    cErrorPinWrong,
    cErrorPukWrong,
    cErrorIncorrectPassword,
    cErrorConnectFailed,
    cErrorDisconnectFailed,
    cErrorInternalTimeout,
    cErrorNotFound,
    cErrorOperationNotAllowed,
    cErrorInvalidCharacter,
    cErrorInvalidParameters,
    cErrorEmptyKey,
    cErrorInvalidKey,
    cErrorKeyNotFound,
    cErrorBufferTooSmall,
    cErrorValueOutOfBounds,
    cErrorValueInvalid,
    cErrorOutOfMemory,
    cErrorValueTypeMismatch,
    cErrorNoSuchItem,
};

// The value's name ("cErrorKeyNotFound"), or "???" for a value outside the enumeration.
std::string_view errorName(int value) noexcept;

} // namespace Corvane
