#pragma once
// The position server: one thread that serves every client of the listening socket with
// non-blocking sockets and a poll loop. The receiver's side posts its events from its own
// thread and is never made to wait by a client: each client has a bounded queue, and one
// whose queue overflows is dropped.

#include "ClientOutput.h"
#include "CommandReader.h"
#include "ListenAddress.h"
#include "ProtocolReports.h"
#include "ServerEvent.h"
#include "WatchSettings.h"

#include "platform/UniqueFd.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Orvanta::gps {

struct ServerLimits {
    std::size_t mostClients = 64;
    std::size_t queuedBytesPerClient = kMostQueuedBytes;
};

class PositionServer {
public:
    // `release` is what VERSION reports.
    PositionServer(Listener listener, std::string release, ServerLimits limits = {});
    ~PositionServer();
    PositionServer(const PositionServer&) = delete;
    PositionServer& operator=(const PositionServer&) = delete;

    // Starts the server's thread; stop() (or the destructor) closes every client and ends it.
    void start();
    void stop();

    // Hands events to the server's thread. Any thread may call it; it only takes a lock
    // that the server holds for a swap.
    void post(std::vector<ServerEvent> events);

    // Whether some client has enabled a watch.
    bool watched() const noexcept { return watchers_.load(std::memory_order_relaxed) > 0; }

private:
    struct Client {
        Os::UniqueFd socket;
        CommandReader reader;
        WatchSettings watch;
        ClientOutput output;
        bool dropped = false;
    };

    void run();
    void accept();
    void readFrom(Client& client);
    void answer(Client& client, const ClientInput& input);
    void handle(const ServerEvent& event);
    void broadcast(const std::string& line, bool sentences);
    void send(Client& client, const Json& report);
    void queue(Client& client, const std::string& line);
    void flush(Client& client);
    void countWatchers();

    const Listener listener_;
    const std::string release_;
    const ServerLimits limits_;
    Os::UniqueFd wake_; // an eventfd: events were posted, or the server is to stop
    std::thread thread_;
    std::atomic<int> watchers_{0};

    std::mutex inboxMutex_; // guards inbox_ and stopping_: the notice thread posts, the server takes
    std::deque<ServerEvent> inbox_;
    bool stopping_ = false;

    // The server thread's alone.
    std::vector<std::unique_ptr<Client>> clients_;
    std::optional<DeviceInfo> device_;
    std::optional<Json> lastTpv_;
    std::optional<Json> lastSky_;
};

} // namespace Orvanta::gps
