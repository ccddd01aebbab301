// Costs of the parameter dictionary on a record of the size notifications carry (20 pairs).
// Targets: a deep copy within 1.5x of malloc+memcpy of the same bytes, validation under
// 150 ns, lookup of the last of 20 keys under 60 ns.

#include "corvane/types/Dictionary.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

using Corvane::Dictionary;

namespace {

// Last key of the record below; the lookup benchmark scans past the 19 others.
constexpr const char* lastKey = "gpsTrackAngle";

Dictionary twentyPairs()
{
    Dictionary d;
    d.setInteger("deviceState", 4);
    d.setInteger("deviceId", 0);
    d.setString("deviceModel", "Virtual GPS card");
    d.setString("modemPort", "ttyUSB0");
    d.setString("appPort", "ttyUSB1");
    d.setString("gpsControlPort", "ttyUSB2");
    d.setString("gpsDataPort", "ttyUSB3");
    d.setString("firmwareVersion", "1.2.3");
    d.setString("imei", "356938035643809");
    d.setInteger("vendorId", 0x1234);
    d.setInteger("productId", 0x5678);
    d.setInteger("gpsState", 2);
    d.setDouble("gpsLatitude", 48.1173);
    d.setDouble("gpsLongitude", 11.5167);
    d.setDouble("gpsAltitude", 545.4);
    d.setString("gpsDate", "230394");
    d.setString("gpsTime", "123519");
    d.setString("gpsHdop", "0.9");
    d.setDouble("gpsSpeed", 22.4);
    d.setDouble(lastKey, 84.4);
    return d;
}

void BM_MallocMemcpyBaseline(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    const std::size_t size = d.byteSize();
    for (auto _ : state) {
        void* block = std::malloc(size);
        std::memcpy(block, d.data(), size);
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_MallocMemcpyBaseline);

void BM_DeepCopy(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    for (auto _ : state) {
        Dictionary copy = d;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_DeepCopy);

void BM_LookupLastKey(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    const std::string key = lastKey; // not a literal the compiler could fold
    for (auto _ : state)
        benchmark::DoNotOptimize(d.real(key.c_str()));
}
BENCHMARK(BM_LookupLastKey);

void BM_Validate(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    for (auto _ : state)
        benchmark::DoNotOptimize(Dictionary::validate(d.data(), d.byteSize()));
}
BENCHMARK(BM_Validate);

void BM_TextForm(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    for (auto _ : state)
        benchmark::DoNotOptimize(d.toString());
}
BENCHMARK(BM_TextForm);

void BM_SetExistingInteger(benchmark::State& state)
{
    Dictionary d = twentyPairs();
    std::int64_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(d.setInteger("gpsState", ++value));
}
BENCHMARK(BM_SetExistingInteger);

// Each round starts from the 20-pair record, so the copy is part of the figure; the cost
// of adding is this minus BM_DeepCopy.
void BM_CopyAndAddPair(benchmark::State& state)
{
    const Dictionary d = twentyPairs();
    for (auto _ : state) {
        Dictionary grown = d;
        benchmark::DoNotOptimize(grown.setInteger("gpsQuality", 1));
    }
}
BENCHMARK(BM_CopyAndAddPair);

} // namespace

BENCHMARK_MAIN();
