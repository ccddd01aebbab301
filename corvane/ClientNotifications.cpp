#include "corvane/ClientNotifications.h"

#include "corvane/ParameterRecord.h"
#include "corvane/fsm/CorvaneController.h"

#include <atomic>

namespace Corvane {

namespace {

std::atomic<std::int64_t> deviceId{-1};

enum class Store { yes, no };

// Builds the record on top of a copy of `base`, adds the context and what `addValues`
// writes, stores it when asked and calls the client.
template <class Slot, class AddValues>
void deliver(Slot slot, const Dictionary& base, Store store, AddValues&& addValues)
{
    CorvaneController* controller = CorvaneController::existing();
    if (controller == nullptr)
        return;
    const TraitCallback trait = controller->traits().callback(slot);

    Dictionary values = base;
    if (values.isEmpty() && !base.isEmpty())
        return; // out of memory: nothing to report
    values.setPointer(trait.contextKey, trait.context);
    addValues(values);
    if (store == Store::yes)
        controller->store().merge(values);

    const CvParameters record{std::move(values)};
    trait.callback(&record);
}

void deliverInteger(ClientCallback slot, const char* key, std::int64_t value)
{
    deliver(slot, {}, Store::yes, [&](Dictionary& d) { d.setInteger(key, value); });
}

void noValues(Dictionary&) {}

} // namespace

void notifyTraitError(ErrorCode error, const Dictionary& functionParameters)
{
    deliver(ClientCallback::traitError, {}, Store::no, [&](Dictionary& d) {
        d.setInteger("lastError", error);
        d.setDictionary("functionParameters", functionParameters);
    });
}

void notifyLibraryState(std::int64_t state) { deliverInteger(ClientCallback::libraryState, "libraryState", state); }

void notifyDeviceState(std::int64_t state)
{
    deliver(ClientCallback::deviceState, {}, Store::yes, [&](Dictionary& d) {
        d.setInteger("deviceState", state);
        d.setInteger("deviceId", currentDeviceId());
    });
}

void notifyPinState(std::int64_t state) { deliverInteger(ClientCallback::pinState, "pinState", state); }

void notifyEnterPin(const Dictionary& values) { deliver(ClientCallback::enterPin, values, Store::no, noValues); }

void notifyUpdate(const Dictionary& values) { deliver(ClientCallback::update, values, Store::yes, noValues); }

void notifyRegistration(std::int64_t state)
{
    deliverInteger(ClientCallback::registration, "registrationState", state);
}

void notifyFlightMode(bool flightModeOn)
{
    deliverInteger(ClientCallback::flightMode, "radioState", flightModeOn ? 2 : 1);
}

void notifyNetworkScan(bool active) { deliverInteger(ClientCallback::networkScan, "networkScanActive", active ? 1 : 0); }

void notifyNetworkList(const Dictionary& list)
{
    deliver(ClientCallback::networkScan, {}, Store::yes, [&](Dictionary& d) {
        d.setInteger("networkScanActive", 0);
        d.setDictionary("list", list);
    });
}

void notifyConnectionState(std::int64_t state)
{
    deliverInteger(ClientCallback::connectionChange, "connectionState", state);
}

void notifyGpsSupport(bool supported)
{
    deliver(GpsCallback::support, {}, Store::yes, [&](Dictionary& d) { d.setInteger("gpsSupport", supported ? 1 : 0); });
}

void notifyGpsState(std::int64_t state)
{
    deliver(GpsCallback::state, {}, Store::yes, [&](Dictionary& d) { d.setInteger("gpsState", state); });
}

void notifyGpsData(const Dictionary& data) { deliver(GpsCallback::data, data, Store::yes, noValues); }

std::int64_t currentDeviceId() noexcept { return deviceId.load(); }

std::int64_t advanceDeviceId() noexcept { return deviceId.fetch_add(1) + 1; }

} // namespace Corvane
