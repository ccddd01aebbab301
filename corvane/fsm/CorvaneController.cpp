#include "corvane/fsm/CorvaneController.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Logging.h"

#include <memory>
#include <mutex>

namespace Corvane {

namespace {

std::mutex instanceMutex; // guards theController
std::unique_ptr<CorvaneController> theController;

} // namespace

CorvaneController& CorvaneController::instance()
{
    std::lock_guard lock(instanceMutex);
    if (!theController)
        theController = std::make_unique<CorvaneController>(Key{});
    return *theController;
}

CorvaneController* CorvaneController::existing() noexcept
{
    std::lock_guard lock(instanceMutex);
    return theController.get();
}

void CorvaneController::destroyInstance()
{
    std::unique_ptr<CorvaneController> doomed;
    {
        std::lock_guard lock(instanceMutex);
        doomed = std::move(theController);
    }
    // Destroyed outside the lock: its worker may be inside a client callback that asks
    // for the controller.
}

CorvaneController::CorvaneController(Key) : Worker<CvEventPtr>(true) { logging::createLoggers(); }

CorvaneController::~CorvaneController() { stop(); }

void CorvaneController::process(const CvEventPtr& event)
{
    if (event)
        notifyUpdate(event->parameters);
}

} // namespace Corvane
