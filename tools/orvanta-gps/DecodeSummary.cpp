#include "DecodeSummary.h"

namespace Orvanta::gps {

using Corvane::NmeaSentenceType;
using Corvane::NmeaVerdict;

namespace {

std::size_t indexOf(NmeaSentenceType type) noexcept { return static_cast<std::size_t>(type); }

} // namespace

void DecodeSummary::count(Corvane::NmeaOutcome outcome) noexcept
{
    switch (outcome.verdict) {
    case NmeaVerdict::accepted: ++accepted_[indexOf(outcome.type)]; break;
    case NmeaVerdict::rejected: ++rejected_[indexOf(outcome.type)]; break;
    case NmeaVerdict::ignored: ++ignored_; break;
    }
}

std::uint64_t DecodeSummary::accepted(NmeaSentenceType type) const noexcept { return accepted_[indexOf(type)]; }
std::uint64_t DecodeSummary::rejected(NmeaSentenceType type) const noexcept { return rejected_[indexOf(type)]; }

std::string DecodeSummary::line() const
{
    std::string line = "summary:";
    for (std::size_t i = 0; i < Corvane::nmeaSentenceTypeCount; ++i) {
        line += ' ';
        line += Corvane::nmeaSentenceName(static_cast<NmeaSentenceType>(i));
        line += " accepted=" + std::to_string(accepted_[i]) + " rejected=" + std::to_string(rejected_[i]) + ";";
    }
    line += " ignored=" + std::to_string(ignored_);
    return line;
}

} // namespace Orvanta::gps
