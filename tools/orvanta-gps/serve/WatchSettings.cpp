#include "WatchSettings.h"

namespace Orvanta::gps {
namespace {

// The boolean members, by the name a client uses.
struct WatchFlag {
    const char* name;
    bool WatchSettings::*member;
};

constexpr WatchFlag kWatchFlags[] = {
    {"enable", &WatchSettings::enable},   {"json", &WatchSettings::json},       {"nmea", &WatchSettings::nmea},
    {"scaled", &WatchSettings::scaled},   {"timing", &WatchSettings::timing},   {"split24", &WatchSettings::split24},
    {"pps", &WatchSettings::pps},
};

} // namespace

std::string applyWatchRequest(WatchSettings& settings, const nlohmann::json& request)
{
    if (!request.is_object())
        return "WATCH wants an object";
    WatchSettings changed = settings;
    for (const WatchFlag& flag : kWatchFlags) {
        const auto value = request.find(flag.name);
        if (value == request.end())
            continue;
        if (!value->is_boolean())
            return std::string("WATCH \"") + flag.name + "\" wants true or false";
        changed.*flag.member = value->get<bool>();
    }
    if (const auto raw = request.find("raw"); raw != request.end()) {
        // Some clients send a boolean for the first level.
        if (raw->is_boolean())
            changed.raw = raw->get<bool>() ? 1 : 0;
        else if (raw->is_number_integer() && raw->get<long long>() >= 0 && raw->get<long long>() <= 2)
            changed.raw = static_cast<int>(raw->get<long long>());
        else
            return "WATCH \"raw\" wants 0, 1 or 2";
    }
    if (const auto device = request.find("device"); device != request.end()) {
        if (!device->is_string())
            return "WATCH \"device\" wants a path";
        changed.device = device->get<std::string>();
    }
    // A watch that names no stream gets the reports, as clients that only enable expect.
    if (changed.enable && !changed.json && !changed.nmea && changed.raw == 0)
        changed.json = true;
    settings = std::move(changed);
    return {};
}

} // namespace Orvanta::gps
