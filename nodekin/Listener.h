#pragma once
// The listener thread: waits for other programs on the shared objects. It hears a
// suspension request (another program wants the card), and it notices when the exclusive
// mutex becomes free again, and tells the notifier thread by posting to it.

#include "nodekin/SuspensionObjects.h"
#include "platform/Waitable.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace Nodekin {

enum class ListenerDuty { idle, stop, waitForSuspend, waitForMutex, waitForSuspendAndMutex };

// Messages the listener posts to the notifier thread.
inline constexpr std::uint32_t checkAfterSuspension = 0x8000;  // check the system, reason 5
inline constexpr std::uint32_t takeMutexNormally = 0x8001;     // grab the exclusive mutex
inline constexpr std::uint32_t suspendRequested = 0x8006;      // forget the card, Suspended, reason 4

class Listener {
public:
    struct Hooks {
        std::function<bool(std::uint32_t message)> post;
        std::function<bool()> exclusive; // whether this program holds exclusive access
    };

    Listener(SuspensionPlace place, Hooks hooks, std::chrono::milliseconds settle);
    ~Listener() { stop(); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    void start();
    void stop();
    // A new duty wakes the thread.
    void setDuty(ListenerDuty duty);
    ListenerDuty duty() const;

private:
    void run();
    void waitForSuspension(bool withMutex);
    void waitForMutex();
    // Waits on the wake event only: a pause that a new duty cuts short.
    void pause(std::chrono::milliseconds time);

    const SuspensionPlace place_;
    const Hooks hooks_;
    const std::chrono::milliseconds settle_;

    mutable std::mutex mutex_; // guards duty_
    ListenerDuty duty_ = ListenerDuty::idle;
    Os::LocalEvent wake_{Os::LocalEvent::Reset::automatic};

    // The listener thread's own handles, opened when it starts.
    Os::NamedEvent event_;
    Os::NamedMutex exclusiveMutex_;
    bool objectsOpen_ = false;

    std::thread thread_;
};

} // namespace Nodekin
