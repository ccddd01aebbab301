#pragma once
// The GPS state as the middleware reports it under "gpsState", unchanged.

#include "corvane/Enumerations.h"

#include <QMetaType>

namespace Orvanta {

using eGpsState = Corvane::GpsState;

} // namespace Orvanta

Q_DECLARE_METATYPE(Orvanta::eGpsState)
