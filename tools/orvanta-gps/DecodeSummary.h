#pragma once
// What became of the sentences of one decode run, by type.

#include "corvane/nmea/NmeaParser.h"

#include <array>
#include <cstdint>
#include <string>

namespace Orvanta::gps {

class DecodeSummary {
public:
    void count(Corvane::NmeaOutcome outcome) noexcept;

    std::uint64_t accepted(Corvane::NmeaSentenceType type) const noexcept;
    std::uint64_t rejected(Corvane::NmeaSentenceType type) const noexcept;
    std::uint64_t ignored() const noexcept { return ignored_; }

    // "summary: GPGGA accepted=2 rejected=0; ...; GPVTG accepted=1 rejected=1; ignored=3"
    std::string line() const;

private:
    std::array<std::uint64_t, Corvane::nmeaSentenceTypeCount> accepted_{};
    std::array<std::uint64_t, Corvane::nmeaSentenceTypeCount> rejected_{};
    std::uint64_t ignored_ = 0;
};

} // namespace Orvanta::gps
