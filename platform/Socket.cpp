#include "platform/Socket.h"

#include "platform/SystemError.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>

namespace Os {
namespace {

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// AT commands are short: send each at once rather than gathering.
void sendPromptly(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

int Socket::connect(std::uint16_t port)
{
    assert(!isOpen() && "Socket connected twice");
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return lastSystemError();
    const sockaddr_in address = loopback(port);
    while (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        if (errno != EINTR)
            return lastSystemError();
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        return lastSystemError();
    sendPromptly(fd.get());
    adopt(std::move(fd));
    return kErrorSuccess;
}

void Socket::abort()
{
    if (const auto fd = descriptor()) {
        const linger reset{1, 0}; // closing now sends a reset
        ::setsockopt(fd->get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    close();
}

int LocalServer::listen(std::uint16_t port)
{
    assert(!fd_ && "LocalServer listening twice");
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd)
        return lastSystemError();
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(port);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), 1) != 0)
        return lastSystemError();
    socklen_t size = sizeof address;
    if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return lastSystemError();
    port_ = ntohs(address.sin_port);
    fd_ = std::move(fd);
    return kErrorSuccess;
}

int LocalServer::accept(Socket& client, std::chrono::milliseconds timeout)
{
    assert(!client.isOpen() && "accepting into an open socket");
    if (!fd_)
        return kErrorInvalidHandle;
    pollfd waiting{fd_.get(), POLLIN, 0};
    const int timeoutMs = timeout < std::chrono::milliseconds::zero() ? -1 : static_cast<int>(timeout.count());
    for (;;) {
        const int ready = ::poll(&waiting, 1, timeoutMs);
        if (ready == 0)
            return kErrorWaitTimeout;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return lastSystemError();
        UniqueFd connection(::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!connection) {
            if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED)
                continue; // the client gave up before we took it
            return lastSystemError();
        }
        sendPromptly(connection.get());
        client.adopt(std::move(connection));
        return kErrorSuccess;
    }
}

int LocalServer::acceptInBackground(Socket& client, PollThread& waiter, std::function<void(int error)> accepted)
{
    if (!fd_)
        return kErrorInvalidHandle;
    return waiter.start(fd_.get(), POLLIN, [this, &client, accepted = std::move(accepted)](short) {
        const int error = accept(client, std::chrono::milliseconds::zero());
        if (error == kErrorWaitTimeout)
            return true; // the client gave up before we took it: wait for the next one
        accepted(error);
        return false;
    });
}

void LocalServer::close()
{
    fd_.reset();
    port_ = 0;
}

} // namespace Os
