#pragma once
// The card's control socket: a Unix stream socket in the simulator's folder that takes
// one command a line and answers each with one line. Several clients may be connected at
// once; each is served in the order its lines come.

#include "sim/cardsim/OutputQueue.h"
#include "sim/cardsim/Reactor.h"

#include "platform/UniqueFd.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace Cardsim {

class ControlServer {
public:
    // Answers one line (without its line end) with one line (without its line end).
    using Handler = std::function<std::string(std::string_view line)>;

    static constexpr std::size_t kMaxLine = 4096;

    ControlServer(Reactor& reactor, Handler handler) : reactor_(reactor), handler_(std::move(handler)) {}
    ~ControlServer() { close(); }
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens on `path`. A socket left there by a card that is gone is replaced; one that
    // a running card answers on is not (kErrorAddressInUse). Returns 0 or a system error.
    int listen(const std::filesystem::path& path);
    // Stops listening, drops the clients and removes the socket file.
    void close();

private:
    struct Client {
        Os::UniqueFd fd;
        std::string input;
        OutputQueue output;
        Reactor::Watch watch;
    };

    void accept();
    void serve(int fd, short revents);
    // False when the client is to be dropped.
    bool answerLines(Client& client);
    void flush(Client& client);

    Reactor& reactor_;
    Handler handler_;
    Os::UniqueFd listener_;
    Reactor::Watch listenWatch_;
    std::filesystem::path path_;
    std::map<int, std::unique_ptr<Client>> clients_;
};

// Sends one command line to the control socket at `path` and waits at most `timeout` for
// its answer. Returns 0 with the answer line in `reply`, or a system error number.
int sendControlCommand(const std::filesystem::path& path, std::string_view command, std::string& reply,
                       std::chrono::milliseconds timeout);

} // namespace Cardsim
