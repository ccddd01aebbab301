#include "corvane/ErrorCode.h"

#include "corvane/types/NameList.h"

namespace Corvane {

namespace {
constexpr std::string_view errorNames =
    "cNoError,cErrorUnknown,cErrorParameterMissing,cErrorNotSupported,cErrorDeviceNotFound,"
    "cErrorCommunicationFailed,cErrorInitFailed,cErrorSimMissing,cErrorSimNotSupported,cErrorSimFailure,"
    "cErrorSimBlocked,cErrorPinRequired,cErrorPukRequired,cErrorPinWrong,cErrorPukWrong,"
    "cErrorIncorrectPassword,cErrorConnectFailed,cErrorDisconnectFailed,cErrorInternalTimeout,cErrorNotFound,"
    "cErrorOperationNotAllowed,cErrorInvalidCharacter,cErrorInvalidParameters,cErrorEmptyKey,cErrorInvalidKey,"
    "cErrorKeyNotFound,cErrorBufferTooSmall,cErrorValueOutOfBounds,cErrorValueInvalid,cErrorOutOfMemory,"
    "cErrorValueTypeMismatch,cErrorNoSuchItem,";
static_assert(nameListSize(errorNames) == cErrorNoSuchItem + 1, "one name per error value");
} // namespace

std::string_view errorName(int value) noexcept { return enumerationName(errorNames, value); }

} // namespace Corvane
