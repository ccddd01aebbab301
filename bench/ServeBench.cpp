// "orvanta-gps serve" as map programs see it, with the virtual card in this process and
// serve in a process of its own:
//
// - BM_CardLineToTpv: from the moment the card hands a GGA sentence to its GPS data port
//   to the moment a watching client has read the TPV with that position from its socket,
//   through the library, the notice thread, the server thread and the loopback; the
//   counters give the median and the 99th percentile in microseconds. Both moments are
//   read from the same monotonic clock.
// - BM_ServeWithTenWatchers: ten clients watching reports and sentences at 1 group a
//   second; serve's CPU use over the run (from /proc/PID/stat) and its peak resident
//   memory (VmHWM in /proc/PID/status).

#include "CardBench.h"

#include "platform/Process.h"
#include "tests/support/TcpLineClient.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Orvanta::bench::CardThread;
using Orvanta::bench::Clock;
using Orvanta::bench::keyOf;
using Orvanta::bench::percentile;
using Orvanta::bench::SendTimes;
using Orvanta::testing::TcpLineClient;

const std::string kWatchReports = "?WATCH={\"enable\":true,\"json\":true};\n";
const std::string kWatchAll = "?WATCH={\"enable\":true,\"json\":true,\"nmea\":true};\n";

// serve on a port of the system's choosing, against the bench's card.
class ServeProcess {
public:
    explicit ServeProcess(const CardThread& card) : runtime_(Orvanta::bench::makeBenchFolder())
    {
        Os::Process::Options options;
        options.pipeOutput = true;
        process_.spawn("env",
                       {"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + card.folder().string(),
                        "XDG_RUNTIME_DIR=" + runtime_.string(), "sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                        ORVANTA_GPS_TOOL, "serve", "--listen", "127.0.0.1:0"},
                       options);
        std::string line;
        char c = 0;
        while (::read(process_.outputFd(), &c, 1) == 1 && c != '\n')
            line += c;
        const std::string prefix = "orvanta-gps: serving on ";
        if (line.rfind(prefix, 0) == 0)
            address_ = line.substr(prefix.size());
    }
    ~ServeProcess()
    {
        process_.sendSignal(SIGTERM);
        process_.waitForExit(10s);
        std::filesystem::remove_all(runtime_);
    }
    const std::string& address() const { return address_; }
    pid_t pid() const { return process_.pid(); }

    // utime + stime in seconds.
    double cpuSeconds() const
    {
        std::ifstream file("/proc/" + std::to_string(pid()) + "/stat");
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // The fields after the program's name, which is in parentheses.
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long long utime = 0, stime = 0;
        for (int index = 3; fields >> field; ++index) {
            if (index == 14)
                utime = std::stoll(field);
            if (index == 15) {
                stime = std::stoll(field);
                break;
            }
        }
        return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    // VmHWM in KiB.
    double peakResidentKib() const
    {
        std::ifstream file("/proc/" + std::to_string(pid()) + "/status");
        for (std::string line; std::getline(file, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stod(line.substr(6));
        return 0;
    }

private:
    std::filesystem::path runtime_;
    Os::Process process_;
    std::string address_;
};

std::optional<Orvanta::bench::PositionKey> tpvPosition(const std::string& line)
{
    if (line.rfind("{\"class\":\"TPV\"", 0) != 0)
        return std::nullopt;
    const nlohmann::json report = nlohmann::json::parse(line, nullptr, false);
    if (!report.is_object() || !report.contains("lat") || !report.contains("lon"))
        return std::nullopt;
    return keyOf(report["lat"].get<double>(), report["lon"].get<double>());
}

void BM_CardLineToTpv(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(0));
    const std::size_t wanted = static_cast<std::size_t>(state.range(1));
    SendTimes times;
    CardThread card(rate, times);
    std::vector<double> microseconds;
    for (auto _ : state) {
        ServeProcess serve(card);
        TcpLineClient client(serve.address());
        if (serve.address().empty() || !client.connected()) {
            state.SkipWithError("serve did not start");
            return;
        }
        client.send(kWatchReports);
        const auto deadline = Clock::now() + 30s + std::chrono::milliseconds(static_cast<long long>(1000.0 * double(wanted) / rate));
        while (microseconds.size() < wanted && Clock::now() < deadline) {
            const std::optional<std::string> line = client.line(30s);
            if (!line)
                break;
            const Clock::time_point read = Clock::now();
            if (const auto position = tpvPosition(*line))
                if (const auto sent = times.take(*position))
                    microseconds.push_back(std::chrono::duration<double, std::micro>(read - *sent).count());
        }
        state.SetIterationTime(percentile(microseconds, 0.5) / 1e6);
    }
    state.counters["median_us"] = percentile(microseconds, 0.5);
    state.counters["p99_us"] = percentile(microseconds, 0.99);
    state.counters["max_us"] = percentile(microseconds, 1.0);
    state.counters["samples"] = static_cast<double>(microseconds.size());
}

void BM_ServeWithTenWatchers(benchmark::State& state)
{
    const auto length = std::chrono::seconds(state.range(0));
    constexpr int kWatchers = 10;
    SendTimes times;
    CardThread card(1, times);
    double cpuShare = 0, peakKib = 0, reports = 0;
    for (auto _ : state) {
        ServeProcess serve(card);
        std::vector<std::unique_ptr<TcpLineClient>> clients;
        for (int i = 0; i < kWatchers; ++i) {
            clients.push_back(std::make_unique<TcpLineClient>(serve.address()));
            clients.back()->send(kWatchAll);
        }
        // The run starts once every client has its first position.
        for (const auto& client : clients)
            if (!client->lineWhere([](const std::string& l) { return tpvPosition(l).has_value(); }, 30s)) {
                state.SkipWithError("no position");
                return;
            }
        const double cpuBefore = serve.cpuSeconds();
        const auto start = Clock::now();
        std::atomic<long long> lines{0};
        std::vector<std::thread> readers;
        for (const auto& client : clients)
            readers.emplace_back([&, raw = client.get()] {
                while (Clock::now() - start < length)
                    if (raw->line(1s))
                        ++lines;
            });
        for (std::thread& reader : readers)
            reader.join();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        cpuShare = (serve.cpuSeconds() - cpuBefore) / wall;
        peakKib = serve.peakResidentKib();
        reports = static_cast<double>(lines.load());
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent"] = 100.0 * cpuShare;
    state.counters["peak_rss_kib"] = peakKib;
    state.counters["lines_read"] = reports;
}

// 1 group a second for half a minute; 100 a second for 20 seconds.
BENCHMARK(BM_CardLineToTpv)->Args({1, 30})->Args({100, 2000})->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
// Ten watchers at 1 group a second for 30 seconds.
BENCHMARK(BM_ServeWithTenWatchers)->Arg(30)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
