#pragma once
// NMEA 0183 sentences as text: "$GPRMC,...*hh", without the line end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim::Nmea {

// The exclusive OR of the characters between the '$' and the '*' (or the end).
std::uint8_t checksumOf(std::string_view sentence);
// The two hexadecimal digits after the '*', if there are exactly two.
std::optional<std::uint8_t> transmittedChecksum(std::string_view sentence);
bool hasValidChecksum(std::string_view sentence);

// "RMC" of "$GPRMC,...", "GSV" of "$GNGSV,...": the type without its talker; empty when
// the text does not start like a sentence.
std::string_view typeOf(std::string_view sentence);

// The comma-separated fields between the '$' and the '*': {"$GPRMC", "123519", "A", ...}.
std::vector<std::string> fieldsOf(std::string_view sentence);
// The fields joined with commas and the right checksum appended.
std::string sentenceOf(const std::vector<std::string>& fields);

} // namespace Cardsim::Nmea
