#pragma once
// Raising a signal: every active object subscribed to it gets the event in its queue,
// delivered on the publisher's thread, which never waits for the subscribers' processing.

#include "corvane/ErrorCode.h"
#include "corvane/fsm/Signals.h"
#include "corvane/types/Dictionary.h"

namespace Corvane {

// The event carries a copy of `parameters`. Without a library there is nobody to tell,
// and the signal is dropped.
void publish(Signal signal, const Dictionary& parameters = {});
// sigUpdate with new values for the client.
void publishUpdate(const Dictionary& values);
// sigError with "lastError" = error.
void publishError(ErrorCode error);

} // namespace Corvane
