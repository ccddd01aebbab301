#include "platform/PollThread.h"

#include "platform/Log.h"
#include "platform/SystemError.h"
#include "platform/UniqueFd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace Os {

struct PollThread::State {
    int fd = -1;
    short events = 0;
    Handler handler;
    UniqueFd stopFd;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{true};
};

namespace {

// Holds its own reference to the state: the owner may let go of its one while we run.
void run(const std::shared_ptr<PollThread::State> state)
{
    while (!state->stopRequested.load()) {
        pollfd fds[2] = {{state->fd, state->events, 0}, {state->stopFd.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            logFormat(LogLevel::error, "poll on descriptor %d failed (error %d), its thread ends", state->fd,
                      lastSystemError());
            break;
        }
        if (fds[1].revents != 0 || state->stopRequested.load())
            break;
        if (fds[0].revents != 0 && !state->handler(fds[0].revents))
            break;
    }
    state->running.store(false);
}

} // namespace

int PollThread::start(int fd, short events, Handler handler)
{
    std::lock_guard lock(mutex_);
    assert(!thread_.joinable() && "PollThread started twice");
    auto state = std::make_shared<State>();
    state->fd = fd;
    state->events = events;
    state->handler = std::move(handler);
    state->stopFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!state->stopFd)
        return lastSystemError();
    try {
        thread_ = std::thread([state] { run(state); });
    } catch (const std::system_error& error) {
        return systemErrorFromErrno(error.code().value());
    }
    state_ = std::move(state);
    return kErrorSuccess;
}

void PollThread::stop()
{
    std::thread thread;
    std::shared_ptr<State> state;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            return;
        thread = std::move(thread_);
        state = std::move(state_);
    }
    state->stopRequested.store(true);
    const std::uint64_t one = 1;
    // The flag alone would do once poll returns; the eventfd makes it return now.
    [[maybe_unused]] const ssize_t written = ::write(state->stopFd.get(), &one, sizeof one);
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach(); // the thread ends as soon as its handler returns
    else
        thread.join();
}

bool PollThread::running() const
{
    std::lock_guard lock(mutex_);
    return state_ != nullptr && state_->running.load();
}

} // namespace Os
