#include "PositionServer.h"

#include "ClientCommand.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace Orvanta::gps {
namespace {

// Events the receiver's side may have posted and the server not yet taken. A receiver
// sends a few dozen a second; a server thread that fell this far behind loses the oldest.
constexpr std::size_t kMostPendingEvents = 4096;

// What one client's input is read in per turn of the loop, so that a client that sends
// without end cannot keep the others waiting.
constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kMostReadPerTurn = 16 * 1024;

// What the system holds for a client beside its queue: a few seconds of reports.
constexpr int kSocketSendBuffer = 64 * 1024;

} // namespace

PositionServer::PositionServer(Listener listener, std::string release, ServerLimits limits)
    : listener_(std::move(listener)), release_(std::move(release)), limits_(limits),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (!wake_)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

PositionServer::~PositionServer()
{
    stop();
}

void PositionServer::start()
{
    thread_ = std::thread([this] { run(); });
}

void PositionServer::stop()
{
    {
        std::lock_guard lock(inboxMutex_);
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
}

void PositionServer::post(std::vector<ServerEvent> events)
{
    if (events.empty())
        return;
    {
        std::lock_guard lock(inboxMutex_);
        for (ServerEvent& event : events)
            inbox_.push_back(std::move(event));
        while (inbox_.size() > kMostPendingEvents)
            inbox_.pop_front();
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
}

void PositionServer::run()
{
    std::vector<pollfd> watched;
    for (;;) {
        watched.clear();
        watched.push_back(pollfd{wake_.get(), POLLIN, 0});
        watched.push_back(pollfd{listener_.socket.get(), POLLIN, 0});
        for (const auto& client : clients_)
            watched.push_back(
                pollfd{client->socket.get(), static_cast<short>(POLLIN | (client->output.empty() ? 0 : POLLOUT)), 0});
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }

        // The clients of this turn; accepted ones join at the end and wait for the next.
        const std::size_t polled = watched.size() - 2;
        for (std::size_t i = 0; i < polled; ++i) {
            Client& client = *clients_[i];
            const short events = watched[i + 2].revents;
            if (events & POLLOUT)
                flush(client);
            if (!client.dropped && (events & (POLLIN | POLLHUP | POLLERR)))
                readFrom(client);
        }
        if (watched[1].revents & POLLIN)
            accept();
        if (watched[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(wake_.get(), &count, sizeof count);
            std::deque<ServerEvent> events;
            bool stopping = false;
            {
                std::lock_guard lock(inboxMutex_);
                events.swap(inbox_);
                stopping = stopping_;
            }
            if (stopping)
                break;
            for (const ServerEvent& event : events)
                handle(event);
        }
        // Everything queued this turn goes out in as few sends as the sockets allow.
        for (const auto& client : clients_)
            if (!client->dropped && !client->output.empty())
                flush(*client);
        std::erase_if(clients_, [](const std::unique_ptr<Client>& client) { return client->dropped; });
        countWatchers();
    }
    clients_.clear();
    countWatchers();
}

void PositionServer::accept()
{
    for (;;) {
        Os::UniqueFd socket(::accept4(listener_.socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // none waiting, or no descriptor left: the next turn tries again
        }
        const int yes = 1;
        ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        // The system would otherwise hold megabytes for a client that does not read, long
        // before the client's own queue reaches its bound.
        ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDBUF, &kSocketSendBuffer, sizeof kSocketSendBuffer);
        auto client = std::make_unique<Client>();
        client->socket = std::move(socket);
        client->output = ClientOutput(limits_.queuedBytesPerClient);
        if (clients_.size() >= limits_.mostClients) {
            // Told why, as far as the socket takes it at once, and closed.
            queue(*client, reportLine(errorReport("too many clients")));
            client->output.flush(client->socket.get());
            continue;
        }
        send(*client, versionReport(release_));
        flush(*client);
        clients_.push_back(std::move(client));
    }
}

void PositionServer::readFrom(Client& client)
{
    std::array<char, kReadChunk> buffer;
    std::size_t taken = 0;
    while (taken < kMostReadPerTurn && !client.dropped) {
        const ssize_t got = ::recv(client.socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (got <= 0) {
            client.dropped = true; // gone, or failed
            return;
        }
        taken += static_cast<std::size_t>(got);
        for (const ClientInput& input : client.reader.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got))))
            answer(client, input);
    }
}

void PositionServer::answer(Client& client, const ClientInput& input)
{
    if (input.kind == ClientInput::Kind::tooLong) {
        send(client, errorReport("request longer than " + std::to_string(kMostCommandBytes) + " bytes"));
        return;
    }
    const ClientCommand command = parseClientCommand(input.text);
    switch (command.kind) {
    case ClientCommand::Kind::version:
        send(client, versionReport(release_));
        return;
    case ClientCommand::Kind::devices:
        send(client, devicesReport(device_));
        return;
    case ClientCommand::Kind::device:
        // One receiver, and nothing of it to set.
        send(client, device_ ? deviceReport(*device_) : errorReport("no device"));
        return;
    case ClientCommand::Kind::watch:
        if (command.argument) {
            if (const std::string problem = applyWatchRequest(client.watch, *command.argument); !problem.empty()) {
                send(client, errorReport(problem));
                return;
            }
            if (client.watch.enable)
                send(client, devicesReport(device_));
        }
        send(client, watchReport(client.watch));
        return;
    case ClientCommand::Kind::poll:
        send(client, pollReport(utcTimeText(std::chrono::system_clock::now()), device_ ? 1 : 0, lastTpv_, lastSky_));
        return;
    case ClientCommand::Kind::error:
        send(client, errorReport(command.problem));
        return;
    }
}

void PositionServer::handle(const ServerEvent& event)
{
    switch (event.kind) {
    case ServerEvent::Kind::deviceArrived:
        device_ = event.device;
        broadcast(reportLine(deviceReport(event.device)), false);
        return;
    case ServerEvent::Kind::deviceGone:
        device_.reset();
        broadcast(reportLine(deviceGoneReport(event.device.path)), false);
        return;
    case ServerEvent::Kind::tpv:
        lastTpv_ = event.report;
        broadcast(reportLine(event.report), false);
        return;
    case ServerEvent::Kind::sky:
        lastSky_ = event.report;
        broadcast(reportLine(event.report), false);
        return;
    case ServerEvent::Kind::sentence:
        broadcast(event.sentence + "\r\n", true);
        return;
    }
}

void PositionServer::broadcast(const std::string& line, bool sentences)
{
    for (const auto& client : clients_)
        if (!client->dropped && (sentences ? client->watch.wantsSentences() : client->watch.wantsReports()))
            queue(*client, line);
}

void PositionServer::send(Client& client, const Json& report)
{
    queue(client, reportLine(report));
}

void PositionServer::queue(Client& client, const std::string& line)
{
    // A client that lets this much wait has stopped reading; what it missed is lost anyway.
    if (!client.output.push(line))
        client.dropped = true;
}

void PositionServer::flush(Client& client)
{
    if (client.output.flush(client.socket.get()) == ClientOutput::Flush::failed)
        client.dropped = true;
}

void PositionServer::countWatchers()
{
    const auto count = std::count_if(clients_.begin(), clients_.end(),
                                     [](const std::unique_ptr<Client>& client) { return client->watch.enable; });
    watchers_.store(static_cast<int>(count), std::memory_order_relaxed);
}

} // namespace Orvanta::gps
