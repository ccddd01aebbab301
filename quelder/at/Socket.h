#pragma once
// A local TCP connection on 127.0.0.1 to a program that offers the card (the proxy), as
// client or as server, with its receiver thread.

#include "platform/PollThread.h"
#include "platform/Socket.h"
#include "quelder/at/Channel.h"

#include <cstdint>

namespace GSM {

class Socket final : public Channel {
public:
    explicit Socket(ReceiverEvents& events) : Channel(events) {}
    ~Socket() override { Close(); }

    // Connects to 127.0.0.1:`port` and starts the receiver. Raises the system error.
    void OpenClient(std::uint16_t port);
    // Listens on 127.0.0.1:`port` (any free port for 0) and returns the port, at once:
    // the one client is accepted and read on the receiver thread, so the caller can
    // hand the port to the peer it starts. Writes before the client has come fail as on
    // a closed channel. Raises the system error.
    std::uint16_t OpenServer(std::uint16_t port);

private:
    Os::ByteStream& Stream() override { return connection_; }
    const Os::ByteStream& Stream() const override { return connection_; }
    void CloseStreams() override;
    const char* WriteTitle() const override { return "Qd: Socket write: "; }
    const char* ReadTitle() const override { return "Qd: Socket read: "; }
    void LogWriteFailure(int error) const override;
    int StartReceiver();
    void Accepted(int error);
    void ReceiverEnded(const Os::IoResult& end);

    Os::Socket connection_;
    Os::LocalServer server_;
    Os::PollThread acceptor_;
    // Set by the open calls before any thread starts; read by the threads for the log.
    std::uint16_t port_ = 0;
    unsigned serverId_ = 0;
    unsigned connectionId_ = 0;
};

} // namespace GSM
