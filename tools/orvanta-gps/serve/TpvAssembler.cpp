#include "TpvAssembler.h"

#include "corvane/Keys.h"

namespace Orvanta::gps {
namespace {

constexpr double kKilometresPerHourInMetresPerSecond = 1.0 / 3.6;

} // namespace

std::vector<Json> TpvAssembler::take(const GpsRecord& record, const std::string& device)
{
    std::vector<Json> reports;
    switch (record.kind()) {
    case GpsRecordKind::gga:
    case GpsRecordKind::rmc: {
        const bool gga = record.kind() == GpsRecordKind::gga;
        const std::optional<std::int64_t> time = record.integer(Corvane::key::gpsTime);
        // A new cycle begins with a new time of fix, or, for sentences without a time, with a
        // sentence of a type the cycle already has.
        if (open_ && (time != cycle_.time || (gga ? cycle_.hasGga : cycle_.hasRmc))) {
            if (!cycle_.sent)
                reports.push_back(build(device));
            expectGga_ = cycle_.hasGga;
            expectRmc_ = cycle_.hasRmc;
            if (const auto date = dateOf(cycle_)) {
                lastDate_ = date;
                lastDateTime_ = cycle_.time;
            }
            cycle_ = Cycle();
        }
        open_ = true;
        cycle_.time = time;
        takePosition(record, gga);
        break;
    }
    case GpsRecordKind::gsa:
        if (auto type = record.text(Corvane::key::gpsType))
            fixType_ = std::move(type);
        break;
    case GpsRecordKind::vtg:
        // RMC's speed is the same; VTG only stands in for a missing one.
        if (open_ && !cycle_.sent && !cycle_.speed)
            cycle_.speed = record.real(Corvane::key::gpsSpeed);
        break;
    default:
        break;
    }
    if (open_ && !cycle_.sent && complete()) {
        cycle_.sent = true;
        reports.push_back(build(device));
    }
    return reports;
}

void TpvAssembler::takePosition(const GpsRecord& record, bool gga)
{
    (gga ? cycle_.hasGga : cycle_.hasRmc) = true;
    std::optional<bool> valid;
    if (const auto flag = record.integer(Corvane::key::gpsFixValid))
        valid = *flag != 0;
    const auto latitude = record.real(Corvane::key::gpsLatitude);
    const auto longitude = record.real(Corvane::key::gpsLongitude);
    // A library that does not say whether there is a fix leaves the fields empty without
    // one, and they read as zero.
    if (!valid)
        valid = latitude && longitude && (*latitude != 0.0 || *longitude != 0.0);
    cycle_.fixValid = cycle_.fixValid.value_or(true) && *valid;
    // A receiver without a fix still knows the time and date.
    if (!gga) {
        if (const auto date = record.integer(Corvane::key::gpsDate))
            cycle_.date = date;
    }
    if (!*valid)
        return;
    if (latitude && longitude) {
        cycle_.latitude = latitude;
        cycle_.longitude = longitude;
    }
    if (gga) {
        if (const auto altitude = record.real(Corvane::key::gpsAltitude))
            cycle_.altitude = altitude;
        return;
    }
    if (const auto speed = record.real(Corvane::key::gpsSpeed))
        cycle_.speed = speed;
    if (const auto track = record.real(Corvane::key::gpsDirection))
        cycle_.track = track;
}

bool TpvAssembler::complete() const
{
    return (!expectGga_ || cycle_.hasGga) && (!expectRmc_ || cycle_.hasRmc);
}

std::optional<std::int64_t> TpvAssembler::dateOf(const Cycle& cycle) const
{
    if (cycle.date)
        return cycle.date;
    if (!lastDate_ || !cycle.time)
        return std::nullopt;
    if (lastDateTime_ && *cycle.time < *lastDateTime_)
        return dayAfter(*lastDate_);
    return lastDate_;
}

std::string TpvAssembler::cycleTime() const
{
    const auto date = dateOf(cycle_);
    if (!open_ || !date || !cycle_.time)
        return {};
    return fixTimeText(*date, *cycle_.time);
}

Json TpvAssembler::build(const std::string& device) const
{
    Json report{{"class", "TPV"}, {"device", device}};
    const bool fix = cycle_.fixValid.value_or(false) && cycle_.latitude && cycle_.longitude;
    int mode = 1;
    if (fix) {
        // GSA tells 2D from 3D; without it, a fix with an altitude is taken as 3D.
        if (fixType_ == "2" || fixType_ == "3")
            mode = *fixType_ == "3" ? 3 : 2;
        else
            mode = cycle_.altitude ? 3 : 2;
    }
    report["mode"] = mode;
    if (const auto date = dateOf(cycle_); date && cycle_.time) {
        if (std::string time = fixTimeText(*date, *cycle_.time); !time.empty())
            report["time"] = std::move(time);
    }
    if (!fix)
        return report;
    report["lat"] = roundedTo(*cycle_.latitude, 9);
    report["lon"] = roundedTo(*cycle_.longitude, 9);
    if (mode == 3 && cycle_.altitude) {
        report["alt"] = roundedTo(*cycle_.altitude, 3);
        report["altMSL"] = roundedTo(*cycle_.altitude, 3);
    }
    if (cycle_.speed)
        report["speed"] = roundedTo(*cycle_.speed * kKilometresPerHourInMetresPerSecond, 3);
    if (cycle_.track)
        report["track"] = roundedTo(*cycle_.track, 4);
    return report;
}

} // namespace Orvanta::gps
