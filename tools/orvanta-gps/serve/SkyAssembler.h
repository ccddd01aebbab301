#pragma once
// The SKY report (satellites in view, which are used, the dilutions), once a whole set of
// GSV messages has come. GSA says which satellites the fix uses and the dilutions; GSV
// spreads the satellites in view over numbered messages, four to a message.

#include "GpsRecord.h"
#include "ProtocolReports.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Orvanta::gps {

class SkyAssembler {
public:
    // Takes a record; the SKY when it completed a GSV set. `time` is the fix cycle's, ""
    // when not known.
    std::optional<Json> take(const GpsRecord& record, const std::string& device, const std::string& time);

    void reset() { *this = SkyAssembler(); }

private:
    Json build(const std::string& device, const std::string& time) const;

    std::set<std::int64_t> used_;
    std::optional<double> hdop_;
    std::optional<double> pdop_;
    std::optional<double> vdop_;
    std::vector<SatelliteInView> inView_; // of the set being received
    std::int64_t nextMessage_ = 0;        // 0: waiting for a set's first message
    std::int64_t messages_ = 0;
};

} // namespace Orvanta::gps
