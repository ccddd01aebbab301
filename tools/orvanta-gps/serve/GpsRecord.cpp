#include "GpsRecord.h"

#include "corvane/Keys.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace Orvanta::gps {
namespace {

// The most slots a record array is read for: GSV has four, GSA twelve; a record that says
// more is not believed.
constexpr int kMostArraySlots = 64;

struct GpsRecordRelease {
    void operator()(Corvane::CvParameters* record) const noexcept { Corvane::deleteParameters(record); }
};
using OwnedGpsRecord = std::unique_ptr<Corvane::CvParameters, GpsRecordRelease>;

OwnedGpsRecord arrayItem(const Corvane::CvParameters* record, const char* key, int index)
{
    Corvane::CvParameters* item = nullptr;
    if (Corvane::getArrayItem(record, key, index, &item) != Corvane::cNoError)
        return nullptr;
    return OwnedGpsRecord(item);
}

} // namespace

bool GpsRecord::has(const char* key) const
{
    return Corvane::hasKey(record_, key) == Corvane::cNoError;
}

GpsRecordKind GpsRecord::kind() const
{
    if (has(Corvane::key::gpsSentence))
        return GpsRecordKind::sentence;
    if (has(Corvane::key::gpsSatInUse) || has(Corvane::key::gpsAltitude) || has(Corvane::key::gpsQuality))
        return GpsRecordKind::gga;
    if (has(Corvane::key::gpsType) || has(Corvane::key::gpsSatUsed))
        return GpsRecordKind::gsa;
    if (has(Corvane::key::gpsSatInView) || has(Corvane::key::gpsSatMessage))
        return GpsRecordKind::gsv;
    if (has(Corvane::key::gpsDirection) || has(Corvane::key::gpsDate) || has(Corvane::key::gpsLatitude))
        return GpsRecordKind::rmc;
    if (has(Corvane::key::gpsSpeed))
        return GpsRecordKind::vtg;
    return GpsRecordKind::other;
}

std::optional<std::int64_t> GpsRecord::integer(const char* key) const
{
    std::int64_t value = 0;
    if (Corvane::getInteger(record_, key, &value) != Corvane::cNoError)
        return std::nullopt;
    return value;
}

std::optional<double> GpsRecord::real(const char* key) const
{
    double value = 0;
    if (Corvane::getDouble(record_, key, &value) != Corvane::cNoError || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> GpsRecord::text(const char* key) const
{
    const char* value = nullptr;
    if (Corvane::getString(record_, key, &value) != Corvane::cNoError || value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::optional<double> GpsRecord::decimal(const char* key) const
{
    const std::optional<std::string> value = text(key);
    if (!value || value->empty())
        return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(value->c_str(), &end);
    if (end != value->c_str() + value->size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::vector<std::int64_t> GpsRecord::satellitesUsed() const
{
    std::vector<std::int64_t> prns;
    for (int index = 0; index < kMostArraySlots; ++index) {
        const OwnedGpsRecord item = arrayItem(record_, Corvane::key::gpsSatUsed, index);
        if (!item) {
            if (!has(Corvane::key::gpsSatUsed))
                break;
            continue; // an empty slot; later ones may hold satellites
        }
        if (const auto prn = GpsRecord(item.get()).integer(Corvane::key::gpsSatPrn); prn && *prn > 0)
            prns.push_back(*prn);
    }
    return prns;
}

std::vector<SatelliteInView> GpsRecord::satellitesInView() const
{
    std::vector<SatelliteInView> satellites;
    if (!has(Corvane::key::gpsSatellites))
        return satellites;
    for (int index = 0; index < kMostArraySlots; ++index) {
        const OwnedGpsRecord item = arrayItem(record_, Corvane::key::gpsSatellites, index);
        if (!item)
            continue;
        const GpsRecord slot(item.get());
        const auto prn = slot.integer(Corvane::key::gpsSatPrn);
        if (!prn || *prn <= 0)
            continue;
        satellites.push_back(SatelliteInView{*prn, slot.integer(Corvane::key::gpsSatElevation),
                                             slot.integer(Corvane::key::gpsSatAzimuth), slot.integer(Corvane::key::gpsSatSnr)});
    }
    return satellites;
}

} // namespace Orvanta::gps
