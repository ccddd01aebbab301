#pragma once
// The TPV report (time, position, velocity) of each fix cycle, from the records of the
// cycle's sentences. A receiver sends several sentences per fix (GGA, GSA, RMC, VTG, ...),
// each with part of what a TPV holds; one TPV per cycle is sent, as soon as the cycle's
// position sentences have all come. Which ones a cycle holds is learnt from the cycles
// before: the first cycle's TPV goes with its first position sentence.

#include "GpsRecord.h"
#include "ProtocolReports.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::gps {

class TpvAssembler {
public:
    // Takes a record; the TPV of the cycle that this record completed, after that of the
    // cycle before when this record began a new one before the last was complete.
    std::vector<Json> take(const GpsRecord& record, const std::string& device);

    // The cycle's time when known ("" before a date came), for the other reports.
    std::string cycleTime() const;

    // The receiver went: what was learnt of it goes too.
    void reset() { *this = TpvAssembler(); }

private:
    struct Cycle {
        std::optional<std::int64_t> time; // milliseconds since midnight
        std::optional<std::int64_t> date; // yyyymmdd, when RMC said
        bool hasGga = false;
        bool hasRmc = false;
        std::optional<bool> fixValid; // false when any sentence of the cycle says no fix
        std::optional<double> latitude;
        std::optional<double> longitude;
        std::optional<double> altitude;
        std::optional<double> speed; // km/h
        std::optional<double> track;
        bool sent = false;
    };

    void takePosition(const GpsRecord& record, bool gga);
    bool complete() const;
    Json build(const std::string& device) const;
    // The cycle's date: its own, or the last one seen, moved on a day when the time of day
    // went back past midnight.
    std::optional<std::int64_t> dateOf(const Cycle& cycle) const;

    Cycle cycle_;
    bool open_ = false;
    bool expectGga_ = false; // the cycles before had a GGA, and one had an RMC
    bool expectRmc_ = false;
    std::optional<std::int64_t> lastDate_;
    std::optional<std::int64_t> lastDateTime_; // the time of day of the cycle that gave lastDate_
    std::optional<std::string> fixType_;       // GSA's, the last one sent
};

} // namespace Orvanta::gps
