#include "corvane/fsm/CorvaneController.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/Logging.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/LibraryFSM.h"
#include "corvane/threads/ShutdownPatience.h"
#include "corvane/traits/DeviceTrait.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace Corvane {

namespace {

std::mutex instanceMutex; // guards theController and usersInFlight
std::unique_ptr<CorvaneController> theController;
int usersInFlight = 0; // InUse objects holding theController
std::condition_variable usersGone;

log4cplus::Logger dispatcherLogger() { return logging::logger(logging::category::dispatcher); }

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

void CorvaneController::destroyInstance(unsigned leftBehindBefore)
{
    std::unique_ptr<CorvaneController> doomed;
    bool usersEnded = true;
    {
        std::unique_lock lock(instanceMutex);
        doomed = std::move(theController);
        // Nobody can start a use now; the ones under way finish with it still there.
        usersEnded = usersGone.wait_for(lock, shutdownPatience(), [] { return usersInFlight == 0; });
    }
    if (!doomed)
        return;
    if (!usersEnded)
        LOG4CPLUS_ERROR(dispatcherLogger(), "CorvaneController::destroy() - a use of the controller did not end in time");
    // Stopped outside the lock: its worker may be inside a client callback that asks for
    // the controller.
    if (!doomed->stopWithin(shutdownPatience()))
        leaveBehind(nullptr); // the controller itself is kept below
    // A machine left behind still refers to the controller; so does a use that did not
    // end. The controller then stays in memory with them.
    if (!usersEnded || threadsLeftBehind() != leftBehindBefore) {
        LOG4CPLUS_ERROR(dispatcherLogger(), "CorvaneController::destroy() - threads were left behind; the controller "
                                            "stays in memory for them");
        leaveBehind(doomed.release());
    }
}

CorvaneController::InUse::InUse() noexcept
{
    std::lock_guard lock(instanceMutex);
    controller_ = theController.get();
    if (controller_ != nullptr)
        ++usersInFlight;
}

CorvaneController::InUse::~InUse()
{
    if (controller_ == nullptr)
        return;
    std::lock_guard lock(instanceMutex);
    if (--usersInFlight == 0)
        usersGone.notify_all();
}

void CorvaneController::close()
{
    CorvaneController* controller = existing();
    if (controller == nullptr)
        return; // never started, or closed already
    LOG4CPLUS_DEBUG(dispatcherLogger(), "CorvaneController::destroy() - Entry");
    const unsigned leftBehindBefore = threadsLeftBehind();
    Dictionary none;
    controller->deviceTrait().shutdown(none);
    notifyLibraryState(lmClosed);
    // The machines go while the controller is still there for their last notifications.
    controller->library_.reset();
    // The connection history lets go of its database here, once it exists.
    destroyInstance(leftBehindBefore);
    LOG4CPLUS_DEBUG(dispatcherLogger(), "CorvaneController::destroy() - Exit");
}

CorvaneController::CorvaneController(Key) : deviceTrait_(&defaultDeviceTrait())
{
    logging::createLoggers();
}

// The members go in a safe order on their own; stopping the worker first only keeps the
// library's last updates, posted while it goes, from reaching the client.
CorvaneController::~CorvaneController() { worker_.stop(); }

Dictionary CorvaneController::initialParameters() const
{
    std::lock_guard lock(parametersMutex_);
    return initialParameters_;
}

void CorvaneController::setInitialParameters(const Dictionary& parameters)
{
    std::lock_guard lock(parametersMutex_);
    initialParameters_ = parameters;
}

void CorvaneController::setDatabasePath(const std::string& path)
{
    std::lock_guard lock(parametersMutex_);
    databasePath_ = path;
}

std::string CorvaneController::databasePath() const
{
    std::lock_guard lock(parametersMutex_);
    return databasePath_;
}

bool CorvaneController::init(const Dictionary& parameters)
{
    LOG4CPLUS_DEBUG(dispatcherLogger(), "CorvaneController::init()");
    setInitialParameters(parameters);
    if (library_)
        return true;
    library_ = makeActiveObject<LibraryFSM>(hub_, *this);
    library_->subscribe();
    library_->start();
    // The SMS database and the connection history open here, once they exist.
    return true;
}

LibraryFSM* CorvaneController::libraryMachine() noexcept { return library_ ? &library_->machine() : nullptr; }

void CorvaneController::process(const CvEventPtr& event)
{
    if (event)
        notifyUpdate(event->parameters);
}

} // namespace Corvane
