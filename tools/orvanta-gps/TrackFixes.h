#pragma once
// A track made of the notices a watch takes: one point per fix, the GGA and RMC records
// of the same fix merged into it, and the track cut into stretches where the positions
// stopped — the fix lost, the card gone, the system asleep.
//
// A point is complete, and given out, once both sentences of its fix came, or when the
// next fix or the end of its stretch shows that no more will come; a track that is cut
// short loses at most the point still waiting.

#include "ClientNames.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace Orvanta::gps {

struct TrackPoint {
    double latitude = 0;
    double longitude = 0;
    std::optional<double> altitude;              // metres above mean sea level, from GGA
    std::optional<std::int64_t> timeOfDay;       // UTC, milliseconds since midnight
    std::optional<std::int64_t> date;            // UTC, yyyymmdd, from RMC
};

struct TrackEvent {
    enum class Kind { point, stretchEnd };
    Kind kind;
    TrackPoint point; // for Kind::point
};

class TrackFixes {
public:
    // How much more the fix times may advance than the steady clock between two points of
    // one stretch. The steady clock stands still while the system sleeps, the receiver's
    // clock does not; the rest is the receiver's own jitter.
    static constexpr std::chrono::milliseconds kSleepSlack{5000};

    // What `notice` adds to the track, in order.
    std::vector<TrackEvent> take(const Notice& notice);
    // The point still waiting and the end of the last stretch, when one is open.
    std::vector<TrackEvent> finish();

private:
    struct Pending {
        TrackPoint point;
        bool fromGga = false;
        bool fromRmc = false;
        Clock::time_point arrived;
    };
    struct Written {
        std::optional<std::int64_t> timeOfDay;
        std::optional<std::int64_t> date;
        Clock::time_point arrived;
    };

    void takePosition(const Notice& notice, std::vector<TrackEvent>& events);
    void endStretch(std::vector<TrackEvent>& events);
    void give(std::vector<TrackEvent>& events);
    static bool apart(const Written& last, const Pending& next);

    std::optional<Pending> pending_;
    std::optional<Written> last_; // the stretch's last point given out; none between stretches
    std::optional<Written> lastGiven_; // the last point given out, whatever stretch it ended
};

} // namespace Orvanta::gps
