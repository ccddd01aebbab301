#pragma once
// The backend's result codes in the middleware's error values, and the sigError reports
// that carry them.

#include "corvane/ErrorCode.h"
#include "corvane/traits/SignalPublisher.h"

namespace Corvane {

// The error value of a backend code; every code without a row of its own (success
// included) is cErrorUnknown.
ErrorCode convertQdError(int backendCode) noexcept;

// cNoError for a backend success (not negative), else the converted code.
ErrorCode qdResultToError(int backendResult) noexcept;

// sigError with "lastError" = error.
void publishErrorValue(SignalPublisher& publisher, ErrorCode error);
// A failed backend call reported as sigError; returns the converted code.
ErrorCode publishQdFailure(SignalPublisher& publisher, int backendCode);

} // namespace Corvane
