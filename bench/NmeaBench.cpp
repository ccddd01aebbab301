// The NMEA parser on what a receiver writes each second, sentences taken from a real
// capture. Target: at least 1,000,000 sentences per second on one core for the mixed
// stream (GGA, GSA, two GSV, RMC, VTG), records built and handed to a publisher.

#include "corvane/nmea/NmeaParser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string_view>
#include <vector>

using namespace Corvane;

namespace {

// Takes each record as a subscriber would look at it, and keeps nothing.
class CountingPublisher final : public SignalPublisher {
public:
    void publish(Signal signal, const Dictionary& record) override
    {
        benchmark::DoNotOptimize(record.data());
        signals += signal != Q_NO_SIGNAL;
    }
    std::size_t signals = 0;
};

const std::vector<std::string_view> mixedSecond = {
    "$GPGGA,105153.71,5050.4122,N,00420.8266,E,1,04,2.25,109.44,M,,M,,*77",
    "$GPGSA,A,3,15,17,24,28,,,,,,,,,4.00,2.25,3.25*09",
    "$GPGSV,2,1,05,13,00,000,35,15,00,000,44,17,00,000,36,24,00,000,39*70",
    "$GPGSV,2,2,05,28,00,000,47,,,,,,,,,,,,*45",
    "$GPRMC,105153.71,A,5050.4122,N,00420.8266,E,0.14,303.60,120319,,,A*59",
    "$GPVTG,303.60,T,,M,0.14,N,0.26,K,A*3A",
};

const std::vector<std::string_view> rmcOnly = {
    "$GPRMC,105153.71,A,5050.4122,N,00420.8266,E,0.14,303.60,120319,,,A*59",
};

void parseStream(benchmark::State& state, const std::vector<std::string_view>& sentences)
{
    CountingPublisher publisher;
    NmeaParser parser(publisher, stderr);
    for (auto _ : state)
        for (const std::string_view sentence : sentences)
            benchmark::DoNotOptimize(parser.parse(sentence));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * sentences.size()));
    state.counters["signals"] = static_cast<double>(publisher.signals);
}

void BM_MixedStream(benchmark::State& state) { parseStream(state, mixedSecond); }
BENCHMARK(BM_MixedStream);

void BM_RmcOnly(benchmark::State& state) { parseStream(state, rmcOnly); }
BENCHMARK(BM_RmcOnly);

} // namespace

BENCHMARK_MAIN();
