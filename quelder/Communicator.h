#pragma once
// The one thread that hands everything the card and the system report to the client,
// runs queued device work and drives the periodic pollers. Any thread posts; entries
// leave in the order they were put in. Between messages the thread waits up to one
// second; a second without messages runs the pollers.

#include "platform/Clock.h"
#include "quelder/Pollers.h"
#include "quelder/QdResult.h"
#include "quelder/QueueMessages.h"
#include "quelder/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace GSM {

using EventCallback = void (*)(int event, void* data);
using ErrorCallback = void (*)(int kind, int code, int extra);

class Communicator final : public Thread {
public:
    static constexpr std::chrono::milliseconds kTick{1000};

    // `clock` times the idle seconds and must outlive the communicator.
    explicit Communicator(DeviceWork& work, Os::Clock& clock = Os::steadyClock());
    ~Communicator() override;

    // Clears the stop flag, drops what an earlier run left, keeps the callbacks and
    // starts the thread.
    int Start(EventCallback eventCallback, ErrorCallback errorCallback);
    // Stops the thread, releases what was posted and never delivered, forgets the
    // callbacks.
    void Stop();

    // The posting functions: kQdNotInitialized while the thread does not run (nothing is
    // queued), kQdOutOfMemory when the queue cannot grow.
    int Post(std::uint32_t message, std::uintptr_t wParam = 0, std::uintptr_t lParam = 0);
    int PostClientEvent(int event, void* data);
    int PostClientError(int kind, int code, int extra);

    Pollers& PollerSet() { return pollers_; }
    // Starts `poller`, and asks for its message once at once when `postNow`.
    void StartPoller(Poller poller);
    void StopPoller(Poller poller) { pollers_.Stop(poller); }

    bool IsRunning() const;
    // Idle seconds seen so far, for whoever wants to know the pollers have had their turn.
    std::uint64_t IdleTicks() const { return idleTicks_.load(); }

private:
    void Loop() override;
    bool RequestStop() override;
    void Dispatch(const QueueEntry& entry);
    void RunPollers();
    // Releases what an undelivered entry carries.
    static void Discard(const QueueEntry& entry) noexcept;

    DeviceWork& work_;
    Os::Clock& clock_;
    Os::Clock::Subscription clockSubscription_;
    Pollers pollers_;

    // Set before Start, cleared after Stop; read by the thread in between.
    EventCallback eventCallback_ = nullptr;
    ErrorCallback errorCallback_ = nullptr;

    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> idleTicks_{0};

    mutable std::mutex queueMutex_; // guards queue_, accepting_ and nextTick_
    std::condition_variable queueChanged_;
    std::deque<QueueEntry> queue_;
    bool accepting_ = false; // the thread runs and will take what is queued
    Os::Clock::TimePoint nextTick_{};
};

} // namespace GSM
