#include "corvane/nmea/NmeaFieldValues.h"

#include <cmath>

namespace Corvane::nmea {

std::string_view sentenceField(std::string_view text, int index) noexcept
{
    if (index < 0)
        return {};
    text = text.substr(0, text.find('*'));
    for (int field = 0; field < index; ++field) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos)
            return {};
        text.remove_prefix(comma + 1);
    }
    return text.substr(0, text.find(','));
}

std::optional<std::int64_t> millisecondsOfDay(double hhmmss) noexcept
{
    // Beyond this the field is no time of day, and the conversions below would overflow.
    if (!(hhmmss >= 0 && hhmmss < 240000))
        return std::nullopt;
    const auto whole = static_cast<std::int64_t>(hhmmss);
    const std::int64_t hours = whole / 10000;
    const std::int64_t minutes = whole / 100 % 100;
    const double seconds = hhmmss - static_cast<double>(hours * 10000 + minutes * 100);
    if (minutes > 59 || seconds >= 61)
        return std::nullopt;
    return (hours * 60 + minutes) * 60000 + std::llround(seconds * 1000);
}

std::optional<std::int64_t> calendarDate(std::int64_t ddmmyy) noexcept
{
    if (ddmmyy < 0 || ddmmyy > 999999)
        return std::nullopt;
    const std::int64_t day = ddmmyy / 10000;
    const std::int64_t month = ddmmyy / 100 % 100;
    const std::int64_t year = ddmmyy % 100;
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return std::nullopt;
    return ((year >= 80 ? 1900 : 2000) + year) * 10000 + month * 100 + day;
}

} // namespace Corvane::nmea
