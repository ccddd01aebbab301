#pragma once
// Fixtures shared by the tests of the operating-system layer.

#include "platform/ByteStream.h"
#include "platform/Log.h"
#include "platform/MessageLoop.h"
#include "platform/UniqueFd.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <string>
#include <vector>

namespace Orvanta::testing {

using namespace std::chrono_literals;

// A private folder (mode 0700) of its own for one test, removed with everything in it.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Written under a hidden name and renamed into place, as the virtual card does.
    void writeAtomically(const std::string& name, const std::string& text) const;
    void write(const std::string& name, const std::string& text) const;
    void append(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

// Checks `condition` until it holds or `timeout` passes. For states that no callback
// reports (a thread that has ended); everything else waits on a recorder's condition.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);

// Collects what a MessageLoop handles; tests wait on it with a time-out.
class MessageRecorder {
public:
    Os::MessageLoop::Handler handler();
    // True once `count` messages have come (false after `timeout`).
    bool waitForCount(std::size_t count, std::chrono::milliseconds timeout = 5s);
    // True once the messages so far satisfy `done`.
    bool waitFor(const std::function<bool(const std::vector<Os::Message>&)>& done,
                 std::chrono::milliseconds timeout = 5s);
    std::vector<Os::Message> messages() const;

private:
    mutable std::mutex mutex_; // guards messages_
    std::condition_variable arrived_;
    std::vector<Os::Message> messages_;
};

// Records what the layer logs while it lives.
class PlatformLogCapture {
public:
    PlatformLogCapture();
    ~PlatformLogCapture();
    std::vector<std::string> messages() const;
    bool contains(const std::string& fragment) const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

// A pseudo-terminal: the card's side (master) and the path of the port side.
struct PseudoTerminal {
    Os::UniqueFd master;
    std::string portPath;
};
PseudoTerminal openPseudoTerminal();

// The bytes of a text, for writing.
inline std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// One line of a child's output, without its newline; nothing when none came in time.
std::optional<std::string> readLine(int fd, std::chrono::milliseconds timeout = 5s);

} // namespace Orvanta::testing

namespace Orvanta::testing {

// Collects what a stream's receiver hands over; tests wait on it with a time-out.
class ReceivedBytes {
public:
    Os::ByteStream::Receiver receiver();
    bool waitForText(const std::string& text, std::chrono::milliseconds timeout = 5s);
    bool waitForEnd(std::chrono::milliseconds timeout = 5s);
    std::string text() const;
    int endCount() const;
    Os::IoResult end() const;

private:
    mutable std::mutex mutex_; // guards everything below: the receiver thread writes, the test reads
    std::condition_variable changed_;
    std::string text_;
    int ends_ = 0;
    Os::IoResult end_;
};

} // namespace Orvanta::testing
