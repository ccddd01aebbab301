#pragma once
// Values that the scanned fields alone cannot give: whether a field was empty (the scan
// reads an empty field as zero, and midnight is zero too), and the fix's time and date
// in the forms the records carry them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace Corvane::nmea {

// Field `index` of a sentence as written, counting the talker and type ("$GPGGA") as
// field 0; it ends at the next "," or "*". Empty when the sentence has fewer fields.
std::string_view sentenceField(std::string_view text, int index) noexcept;

// An hhmmss.sss field in milliseconds since midnight; nothing for a value that is no time
// of day (negative, minutes or seconds past 59, hours past 23; a leap second's 60 is one).
std::optional<std::int64_t> millisecondsOfDay(double hhmmss) noexcept;

// A ddmmyy field as yyyymmdd, years 80 to 99 read as 19yy and the rest as 20yy, as the
// receivers' own week counting does; nothing when day or month is out of range.
std::optional<std::int64_t> calendarDate(std::int64_t ddmmyy) noexcept;

} // namespace Corvane::nmea
