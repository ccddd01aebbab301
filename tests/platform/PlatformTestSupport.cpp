#include "tests/platform/PlatformTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <thread>

namespace Orvanta::testing {

TestFolder::TestFolder()
{
    char pattern[] = "/tmp/orvanta-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        throw std::runtime_error("cannot create a test folder");
    path_ = pattern;
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TestFolder::write(const std::string& name, const std::string& text) const
{
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << text;
}

void TestFolder::writeAtomically(const std::string& name, const std::string& text) const
{
    write("." + name + ".tmp", text);
    std::filesystem::rename(path_ / ("." + name + ".tmp"), path_ / name);
}

void TestFolder::append(const std::string& name, const std::string& text) const
{
    std::ofstream(path_ / name, std::ios::binary | std::ios::app) << text;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

Os::MessageLoop::Handler MessageRecorder::handler()
{
    return [this](const Os::Message& message) {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
        arrived_.notify_all();
    };
}

bool MessageRecorder::waitForCount(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
}

bool MessageRecorder::waitFor(const std::function<bool(const std::vector<Os::Message>&)>& done,
                              std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return done(messages_); });
}

std::vector<Os::Message> MessageRecorder::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

struct PlatformLogCapture::Shared {
    mutable std::mutex mutex; // guards messages: the layer logs from its threads
    std::vector<std::string> messages;
};

PlatformLogCapture::PlatformLogCapture() : shared_(std::make_shared<Shared>())
{
    Os::setLogSink([shared = shared_](Os::LogLevel, std::string_view message) {
        std::lock_guard lock(shared->mutex);
        shared->messages.emplace_back(message);
    });
}

PlatformLogCapture::~PlatformLogCapture() { Os::setLogSink(nullptr); }

std::vector<std::string> PlatformLogCapture::messages() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->messages;
}

bool PlatformLogCapture::contains(const std::string& fragment) const
{
    for (const std::string& message : messages())
        if (message.find(fragment) != std::string::npos)
            return true;
    return false;
}

PseudoTerminal openPseudoTerminal()
{
    PseudoTerminal pty;
    pty.master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!pty.master || ::grantpt(pty.master.get()) != 0 || ::unlockpt(pty.master.get()) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    char name[128];
    if (::ptsname_r(pty.master.get(), name, sizeof name) != 0)
        throw std::runtime_error("cannot name the pseudo-terminal");
    pty.portPath = name;
    return pty;
}

std::optional<std::string> readLine(int fd, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
}

} // namespace Orvanta::testing

namespace Orvanta::testing {

Os::ByteStream::Receiver ReceivedBytes::receiver()
{
    return {[this](std::span<const std::uint8_t> bytes) {
                std::lock_guard lock(mutex_);
                text_.append(bytes.begin(), bytes.end());
                changed_.notify_all();
            },
            [this](const Os::IoResult& end) {
                std::lock_guard lock(mutex_);
                ++ends_;
                end_ = end;
                changed_.notify_all();
            }};
}

bool ReceivedBytes::waitForText(const std::string& text, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return text_.find(text) != std::string::npos; });
}

bool ReceivedBytes::waitForEnd(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return ends_ > 0; });
}

std::string ReceivedBytes::text() const
{
    std::lock_guard lock(mutex_);
    return text_;
}

int ReceivedBytes::endCount() const
{
    std::lock_guard lock(mutex_);
    return ends_;
}

Os::IoResult ReceivedBytes::end() const
{
    std::lock_guard lock(mutex_);
    return end_;
}

} // namespace Orvanta::testing
