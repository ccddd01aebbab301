#pragma once
// Where a producer of signals sends them. The middleware's own publish() is the default;
// tools and tests hand in their own receiver, so that records can be taken without a
// running library.

#include "corvane/fsm/Signals.h"
#include "corvane/types/Dictionary.h"

namespace Corvane {

class SignalPublisher {
public:
    virtual ~SignalPublisher() = default;

    // `record` is valid only during the call; a receiver that keeps it copies it.
    virtual void publish(Signal signal, const Dictionary& record) = 0;

    // Forwards to publish() of the middleware: every subscribed active object gets the event.
    static SignalPublisher& middleware() noexcept;
};

} // namespace Corvane
