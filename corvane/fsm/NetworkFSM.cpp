#include "corvane/fsm/NetworkFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/traits/DeviceTrait.h"

namespace Corvane {

namespace {

const StateName networkStates[] = {
    {QHsm::handler(&NetworkFSM::notRegistered), "notRegistered"},
    {QHsm::handler(&NetworkFSM::registering), "registering"},
    {QHsm::handler(&NetworkFSM::registrationDenied), "registrationDenied"},
    {QHsm::handler(&NetworkFSM::registered), "registered"},
};

constexpr Signal networkSignals[] = {sigTechnologyChange, sigScan,   sigScanFinished, sigSwitchTechnology,
                                     sigSearch,           sigDenied, sigRegister,     sigRoaming,
                                     sigDeregister,       sigSelectNetwork};

} // namespace

NetworkFSM::NetworkFSM(CorvaneController& controller)
    : TracedHsm(handler(&NetworkFSM::initial), "NetworkFSM", logging::category::networkFsm, networkStates),
      controller_(controller)
{
}

// A machine that goes while registered (the card went, the library closes) runs no exit
// action; the registration ends with it all the same, so what the exit would have ended
// ends here: the SMS module must not stay active without a card.
NetworkFSM::~NetworkFSM()
{
    if (state() == handler(&NetworkFSM::registered)) {
        connection_.reset();
        controller_.smsModuleState().setModuleState(smsInactive);
    }
    LOG4CPLUS_DEBUG(logger(), "~NetworkFSM() - Exit");
}

std::span<const Signal> NetworkFSM::subscriptions() { return networkSignals; }

DeviceTrait& NetworkFSM::trait() const { return controller_.deviceTrait(); }

void NetworkFSM::readNetworkInfo() const
{
    Dictionary none;
    trait().readNetworkInfo(none);
}

void NetworkFSM::startScan()
{
    if (scanRunning_) {
        // The running scan's list answers this request too.
        LOG4CPLUS_DEBUG(logger(), "A network scan is already running; this request is dropped");
        return;
    }
    scanRunning_ = true;
    notifyNetworkScan(true);
    Dictionary none;
    if (trait().scanNetworks(none) != cNoError) {
        // No scan thread: no list would ever come, and the client would wait for it.
        scanRunning_ = false;
        notifyNetworkList({});
    }
}

QState NetworkFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&NetworkFSM::network));
    return handled();
}

QState NetworkFSM::network(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("network", "entry");
        Dictionary none;
        trait().initNetwork(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("network", "exit");
    case Q_INIT_SIG:
        trace("network", "init");
        initTran(handler(&NetworkFSM::notRegistered));
        return handled();
    case sigTechnologyChange:
        trace("network", "technologyChange");
        readNetworkInfo();
        return handled();
    case sigScan:
        trace("network", "scan");
        startScan();
        return handled();
    case sigScanFinished:
        trace("network", "scanFinished");
        scanRunning_ = false;
        notifyNetworkList(parametersOf(e));
        return handled();
    case sigSwitchTechnology: {
        trace("network", "switchTechnology");
        Dictionary request = parametersOf(e);
        trait().setNetworkTechnology(request);
        return handled();
    }
    case sigSelectNetwork: {
        trace("network", "selectNetwork");
        Dictionary request = parametersOf(e);
        trait().selectNetwork(request);
        return handled();
    }
    }
    return super(&QHsm::top);
}

QState NetworkFSM::substateEntry(const char* state, int registrationState)
{
    trace(state, "entry");
    notifyRegistration(registrationState);
    return handled();
}

QState NetworkFSM::substateExit(const char* state)
{
    trace(state, "exit");
    readNetworkInfo();
    return handled();
}

QState NetworkFSM::notRegistered(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return substateEntry("notRegistered", rmNotRegistered);
    case Q_EXIT_SIG:
        return substateExit("notRegistered");
    case sigSearch:
        trace("notRegistered", "search");
        Q_TRAN(&NetworkFSM::registering);
        return handled();
    case sigRegister:
        trace("notRegistered", "register");
        notifyRegistration(rmComplete);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigRoaming:
        trace("notRegistered", "roaming");
        notifyRegistration(rmRoaming);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigDenied:
        trace("notRegistered", "denied");
        Q_TRAN(&NetworkFSM::registrationDenied);
        return handled();
    }
    return super(&NetworkFSM::network);
}

QState NetworkFSM::registering(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return substateEntry("registering", rmSearching);
    case Q_EXIT_SIG:
        return substateExit("registering");
    case sigRegister:
        trace("registering", "register");
        notifyRegistration(rmComplete);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigRoaming:
        trace("registering", "roaming");
        notifyRegistration(rmRoaming);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigDeregister:
        trace("registering", "deregister");
        Q_TRAN(&NetworkFSM::notRegistered);
        return handled();
    case sigDenied:
        trace("registering", "denied");
        Q_TRAN(&NetworkFSM::registrationDenied);
        return handled();
    }
    return super(&NetworkFSM::network);
}

QState NetworkFSM::registrationDenied(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return substateEntry("registrationDenied", rmDenied);
    case Q_EXIT_SIG:
        return substateExit("registrationDenied");
    case sigSearch:
        trace("registrationDenied", "search");
        Q_TRAN(&NetworkFSM::registering);
        return handled();
    case sigRegister:
        trace("registrationDenied", "register");
        notifyRegistration(rmComplete);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigRoaming:
        trace("registrationDenied", "roaming");
        notifyRegistration(rmRoaming);
        Q_TRAN(&NetworkFSM::registered);
        return handled();
    case sigDeregister:
        trace("registrationDenied", "deregister");
        Q_TRAN(&NetworkFSM::notRegistered);
        return handled();
    }
    return super(&NetworkFSM::network);
}

// The arrival's own transition announces home network or roaming; this state does not.
QState NetworkFSM::registered(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("registered", "entry");
        connection_ = controller_.connectionMachines().create(controller_);
        controller_.smsModuleState().setModuleState(smsActive);
        return handled();
    case Q_EXIT_SIG:
        substateExit("registered");
        connection_.reset();
        controller_.smsModuleState().setModuleState(smsInactive);
        return handled();
    case sigSearch:
        trace("registered", "search");
        Q_TRAN(&NetworkFSM::registering);
        return handled();
    case sigDeregister:
        trace("registered", "deregister");
        Q_TRAN(&NetworkFSM::notRegistered);
        return handled();
    case sigDenied:
        trace("registered", "denied");
        Q_TRAN(&NetworkFSM::registrationDenied);
        return handled();
    }
    return super(&NetworkFSM::network);
}

} // namespace Corvane
