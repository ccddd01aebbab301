#pragma once
// "orvanta-gps serve": the receiver's positions for map programs, over the position
// protocol on a TCP port.

#include "ClientNames.h"
#include "ListenAddress.h"

namespace Orvanta::gps {

struct GpsCommandOptions;

// Serves on `listener` until `session.interrupt()` is called (by the caller's signal
// thread): reads the receiver while some client watches, across the card being pulled
// and put back, and puts the receiver back as it was found at the end. 0 on a clean end,
// 1 when the receiver could not be put back.
int serveGps(const GpsCommandOptions& options, ClientSession& session, Listener listener);

} // namespace Orvanta::gps
