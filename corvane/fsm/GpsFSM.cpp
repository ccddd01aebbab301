#include "corvane/fsm/GpsFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Enumerations.h"

namespace Corvane {

namespace {

const StateName gpsStates[] = {
    {QHsm::handler(&GpsFSM::gps), "gps"},
    {QHsm::handler(&GpsFSM::active), "active"},
    {QHsm::handler(&GpsFSM::reading), "reading"},
    {QHsm::handler(&GpsFSM::searching), "searching"},
};

constexpr Signal gpsSignals[] = {sigActivateGps, sigDeactivateGps, sigGpsUpdate, sigReadGps, sigStopGps, sigGpsSearch};

} // namespace

GpsFSM::GpsFSM() : TracedHsm(handler(&GpsFSM::initial), "GpsFSM", logging::category::gpsFsm, gpsStates) {}

GpsFSM::~GpsFSM() { LOG4CPLUS_DEBUG(logger(), "~GpsFSM() - Exit"); }

std::span<const Signal> GpsFSM::subscriptions() { return gpsSignals; }

QState GpsFSM::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&GpsFSM::gps));
    return handled();
}

QState GpsFSM::gps(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("gps", "entry");
        notifyGpsState(gpsOff);
        return handled();
    case Q_EXIT_SIG:
        return traced("gps", "exit");
    case sigActivateGps:
        trace("gps", "activate");
        Q_TRAN(&GpsFSM::active);
        return handled();
    case sigReadGps:
        trace("gps", "readGps");
        Q_TRAN(&GpsFSM::reading);
        return handled();
    }
    return super(&QHsm::top);
}

QState GpsFSM::active(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("active", "entry");
        notifyGpsState(gpsActive);
        return handled();
    case Q_EXIT_SIG:
        trace("active", "exit");
        notifyGpsState(gpsOff);
        return handled();
    case sigActivateGps:
        return traced("active", "activate"); // already on
    case sigDeactivateGps:
        trace("active", "deactivate");
        Q_TRAN(&GpsFSM::gps);
        return handled();
    case sigReadGps:
        trace("active", "readGps");
        Q_TRAN(&GpsFSM::reading);
        return handled();
    }
    return super(&GpsFSM::gps);
}

QState GpsFSM::reading(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("reading", "entry");
        notifyGpsState(gpsReading);
        return handled();
    case Q_EXIT_SIG:
        return traced("reading", "exit");
    case sigStopGps:
        trace("reading", "stopGps");
        notifyGpsState(gpsActive);
        Q_TRAN(&GpsFSM::active);
        return handled();
    case sigGpsUpdate:
        trace("reading", "gpsUpdate");
        notifyGpsData(parametersOf(e));
        return handled();
    case sigGpsSearch:
        trace("reading", "gpsSearch");
        Q_TRAN(&GpsFSM::searching);
        return handled();
    }
    return super(&GpsFSM::active);
}

QState GpsFSM::searching(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        trace("searching", "entry");
        notifyGpsState(gpsSearching);
        return handled();
    case Q_EXIT_SIG:
        return traced("searching", "exit");
    case sigReadGps:
        trace("searching", "readGps");
        notifyGpsState(gpsReading); // the fix is back; "reading" is not entered again
        Q_TRAN(&GpsFSM::reading);
        return handled();
    case sigGpsSearch:
        return traced("searching", "gpsSearch"); // still no fix
    }
    return super(&GpsFSM::reading);
}

} // namespace Corvane
