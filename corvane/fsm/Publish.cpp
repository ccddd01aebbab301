#include "corvane/fsm/Publish.h"

#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Events.h"

#include <memory>

namespace Corvane {

void publish(Signal signal, const Dictionary& parameters)
{
    // Publishers run on threads of their own: the controller must not go mid-delivery.
    const CorvaneController::InUse controller;
    if (!controller)
        return;
    controller->hub().notify(std::make_shared<CvEvent>(signal, parameters));
}

void publishUpdate(const Dictionary& values) { publish(sigUpdate, values); }

void publishError(ErrorCode error)
{
    Dictionary values;
    values.setInteger("lastError", error);
    publish(sigError, values);
}

} // namespace Corvane
