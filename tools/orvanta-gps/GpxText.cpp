#include "GpxText.h"

#include "tools/orvanta-gps/FixDate.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace Orvanta::gps {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 24 * 60 * 60 * 1000;
// 23:59:60.999, the end of a day with a leap second.
constexpr std::int64_t kLongestDay = kMillisecondsPerDay + 1000;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the UTF-8 sequence at the start of `text` that XML may carry; 0 when
// the first byte starts no such sequence.
std::size_t xmlCharacterLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    // The sequence's length, the lead byte's bits of the code, and the least code that
    // needs that length (a shorter form of a code is not UTF-8).
    struct Form {
        unsigned char mask;
        unsigned char marker;
        std::size_t length;
        char32_t least;
    };
    static constexpr std::array<Form, 3> kForms{{{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}}};
    const Form* form = nullptr;
    for (const Form& candidate : kForms)
        if ((lead & candidate.mask) == candidate.marker)
            form = &candidate;
    if (form == nullptr)
        return 0;
    const std::size_t length = form->length;
    const char32_t least = form->least;
    char32_t code = lead & static_cast<unsigned char>(~form->mask);
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < least || code > 0x10FFFF || surrogate || code == 0xFFFE || code == 0xFFFF)
        return 0;
    return length;
}

} // namespace

std::string xmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = xmlCharacterLength(text);
        if (length == 0) {
            escaped += kReplacement;
            text.remove_prefix(1);
            continue;
        }
        switch (text.front()) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        // Kept as they are, an attribute value would read them as spaces.
        case '\t': escaped += "&#9;"; break;
        case '\n': escaped += "&#10;"; break;
        case '\r': escaped += "&#13;"; break;
        default: escaped.append(text.substr(0, length)); break;
        }
        text.remove_prefix(length);
    }
    return escaped;
}

std::optional<std::int64_t> fixMilliseconds(std::int64_t date, std::int64_t millisecondsOfDay)
{
    const std::optional<std::chrono::year_month_day> day = fixCalendarDay(date);
    if (!day || millisecondsOfDay < 0 || millisecondsOfDay >= kLongestDay)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::sys_days(*day).time_since_epoch()).count() +
           millisecondsOfDay;
}

std::optional<std::string> isoFixTime(std::int64_t date, std::int64_t millisecondsOfDay)
{
    if (!fixMilliseconds(date, millisecondsOfDay))
        return std::nullopt;
    const bool leap = millisecondsOfDay >= kMillisecondsPerDay;
    const std::int64_t hours = leap ? 23 : millisecondsOfDay / 3'600'000;
    const std::int64_t minutes = leap ? 59 : millisecondsOfDay / 60'000 % 60;
    const std::int64_t seconds = leap ? 60 : millisecondsOfDay / 1000 % 60;
    const std::int64_t milliseconds = millisecondsOfDay % 1000;
    // Room for any 64-bit values, which the compiler cannot see are in range.
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", static_cast<long long>(date / 10000),
                  static_cast<long long>(date / 100 % 100), static_cast<long long>(date % 100),
                  static_cast<long long>(hours), static_cast<long long>(minutes), static_cast<long long>(seconds));
    std::string iso = text;
    if (milliseconds != 0) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(milliseconds));
        iso += text;
    }
    return iso + "Z";
}

std::string isoTime(std::chrono::system_clock::time_point moment)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string degreesText(double degrees)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.8f", degrees);
    return text;
}

std::string decimalText(double value)
{
    // Fixed, since XML Schema decimals have no exponent; the largest double has 309 digits.
    std::array<char, 512> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return "0";
    return std::string(text.data(), result.ptr);
}

} // namespace Orvanta::gps
