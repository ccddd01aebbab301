#include "TrackFixes.h"

#include "GpxText.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

#include <cmath>

namespace Orvanta::gps {
namespace {

constexpr std::int64_t kDayMilliseconds = 24 * 60 * 60 * 1000;

// Only what a GPX point can hold: the receiver's values are taken as they come, and a
// garbled sentence that passed its checksum may say anything.
bool isCoordinate(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90 &&
           std::fabs(longitude) <= 180;
}

std::optional<std::int64_t> timeOfDayOf(const Notice& notice)
{
    const std::optional<std::int64_t> time = notice.integer(Corvane::key::gpsTime);
    // Up to the end of a leap second.
    if (!time || *time < 0 || *time > kDayMilliseconds + 999)
        return std::nullopt;
    return time;
}

} // namespace

std::vector<TrackEvent> TrackFixes::take(const Notice& notice)
{
    std::vector<TrackEvent> events;
    switch (notice.kind) {
    case NoticeKind::gpsData:
        takePosition(notice, events);
        break;
    case NoticeKind::gpsSupport:
        if (notice.integer(Corvane::key::gpsSupport).value_or(0) == 0)
            endStretch(events);
        break;
    case NoticeKind::deviceState:
        if (notice.integer(Corvane::key::deviceState) == Corvane::devmRemoved)
            endStretch(events);
        break;
    case NoticeKind::gpsState:
        // "searching" when the fix is lost; off or merely on when nobody reads any more.
        if (notice.integer(Corvane::key::gpsState) != Corvane::gpsReading)
            endStretch(events);
        break;
    default:
        break;
    }
    return events;
}

std::vector<TrackEvent> TrackFixes::finish()
{
    std::vector<TrackEvent> events;
    endStretch(events);
    return events;
}

void TrackFixes::takePosition(const Notice& notice, std::vector<TrackEvent>& events)
{
    const std::optional<double> latitude = notice.real(Corvane::key::gpsLatitude);
    const std::optional<double> longitude = notice.real(Corvane::key::gpsLongitude);
    if (!latitude || !longitude)
        return; // satellites, speed, a sentence
    // A library that does not say whether there is a fix leaves the fields empty, and so
    // zero, without one; so does the tray tool take it.
    const std::optional<std::int64_t> fixValid = notice.integer(Corvane::key::gpsFixValid);
    const bool fix = fixValid ? *fixValid != 0 : *latitude != 0.0 && *longitude != 0.0;
    if (!fix) {
        endStretch(events);
        return;
    }
    if (!isCoordinate(*latitude, *longitude))
        return;
    // Only GGA has the altitude; the others (RMC) bring the date.
    const std::optional<double> altitude = notice.real(Corvane::key::gpsAltitude);
    const bool fromGga = altitude.has_value();
    TrackPoint point{*latitude, *longitude, std::nullopt, timeOfDayOf(notice),
                     notice.integer(Corvane::key::gpsDate)};
    if (altitude && std::isfinite(*altitude))
        point.altitude = altitude;
    if (point.date && !isoFixTime(*point.date, 0))
        point.date.reset();

    const auto sameFix = [&](const Pending& waiting) {
        if (waiting.point.date && point.date && *waiting.point.date != *point.date)
            return false;
        if (waiting.point.timeOfDay || point.timeOfDay)
            return waiting.point.timeOfDay == point.timeOfDay;
        // Without times, two sentences of one kind are two fixes.
        return (fromGga ? !waiting.fromGga : !waiting.fromRmc) && waiting.point.latitude == point.latitude &&
               waiting.point.longitude == point.longitude;
    };
    if (pending_ && sameFix(*pending_)) {
        TrackPoint& merged = pending_->point;
        if (fromGga) {
            // GGA is the fix itself; RMC may round it differently.
            merged.latitude = point.latitude;
            merged.longitude = point.longitude;
            merged.altitude = point.altitude;
        }
        if (point.date)
            merged.date = point.date;
        (fromGga ? pending_->fromGga : pending_->fromRmc) = true;
    } else {
        give(events);
        // One more sentence of the fix just given out adds nothing to the track, also when
        // its stretch ended in between (the state machine can report the fix lost, or the
        // system going to sleep, between the GGA and the RMC of one fix).
        if (lastGiven_ && point.timeOfDay && lastGiven_->timeOfDay == point.timeOfDay &&
            (!point.date || !lastGiven_->date || lastGiven_->date == point.date))
            return;
        pending_ = Pending{point, fromGga, !fromGga, notice.arrived};
    }
    if (pending_->fromGga && pending_->fromRmc)
        give(events);
}

void TrackFixes::give(std::vector<TrackEvent>& events)
{
    if (!pending_)
        return;
    const Pending next = *pending_;
    pending_.reset();
    if (last_ && apart(*last_, next))
        events.push_back({TrackEvent::Kind::stretchEnd, {}});
    events.push_back({TrackEvent::Kind::point, next.point});
    last_ = Written{next.point.timeOfDay, next.point.date, next.arrived};
    lastGiven_ = last_;
}

void TrackFixes::endStretch(std::vector<TrackEvent>& events)
{
    give(events);
    if (!last_)
        return;
    events.push_back({TrackEvent::Kind::stretchEnd, {}});
    last_.reset();
}

// The receiver's clock went back (another track, a receiver that restarted), or on by
// more than the steady clock: the system slept between the two points.
bool TrackFixes::apart(const Written& last, const Pending& next)
{
    if (!last.timeOfDay || !next.point.timeOfDay)
        return false;
    std::optional<std::int64_t> advance;
    if (last.date && next.point.date) {
        const auto from = fixMilliseconds(*last.date, *last.timeOfDay);
        const auto to = fixMilliseconds(*next.point.date, *next.point.timeOfDay);
        if (from && to)
            advance = *to - *from;
    }
    // Without dates a clock that passed midnight has not gone back.
    if (!advance)
        advance = ((*next.point.timeOfDay - *last.timeOfDay) % kDayMilliseconds + kDayMilliseconds) % kDayMilliseconds;
    const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(next.arrived - last.arrived);
    return *advance < 0 || *advance - steady.count() > kSleepSlack.count();
}

} // namespace Orvanta::gps
