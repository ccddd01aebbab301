#pragma once
// The reports of the position protocol (JSON objects, one a line, each with its "class"),
// and the protocol's way of writing times.

#include "WatchSettings.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace Orvanta::gps {

// Reports keep their keys in the order written: "class" first, as clients read them.
using Json = nlohmann::ordered_json;

inline constexpr int kProtocolMajor = 3;
inline constexpr int kProtocolMinor = 14;

// The receiver as the protocol names it: its data port, and when it came.
struct DeviceInfo {
    std::string path;
    std::string activated; // an ISO 8601 UTC time
};

// "2024-06-15T07:42:13.000Z" from a date as yyyymmdd and milliseconds since midnight;
// empty when either is no such thing.
std::string fixTimeText(std::int64_t date, std::int64_t milliseconds);
// The day after `date` (yyyymmdd), as yyyymmdd; 0 for no date.
std::int64_t dayAfter(std::int64_t date);
// A moment of the system clock, as above.
std::string utcTimeText(std::chrono::system_clock::time_point moment);

// `value` with at most `decimals` decimals, so that the report shows no more digits than
// the receiver measured.
double roundedTo(double value, int decimals);

Json versionReport(const std::string& release);
Json deviceReport(const DeviceInfo& device);
// Sent when the receiver goes.
Json deviceGoneReport(const std::string& path);
Json devicesReport(const std::optional<DeviceInfo>& device);
Json watchReport(const WatchSettings& settings);
Json errorReport(const std::string& message);
// What a POLL answers: the last TPV and SKY, when there were any.
Json pollReport(const std::string& time, int active, const std::optional<Json>& tpv, const std::optional<Json>& sky);

// The report as sent: compact JSON and CR LF.
std::string reportLine(const Json& report);

} // namespace Orvanta::gps
