#pragma once
// A thread with a message queue: what a hidden window and its message pump were. Any
// thread posts (message, wParam, lParam); the handler runs on the loop's thread, one
// message at a time, in the order of posting. Timers are kept by id: setting a running
// timer again restarts it, and a due timer arrives as kWmTimer with its id in wParam after
// the posted messages, never more than once per due time, as window timers do.

#include "platform/Clock.h"

#include <any>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace Os {

inline constexpr std::uint32_t kWmTimer = 0x0113;
inline constexpr std::uint32_t kWmPowerBroadcast = 0x0218;
inline constexpr std::uint32_t kWmDeviceChange = 0x0219;
inline constexpr std::uint32_t kWmApp = 0x8000; // first private message number

struct Message {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    // What a window message would point to from lParam (a device broadcast, say). The
    // message owns it, so it lives as long as the handler looks at it.
    std::any attachment;
};

class MessageLoop {
public:
    using Handler = std::function<void(const Message&)>;

    // Starts the loop's thread. `clock` must outlive the loop.
    explicit MessageLoop(Handler handler, Clock& clock = steadyClock());
    // Quits and waits for the thread. Must not run on the loop's own thread.
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // False once the loop quits; the message is then dropped.
    bool post(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    bool post(Message message);

    // Starts timer `id`, or restarts it when it runs; the first tick comes one period from
    // now. A period below 1 ms counts as 1 ms.
    void setTimer(std::uintptr_t id, std::chrono::milliseconds period);
    // False when no such timer ran.
    bool killTimer(std::uintptr_t id);

    // Messages posted before quit are still handled; later posts are refused and timers
    // stop. The thread ends after the last message.
    void quit();
    // Quits and waits until the last message is handled. Must not run on the loop's own
    // thread. The loop stays usable to its handler until then, which is why an owner
    // that the handler reaches through calls this before letting go of the loop.
    void stop();

    bool isLoopThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    struct Timer {
        std::chrono::milliseconds period;
        Clock::TimePoint due;
    };

    void run();
    // The timer to fire now, if any (earliest due first, then lowest id); re-arms it.
    bool takeDueTimer(std::uintptr_t& id);
    void waitForWork(std::unique_lock<std::mutex>& lock);

    Handler handler_;
    Clock& clock_;
    std::mutex mutex_; // guards queue_, timers_ and quitting_
    std::condition_variable wake_;
    std::deque<Message> queue_;
    std::map<std::uintptr_t, Timer> timers_;
    bool quitting_ = false;
    Clock::Subscription clockSubscription_;
    std::thread thread_; // last: starts once everything above exists
};

} // namespace Os
