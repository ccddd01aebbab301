#include "sim/cardsim/ControlServer.h"

#include "platform/SystemError.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Cardsim {
namespace {

// 0, or kErrorFilenameTooLong when the path does not fit a socket address.
int addressOf(const std::filesystem::path& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path)
        return Os::kErrorFilenameTooLong;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return Os::kErrorSuccess;
}

Os::UniqueFd streamSocket()
{
    return Os::UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

// Connects without waiting: a Unix socket either takes the connection at once or refuses.
int connectTo(int fd, const std::filesystem::path& path)
{
    sockaddr_un address;
    if (const int error = addressOf(path, address))
        return error;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return Os::kErrorSuccess;
    return Os::lastSystemError();
}

Os::IoResult sendSome(int fd, std::span<const std::uint8_t> bytes) { return writeWhatFits(fd, bytes, true); }

} // namespace

int ControlServer::listen(const std::filesystem::path& path)
{
    close();
    sockaddr_un address;
    if (const int error = addressOf(path, address))
        return error;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return Os::kErrorFileExists;
        Os::UniqueFd probe = streamSocket();
        if (probe && connectTo(probe.get(), path) == Os::kErrorSuccess)
            return Os::kErrorAddressInUse;
        ::unlink(path.c_str()); // left by a card that did not end in order
    }
    Os::UniqueFd fd = streamSocket();
    if (!fd)
        return Os::lastSystemError();
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), 8) != 0)
        return Os::lastSystemError();
    ::chmod(path.c_str(), 0600);
    listener_ = std::move(fd);
    path_ = path;
    listenWatch_ = reactor_.watch(listener_.get(), POLLIN, [this](short) { accept(); });
    return Os::kErrorSuccess;
}

void ControlServer::close()
{
    clients_.clear();
    listenWatch_.reset();
    if (listener_) {
        listener_.reset();
        ::unlink(path_.c_str());
    }
}

void ControlServer::accept()
{
    for (;;) {
        Os::UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd)
            return;
        auto client = std::make_unique<Client>();
        const int key = fd.get();
        client->fd = std::move(fd);
        client->watch = reactor_.watch(key, POLLIN, [this, key](short revents) { serve(key, revents); });
        clients_[key] = std::move(client);
    }
}

void ControlServer::serve(int fd, short revents)
{
    const auto found = clients_.find(fd);
    if (found == clients_.end())
        return;
    Client& client = *found->second;
    bool keep = true;
    if ((revents & POLLOUT) != 0)
        flush(client);
    if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        char buffer[1024];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            client.input.append(buffer, static_cast<std::size_t>(got));
            keep = answerLines(client);
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            keep = false;
        }
    }
    // The handler may have closed the server, and every client with it.
    const auto still = clients_.find(fd);
    if (still == clients_.end())
        return;
    if (!keep)
        clients_.erase(still);
}

bool ControlServer::answerLines(Client& client)
{
    std::size_t newline;
    while ((newline = client.input.find('\n')) != std::string::npos) {
        const std::string line = client.input.substr(0, newline);
        client.input.erase(0, newline + 1);
        const int fd = client.fd.get();
        const std::string reply = handler_(line) + "\n";
        if (clients_.find(fd) == clients_.end())
            return false; // gone with a close() in the handler
        client.output.push(reply);
        flush(client);
    }
    if (client.input.size() > kMaxLine) {
        client.output.push("ERROR line longer than " + std::to_string(kMaxLine) + " bytes\n");
        flush(client);
        return false;
    }
    return true;
}

void ControlServer::flush(Client& client)
{
    const int fd = client.fd.get();
    client.output.flush([fd](std::span<const std::uint8_t> bytes) { return sendSome(fd, bytes); });
    client.watch.setEvents(static_cast<short>(client.output.empty() ? POLLIN : POLLIN | POLLOUT));
}

int sendControlCommand(const std::filesystem::path& path, std::string_view command, std::string& reply,
                       std::chrono::milliseconds timeout)
{
    reply.clear();
    Os::UniqueFd fd = streamSocket();
    if (!fd)
        return Os::lastSystemError();
    if (const int error = connectTo(fd.get(), path))
        return error;
    const std::string line = std::string(command) + "\n";
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto left = [&] {
        const auto rest = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(rest.count(), 0));
    };
    std::size_t sent = 0;
    while (sent < line.size()) {
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(line.data()) + sent, line.size() - sent);
        const Os::IoResult result = sendSome(fd.get(), bytes);
        if (result.outcome == Os::IoResult::Outcome::failed)
            return result.error;
        sent += result.count;
        if (result.count == 0) {
            pollfd room{fd.get(), POLLOUT, 0};
            if (::poll(&room, 1, left()) == 0)
                return Os::kErrorWaitTimeout;
        }
    }
    for (;;) {
        if (const std::size_t newline = reply.find('\n'); newline != std::string::npos) {
            reply.resize(newline);
            return Os::kErrorSuccess;
        }
        pollfd readable{fd.get(), POLLIN, 0};
        const int ready = ::poll(&readable, 1, left());
        if (ready == 0)
            return Os::kErrorWaitTimeout;
        if (ready < 0 && errno != EINTR)
            return Os::lastSystemError();
        char buffer[1024];
        const ssize_t got = ::recv(fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0)
            return Os::kErrorConnectionReset; // closed before answering
        if (got > 0)
            reply.append(buffer, static_cast<std::size_t>(got));
        else if (errno != EAGAIN && errno != EINTR)
            return Os::lastSystemError();
    }
}

} // namespace Cardsim
