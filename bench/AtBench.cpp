// Costs of the AT engine: lines classified per second, bytes cut into lines and sorted
// per second, and a command/answer round trip over a pseudo-terminal with a card that
// answers "OK" at once.
// Targets: classification well under 1 microsecond a line; a round trip dominated by
// the pause before each command (10 ms), the engine's own share under 200 microseconds.

#include "platform/PollThread.h"
#include "platform/UniqueFd.h"
#include "quelder/at/Line.h"
#include "quelder/at/LineAssembler.h"
#include "quelder/at/Modem.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What a card sends in a busy minute: answers, finals, reports, and the last prefix of
// the unsolicited table, which is the longest search.
const std::vector<std::string> kLines = {
    "OK",
    "+CSQ: 17,99",
    "+CREG: 1,\"1A2B\",\"00C3\"",
    "+CME ERROR: 10",
    "Tarnwell X1",
    "^DSFLOWRPT:0000001E,00000000,00000000,0000000000000B2C,0000000000004C1A,0003E800,0003E800",
    "_TWANCALL: 1,0,2",
    "+COPS: 0,0,\"Tarnwell Net\",2",
    "ERROR",
    "RING",
};

void ClassifyLines(benchmark::State& state)
{
    std::size_t lines = 0;
    for (auto _ : state) {
        for (const std::string& line : kLines)
            benchmark::DoNotOptimize(GSM::ClassifyLine(line));
        lines += kLines.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(lines));
}
BENCHMARK(ClassifyLines);

class Classifier : public GSM::LineAssembler::Consumer {
public:
    void LineComplete(std::string_view line, bool& continuation) override
    {
        benchmark::DoNotOptimize(GSM::ClassifyLine(line));
        continuation = false;
        ++lines;
    }
    void LineTooLong() override {}
    std::size_t lines = 0;
};

void AssembleAndClassify(benchmark::State& state)
{
    std::string stream;
    for (int i = 0; i < 100; ++i)
        for (const std::string& line : kLines)
            stream += "\r\n" + line + "\r\n";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size());
    GSM::LineAssembler assembler;
    Classifier classifier;
    for (auto _ : state)
        assembler.Push(bytes, classifier);
    state.SetItemsProcessed(static_cast<std::int64_t>(classifier.lines));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(AssembleAndClassify);

// A card on the far side of a pseudo-terminal that answers every command with "OK".
class OkCard {
public:
    OkCard()
    {
        master_.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
        std::array<char, 128> name{};
        if (!master_ || ::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0 ||
            ::ptsname_r(master_.get(), name.data(), name.size()) != 0)
            throw std::runtime_error("cannot open a pseudo-terminal");
        path_ = name.data();
        const int fd = master_.get();
        reader_.start(fd, POLLIN, [fd](short revents) {
            char buffer[256];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            for (ssize_t i = 0; i < got; ++i)
                if (buffer[i] == '\r' && ::write(fd, "\r\nOK\r\n", 6) != 6)
                    return false;
            return got > 0 || (revents & POLLHUP) == 0;
        });
    }
    ~OkCard() { reader_.stop(); }
    const std::string& Path() const { return path_; }

private:
    Os::UniqueFd master_;
    std::string path_;
    Os::PollThread reader_;
};

// Argument: the pause before each command in ms (10 in production; 0 shows the engine alone).
void CommandRoundTripOverPty(benchmark::State& state)
{
    OkCard card;
    GSM::Modem modem(GSM::ModemTiming{std::chrono::milliseconds(0), std::chrono::milliseconds(state.range(0))});
    modem.Open(GSM::OpenMode::serial, card.Path());
    for (auto _ : state) {
        modem.Command("AT").Send();
        modem.WaitFinal();
    }
    modem.Close();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CommandRoundTripOverPty)->Arg(0)->Arg(10)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
