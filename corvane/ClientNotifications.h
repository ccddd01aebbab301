#pragma once
// What the state machines tell the client. Each notification builds a fresh record with
// the trait's context pointer and its values, remembers the values in the store (except
// where said), and hands the record to the client's callback for the duration of the call.
// Without a library, nothing happens.

#include "corvane/ErrorCode.h"
#include "corvane/types/Dictionary.h"

#include <cstdint>

namespace Corvane {

// "lastError" and "functionParameters" to "clientTraitError"; not stored.
void notifyTraitError(ErrorCode error, const Dictionary& functionParameters);
// "libraryState" to "clientLibraryState".
void notifyLibraryState(std::int64_t state);
// "deviceState" and the current "deviceId" to "clientDeviceState".
void notifyDeviceState(std::int64_t state);
// "pinState" to "clientPinState".
void notifyPinState(std::int64_t state);
// Every pair of `values` ("pinKind", "pinCount", "pukCount") to "clientEnterPin"; not stored.
void notifyEnterPin(const Dictionary& values);
// Every pair of `values` to "clientUpdate".
void notifyUpdate(const Dictionary& values);
// "registrationState" to "clientRegistration".
void notifyRegistration(std::int64_t state);
// "radioState": 2 (radio off) while flight mode is on, 1 otherwise, to "clientFlightMode".
void notifyFlightMode(bool flightModeOn);
// "networkScanActive" to "clientNetworkScan".
void notifyNetworkScan(bool active);
// "networkScanActive" 0 and "list" to "clientNetworkScan".
void notifyNetworkList(const Dictionary& list);
// "connectionState" to "clientConnectionChange".
void notifyConnectionState(std::int64_t state);
// "gpsSupport" 0 or 1 to the GPS trait's "gpsSupport".
void notifyGpsSupport(bool supported);
// "gpsState" to the GPS trait's "gpsState".
void notifyGpsState(std::int64_t state);
// Every pair of `data` to the GPS trait's "gpsData".
void notifyGpsData(const Dictionary& data);

// The number of the current device instance: -1 before the first card arrived.
std::int64_t currentDeviceId() noexcept;
// A card arrived: the next number, which device-state notifications carry from now on.
std::int64_t advanceDeviceId() noexcept;

} // namespace Corvane
