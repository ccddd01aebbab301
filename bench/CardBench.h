#pragma once
// What the GPS benchmarks share: the virtual card on a thread of this process, the moment
// each GGA position left it, and the percentiles of what was measured.

#include "ClientSession.h"

#include "sim/cardsim/Reactor.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace Orvanta::bench {

using Clock = client::Clock;
using PositionKey = std::pair<long long, long long>; // micro-degrees

PositionKey keyOf(double latitude, double longitude);

// When each GGA position left the card.
class SendTimes {
public:
    void sent(std::string_view sentence);
    // The send time of `position`, forgotten as it is taken (RMC repeats the position).
    std::optional<Clock::time_point> take(PositionKey position);

private:
    std::mutex mutex_; // guards sent_: the card's thread writes, the benchmark's reads
    std::map<PositionKey, Clock::time_point> sent_;
};

// The virtual card on a thread of its own, in a private simulator folder, sending `rate`
// groups a second once its receiver is read.
class CardThread {
public:
    CardThread(double rate, SendTimes& times);
    ~CardThread();
    CardThread(const CardThread&) = delete;
    CardThread& operator=(const CardThread&) = delete;
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    Cardsim::Reactor reactor_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A private folder under the system's temporary one, removed by its owner.
std::filesystem::path makeBenchFolder();

double percentile(std::vector<double> samples, double fraction);

} // namespace Orvanta::bench
