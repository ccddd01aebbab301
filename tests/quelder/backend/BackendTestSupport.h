#pragma once
// Helpers of the backend's tests: a client that records what the communicator hands it,
// device work that records what the communicator runs, and a library around a device
// whose card detection the test plays.

#include "quelder/Communicator.h"
#include "quelder/Device.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace Orvanta::testing {

// A card of the maker's own family, as detection reports it.
inline constexpr std::uint32_t kGx750 = 0x1800;

using namespace std::chrono_literals;

// The client's callbacks are plain functions: one recorder is the client at a time.
class ClientRecorder {
public:
    struct Event {
        int id;
        std::string text; // the data of events that carry text (GPS data, USSD, a message, a report's recipient)
        std::thread::id thread;
        int deviceState; // QdGetDeviceState during the call, when `readState`
        int value;       // the USSD status, the index of events 14 to 16 (-1: none), a report's status
    };
    struct Error {
        int kind, code, extra;
    };

    explicit ClientRecorder(bool readState = false);
    ~ClientRecorder();
    ClientRecorder(const ClientRecorder&) = delete;
    ClientRecorder& operator=(const ClientRecorder&) = delete;

    static void OnEvent(int event, void* data);
    static void OnError(int kind, int code, int extra);

    // Runs first in every event call, on the communicator thread (a test may block there).
    void SetHook(std::function<void(int event)> hook);
    std::vector<Event> Events() const;
    std::vector<int> EventIds() const;
    std::vector<Error> Errors() const;
    bool WaitFor(const std::function<bool(const std::vector<Event>&)>& condition,
                 std::chrono::milliseconds timeout = 10s) const;
    bool WaitForErrors(std::size_t count, std::chrono::milliseconds timeout = 5s) const;

private:
    const bool readState_;
    std::function<void(int)> hook_;
    mutable std::mutex mutex_; // guards events_ and errors_: the communicator writes, the test reads
    mutable std::condition_variable changed_;
    std::vector<Event> events_;
    std::vector<Error> errors_;
};

// Device work that only records, with the idle second of the clock it came in.
class RecordingWork final : public GSM::DeviceWork {
public:
    struct Entry {
        GSM::QueueEntry entry;
        std::thread::id thread;
    };
    void Run(const GSM::QueueEntry& entry) override;
    std::vector<GSM::QueueEntry> Entries() const;
    void Clear();
    std::size_t Count(std::uint32_t message) const;
    bool WaitForCount(std::uint32_t message, std::size_t count, std::chrono::milliseconds timeout = 5s) const;

private:
    mutable std::mutex mutex_; // guards entries_: the communicator writes, the test reads
    mutable std::condition_variable changed_;
    std::vector<GSM::QueueEntry> entries_;
};

// The library around a device, with card detection played by the test: the record
// it reports, or the error it fails with.
class FakeHost final : public GSM::DeviceHost {
public:
    bool LibraryInitialized() const override { return initialized; }
    std::recursive_mutex& LibraryLock() override { return lock; }
    GSM::Communicator& Queue() override { return *queue; }
    int FetchCardInfo(NkCardInfo& record) override;
    void AcknowledgeSuspension() override { ++acknowledged; }
    void WatchPort(const std::string& port) override
    {
        std::lock_guard guard(watchMutex);
        watched.insert(port);
    }
    void UnwatchPort(const std::string& port) override
    {
        std::lock_guard guard(watchMutex);
        watched.erase(port);
    }
    std::set<std::string> Watched()
    {
        std::lock_guard guard(watchMutex);
        return watched;
    }

    void SetCard(std::uint32_t state, std::uint32_t type, std::uint32_t capabilities, const std::string& port = {});

    std::atomic<bool> initialized{true};
    std::recursive_mutex lock;
    GSM::Communicator* queue = nullptr;
    std::atomic<int> acknowledged{0};
    std::mutex watchMutex; // guards watched: the device's threads write, the test reads
    std::set<std::string> watched;

    std::mutex cardMutex; // guards card and fetchError: the test sets, the device's threads read
    NkCardInfo card{};
    int fetchError = 0;
};

} // namespace Orvanta::testing
