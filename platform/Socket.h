#pragma once
// Local TCP connections on 127.0.0.1, as the proxy program offers its card: a client
// Socket, and a LocalServer that listens on a given or any free port and accepts one
// client at a time. Writes never raise SIGPIPE; a peer that resets the connection shows
// as kErrorConnectionReset.

#include "platform/ByteStream.h"
#include "platform/PollThread.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace Os {

class Socket final : public ByteStream {
public:
    Socket() : ByteStream(Kind::socket) {}

    // Connects to 127.0.0.1:`port`. kErrorConnectionRefused when nobody listens there.
    int connect(std::uint16_t port);
    // Ends the connection at once with a reset instead of an orderly close.
    void abort();

private:
    friend class LocalServer;
};

class LocalServer {
public:
    LocalServer() = default;
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // Listens on 127.0.0.1:`port`, or on a free port when `port` is 0.
    int listen(std::uint16_t port);
    // The port listened on; 0 when not listening.
    std::uint16_t port() const { return port_; }
    // Waits for one client and hands its connection to `client`; kErrorWaitTimeout when
    // none came in time. A negative time-out waits without end.
    int accept(Socket& client, std::chrono::milliseconds timeout);
    // Waits for one client on `waiter`'s thread instead of the caller's, so that a server
    // can hand out its port and go on while the peer is still being started. Once a
    // client has come, `client` holds its connection and `accepted` runs on that thread
    // with 0; a wait that fails runs it with the error. Stopping `waiter` ends the wait;
    // stop it before this server or `client` goes. Returns 0 or the error that kept the
    // wait from starting.
    int acceptInBackground(Socket& client, PollThread& waiter, std::function<void(int error)> accepted);
    void close();

private:
    UniqueFd fd_;
    std::uint16_t port_ = 0;
};

} // namespace Os
