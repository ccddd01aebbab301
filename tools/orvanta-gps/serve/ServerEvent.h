#pragma once
// What the receiver's side hands the position server: the receiver coming and going, the
// reports of its fixes, and its sentences as they came.

#include "ProtocolReports.h"

#include <string>

namespace Orvanta::gps {

struct ServerEvent {
    enum class Kind {
        deviceArrived, // device holds the receiver
        deviceGone,    // device.path names the receiver that went
        tpv,           // report
        sky,           // report
        sentence,      // sentence, as the receiver sent it, without its line end
    };

    Kind kind;
    DeviceInfo device;
    Json report;
    std::string sentence;
};

} // namespace Orvanta::gps
