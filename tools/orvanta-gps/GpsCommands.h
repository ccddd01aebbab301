#pragma once
// The commands that drive the card's GPS receiver through the middleware's client API,
// as the tray tool does: status, on, off and watch.

#include "ClientNames.h"
#include "PortDiagnosis.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace Orvanta::gps {

class NoticeRecorder;

struct GpsCommandOptions {
    std::FILE* output = stdout;
    std::FILE* messages = stderr;
    // How long to wait for a card with a GPS receiver, and for the receiver to answer.
    std::chrono::milliseconds patience = std::chrono::seconds(10);
    // watch: leave the receiver on at the end, whatever it was at the start.
    bool keepOn = false;
    // watch: what keeps a record of the notices besides the lines printed (the caller's);
    // each takes every notice and is finished when the watch ends.
    std::vector<NoticeRecorder*> recorders;
    // How a card that came without its receiver is examined.
    AccessCheck portAccess = checkPortAccess;
};

int showGpsStatus(const GpsCommandOptions& options);
int switchGps(const GpsCommandOptions& options, bool on);
// Reads positions until `session.interrupt()` is called (by the caller's signal thread),
// also across the card being pulled and put back, then puts the receiver back as it was
// found. The session is the caller's so that it can be interrupted. A recording that
// could not be written fails the watch.
int watchGps(const GpsCommandOptions& options, ClientSession& session);

} // namespace Orvanta::gps
