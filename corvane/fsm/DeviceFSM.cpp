#include "corvane/fsm/DeviceFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/GpsFSM.h"
#include "corvane/fsm/PinPukFSM.h"
#include "corvane/fsm/RadioFSM.h"
#include "corvane/traits/DeviceTrait.h"

namespace Corvane {

namespace {

const StateName deviceStates[] = {
    {QHsm::handler(&DeviceFSM::noDevice), "noDevice"},
    {QHsm::handler(&DeviceFSM::devicePresent), "devicePresent"},
    {QHsm::handler(&DeviceFSM::deviceInitialising), "deviceInitialising"},
    {QHsm::handler(&DeviceFSM::deviceInitFailure), "deviceInitFailure"},
    {QHsm::handler(&DeviceFSM::simInitialising), "simInitialising"},
    {QHsm::handler(&DeviceFSM::noSimInserted), "noSimInserted"},
    {QHsm::handler(&DeviceFSM::busyWithoutSim), "busyWithoutSim"},
    {QHsm::handler(&DeviceFSM::simInserted), "simInserted"},
    {QHsm::handler(&DeviceFSM::busyWithSimInserted), "busyWithSimInserted"},
    {QHsm::handler(&DeviceFSM::simBlocked), "simBlocked"},
    {QHsm::handler(&DeviceFSM::busyWithBlockedSim), "busyWithBlockedSim"},
};

constexpr Signal deviceSignals[] = {sigArrival,    sigDeparture,  sigReset,      sigDone,         sigError,
                                    sigInitialised, sigSimMissing, sigSimBlocked, sigRadioOn,      sigDeviceBusy,
                                    sigDeviceDone, sigConfigureGps, sigGpsEnabled, sigGpsDisabled};

// Initialisation modes that go on to the SIM: every mode but GPS only.
bool initialisesSim(std::int64_t mode)
{
    return mode == cInitModeFull || mode == cInitModeFullAlias || mode == cInitModeFullAndGps;
}

} // namespace

DeviceFSM::DeviceFSM(CorvaneController& controller)
    : TracedHsm(handler(&DeviceFSM::initial), "DeviceFSM", logging::category::deviceFsm, deviceStates),
      controller_(controller)
{
}

DeviceFSM::~DeviceFSM()
{
    deleteChildMachines();
    LOG4CPLUS_DEBUG(logger(), "~DeviceFSM() - Exit");
}

std::span<const Signal> DeviceFSM::subscriptions() { return deviceSignals; }

DeviceTrait& DeviceFSM::trait() const { return controller_.deviceTrait(); }

QState DeviceFSM::tracedState(const char* state, const char* action, int deviceState)
{
    trace(state, action);
    notifyDeviceState(deviceState);
    return handled();
}

void DeviceFSM::startGpsMachine()
{
    if (!startActiveObject(gps_, controller_.hub()))
        return;
    Dictionary none;
    trait().initGps(none);
}

void DeviceFSM::createSimMachines()
{
    startActiveObject(pinPuk_, controller_.hub(), controller_);
    startActiveObject(radio_, controller_.hub(), controller_);
}

void DeviceFSM::deleteChildMachines()
{
    pinPuk_.reset();
    radio_.reset();
    gps_.reset();
}

QState DeviceFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&DeviceFSM::noDevice));
    return handled();
}

QState DeviceFSM::noDevice(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("noDevice", "entry", devmRemoved);
    case Q_EXIT_SIG:
        return traced("noDevice", "exit");
    case sigArrival:
        trace("noDevice", "arrival");
        advanceDeviceId();
        Q_TRAN(&DeviceFSM::devicePresent);
        return handled();
    }
    return super(&QHsm::top);
}

QState DeviceFSM::devicePresent(const QEvent* e)
{
    switch (e->sig) {
    case Q_INIT_SIG:
        trace("devicePresent", "init");
        initTran(handler(&DeviceFSM::deviceInitialising));
        return handled();
    case Q_ENTRY_SIG:
        return tracedState("devicePresent", "entry", devmArrived);
    case Q_EXIT_SIG:
        trace("devicePresent", "exit");
        deleteChildMachines();
        return handled();
    case sigDeparture:
        trace("devicePresent", "departure");
        notifyGpsState(gpsOff);
        notifyGpsSupport(false);
        Q_TRAN(&DeviceFSM::noDevice);
        return handled();
    case sigReset:
        trace("devicePresent", "reset");
        Q_TRAN(&DeviceFSM::deviceInitialising);
        return handled();
    case sigConfigureGps: {
        trace("devicePresent", "configureGps");
        Dictionary request = parametersOf(e);
        trait().configureGps(request);
        return handled();
    }
    case sigGpsEnabled:
        trace("devicePresent", "gpsEnabled");
        notifyGpsSupport(true);
        startGpsMachine();
        return handled();
    case sigGpsDisabled:
        trace("devicePresent", "gpsDisabled");
        gps_.reset();
        notifyGpsState(gpsOff);
        notifyGpsSupport(false);
        return handled();
    }
    return super(&QHsm::top);
}

