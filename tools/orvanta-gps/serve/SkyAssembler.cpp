#include "SkyAssembler.h"

#include "corvane/Keys.h"

namespace Orvanta::gps {
namespace {

// More messages than a receiver with every constellation could fill.
constexpr std::int64_t kMostGsvMessages = 32;

} // namespace

std::optional<Json> SkyAssembler::take(const GpsRecord& record, const std::string& device, const std::string& time)
{
    if (record.kind() == GpsRecordKind::gsa) {
        const std::vector<std::int64_t> used = record.satellitesUsed();
        used_ = std::set<std::int64_t>(used.begin(), used.end());
        hdop_ = record.decimal(Corvane::key::gpsHdop);
        pdop_ = record.decimal(Corvane::key::gpsPdop);
        vdop_ = record.decimal(Corvane::key::gpsVdop);
        return std::nullopt;
    }
    if (record.kind() != GpsRecordKind::gsv)
        return std::nullopt;
    const std::int64_t message = record.integer(Corvane::key::gpsSatMessage).value_or(0);
    const std::int64_t messages = record.integer(Corvane::key::gpsSatMessages).value_or(0);
    if (messages < 1 || messages > kMostGsvMessages || message < 1 || message > messages) {
        nextMessage_ = 0;
        return std::nullopt;
    }
    if (message == 1) {
        inView_.clear();
        messages_ = messages;
    } else if (message != nextMessage_ || messages != messages_) {
        // A message was lost or the set changed size: the rest of it is no set.
        nextMessage_ = 0;
        return std::nullopt;
    }
    for (SatelliteInView& satellite : record.satellitesInView())
        inView_.push_back(std::move(satellite));
    if (message < messages) {
        nextMessage_ = message + 1;
        return std::nullopt;
    }
    nextMessage_ = 0;
    return build(device, time);
}

Json SkyAssembler::build(const std::string& device, const std::string& time) const
{
    Json report{{"class", "SKY"}, {"device", device}};
    if (!time.empty())
        report["time"] = time;
    Json satellites = Json::array();
    int usedCount = 0;
    for (const SatelliteInView& satellite : inView_) {
        const bool used = used_.count(satellite.prn) != 0;
        usedCount += used ? 1 : 0;
        Json entry{{"PRN", satellite.prn}};
        if (satellite.elevation)
            entry["el"] = *satellite.elevation;
        if (satellite.azimuth)
            entry["az"] = *satellite.azimuth;
        entry["ss"] = satellite.snr.value_or(0);
        entry["used"] = used;
        satellites.push_back(std::move(entry));
    }
    report["nSat"] = inView_.size();
    report["uSat"] = usedCount;
    if (hdop_)
        report["hdop"] = roundedTo(*hdop_, 2);
    if (pdop_)
        report["pdop"] = roundedTo(*pdop_, 2);
    if (vdop_)
        report["vdop"] = roundedTo(*vdop_, 2);
    report["satellites"] = std::move(satellites);
    return report;
}

} // namespace Orvanta::gps
