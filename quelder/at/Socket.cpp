#include "quelder/at/Socket.h"

#include "platform/SystemError.h"
#include "quelder/QdResult.h"
#include "quelder/at/LogText.h"

namespace GSM {

void Socket::OpenClient(std::uint16_t port)
{
    Close();
    port_ = port;
    if (const int error = connection_.connect(port)) {
        Nodekin::xlog(Nodekin::logError, "Qd: Socket::OpenClient: Failed to connect to local server on port #%d (0x%x)",
                      port, static_cast<unsigned>(error));
        Raise(qdSystemError(error));
    }
    connectionId_ = NextLogId();
    if (const int error = StartReceiver())
        Raise(qdSystemError(error));
    Nodekin::xlog(Nodekin::logNormal, "Qd: Local client socket 0x%x on port #%d opened successfully", connectionId_,
                  port);
}

std::uint16_t Socket::OpenServer(std::uint16_t port)
{
    Close();
    if (const int error = server_.listen(port)) {
        Nodekin::xlog(Nodekin::logError, "Qd: Socket::OpenServer: Failed to create/bind to local port #%d (0x%x)", port,
                      static_cast<unsigned>(error));
        Raise(qdSystemError(error));
    }
    port_ = server_.port();
    serverId_ = NextLogId();
    connectionId_ = NextLogId();
    Nodekin::xlog(Nodekin::logNormal, "Qd: Local server socket 0x%x on port #%d opened successfully", serverId_, port_);
    if (const int error = server_.acceptInBackground(connection_, acceptor_, [this](int error) { Accepted(error); })) {
        Nodekin::xlog(Nodekin::logError, "Qd: Socket::OpenServer: Cannot wait for a client on local port #%d (0x%x)",
                      port_, static_cast<unsigned>(error));
        server_.close();
        Raise(qdSystemError(error));
    }
    return port_;
}

void Socket::Accepted(int error)
{
    if (error != Os::kErrorSuccess) {
        Nodekin::xlog(Nodekin::logError, "Qd: Socket::OpenServer: Accepting a client on local port #%d failed (0x%x)",
                      port_, static_cast<unsigned>(error));
        events_.ReceiverFailed(error);
        return;
    }
    Nodekin::xlog(Nodekin::logNormal,
                  "Qd: Incoming connection accepted on server socket 0x%x, using new client-connected socket 0x%x",
                  serverId_, connectionId_);
    if (const int failure = StartReceiver())
        events_.ReceiverFailed(failure);
}

int Socket::StartReceiver()
{
    const int error = connection_.startReceiver(MakeReceiver([this](const Os::IoResult& end) { ReceiverEnded(end); }));
    if (error != Os::kErrorSuccess) {
        Nodekin::xlog(Nodekin::logError, "Qd: Socket: Could not start receiver thread (0x%x)",
                      static_cast<unsigned>(error));
        connection_.close();
    }
    return error;
}

void Socket::CloseStreams()
{
    acceptor_.stop(); // before what it accepts into goes
    connection_.close();
    server_.close();
}

void Socket::LogWriteFailure(int error) const
{
    Nodekin::xlog(Nodekin::logError, "Qd: Writing to socket on local port #%d failed with 0x%x", port_,
                  static_cast<unsigned>(error));
}

void Socket::ReceiverEnded(const Os::IoResult& end)
{
    if (end.outcome == Os::IoResult::Outcome::closed) {
        Nodekin::xlog(Nodekin::logNormal, "Qd: Socket 0x%x has been closed, receiver thread is stopping...",
                      connectionId_);
        events_.PeerClosed();
        return;
    }
    Nodekin::xlog(Nodekin::logWarning,
                  "Qd: Reading from socket on local port #%d failed with 0x%x, receiver thread is stopping...", port_,
                  static_cast<unsigned>(end.error));
    events_.ReceiverFailed(end.error);
}

} // namespace GSM
