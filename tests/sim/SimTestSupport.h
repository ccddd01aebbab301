#pragma once
// Helpers of the virtual card's tests: a host's side of a port for the in-process card,
// a line collector for ports read through the platform layer, and the card as a process
// with folders of its own.

#include "sim/cardsim/AtSession.h"
#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Reactor.h"
#include "sim/cardsim/Receiver.h"

#include "platform/ByteStream.h"
#include "platform/DeviceNode.h"
#include "platform/Process.h"
#include "platform/UniqueFd.h"
#include "tests/platform/PlatformTestSupport.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim::testing {

using namespace std::chrono_literals;

// What goes over the wire: echo as it is, answer lines between CR LF pairs.
std::string wire(const std::vector<Emission>& emissions);

// The answer lines of one command line, each framed, and the final result.
std::string answerOf(std::initializer_list<const char*> lines, const char* result = "OK");
// `lines` each framed as the card sends them.
std::string framed(const std::vector<std::string>& lines);

// One AT port of a card with echo off, its card state beside it and its alarms rung by
// the test, and everything the card sends on the port collected.
struct CardSession {
    explicit CardSession(SimSetup sim = {});
    CardSession(const CardSession&) = delete;
    CardSession& operator=(const CardSession&) = delete;

    // Sends `bytes` and answers what the card sent since the last call.
    std::string send(std::string_view bytes);
    std::string take() { return std::exchange(output, {}); }
    // Carries out a control command of the card state, which must succeed.
    void control(const std::string& line);
    // The reply of a control command of the card state.
    std::string reply(const std::string& line);

    CardFacts facts;
    Dialect dialect;
    FaultRules faults;
    Receiver receiver;
    ManualAlarms alarms;
    CardState state;
    AtSession session;
    std::string output;
};

// The host's side of a port of the in-process card, opened raw and without blocking.
class HostPort {
public:
    explicit HostPort(const std::string& path);
    bool isOpen() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    void write(std::string_view text);
    // Everything read so far; takes what is waiting first.
    const std::string& received();
    // Forgets what has come so far, what waits to be read included.
    void forget()
    {
        drain();
        received_.clear();
    }

    // True once a read reported the end of the port (the card was pulled).
    bool ended();
    void close() { fd_.reset(); }

private:
    void drain();
    Os::UniqueFd fd_;
    std::string received_;
    bool ended_ = false;
};

// Runs the reactor until `condition` holds or `timeout` passes.
bool pumpUntil(Reactor& reactor, const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);

// Collects the CR LF lines a port's receiver thread hands over.
class LineCollector {
public:
    Os::ByteStream::Receiver receiver();
    // True once some line satisfies `match`; lines before it stay collected.
    bool waitForLine(const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout = 10s);
    // True once at least `count` lines satisfy `match`.
    bool waitForCount(const std::function<bool(const std::string&)>& match, std::size_t count,
                      std::chrono::milliseconds timeout = 10s);
    bool waitForEnd(std::chrono::milliseconds timeout = 10s);
    std::vector<std::string> lines() const;
    std::optional<Os::IoResult> end() const;
    void clear();

private:
    mutable std::mutex mutex_; // guards everything below: the receiver thread writes, the test reads
    std::condition_variable changed_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::optional<Os::IoResult> end_;
};

// orvanta-cardsim as a child process with its own simulator folder and runtime folder.
class CardsimProcess {
public:
    CardsimProcess() = default;
    ~CardsimProcess();

    // Starts the card named "card" with `arguments` and waits until it reports that it
    // runs. False, with the reason in a test failure, when it did not.
    bool start(const std::vector<std::string>& arguments);
    // A control command's answer line; "" when none came.
    std::string control(const std::string& command);
    // Sends `signal` and waits for the exit; the exit status, if it came.
    std::optional<Os::ExitStatus> stopWith(int signal);
    Os::Process& process() { return process_; }

    const std::filesystem::path& simDir() const { return simDir_.path(); }
    std::filesystem::path descriptionFile() const { return simDir_ / "card.json"; }
    std::filesystem::path socketFile() const { return simDir_ / "card.sock"; }
    // The nodes of the description file as the simulated tree reads them; none when it is
    // not there or not valid.
    std::vector<Os::DeviceNode> description() const;
    // The port path of the first node whose friendly name holds `fragment`; "" if none.
    std::string portOf(std::string_view fragment) const;
    // What the card printed to standard output up to its ready line.
    const std::vector<std::string>& banner() const { return banner_; }

private:
    Orvanta::testing::TestFolder simDir_;
    Orvanta::testing::TestFolder runtimeDir_;
    Os::Process process_;
    std::vector<std::string> banner_;
};

} // namespace Cardsim::testing
