#include "corvane/traits/QdErrorMap.h"

#include "corvane/Keys.h"

#include <cstdint>

namespace Corvane {

namespace {

struct ErrorRow {
    std::uint32_t backendCode;
    ErrorCode error;
};

constexpr ErrorRow errorRows[] = {
    {0x84000002, cErrorInternalTimeout},     {0x84000003, cErrorUnknown},
    {0x84000004, cErrorCommunicationFailed}, {0x84000007, cErrorNotSupported},
    {0x84000009, cErrorDeviceNotFound},      {0x84010003, cErrorOperationNotAllowed},
    {0x8401000A, cErrorSimMissing},          {0x8401000B, cErrorPinRequired},
    {0x8401000C, cErrorPukRequired},         {0x8401000D, cErrorSimFailure},
    {0x8401000F, cErrorSimNotSupported},     {0x84010010, cErrorIncorrectPassword},
    {0x84010016, cErrorNotFound},            {0x84010019, cErrorInvalidCharacter},
    {0x84010064, cErrorUnknown},             {0x84010385, cErrorSimBlocked},
};

} // namespace

ErrorCode convertQdError(int backendCode) noexcept
{
    const auto code = static_cast<std::uint32_t>(backendCode);
    for (const ErrorRow& row : errorRows) {
        if (row.backendCode == code)
            return row.error;
    }
    return cErrorUnknown;
}

ErrorCode qdResultToError(int backendResult) noexcept
{
    return backendResult >= 0 ? cNoError : convertQdError(backendResult);
}

void publishErrorValue(SignalPublisher& publisher, ErrorCode error)
{
    Dictionary values;
    values.setInteger(key::lastError, error);
    publisher.publish(sigError, values);
}

ErrorCode publishQdFailure(SignalPublisher& publisher, int backendCode)
{
    const ErrorCode error = convertQdError(backendCode);
    publishErrorValue(publisher, error);
    return error;
}

} // namespace Corvane
