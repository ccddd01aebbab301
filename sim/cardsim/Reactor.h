#pragma once
// The card's event loop: one thread waits in poll() on every descriptor the card listens
// to (its pseudo-terminals, the control socket, timers, signals) and calls their handlers
// one at a time. Everything the card knows lives on this thread, so none of it needs a
// lock. Handlers may add and remove watches, their own included.

#include "platform/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

namespace Cardsim {

class Reactor {
public:
    using Handler = std::function<void(short revents)>;

    // Removes its watch when it goes.
    class Watch {
    public:
        Watch() = default;
        Watch(Watch&& other) noexcept;
        Watch& operator=(Watch&& other) noexcept;
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;
        ~Watch() { reset(); }

        void reset();
        // Which events to wait for from now on.
        void setEvents(short events);
        explicit operator bool() const { return reactor_ != nullptr; }

    private:
        friend class Reactor;
        Watch(Reactor* reactor, std::uint64_t id) : reactor_(reactor), id_(id) {}
        Reactor* reactor_ = nullptr;
        std::uint64_t id_ = 0;
    };

    Reactor() = default;
    Reactor(const Reactor&) = delete;
    Reactor& operator=(const Reactor&) = delete;

    // Calls `handler` with the poll events whenever `fd` reports one of `events` (or an
    // error or hang-up). The descriptor must stay open while the watch lives.
    [[nodiscard]] Watch watch(int fd, short events, Handler handler);

    // Runs until stop(); returns 0, or the system error that broke the wait.
    int run();
    // Waits at most `timeout` for events and handles them; false when none came.
    bool runOnce(std::chrono::milliseconds timeout);
    void stop() { stopping_ = true; }

private:
    struct Entry {
        int fd;
        short events;
        std::shared_ptr<Handler> handler;
    };

    std::map<std::uint64_t, Entry> entries_;
    std::uint64_t nextId_ = 1;
    bool stopping_ = false;
    int lastError_ = 0;
};

// A timer on a timerfd, handled on the reactor's thread.
class Timer {
public:
    Timer(Reactor& reactor, std::function<void()> onTick);
    // 0, or the system error that kept the timer from being made.
    int error() const { return error_; }
    // Ticks every `period`, the first one period from now; restarts a running timer.
    void start(std::chrono::nanoseconds period);
    // Ticks once, `delay` from now.
    void startOnce(std::chrono::nanoseconds delay);
    void stop();
    bool running() const { return running_; }

private:
    void arm(std::chrono::nanoseconds first, std::chrono::nanoseconds period);

    Os::UniqueFd fd_;
    int error_ = 0;
    std::function<void()> onTick_;
    Reactor::Watch watch_;
    bool running_ = false;
    bool periodic_ = false;
};

// Signals taken on the reactor's thread instead of interrupting it. The signals are
// blocked for the whole process, so this must be made before any other thread starts.
class SignalWatch {
public:
    SignalWatch(Reactor& reactor, std::initializer_list<int> signals, std::function<void(int signal)> onSignal);
    int error() const { return error_; }

private:
    Os::UniqueFd fd_;
    int error_ = 0;
    std::function<void(int)> onSignal_;
    Reactor::Watch watch_;
};

} // namespace Cardsim
