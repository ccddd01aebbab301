// How long a position takes from the card to the client: from the moment the virtual
// card hands a GGA sentence to its GPS data port to the client's gpsData callback with
// that position, through the backend's port receiver and communicator, the NMEA parser,
// the GPS state machine and the client notification. The card runs in this process so
// that both moments are read from the same clock.
//
// One benchmark per rate of sentence groups (GGA, GSA, three GSV, RMC, VTG) a second;
// the counters give the median and the 99th percentile in microseconds.

#include "CardBench.h"

#include "ClientSession.h"

#include "corvane/Keys.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

using Orvanta::bench::CardThread;
using Orvanta::bench::Clock;
using Orvanta::bench::keyOf;
using Orvanta::bench::percentile;
using Orvanta::bench::SendTimes;

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
        Orvanta::client::ClientSession session;
        const auto ready = session.waitFor(
            [](const Orvanta::client::Notice& n) { return n.kind == Orvanta::client::NoticeKind::gpsSupport; },
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
            if (notice->kind != Orvanta::client::NoticeKind::gpsData)
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
