#include "platform/ByteStream.h"

#include "platform/SystemError.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace Os {
namespace {

using Steady = std::chrono::steady_clock;

int streamError(bool socket, int errnoValue)
{
    // A socket whose peer is gone answers EPIPE; the callers test for a reset connection.
    if (socket && errnoValue == EPIPE)
        return kErrorConnectionReset;
    return systemErrorFromErrno(errnoValue);
}

IoResult readSome(bool socket, int fd, std::uint8_t* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = socket ? ::recv(fd, buffer, size, 0) : ::read(fd, buffer, size);
        if (got > 0)
            return IoResult::completed(static_cast<std::size_t>(got));
        if (got == 0)
            // A tty that polled readable and has nothing is hung up: its device has gone.
            return socket ? IoResult::closed() : IoResult::failed(kErrorDeviceRemoved);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return IoResult::nothing();
        return IoResult::failed(streamError(socket, errno));
    }
}

// How a stream ended that reports a hang-up or error condition without data.
IoResult endOfHangUp(bool socket, int fd)
{
    if (!socket)
        return IoResult::failed(kErrorDeviceRemoved);
    int pending = 0;
    socklen_t size = sizeof pending;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size) == 0 && pending != 0)
        return IoResult::failed(streamError(true, pending));
    return IoResult::closed();
}

} // namespace

bool ByteStream::isOpen() const { return descriptor() != nullptr; }

void ByteStream::adopt(UniqueFd fd)
{
    std::lock_guard lock(mutex_);
    fd_ = std::make_shared<const UniqueFd>(std::move(fd));
}

std::shared_ptr<const UniqueFd> ByteStream::descriptor() const
{
    std::lock_guard lock(mutex_);
    return fd_;
}

void ByteStream::close()
{
    receiver_.stop();
    std::lock_guard lock(mutex_);
    fd_.reset();
}

IoResult ByteStream::write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout)
{
    const auto fd = descriptor();
    if (!fd)
        return IoResult::failed(kErrorInvalidHandle);
    const bool socket = kind_ == Kind::socket;
    const bool endless = timeout < std::chrono::milliseconds::zero();
    const auto deadline = Steady::now() + (endless ? std::chrono::milliseconds::zero() : timeout);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = socket ? ::send(fd->get(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                                   : ::write(fd->get(), bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN)
            return IoResult::failed(streamError(socket, errno), done);
        // Full: wait until there is room again.
        int waitMs = -1;
        if (!endless) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now());
            if (left <= std::chrono::milliseconds::zero())
                return IoResult::timedOut(done);
            waitMs = static_cast<int>(left.count());
        }
        pollfd room{fd->get(), POLLOUT, 0};
        if (::poll(&room, 1, waitMs) < 0 && errno != EINTR)
            return IoResult::failed(lastSystemError(), done);
        if ((room.revents & (POLLERR | POLLHUP)) != 0 && (room.revents & POLLOUT) == 0)
            return IoResult::failed(socket ? endOfHangUp(true, fd->get()).error : kErrorDeviceRemoved, done);
    }
    return IoResult::completed(done);
}

int ByteStream::startReceiver(Receiver receiver)
{
    const auto fd = descriptor();
    if (!fd)
        return kErrorInvalidHandle;
    const bool socket = kind_ == Kind::socket;
    // The handler owns what it uses, the descriptor included: it may run on after close().
    return receiver_.start(fd->get(), POLLIN, [fd, socket, receiver = std::move(receiver)](short revents) {
        if ((revents & POLLNVAL) != 0) {
            receiver.onEnd(IoResult::failed(kErrorInvalidHandle));
            return false;
        }
        std::uint8_t buffer[kReadBlock];
        IoResult result = readSome(socket, fd->get(), buffer, sizeof buffer);
        if (result.outcome == IoResult::Outcome::completed) {
            receiver.onData(std::span<const std::uint8_t>(buffer, result.count));
            return true;
        }
        if (result.outcome == IoResult::Outcome::nothing) {
            if ((revents & (POLLHUP | POLLERR)) == 0)
                return true;
            result = endOfHangUp(socket, fd->get());
        }
        receiver.onEnd(result);
        return false;
    });
}

} // namespace Os
