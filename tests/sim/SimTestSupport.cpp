#include "tests/sim/SimTestSupport.h"

#include "sim/cardsim/ControlServer.h"
#include "sim/cardsim/NetworkControl.h"

#include "platform/DeviceDescription.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace Cardsim::testing {

std::string wire(const std::vector<Emission>& emissions)
{
    std::string text;
    for (const Emission& emission : emissions)
        text += emission.kind != Emission::Kind::line ? emission.text : "\r\n" + emission.text + "\r\n";
    return text;
}

std::string answerOf(std::initializer_list<const char*> lines, const char* result)
{
    std::string text;
    for (const char* line : lines)
        text += "\r\n" + std::string(line) + "\r\n";
    return text + "\r\n" + result + "\r\n";
}

std::string framed(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "\r\n" + line + "\r\n";
    return text;
}

CardSession::CardSession(SimSetup sim)
    : facts(factsFor(*findProfile("gps"), "RX0001")),
      dialect(Dialect::forCard(true)),
      receiver(0ms),
      state(alarms.maker(), std::move(sim)),
      session(dialect, facts, &receiver, faults, &state, alarms.maker())
{
    session.onLateOutput([this](const std::vector<Emission>& emissions) { output += wire(emissions); });
    state.onEvent([this](CardEvent event) {
        std::vector<Emission> out;
        session.report(event, out);
        output += wire(out);
    });
    send("ATE0\r");
}

std::string CardSession::send(std::string_view bytes)
{
    std::vector<Emission> out;
    session.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, out);
    output += wire(out);
    return take();
}

std::string CardSession::reply(const std::string& line)
{
    const ParsedControl parsed = parseControlLine(line);
    if (!parsed.command)
        return "unparsed: " + parsed.problem;
    return executeNetworkCommand(*parsed.command, state, facts);
}

void CardSession::control(const std::string& line) { ASSERT_EQ(reply(line), "OK") << line; }

HostPort::HostPort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}

void HostPort::write(std::string_view text)
{
    ASSERT_EQ(::write(fd_.get(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

void HostPort::drain()
{
    if (!fd_)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd_.get(), buffer, sizeof buffer);
        if (got > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            ended_ = true;
        return;
    }
}

const std::string& HostPort::received()
{
    drain();
    return received_;
}

bool HostPort::ended()
{
    drain();
    return ended_;
}

bool pumpUntil(Reactor& reactor, const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        reactor.runOnce(5ms);
    }
    return true;
}

Os::ByteStream::Receiver LineCollector::receiver()
{
    return {[this](std::span<const std::uint8_t> bytes) {
                std::lock_guard lock(mutex_);
                partial_.append(bytes.begin(), bytes.end());
                std::size_t end;
                while ((end = partial_.find("\r\n")) != std::string::npos) {
                    if (end > 0)
                        lines_.push_back(partial_.substr(0, end));
                    partial_.erase(0, end + 2);
                }
                changed_.notify_all();
            },
            [this](const Os::IoResult& end) {
                std::lock_guard lock(mutex_);
                end_ = end;
                changed_.notify_all();
            }};
}

bool LineCollector::waitForLine(const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout)
{
    return waitForCount(match, 1, timeout);
}

bool LineCollector::waitForCount(const std::function<bool(const std::string&)>& match, std::size_t count,
                                 std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        std::size_t found = 0;
        for (const std::string& line : lines_)
            found += match(line) ? 1 : 0;
        return found >= count;
    });
}

bool LineCollector::waitForEnd(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return end_.has_value(); });
}

std::vector<std::string> LineCollector::lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

std::optional<Os::IoResult> LineCollector::end() const
{
    std::lock_guard lock(mutex_);
    return end_;
}

void LineCollector::clear()
{
    std::lock_guard lock(mutex_);
    lines_.clear();
}

CardsimProcess::~CardsimProcess()
{
    if (process_.pid() > 0 && process_.running())
        stopWith(SIGTERM);
}

bool CardsimProcess::start(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"ORVANTA_SIM_DIR=" + simDir_.path().string(),
                                     "XDG_RUNTIME_DIR=" + runtimeDir_.path().string(), ORVANTA_CARDSIM, "--name",
                                     "card"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (process_.spawn("env", command, {.pipeOutput = true}) != 0) {
        ADD_FAILURE() << "cannot start " << ORVANTA_CARDSIM;
        return false;
    }
    // The banner ends with the control socket's line, printed once the card runs.
    while (const auto line = Orvanta::testing::readLine(process_.outputFd(), 20s)) {
        banner_.push_back(*line);
        if (line->find("control") != std::string::npos)
            return true;
    }
    ADD_FAILURE() << "orvanta-cardsim did not report that it runs";
    return false;
}

std::string CardsimProcess::control(const std::string& command)
{
    std::string reply;
    if (const int error = sendControlCommand(socketFile(), command, reply, 10s)) {
        ADD_FAILURE() << "control command \"" << command << "\" failed with error " << error;
        return {};
    }
    return reply;
}

std::optional<Os::ExitStatus> CardsimProcess::stopWith(int signal)
{
    process_.sendSignal(signal);
    if (process_.waitForExit(20s).status != Os::WaitStatus::signalled)
        return std::nullopt;
    return process_.exitStatus();
}

std::vector<Os::DeviceNode> CardsimProcess::description() const
{
    std::ifstream in(descriptionFile(), std::ios::binary);
    if (!in)
        return {};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string problem;
    auto nodes = Os::parseDeviceDescription(text, problem);
    return nodes ? std::move(nodes).value() : std::vector<Os::DeviceNode>{};
}

std::string CardsimProcess::portOf(std::string_view fragment) const
{
    for (const Os::DeviceNode& node : description()) {
        const auto port = node.properties.find(Os::DeviceProperty::portName);
        if (node.friendlyName.find(fragment) != std::string::npos && port != node.properties.end())
            return Os::devicePathOf(port->second);
    }
    return {};
}

} // namespace Cardsim::testing
