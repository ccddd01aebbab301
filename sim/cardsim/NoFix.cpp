#include "sim/cardsim/NoFix.h"

#include "sim/cardsim/Nmea.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace Cardsim {
namespace {

// A field index and what it holds without a fix.
using FieldValue = std::pair<std::size_t, std::string_view>;

struct NoFixRow {
    std::string_view type;
    std::vector<FieldValue> fields;
};

// $GPGGA,time,lat,N,lon,E,quality,sats,hdop,alt,M,geoid,M,age,station
// $GPGSA,mode,fix,sv*12,pdop,hdop,vdop
// $GPRMC,time,status,lat,N,lon,E,knots,course,date,magvar,E,mode
// $GPVTG,course,T,course,M,knots,N,kmh,K,mode
// $GPGLL,lat,N,lon,E,time,status,mode
const std::array<NoFixRow, 5> kNoFixRows{{
    {"GGA", {{2, ""}, {3, ""}, {4, ""}, {5, ""}, {6, "0"}, {7, "00"}, {8, "99.99"}, {9, ""}, {10, ""}, {11, ""},
             {12, ""}, {13, ""}, {14, ""}}},
    {"GSA", {{2, "1"}, {3, ""}, {4, ""}, {5, ""}, {6, ""}, {7, ""}, {8, ""}, {9, ""}, {10, ""}, {11, ""}, {12, ""},
             {13, ""}, {14, ""}, {15, "99.99"}, {16, "99.99"}, {17, "99.99"}}},
    {"RMC", {{2, "V"}, {3, ""}, {4, ""}, {5, ""}, {6, ""}, {7, ""}, {8, ""}, {10, ""}, {11, ""}, {12, "N"}}},
    // The unit letters stay, so the sentence keeps its shape.
    {"VTG", {{1, ""}, {3, ""}, {5, ""}, {7, ""}, {9, "N"}}},
    {"GLL", {{1, ""}, {2, ""}, {3, ""}, {4, ""}, {6, "V"}, {7, "N"}}},
}};

} // namespace

std::string withoutFix(std::string_view sentence)
{
    const std::string_view type = Nmea::typeOf(sentence);
    const auto row = std::find_if(kNoFixRows.begin(), kNoFixRows.end(),
                                  [&](const NoFixRow& candidate) { return candidate.type == type; });
    if (type.empty() || row == kNoFixRows.end())
        return std::string(sentence);
    std::vector<std::string> fields = Nmea::fieldsOf(sentence);
    for (const auto& [index, value] : row->fields)
        if (index < fields.size())
            fields[index] = value;
    return Nmea::sentenceOf(fields);
}

} // namespace Cardsim
