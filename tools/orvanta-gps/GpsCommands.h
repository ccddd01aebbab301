#pragma once
// The commands that drive the card's GPS receiver through the middleware's client API,
// as the tray tool does: status, on, off and watch.

#include <chrono>
#include <cstdio>

namespace Orvanta::gps {

class ClientSession;

struct GpsCommandOptions {
    std::FILE* output = stdout;
    std::FILE* messages = stderr;
    // How long to wait for a card with a GPS receiver, and for the receiver to answer.
    std::chrono::milliseconds patience = std::chrono::seconds(10);
};

int showGpsStatus(const GpsCommandOptions& options);
int switchGps(const GpsCommandOptions& options, bool on);
// Reads positions until `session.interrupt()` is called (by the caller's signal thread),
// then stops reading. The session is the caller's so that it can be interrupted.
int watchGps(const GpsCommandOptions& options, ClientSession& session);

} // namespace Orvanta::gps
