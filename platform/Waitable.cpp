#include "platform/Waitable.h"

#include "platform/Log.h"
#include "platform/SystemError.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace Os {

WaitOutcome waitForAny(std::span<Waitable* const> objects, std::chrono::milliseconds timeout)
{
    assert(!objects.empty() && "waiting for nothing");
    using Clock = std::chrono::steady_clock;
    const bool endless = timeout < std::chrono::milliseconds::zero();
    const auto deadline = Clock::now() + (endless ? std::chrono::milliseconds::zero() : timeout);
    std::vector<pollfd> fds;
    std::vector<Waitable*> owners;
    bool lookAgainSoon = false;
    for (Waitable* object : objects) {
        if (const int fd = object->changeDescriptor(); fd >= 0) {
            fds.push_back({fd, POLLIN, 0});
            owners.push_back(object);
        } else {
            lookAgainSoon = true;
        }
    }
    for (;;) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            WaitOutcome outcome = objects[i]->tryAcquire();
            if (outcome.status != WaitStatus::notSignalled) {
                outcome.index = i;
                return outcome;
            }
        }
        auto wait = std::chrono::milliseconds(-1);
        if (!endless) {
            wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (wait <= std::chrono::milliseconds::zero())
                return {WaitStatus::timedOut, 0, 0};
        }
        if (lookAgainSoon)
            wait = endless ? kPollInterval : std::min(wait, kPollInterval);
        const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
        if (ready < 0 && errno != EINTR)
            return {WaitStatus::failed, 0, lastSystemError()};
        for (std::size_t i = 0; ready > 0 && i < fds.size(); ++i)
            if (fds[i].revents != 0)
                owners[i]->consumeChange();
    }
}

LocalEvent::LocalEvent(Reset reset) : resetMode_(reset), fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (!fd_)
        logFormat(LogLevel::error, "Cannot create an event (error %d)", lastSystemError());
}

void LocalEvent::set()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd_.get(), &one, sizeof one);
}

void LocalEvent::reset()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(fd_.get(), &count, sizeof count);
}

WaitOutcome LocalEvent::tryAcquire()
{
    if (!fd_)
        return {WaitStatus::failed, 0, kErrorInvalidHandle};
    if (resetMode_ == Reset::automatic) {
        std::uint64_t count = 0;
        return {::read(fd_.get(), &count, sizeof count) == sizeof count ? WaitStatus::signalled
                                                                         : WaitStatus::notSignalled,
                0, 0};
    }
    pollfd state{fd_.get(), POLLIN, 0};
    return {::poll(&state, 1, 0) > 0 ? WaitStatus::signalled : WaitStatus::notSignalled, 0, 0};
}

} // namespace Os
