#include "tests/support/TcpLineClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace Orvanta::testing {

TcpLineClient::TcpLineClient(const std::string& address)
{
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return;
    std::string host = address.substr(0, colon);
    const auto port = static_cast<std::uint16_t>(std::atoi(address.c_str() + colon + 1));
    sockaddr_storage target{};
    socklen_t length = 0;
    if (!host.empty() && host.front() == '[') {
        host = host.substr(1, host.size() - 2);
        auto& v6 = reinterpret_cast<sockaddr_in6&>(target);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        if (::inet_pton(AF_INET6, host.c_str(), &v6.sin6_addr) != 1)
            return;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(target);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        if (::inet_pton(AF_INET, host.c_str(), &v4.sin_addr) != 1)
            return;
        length = sizeof v4;
    }
    fd_ = ::socket(target.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&target), length) != 0)
        close();
}

TcpLineClient::~TcpLineClient()
{
    close();
}

void TcpLineClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool TcpLineClient::send(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t sent = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool TcpLineClient::fill(std::chrono::steady_clock::time_point deadline)
{
    if (ended_ || fd_ < 0)
        return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd readable{fd_, POLLIN, 0};
    const int ready = ::poll(&readable, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR)
        return true;
    if (ready <= 0)
        return false;
    char chunk[4096];
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        ended_ = true;
        return false;
    }
    buffered_.append(chunk, static_cast<std::size_t>(got));
    received_ += static_cast<std::size_t>(got);
    return true;
}

std::optional<std::string> TcpLineClient::line(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const std::size_t end = buffered_.find('\n'); end != std::string::npos) {
            std::string text = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return text;
        }
        if (!fill(deadline))
            return std::nullopt;
    }
}

bool TcpLineClient::closedWithin(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ended_) {
        buffered_.clear();
        if (!fill(deadline) && !ended_)
            return false;
    }
    return true;
}

} // namespace Orvanta::testing
