#pragma once
// The pieces of text a GPX file is made of: XML character data and attribute values,
// UTC times in ISO 8601, and numbers written the same whatever the locale.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Orvanta::gps {

// `text` as XML character data or a quoted attribute value: markup characters as
// entities, and whatever XML 1.0 cannot carry (control characters, bytes that are not
// UTF-8, the non-characters U+FFFE and U+FFFF) as U+FFFD.
std::string xmlEscaped(std::string_view text);

// "2024-06-15T07:42:10Z" for a fix's UTC date (yyyymmdd, as 20240615) and time of day
// (milliseconds since midnight, up to a leap second), with ".250" before the Z when the
// time has milliseconds; none when either is out of range.
std::optional<std::string> isoFixTime(std::int64_t date, std::int64_t millisecondsOfDay);

// The same for a moment of the system clock, in whole seconds.
std::string isoTime(std::chrono::system_clock::time_point moment);

// Milliseconds since 1970 of a fix's date and time; none when either is out of range.
std::optional<std::int64_t> fixMilliseconds(std::int64_t date, std::int64_t millisecondsOfDay);

// "48.11729367": degrees with eight decimals, about a millimetre.
std::string degreesText(double degrees);
// The shortest decimal text, without exponent, that reads back as `value`: "521.5", not
// "521.500000". `value` is finite.
std::string decimalText(double value);

} // namespace Orvanta::gps
