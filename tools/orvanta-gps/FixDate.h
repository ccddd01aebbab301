#pragma once
// The date the library gives a fix ("gpsDate", yyyymmdd as 20240615) as a calendar day,
// for the programs that write fix times out: GPX tracks and the position protocol.

#include <chrono>
#include <cstdint>
#include <optional>

namespace Orvanta::gps {

// None for a number that is no day of the years 1000 to 9999.
inline std::optional<std::chrono::year_month_day> fixCalendarDay(std::int64_t yyyymmdd)
{
    if (yyyymmdd < 10000101 || yyyymmdd > 99991231)
        return std::nullopt;
    const std::chrono::year_month_day day{std::chrono::year(static_cast<int>(yyyymmdd / 10000)),
                                          std::chrono::month(static_cast<unsigned>(yyyymmdd / 100 % 100)),
                                          std::chrono::day(static_cast<unsigned>(yyyymmdd % 100))};
    if (!day.ok())
        return std::nullopt;
    return day;
}

} // namespace Orvanta::gps
