#pragma once
// The GPS state as the middleware reports it under "gpsState", unchanged.

#include <QMetaType>

namespace Orvanta {

enum eGpsState : int {
    gpsInactive = 0,
    gpsActive = 1,
    gpsReading = 2,   // reading, with a fix
    gpsSearching = 3, // reading, no fix yet
};

} // namespace Orvanta

Q_DECLARE_METATYPE(Orvanta::eGpsState)
