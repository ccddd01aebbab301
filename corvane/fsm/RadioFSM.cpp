#include "corvane/fsm/RadioFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/NetworkFSM.h"
#include "corvane/traits/DeviceTrait.h"

namespace Corvane {

namespace {

const StateName radioStates[] = {
    {QHsm::handler(&RadioFSM::noRadioSupport), "noRadioSupport"},
    {QHsm::handler(&RadioFSM::radioSupport), "radioSupport"},
    {QHsm::handler(&RadioFSM::radioOn), "radioOn"},
    {QHsm::handler(&RadioFSM::switchOn), "switchOn"},
    {QHsm::handler(&RadioFSM::switchOff), "switchOff"},
    {QHsm::handler(&RadioFSM::antennaOutNoRadio), "antennaOutNoRadio"},
    {QHsm::handler(&RadioFSM::antennaIn), "antennaIn"},
};

constexpr Signal radioSignals[] = {sigRadioSupport, sigRadioOn, sigRadioOff, sigAntennaIn, sigAntennaOut, sigDone};

// Whether `e` is the radio thread's done for a switch to `radioState`. Other workers
// (the network initialisation, say) publish sigDone too; taken for the switch's own, it
// would have the radio read before it switched, and that reading would switch it back.
bool switchedTo(const QEvent* e, int radioState)
{
    const Dictionary& parameters = parametersOf(e);
    return parameters.hasKey(key::radioState) && parameters.integer(key::radioState) == radioState;
}

} // namespace

RadioFSM::RadioFSM(CorvaneController& controller)
    : TracedHsm(handler(&RadioFSM::initial), "RadioFSM", logging::category::radioFsm, radioStates),
      controller_(controller)
{
}

RadioFSM::~RadioFSM()
{
    network_.reset();
    LOG4CPLUS_DEBUG(logger(), "~RadioFSM() - Exit");
}

std::span<const Signal> RadioFSM::subscriptions() { return radioSignals; }

DeviceTrait& RadioFSM::trait() const { return controller_.deviceTrait(); }

void RadioFSM::switchRadio(int radioState) const
{
    Dictionary request;
    request.setInteger(key::radioState, radioState);
    trait().setRadioState(request);
}

void RadioFSM::readRadioInfo() const
{
    Dictionary none;
    trait().readRadioInfo(none);
}

QState RadioFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&RadioFSM::noRadioSupport));
    return handled();
}

QState RadioFSM::noRadioSupport(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("noRadioSupport", "entry");
        Dictionary none;
        trait().initRadio(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("noRadioSupport", "exit");
    case sigRadioSupport:
        trace("noRadioSupport", "radioSupport");
        Q_TRAN(&RadioFSM::radioSupport);
        return handled();
    }
    return super(&QHsm::top);
}

QState RadioFSM::radioSupport(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("radioSupport", "entry");
        startActiveObject(network_, controller_.hub(), controller_);
        return handled();
    case Q_EXIT_SIG:
        return traced("radioSupport", "exit");
    case sigRadioOn:
    case sigAntennaOut:
        trace("radioSupport", "sigRadioOn/antennaOut");
        Q_TRAN(&RadioFSM::radioOn);
        return handled();
    case sigRadioOff:
        trace("radioSupport", "sigRadioOff");
        Q_TRAN(&RadioFSM::antennaOutNoRadio);
        return handled();
    case sigAntennaIn:
        trace("radioSupport", "sigAntennaIn");
        Q_TRAN(&RadioFSM::antennaIn);
        return handled();
    }
    return super(&QHsm::top);
}

QState RadioFSM::radioOn(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG: {
        trace("radioOn", "entry");
        notifyFlightMode(false);
        Dictionary none;
        trait().readNetworkInfo(none);
        return handled();
    }
    case Q_EXIT_SIG:
        return traced("radioOn", "exit");
    case sigRadioOn:
        return traced("radioOn", "radioOn");
    case sigRadioOff:
        trace("radioOn", "radioOff");
        Q_TRAN(&RadioFSM::switchOff);
        return handled();
    }
    return super(&RadioFSM::radioSupport);
}

// Until the switch is done the radio and antenna signals go to radioSupport: whatever
// the card reports first ends it.
QState RadioFSM::switchOn(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("switchOn", "entry");
        switchRadio(cRadioOn);
        return handled();
    case Q_EXIT_SIG:
        return traced("switchOn", "exit");
    case sigDone:
        if (!switchedTo(e, cRadioOn))
            break; // another worker's: dropped
        trace("switchOn", "done");
        readRadioInfo();
        Q_TRAN(&RadioFSM::radioOn);
        return handled();
    }
    return super(&RadioFSM::radioSupport);
}

QState RadioFSM::switchOff(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("switchOff", "entry");
        switchRadio(cRadioOff);
        return handled();
    case Q_EXIT_SIG:
        return traced("switchOff", "exit");
    case sigDone:
        if (!switchedTo(e, cRadioOff))
            break; // another worker's: dropped
        trace("switchOff", "done");
        readRadioInfo();
        Q_TRAN(&RadioFSM::antennaOutNoRadio);
        return handled();
    }
    return super(&RadioFSM::radioSupport);
}

QState RadioFSM::antennaOutNoRadio(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("antennaOutNoRadio", "entry");
        notifyFlightMode(true);
        return handled();
    case Q_EXIT_SIG:
        return traced("antennaOutNoRadio", "exit");
    case sigRadioOn:
        trace("antennaOutNoRadio", "radioOn");
        Q_TRAN(&RadioFSM::switchOn);
        return handled();
    case sigRadioOff:
        return traced("antennaOutNoRadio", "radioOff");
    case sigAntennaIn:
        trace("antennaOutNoRadio", "antennaIn");
        Q_TRAN(&RadioFSM::antennaIn);
        return handled();
    }
    return super(&RadioFSM::radioSupport);
}

QState RadioFSM::antennaIn(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return traced("antennaIn", "entry");
    case Q_EXIT_SIG:
        return traced("antennaIn", "exit");
    case sigRadioOn:
        return traced("antennaIn", "radioOn");
    case sigRadioOff:
        return traced("antennaIn", "radioOff");
    case sigAntennaOut:
        trace("antennaIn", "antennaOut");
        Q_TRAN(&RadioFSM::radioOn);
        return handled();
    }
    return super(&RadioFSM::radioSupport);
}

} // namespace Corvane
