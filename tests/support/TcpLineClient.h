#pragma once
// A TCP client of a line server on this machine, for the tests of servers: connects to
// "127.0.0.1:PORT" or "[::1]:PORT", sends text, and reads lines with a time-out.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Orvanta::testing {

class TcpLineClient {
public:
    // Connects at once; connected() tells whether it did. A client that is to fall behind
    // keeps the system's buffer sizes: on loopback a tiny receive buffer stalls a full
    // stream until the sender's backed-off probes, seconds apart under load.
    explicit TcpLineClient(const std::string& address);
    ~TcpLineClient();
    TcpLineClient(const TcpLineClient&) = delete;
    TcpLineClient& operator=(const TcpLineClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(std::string_view text);
    // The next line, without its LF (a CR before it stays); none on time-out or end.
    std::optional<std::string> line(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Reads lines until one satisfies `wanted`, which is returned.
    template <typename Predicate>
    std::optional<std::string> lineWhere(Predicate wanted, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            std::optional<std::string> next = line(left);
            if (!next)
                return std::nullopt;
            if (wanted(*next))
                return next;
        }
    }
    // True once the server closed the connection, reading (and dropping) what came before.
    bool closedWithin(std::chrono::milliseconds timeout);
    void close();
    // How many bytes came so far, those of lines taken and dropped included.
    std::size_t received() const { return received_; }

private:
    // Reads what is there, waiting until `deadline`; false on end or time-out.
    bool fill(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    std::string buffered_;
    bool ended_ = false;
    std::size_t received_ = 0;
};

} // namespace Orvanta::testing
