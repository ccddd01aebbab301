#include "ListenAddress.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace Orvanta::gps {
namespace {

// Clients that connect at once while the server is busy wait in the system's queue.
constexpr int kListenBacklog = 64;

struct AddressListRelease {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};

std::string addressText(const sockaddr_storage& address)
{
    char host[INET6_ADDRSTRLEN] = "";
    std::uint16_t port = 0;
    if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, host, sizeof host);
        port = ntohs(v6.sin6_port);
        return "[" + std::string(host) + "]:" + std::to_string(port);
    }
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &v4.sin_addr, host, sizeof host);
    port = ntohs(v4.sin_port);
    return std::string(host) + ":" + std::to_string(port);
}

int socketOption(int fd, int option)
{
    int value = 0;
    socklen_t size = sizeof value;
    return ::getsockopt(fd, SOL_SOCKET, option, &value, &size) == 0 ? value : -1;
}

// A stream socket of the internet families that listens; `bound` is where.
bool isListeningTcp(int fd, sockaddr_storage& bound)
{
    socklen_t length = sizeof bound;
    return socketOption(fd, SO_ACCEPTCONN) == 1 && socketOption(fd, SO_TYPE) == SOCK_STREAM &&
           ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0 &&
           (bound.ss_family == AF_INET || bound.ss_family == AF_INET6);
}

} // namespace

std::string ListenAddress::text() const
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<ListenAddress> parseListenAddress(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return std::nullopt;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return std::nullopt; // an IPv6 address goes in brackets
    }
    const std::string digits = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port > 65535)
        return std::nullopt;
    return ListenAddress{std::move(host), static_cast<std::uint16_t>(port)};
}

std::optional<Listener> listenOn(const ListenAddress& address, std::string& problem)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (const int rc = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        problem = ::gai_strerror(rc);
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, AddressListRelease> list(found);
    problem = "no address";
    for (const addrinfo* candidate = list.get(); candidate != nullptr; candidate = candidate->ai_next) {
        Os::UniqueFd socket(::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                     candidate->ai_protocol));
        if (!socket) {
            problem = std::strerror(errno);
            continue;
        }
        const int yes = 1;
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (candidate->ai_family == AF_INET6)
            ::setsockopt(socket.get(), IPPROTO_IPV6, IPV6_V6ONLY, &yes, sizeof yes);
        if (::bind(socket.get(), candidate->ai_addr, candidate->ai_addrlen) != 0 ||
            ::listen(socket.get(), kListenBacklog) != 0) {
            problem = std::strerror(errno);
            continue;
        }
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
            problem = std::strerror(errno);
            continue;
        }
        return Listener{std::move(socket), addressText(bound)};
    }
    return std::nullopt;
}

std::optional<Listener> handedListener(const SocketActivation& activation, std::string& problem)
{
    problem.clear();
    if (activation.listenPid == nullptr || activation.listenFds == nullptr)
        return std::nullopt;
    const std::string_view pid = activation.listenPid;
    int handedTo = 0;
    if (const auto [end, error] = std::from_chars(pid.data(), pid.data() + pid.size(), handedTo);
        error != std::errc() || end != pid.data() + pid.size() || handedTo != activation.ownPid)
        return std::nullopt; // meant for another process, one that started this one
    const std::string_view fds = activation.listenFds;
    int count = 0;
    if (const auto [end, error] = std::from_chars(fds.data(), fds.data() + fds.size(), count);
        error != std::errc() || end != fds.data() + fds.size() || count < 0) {
        problem = "LISTEN_FDS is not a number";
        return std::nullopt;
    }
    if (count == 0)
        return std::nullopt;
    if (count > 1) {
        problem = "the service manager handed " + std::to_string(count) + " sockets, serve takes one";
        return std::nullopt;
    }
    const int fd = activation.firstFd;
    sockaddr_storage bound{};
    if (!isListeningTcp(fd, bound)) {
        problem = "the socket the service manager handed is not a listening TCP socket";
        return std::nullopt;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 || ::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        problem = std::strerror(errno);
        return std::nullopt;
    }
    return Listener{Os::UniqueFd(fd), addressText(bound)};
}

std::optional<Listener> handedListener(std::string& problem)
{
    const SocketActivation activation{std::getenv("LISTEN_PID"), std::getenv("LISTEN_FDS"),
                                      static_cast<int>(::getpid())};
    std::optional<Listener> listener = handedListener(activation, problem);
    ::unsetenv("LISTEN_PID");
    ::unsetenv("LISTEN_FDS");
    ::unsetenv("LISTEN_FDNAMES");
    return listener;
}

} // namespace Orvanta::gps
