#include "corvane/fsm/LibraryFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/DeviceFSM.h"
#include "corvane/traits/DeviceTrait.h"

namespace Corvane {

namespace {

const StateName libraryStates[] = {
    {QHsm::handler(&LibraryFSM::libInitialisation), "libInitialisation"},
    {QHsm::handler(&LibraryFSM::libInitFailure), "libInitFailure"},
    {QHsm::handler(&LibraryFSM::libInitialised), "libInitialised"},
    {QHsm::handler(&LibraryFSM::libTerminate), "libTerminate"},
};

constexpr Signal librarySignals[] = {sigLibInitialised, sigInitialised, sigDone, sigError, sigTerminate, sigUpdate};

} // namespace

LibraryFSM::LibraryFSM(CorvaneController& controller)
    : TracedHsm(handler(&LibraryFSM::initial), "LibraryFSM", logging::category::libraryFsm, libraryStates),
      controller_(controller)
{
}

LibraryFSM::~LibraryFSM()
{
    device_.reset();
    LOG4CPLUS_DEBUG(logger(), "~LibraryFSM() - Exit");
}

std::span<const Signal> LibraryFSM::subscriptions() { return librarySignals; }

void LibraryFSM::setFunctionParameters(const Dictionary& parameters)
{
    std::lock_guard lock(parametersMutex_);
    functionParameters_ = parameters;
}

Dictionary LibraryFSM::functionParameters() const
{
    std::lock_guard lock(parametersMutex_);
    return functionParameters_;
}

void LibraryFSM::reportError(const char* state, const QEvent* e)
{
    trace(state, "error");
    lastError_ = parametersOf(e).integer32(key::lastError);
    notifyTraitError(static_cast<ErrorCode>(lastError_), functionParameters());
}

void LibraryFSM::shutDownTrait()
{
    Dictionary none;
    controller_.deviceTrait().shutdown(none);
}

QState LibraryFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&LibraryFSM::libInitialisation));
    return handled();
}

QState LibraryFSM::libInitialisation(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("libInitialisation", "entry");
        notifyLibraryState(lmInitialising);
        device_ = makeActiveObject<DeviceFSM>(controller_.hub(), controller_);
        device_->subscribe();
        device_->start();
        Dictionary none;
        controller_.deviceTrait().initialise(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("libInitialisation", "exit");
    case sigError:
        reportError("libInitialisation", e);
        Q_TRAN(&LibraryFSM::libInitFailure);
        return handled();
    case sigLibInitialised:
        trace("libInitialisation", "initialised");
        Q_TRAN(&LibraryFSM::libInitialised);
        return handled();
    case sigTerminate:
        trace("libInitialisation", "terminate");
        Q_TRAN(&LibraryFSM::libTerminate);
        return handled();
    }
    return super(&QHsm::top);
}

QState LibraryFSM::libInitFailure(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("libInitFailure", "entry");
        notifyLibraryState(lmInitFailure);
        shutDownTrait();
        return handled();
    case sigTerminate:
        trace("libInitFailure", "terminate");
        Q_TRAN(&LibraryFSM::libTerminate);
        return handled();
    }
    return super(&QHsm::top);
}

QState LibraryFSM::libInitialised(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("libInitialised", "entry");
        notifyLibraryState(lmInitialised);
        return handled();
    case Q_EXIT_SIG:
        trace("libInitialised", "exit");
        device_.reset();
        return handled();
    case sigError:
        reportError("libInitialised", e);
        return handled();
    case sigTerminate:
        trace("libInitialised", "terminate");
        Q_TRAN(&LibraryFSM::libTerminate);
        return handled();
    case sigUpdate:
        // The client's update callbacks run on the controller's worker, in order.
        controller_.postUpdate(std::make_shared<CvEvent>(sigUpdate, parametersOf(e)));
        return handled();
    }
    return super(&QHsm::top);
}

QState LibraryFSM::libTerminate(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("libTerminate", "entry");
        shutDownTrait();
        notifyLibraryState(lmClosed);
        return handled();
    case sigError:
        reportError("libTerminate", e);
        return handled();
    }
    return super(&QHsm::top);
}

} // namespace Corvane
