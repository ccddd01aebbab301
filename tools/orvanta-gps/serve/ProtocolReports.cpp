#include "ProtocolReports.h"

#include "tools/orvanta-gps/FixDate.h"

#include <cmath>
#include <cstdio>

namespace Orvanta::gps {
namespace {

std::string isoText(const std::chrono::year_month_day& day, std::int64_t milliseconds)
{
    // A leap second is the 60th second of the day's last minute.
    const bool leap = milliseconds >= 86'400'000;
    const std::int64_t clock = leap ? milliseconds - 1000 : milliseconds;
    const std::int64_t second = clock / 1000 % 60 + (leap ? 1 : 0);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()),
                  static_cast<long long>(clock / 3'600'000), static_cast<long long>(clock / 60'000 % 60),
                  static_cast<long long>(second), static_cast<long long>(milliseconds % 1000));
    return text;
}

} // namespace

std::string fixTimeText(std::int64_t date, std::int64_t milliseconds)
{
    const auto day = fixCalendarDay(date);
    // A leap second reads 23:59:60.
    if (!day || milliseconds < 0 || milliseconds >= 86'401'000)
        return {};
    return isoText(*day, milliseconds);
}

std::int64_t dayAfter(std::int64_t date)
{
    const auto day = fixCalendarDay(date);
    if (!day)
        return 0;
    const std::chrono::year_month_day next{std::chrono::sys_days(*day) + std::chrono::days(1)};
    return static_cast<std::int64_t>(static_cast<int>(next.year())) * 10000 +
           static_cast<unsigned>(next.month()) * 100 + static_cast<unsigned>(next.day());
}

std::string utcTimeText(std::chrono::system_clock::time_point moment)
{
    const auto days = std::chrono::floor<std::chrono::days>(moment);
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(moment - days).count();
    return isoText(std::chrono::year_month_day(days), milliseconds);
}

double roundedTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

Json versionReport(const std::string& release)
{
    return Json{{"class", "VERSION"},
                {"release", release},
                {"rev", release},
                {"proto_major", kProtocolMajor},
                {"proto_minor", kProtocolMinor}};
}

Json deviceReport(const DeviceInfo& device)
{
    // The receiver's data port is a serial line of 115200 8N1 that sends a group a second.
    return Json{{"class", "DEVICE"}, {"path", device.path}, {"driver", "NMEA0183"}, {"activated", device.activated},
                {"flags", 1},        {"native", 0},         {"bps", 115200},        {"parity", "N"},
                {"stopbits", 1},     {"cycle", 1.00}};
}

Json deviceGoneReport(const std::string& path)
{
    return Json{{"class", "DEVICE"}, {"path", path}, {"activated", 0}};
}

Json devicesReport(const std::optional<DeviceInfo>& device)
{
    Json devices = Json::array();
    if (device)
        devices.push_back(deviceReport(*device));
    return Json{{"class", "DEVICES"}, {"devices", std::move(devices)}};
}

Json watchReport(const WatchSettings& settings)
{
    Json report{{"class", "WATCH"},         {"enable", settings.enable},   {"json", settings.json},
                {"nmea", settings.nmea},    {"raw", settings.raw},         {"scaled", settings.scaled},
                {"timing", settings.timing}, {"split24", settings.split24}, {"pps", settings.pps}};
    if (!settings.device.empty())
        report["device"] = settings.device;
    return report;
}

Json errorReport(const std::string& message)
{
    return Json{{"class", "ERROR"}, {"message", message}};
}

Json pollReport(const std::string& time, int active, const std::optional<Json>& tpv, const std::optional<Json>& sky)
{
    Json report{{"class", "POLL"}, {"time", time}, {"active", active}, {"tpv", Json::array()}, {"sky", Json::array()}};
    if (tpv)
        report["tpv"].push_back(*tpv);
    if (sky)
        report["sky"].push_back(*sky);
    return report;
}

std::string reportLine(const Json& report)
{
    // Texts from outside (a port's path, a client's device) may hold anything: invalid
    // UTF-8 is replaced rather than thrown over.
    std::string line = report.dump(-1, ' ', false, Json::error_handler_t::replace);
    line += "\r\n";
    return line;
}

} // namespace Orvanta::gps
