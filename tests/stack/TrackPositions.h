#pragma once
// The positions of an NMEA track, read the plain way (ddmm.mmmm and a hemisphere), so that
// what the stack delivers can be checked against the file rather than against the parser.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace Orvanta::testing {

struct Position {
    double latitude;
    double longitude;
};

// The position of a GGA sentence with a fix; none for any other sentence.
std::optional<Position> ggaPosition(std::string_view sentence);

// One position per GGA sentence with a fix, in file order.
std::vector<Position> trackPositions(const std::filesystem::path& file);

// The index of the track position within `tolerance` degrees of `position`, searching
// from `from` onwards (wrapping around, as the card loops the track).
std::optional<std::size_t> findPosition(const std::vector<Position>& track, Position position, std::size_t from = 0,
                                        double tolerance = 1e-9);

} // namespace Orvanta::testing
