#pragma once
// One record of the GPS trait's "gpsData" callback, read as the sentence it came from.
// The records carry no type of their own; each sentence type fills keys no other does.

#include "corvane/Corvane.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::gps {

enum class GpsRecordKind { sentence, gga, gsa, gsv, rmc, vtg, other };

struct SatelliteInView {
    std::int64_t prn = 0;
    std::optional<std::int64_t> elevation;
    std::optional<std::int64_t> azimuth;
    std::optional<std::int64_t> snr;
};

class GpsRecord {
public:
    // `record` stays the caller's and must outlive the view.
    explicit GpsRecord(const Corvane::CvParameters* record) : record_(record) {}

    GpsRecordKind kind() const;

    std::optional<std::int64_t> integer(const char* key) const;
    std::optional<double> real(const char* key) const;
    std::optional<std::string> text(const char* key) const;
    // A decimal written as text ("1.96"); none when absent or not a number.
    std::optional<double> decimal(const char* key) const;

    // GSA's satellites used, in the order sent.
    std::vector<std::int64_t> satellitesUsed() const;
    // GSV's satellites, the empty slots left out.
    std::vector<SatelliteInView> satellitesInView() const;

private:
    bool has(const char* key) const;

    const Corvane::CvParameters* record_;
};

} // namespace Orvanta::gps
