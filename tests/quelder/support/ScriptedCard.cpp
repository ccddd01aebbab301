#include "tests/quelder/support/ScriptedCard.h"

#include "tests/platform/PlatformTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace Orvanta::testing {

std::string OkAnswer(std::initializer_list<std::string_view> lines)
{
    std::string reply;
    for (const std::string_view line : lines) {
        reply += "\r\n";
        reply += line;
        reply += "\r\n";
    }
    return reply + "\r\nOK\r\n";
}

std::vector<ScriptedCard::Reply> ScriptedCard::Receive(std::string_view bytes)
{
    std::vector<Reply> replies;
    std::lock_guard lock(mutex_);
    pending_.append(bytes);
    for (;;) {
        // An ESC that starts a command is one of its own: it cancels a message prompt.
        const std::size_t start = pending_.find_first_not_of('\n');
        const bool escape = start != std::string::npos && pending_[start] == '\x1b';
        const std::size_t end = escape ? start : pending_.find_first_of("\r\x1a");
        if (end == std::string::npos)
            break;
        std::string command = escape ? std::string("\x1b") : pending_.substr(0, end);
        pending_.erase(0, end + 1);
        // The LF after a command's CR is no part of the next one.
        if (!command.empty() && command.front() == '\n')
            command.erase(0, 1);
        if (command.empty())
            continue;
        // Each echo is the command and its CR, which the answer's CR LF ends as a line; a
        // further echo needs a line end of its own to stand apart.
        for (int i = 0; i < script_.echoes; ++i)
            replies.push_back({(i > 0 ? "\r\n" : "") + command + "\r", std::chrono::milliseconds(0)});
        Reply reply{script_.otherwise, std::chrono::milliseconds(0)};
        for (const Exchange& exchange : script_.exchanges)
            if (exchange.command == command)
                reply = {exchange.reply, exchange.delay};
        if (!reply.bytes.empty())
            replies.push_back(std::move(reply));
        commands_.push_back(std::move(command));
    }
    received_.notify_all();
    return replies;
}

std::vector<std::string> ScriptedCard::Commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

bool ScriptedCard::WaitForCommands(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return received_.wait_for(lock, timeout, [&] { return commands_.size() >= count; });
}

void CardLink::Answer(std::string_view received)
{
    for (const ScriptedCard::Reply& reply : card.Receive(received)) {
        // A slow card takes its time on its own thread; nothing in the test waits on this.
        std::this_thread::sleep_for(reply.delay);
        Send(reply.bytes);
    }
}

PtyCardLink::PtyCardLink(CardScript script) : CardLink(std::move(script))
{
    PseudoTerminal pty = openPseudoTerminal();
    master_ = std::move(pty.master);
    portPath_ = pty.portPath;
    keepOpen_.reset(::open(portPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    termios raw{};
    if (!keepOpen_ || ::tcgetattr(keepOpen_.get(), &raw) != 0)
        throw std::runtime_error("cannot hold the port side of the pseudo-terminal");
    ::cfmakeraw(&raw); // a device file opened without line settings must not echo either
    ::tcsetattr(keepOpen_.get(), TCSANOW, &raw);
    const int fd = master_.get();
    if (reader_.start(fd, POLLIN, [this, fd](short revents) {
            char buffer[4096];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                Answer(std::string_view(buffer, static_cast<std::size_t>(got)));
                return true;
            }
            return (revents & POLLHUP) == 0;
        }) != 0)
        throw std::runtime_error("cannot start the card's reader");
}

PtyCardLink::~PtyCardLink() { reader_.stop(); }

void PtyCardLink::Write(std::string_view bytes)
{
    std::lock_guard lock(writeMutex_);
    while (!bytes.empty() && master_) {
        const ssize_t put = ::write(master_.get(), bytes.data(), bytes.size());
        if (put > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(put));
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd room{master_.get(), POLLOUT, 0};
        ::poll(&room, 1, 100);
    }
}

void PtyCardLink::Send(std::string_view bytes) { Write(bytes); }

void PtyCardLink::HangUp()
{
    reader_.stop();
    std::lock_guard lock(writeMutex_);
    keepOpen_.reset();
    master_.reset();
}

SocketCardLink::~SocketCardLink()
{
    acceptor_.stop();
    connection_.close();
}

std::uint16_t SocketCardLink::Listen()
{
    if (server_.listen(0) != 0)
        throw std::runtime_error("the card cannot listen");
    const int error = server_.acceptInBackground(connection_, acceptor_, [this](int accepted) {
        if (accepted != 0)
            return;
        StartReading();
    });
    if (error != 0)
        throw std::runtime_error("the card cannot wait for the engine");
    return server_.port();
}

void SocketCardLink::ConnectTo(std::uint16_t port)
{
    if (connection_.connect(port) != 0)
        throw std::runtime_error("the card cannot connect to the engine");
    StartReading();
}

void SocketCardLink::StartReading()
{
    connection_.startReceiver({[this](std::span<const std::uint8_t> bytes) {
                                   Answer(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
                               },
                               [](const Os::IoResult&) {}});
    std::lock_guard lock(mutex_);
    connected_ = true;
    connectedChanged_.notify_all();
}

bool SocketCardLink::WaitForConnection(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return connectedChanged_.wait_for(lock, timeout, [&] { return connected_; });
}

void SocketCardLink::Send(std::string_view bytes)
{
    connection_.write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      std::chrono::seconds(5));
}

void SocketCardLink::HangUp()
{
    acceptor_.stop();
    connection_.close();
}

} // namespace Orvanta::testing
