// How long a position takes from the card to the client: from the moment the virtual
// card hands a GGA sentence to its GPS data port to the client's gpsData callback with
// that position, through the backend's port receiver and communicator, the NMEA parser,
// the GPS state machine and the client notification. The card runs in this process so
// that both moments are read from the same clock.
//
// One benchmark per rate of sentence groups (GGA, GSA, three GSV, RMC, VTG) a second;
// the counters give the median and the 99th percentile in microseconds.

#include "ClientSession.h"

#include "corvane/Keys.h"
#include "platform/RuntimeFolder.h"
#include "sim/cardsim/Profile.h"
#include "sim/cardsim/Reactor.h"
#include "sim/cardsim/Track.h"
#include "sim/cardsim/VirtualCard.h"
#include "tests/stack/TrackPositions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Orvanta::gps::Clock;
using PositionKey = std::pair<long long, long long>; // micro-degrees

PositionKey keyOf(double latitude, double longitude)
{
    return {std::llround(latitude * 1e6), std::llround(longitude * 1e6)};
}

// When each GGA position left the card.
class SendTimes {
public:
    void sent(std::string_view sentence)
    {
        if (const auto position = Orvanta::testing::ggaPosition(sentence)) {
            const Clock::time_point now = Clock::now();
            std::lock_guard lock(mutex_);
            sent_[keyOf(position->latitude, position->longitude)] = now;
        }
    }
    // The send time of `position`, forgotten as it is taken (RMC repeats the position).
    std::optional<Clock::time_point> take(PositionKey position)
    {
        std::lock_guard lock(mutex_);
        const auto found = sent_.find(position);
        if (found == sent_.end())
            return std::nullopt;
        const Clock::time_point when = found->second;
        sent_.erase(found);
        return when;
    }

private:
    std::mutex mutex_; // guards sent_: the card's thread writes, the benchmark's reads
    std::map<PositionKey, Clock::time_point> sent_;
};

// The virtual card on a thread of its own, in a private simulator folder.
class CardThread {
public:
    CardThread(double rate, SendTimes& times) : folder_(makeFolder())
    {
        std::string problem;
        auto track = Cardsim::Track::parse(Cardsim::bundledTrackText(), problem);
        const Cardsim::Profile& profile = *Cardsim::findProfile(Cardsim::kDefaultProfile);
        Cardsim::CardSetup setup;
        setup.profile = &profile;
        setup.ids = {profile.vendorId, profile.productId, "BENCH1"};
        setup.folder = folder_;
        setup.name = "bench";
        setup.rate = rate;
        setup.sentenceSent = [&times](std::string_view sentence) { times.sent(sentence); };
        thread_ = std::thread([this, setup = std::move(setup), track = std::move(*track)]() mutable {
            Cardsim::VirtualCard card(reactor_, std::move(setup), std::move(track));
            card.plug();
            while (!stopping_)
                reactor_.runOnce(std::chrono::milliseconds(20));
            card.unplug();
        });
    }
    ~CardThread()
    {
        stopping_ = true;
        thread_.join();
        std::filesystem::remove_all(folder_);
    }
    const std::filesystem::path& folder() const { return folder_; }

private:
    static std::filesystem::path makeFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvanta-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern;
    }

    std::filesystem::path folder_;
    Cardsim::Reactor reactor_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

void BM_CardLineToGpsData(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(0));
    const std::size_t wanted = static_cast<std::size_t>(state.range(1));
    SendTimes times;
    CardThread card(rate, times);
    ::setenv("ORVANTA_DEVICES", "sim", 1);
    ::setenv("ORVANTA_SIM_DIR", card.folder().c_str(), 1);

    std::vector<double> microseconds;
    for (auto _ : state) {
        Orvanta::gps::ClientSession session;
        const auto ready = session.waitFor(
            [](const Orvanta::gps::Notice& n) { return n.kind == Orvanta::gps::NoticeKind::gpsSupport; },
            Clock::now() + std::chrono::seconds(30));
        if (!ready) {
            state.SkipWithError("no card with GPS");
            return;
        }
        session.setGpsMode(Corvane::cGpsModeRead);
        const auto deadline = Clock::now() + std::chrono::seconds(30) +
                              std::chrono::milliseconds(static_cast<long long>(1000.0 * double(wanted) / rate));
        while (microseconds.size() < wanted) {
            const auto notice = session.next(deadline);
            if (!notice)
                break;
            if (notice->kind != Orvanta::gps::NoticeKind::gpsData)
                continue;
            const auto latitude = notice->real(Corvane::key::gpsLatitude);
            const auto longitude = notice->real(Corvane::key::gpsLongitude);
            if (!latitude || !longitude)
                continue;
            if (const auto sent = times.take(keyOf(*latitude, *longitude)))
                microseconds.push_back(std::chrono::duration<double, std::micro>(notice->arrived - *sent).count());
        }
        state.SetIterationTime(percentile(microseconds, 0.5) / 1e6);
    }
    state.counters["median_us"] = percentile(microseconds, 0.5);
    state.counters["p99_us"] = percentile(microseconds, 0.99);
    state.counters["max_us"] = percentile(microseconds, 1.0);
    state.counters["samples"] = static_cast<double>(microseconds.size());
}

// 1 group a second for a minute; 100 a second for 20 seconds.
BENCHMARK(BM_CardLineToGpsData)->Args({1, 60})->Args({100, 2000})->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
