#include "corvane/fsm/PinPukFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/traits/DeviceTrait.h"

namespace Corvane {

namespace {

const StateName pinPukStates[] = {
    {QHsm::handler(&PinPukFSM::idle), "idle"},
    {QHsm::handler(&PinPukFSM::pinEntry), "pinEntry"},
    {QHsm::handler(&PinPukFSM::pinMissing), "pinMissing"},
    {QHsm::handler(&PinPukFSM::pinCheck), "pinCheck"},
    {QHsm::handler(&PinPukFSM::simBlocked), "simBlocked"},
};

constexpr Signal pinPukSignals[] = {sigNeedPin,    sigAccept,    sigEnter,      sigCancel,
                                    sigSimBlocked, sigChangePin, sigActivatePin};

} // namespace

PinPukFSM::PinPukFSM(CorvaneController& controller)
    : TracedHsm(handler(&PinPukFSM::initial), "PinPukFSM", logging::category::pinPukFsm, pinPukStates),
      controller_(controller)
{
}

PinPukFSM::~PinPukFSM() { LOG4CPLUS_DEBUG(logger(), "~PinPukFSM() - Exit"); }

std::span<const Signal> PinPukFSM::subscriptions() { return pinPukSignals; }

DeviceTrait& PinPukFSM::trait() const { return controller_.deviceTrait(); }

void PinPukFSM::forward(int (DeviceTrait::*operation)(Dictionary&), const QEvent* e) const
{
    Dictionary request = parametersOf(e);
    (trait().*operation)(request);
}

QState PinPukFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&PinPukFSM::idle));
    return handled();
}

QState PinPukFSM::idle(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return traced("idle", "entry");
    case Q_EXIT_SIG:
        return traced("idle", "exit");
    case sigNeedPin:
        trace("idle", "needPin");
        notifyPinState(pmMissing);
        notifyEnterPin(parametersOf(e));
        Q_TRAN(&PinPukFSM::pinEntry);
        return handled();
    case sigChangePin:
        trace("idle", "needPin");
        forward(&DeviceTrait::changePin, e);
        return handled();
    case sigActivatePin:
        trace("idle", "activate");
        forward(&DeviceTrait::setPinMode, e);
        return handled();
    }
    return super(&QHsm::top);
}

QState PinPukFSM::pinEntry(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return traced("pinEntry", "entry");
    case Q_EXIT_SIG:
        return traced("pinEntry", "exit");
    case sigEnter:
        trace("pinEntry", "enter");
        notifyPinState(pmChecking);
        forward(&DeviceTrait::enterPin, e);
        Q_TRAN(&PinPukFSM::pinCheck);
        return handled();
    case sigCancel:
        trace("pinEntry", "cancel");
        Q_TRAN(&PinPukFSM::pinMissing);
        return handled();
    }
    return super(&QHsm::top);
}

QState PinPukFSM::pinMissing(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("pinMissing", "entry");
        notifyPinState(pmMissing);
        return handled();
    case Q_EXIT_SIG:
        return traced("pinMissing", "exit");
    case sigNeedPin:
        trace("pinMissing", "needPin");
        notifyEnterPin(parametersOf(e));
        Q_TRAN(&PinPukFSM::pinEntry);
        return handled();
    }
    return super(&QHsm::top);
}

QState PinPukFSM::pinCheck(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return traced("pinCheck", "entry");
    case Q_EXIT_SIG:
        return traced("pinCheck", "exit");
    case sigAccept: {
        trace("pinCheck", "accept");
        notifyPinState(pmAccepted);
        Dictionary none;
        trait().readSimInfo(none);
        Q_TRAN(&PinPukFSM::idle);
        return handled();
    }
    case sigNeedPin:
        trace("pinCheck", "needPin");
        notifyPinState(pmRejected);
        notifyEnterPin(parametersOf(e));
        Q_TRAN(&PinPukFSM::pinEntry);
        return handled();
    case sigSimBlocked:
        trace("pinCheck", "simBlocked");
        Q_TRAN(&PinPukFSM::simBlocked);
        return handled();
    }
    return super(&QHsm::top);
}

QState PinPukFSM::simBlocked(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("simBlocked", "entry");
        notifyPinState(pmSimBlocked);
        return handled();
    case Q_EXIT_SIG:
        return traced("simBlocked", "exit");
    }
    return super(&QHsm::top);
}

} // namespace Corvane
