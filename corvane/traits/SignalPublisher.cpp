#include "corvane/traits/SignalPublisher.h"

#include "corvane/fsm/Publish.h"

namespace Corvane {

namespace {

class MiddlewarePublisher final : public SignalPublisher {
public:
    void publish(Signal signal, const Dictionary& record) override { ::Corvane::publish(signal, record); }
};

} // namespace

SignalPublisher& SignalPublisher::middleware() noexcept
{
    static MiddlewarePublisher publisher;
    return publisher;
}

} // namespace Corvane
