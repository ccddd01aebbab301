#pragma once
// From the library's notices to what the position server sends: the receiver's arrival
// (once both the receiver and its data port are known) and departure, a TPV per fix
// cycle, a SKY per satellite set, and every sentence.
//
// Lives on the thread that takes the notices; the events go to the server from there.

#include "ClientNames.h"
#include "ServerEvent.h"
#include "SkyAssembler.h"
#include "TpvAssembler.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::gps {

class PositionFeed {
public:
    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    explicit PositionFeed(WallClock now = [] { return std::chrono::system_clock::now(); }) : now_(std::move(now)) {}

    std::vector<ServerEvent> take(const Notice& notice);

private:
    void arriveIfKnown(std::vector<ServerEvent>& events);
    void leave(std::vector<ServerEvent>& events);
    void takeRecord(const Notice& notice, std::vector<ServerEvent>& events);

    WallClock now_;
    bool supported_ = false;
    std::optional<std::string> port_; // the data port named since the receiver last went
    std::optional<DeviceInfo> device_;
    std::string lastPath_; // of the receiver there or the last one, for the records
    TpvAssembler tpv_;
    SkyAssembler sky_;
};

} // namespace Orvanta::gps
