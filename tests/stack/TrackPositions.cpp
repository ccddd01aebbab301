#include "TrackPositions.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace Orvanta::testing {
namespace {

std::vector<std::string> fieldsOf(const std::string& sentence)
{
    std::vector<std::string> fields;
    std::stringstream stream(sentence.substr(0, sentence.find('*')));
    for (std::string field; std::getline(stream, field, ',');)
        fields.push_back(field);
    return fields;
}

// "4807.03762" with "N" -> 48.1172936...; `degreeDigits` is 2 for latitude, 3 for longitude.
double degrees(const std::string& value, const std::string& hemisphere, std::size_t degreeDigits)
{
    const double whole = std::strtod(value.substr(0, degreeDigits).c_str(), nullptr);
    const double minutes = std::strtod(value.substr(degreeDigits).c_str(), nullptr);
    const double result = whole + minutes / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -result : result;
}

} // namespace

std::optional<Position> ggaPosition(std::string_view sentence)
{
    if (sentence.rfind("$GPGGA,", 0) != 0)
        return std::nullopt;
    const std::vector<std::string> fields = fieldsOf(std::string(sentence));
    if (fields.size() < 7 || fields[6] == "0" || fields[2].size() < 3 || fields[4].size() < 4)
        return std::nullopt;
    return Position{degrees(fields[2], fields[3], 2), degrees(fields[4], fields[5], 3)};
}

std::vector<Position> trackPositions(const std::filesystem::path& file)
{
    std::vector<Position> positions;
    std::ifstream input(file);
    for (std::string line; std::getline(input, line);)
        if (const std::optional<Position> position = ggaPosition(line))
            positions.push_back(*position);
    return positions;
}

std::optional<std::size_t> findPosition(const std::vector<Position>& track, Position position, std::size_t from,
                                        double tolerance)
{
    for (std::size_t step = 0; step < track.size(); ++step) {
        const std::size_t index = (from + step) % track.size();
        if (std::fabs(track[index].latitude - position.latitude) <= tolerance &&
            std::fabs(track[index].longitude - position.longitude) <= tolerance)
            return index;
    }
    return std::nullopt;
}

} // namespace Orvanta::testing