QState DeviceFSM::deviceInitialising(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        tracedState("deviceInitialising", "entry", devmInitialising);
        Dictionary parameters = controller_.initialParameters();
        trait().initDevice(parameters);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("deviceInitialising", "exit");
    case sigError:
        trace("deviceInitialising", "error");
        Q_TRAN(&DeviceFSM::deviceInitFailure);
        return handled();
    case sigDone: {
        tracedState("deviceInitialising", "done", devmInitialised);
        const Dictionary parameters = controller_.initialParameters();
        std::int64_t mode = cInitModeFullAndGps;
        if (parameters.hasKey(key::libraryInitMode))
            mode = parameters.integer(key::libraryInitMode);
        if (initialisesSim(mode)) {
            createSimMachines();
            Q_TRAN(&DeviceFSM::simInitialising);
        }
        return handled();
    }
    }
    return super(&DeviceFSM::devicePresent);
}

QState DeviceFSM::deviceInitFailure(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("deviceInitFailure", "entry", devmInitFailure);
    case Q_EXIT_SIG:
        return traced("deviceInitFailure", "exit");
    }
    return super(&DeviceFSM::devicePresent);
}

QState DeviceFSM::simInitialising(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("simInitialising", "entry");
        Dictionary none;
        trait().initSim(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("simInitialising", "exit");
    case sigInitialised:
        trace("simInitialising", "initialised");
        Q_TRAN(&DeviceFSM::simInserted);
        return handled();
    case sigSimMissing:
        tracedState("simInitialising", "simMissing", devmSimMissing);
        Q_TRAN(&DeviceFSM::noSimInserted);
        return handled();
    case sigSimBlocked:
        trace("simInitialising", "simBlocked");
        Q_TRAN(&DeviceFSM::simBlocked);
        return handled();
    case sigRadioOn: // the radio came on: start the SIM initialisation again
        trace("simInitialising", "radioOn");
        Q_TRAN(&DeviceFSM::simInitialising);
        return handled();
    }
    return super(&DeviceFSM::devicePresent);
}

QState DeviceFSM::noSimInserted(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return traced("noSimInserted", "entry");
    case Q_EXIT_SIG:
        return traced("noSimInserted", "exit");
    case sigDeviceBusy:
        trace("noSimInserted", "deviceBusy");
        Q_TRAN(&DeviceFSM::busyWithoutSim);
        return handled();
    }
    return super(&DeviceFSM::devicePresent);
}

QState DeviceFSM::busyWithoutSim(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("busyWithoutSim", "entry", devmBusy);
    case Q_EXIT_SIG:
        return tracedState("busyWithoutSim", "exit", devmSimMissing);
    case sigDeviceDone:
        trace("busyWithoutSim", "deviceDone");
        Q_TRAN(&DeviceFSM::noSimInserted);
        return handled();
    }
    return super(&DeviceFSM::noSimInserted);
}

QState DeviceFSM::simInserted(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("simInserted", "entry");
        Dictionary none;
        trait().readSimInfo(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("simInserted", "exit");
    case sigSimBlocked:
        trace("simInserted", "simBlocked");
        Q_TRAN(&DeviceFSM::simBlocked);
        return handled();
    case sigDeviceBusy:
        trace("simInserted", "deviceBusy");
        Q_TRAN(&DeviceFSM::busyWithSimInserted);
        return handled();
    }
    return super(&DeviceFSM::devicePresent);
}

QState DeviceFSM::busyWithSimInserted(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("busyWithSimInserted", "entry", devmBusy);
    case Q_EXIT_SIG:
        return tracedState("busyWithSimInserted", "exit", devmInitialised);
    case sigDeviceDone:
        trace("busyWithSimInserted", "deviceDone");
        Q_TRAN(&DeviceFSM::simInserted);
        return handled();
    }
    return super(&DeviceFSM::simInserted);
}

QState DeviceFSM::simBlocked(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("simBlocked", "entry", devmSimBlocked);
    case Q_EXIT_SIG:
        return tracedState("simBlocked", "exit", devmInitialised);
    case sigDeviceBusy:
        trace("simBlocked", "deviceBusy");
        Q_TRAN(&DeviceFSM::busyWithBlockedSim);
        return handled();
    }
    return super(&DeviceFSM::simInserted);
}

QState DeviceFSM::busyWithBlockedSim(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return tracedState("busyWithBlockedSim", "entry", devmBusy);
    case Q_EXIT_SIG:
        return tracedState("busyWithBlockedSim", "exit", devmSimBlocked);
    case sigDeviceDone:
        trace("busyWithBlockedSim", "deviceDone");
        Q_TRAN(&DeviceFSM::simBlocked);
        return handled();
    }
    return super(&DeviceFSM::simBlocked);
}

} // namespace Corvane
