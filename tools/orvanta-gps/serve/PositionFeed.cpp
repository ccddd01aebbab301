#include "PositionFeed.h"

#include "GpsRecord.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

namespace Orvanta::gps {

std::vector<ServerEvent> PositionFeed::take(const Notice& notice)
{
    std::vector<ServerEvent> events;
    switch (notice.kind) {
    case NoticeKind::gpsSupport:
        if (notice.integer(Corvane::key::gpsSupport).value_or(0) != 0) {
            supported_ = true;
            arriveIfKnown(events);
        } else {
            leave(events);
        }
        break;
    case NoticeKind::deviceState:
        if (notice.integer(Corvane::key::deviceState) == Corvane::devmRemoved)
            leave(events);
        break;
    case NoticeKind::update:
        if (auto port = notice.text(Corvane::key::gpsDataPort)) {
            port_ = std::move(port);
            arriveIfKnown(events);
        }
        break;
    case NoticeKind::gpsData:
        takeRecord(notice, events);
        break;
    default:
        break;
    }
    return events;
}

void PositionFeed::arriveIfKnown(std::vector<ServerEvent>& events)
{
    // The data port and the receiver are told by different threads, in either order.
    if (device_ || !supported_ || !port_)
        return;
    device_ = DeviceInfo{*port_, utcTimeText(now_())};
    lastPath_ = *port_;
    events.push_back(ServerEvent{ServerEvent::Kind::deviceArrived, *device_, {}, {}});
}

void PositionFeed::leave(std::vector<ServerEvent>& events)
{
    supported_ = false;
    port_.reset();
    tpv_.reset();
    sky_.reset();
    if (!device_)
        return;
    events.push_back(ServerEvent{ServerEvent::Kind::deviceGone, *device_, {}, {}});
    // Without a receiver there is no fix of any kind.
    events.push_back(ServerEvent{ServerEvent::Kind::tpv, {}, Json{{"class", "TPV"}, {"device", device_->path}, {"mode", 0}}, {}});
    device_.reset();
}

void PositionFeed::takeRecord(const Notice& notice, std::vector<ServerEvent>& events)
{
    const GpsRecord record(notice.record.get());
    if (record.kind() == GpsRecordKind::sentence) {
        if (auto sentence = record.text(Corvane::key::gpsSentence))
            events.push_back(ServerEvent{ServerEvent::Kind::sentence, {}, {}, std::move(*sentence)});
        return;
    }
    const std::string& path = device_ ? device_->path : lastPath_;
    for (Json& report : tpv_.take(record, path))
        events.push_back(ServerEvent{ServerEvent::Kind::tpv, {}, std::move(report), {}});
    if (auto report = sky_.take(record, path, tpv_.cycleTime()))
        events.push_back(ServerEvent{ServerEvent::Kind::sky, {}, std::move(*report), {}});
}

} // namespace Orvanta::gps
