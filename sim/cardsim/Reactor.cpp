#include "sim/cardsim/Reactor.h"

#include "platform/SystemError.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <utility>
#include <vector>

namespace Cardsim {

Reactor::Watch::Watch(Watch&& other) noexcept
    : reactor_(std::exchange(other.reactor_, nullptr)), id_(std::exchange(other.id_, 0))
{
}

Reactor::Watch& Reactor::Watch::operator=(Watch&& other) noexcept
{
    if (this != &other) {
        reset();
        reactor_ = std::exchange(other.reactor_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void Reactor::Watch::reset()
{
    if (reactor_ != nullptr)
        reactor_->entries_.erase(id_);
    reactor_ = nullptr;
}

void Reactor::Watch::setEvents(short events)
{
    assert(reactor_ != nullptr && "setEvents on an empty watch");
    const auto found = reactor_->entries_.find(id_);
    if (found != reactor_->entries_.end())
        found->second.events = events;
}

Reactor::Watch Reactor::watch(int fd, short events, Handler handler)
{
    const std::uint64_t id = nextId_++;
    entries_.emplace(id, Entry{fd, events, std::make_shared<Handler>(std::move(handler))});
    return Watch(this, id);
}

int Reactor::run()
{
    stopping_ = false;
    lastError_ = 0;
    while (!stopping_ && lastError_ == 0)
        runOnce(std::chrono::milliseconds(-1));
    return lastError_;
}

bool Reactor::runOnce(std::chrono::milliseconds timeout)
{
    std::vector<pollfd> fds;
    std::vector<std::uint64_t> ids;
    fds.reserve(entries_.size());
    ids.reserve(entries_.size());
    for (const auto& [id, entry] : entries_) {
        fds.push_back({entry.fd, entry.events, 0});
        ids.push_back(id);
    }
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(timeout.count()));
    if (ready < 0) {
        if (errno != EINTR)
            lastError_ = Os::lastSystemError();
        return false;
    }
    for (std::size_t i = 0; i < fds.size() && !stopping_; ++i) {
        if (fds[i].revents == 0)
            continue;
        // A handler before this one may have removed the watch, or the whole port.
        const auto found = entries_.find(ids[i]);
        if (found == entries_.end())
            continue;
        // Kept alive by this copy even if the handler removes its own watch.
        const std::shared_ptr<Handler> handler = found->second.handler;
        (*handler)(fds[i].revents);
    }
    return ready > 0;
}

Timer::Timer(Reactor& reactor, std::function<void()> onTick) : onTick_(std::move(onTick))
{
    fd_.reset(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!fd_) {
        error_ = Os::lastSystemError();
        return;
    }
    watch_ = reactor.watch(fd_.get(), POLLIN, [this](short) {
        std::uint64_t expirations = 0;
        if (::read(fd_.get(), &expirations, sizeof expirations) != sizeof expirations)
            return;
        if (!periodic_)
            running_ = false;
        // Ticks missed while the loop was busy are not made up: one tick, as late as it is.
        onTick_();
    });
}

void Timer::arm(std::chrono::nanoseconds first, std::chrono::nanoseconds period)
{
    if (!fd_)
        return;
    auto timespecOf = [](std::chrono::nanoseconds span) {
        return timespec{static_cast<time_t>(span.count() / 1'000'000'000),
                        static_cast<long>(span.count() % 1'000'000'000)};
    };
    // A zero first expiry would disarm the timer; the soonest is one nanosecond.
    const itimerspec schedule{timespecOf(period), timespecOf(std::max(first, std::chrono::nanoseconds(1)))};
    ::timerfd_settime(fd_.get(), 0, &schedule, nullptr);
    running_ = true;
}

void Timer::start(std::chrono::nanoseconds period)
{
    periodic_ = true;
    arm(period, period);
}

void Timer::startOnce(std::chrono::nanoseconds delay)
{
    periodic_ = false;
    arm(delay, std::chrono::nanoseconds::zero());
}

void Timer::stop()
{
    if (!fd_)
        return;
    const itimerspec off{};
    ::timerfd_settime(fd_.get(), 0, &off, nullptr);
    running_ = false;
}

SignalWatch::SignalWatch(Reactor& reactor, std::initializer_list<int> signals, std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal))
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : signals)
        sigaddset(&set, signal);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        error_ = Os::lastSystemError();
        return;
    }
    fd_.reset(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!fd_) {
        error_ = Os::lastSystemError();
        return;
    }
    watch_ = reactor.watch(fd_.get(), POLLIN, [this](short) {
        signalfd_siginfo info{};
        while (::read(fd_.get(), &info, sizeof info) == sizeof info)
            onSignal_(static_cast<int>(info.ssi_signo));
    });
}

} // namespace Cardsim
