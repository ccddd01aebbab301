#pragma once
// What a client of the position server asked to be sent: its ?WATCH settings.

#include <nlohmann/json.hpp>

#include <string>

namespace Orvanta::gps {

struct WatchSettings {
    bool enable = false;
    bool json = false;
    bool nmea = false;
    int raw = 0; // 1 and 2: the receiver's sentences as sent, for an NMEA receiver
    bool scaled = false;
    bool timing = false;
    bool split24 = false;
    bool pps = false;
    std::string device; // accepted and echoed; there is one device

    // Whether reports (TPV, SKY, DEVICE) are sent to the client, and the sentences.
    bool wantsReports() const noexcept { return enable && json; }
    bool wantsSentences() const noexcept { return enable && (nmea || raw >= 1); }
};

// Applies a ?WATCH object to `settings`: only the keys it holds change, unknown keys are
// ignored. An empty string when it was taken, otherwise why not, and `settings` is left
// as it was.
std::string applyWatchRequest(WatchSettings& settings, const nlohmann::json& request);

} // namespace Orvanta::gps
