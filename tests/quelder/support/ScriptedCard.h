#pragma once
// A fake card for the AT engine's tests: a table of command -> reply, "ERROR" for
// anything else, run behind a real pseudo-terminal or a real local socket.
//
// The card takes a command up to its CR (or a message body up to its Ctrl-Z; an ESC at
// the start of a command is a command of its own, "\x1b"), echoes it
// as often as told, and answers from the script. Tests can also make it send on its own
// (unsolicited results, late answers) and hang up.

#include "platform/PollThread.h"
#include "platform/Socket.h"
#include "platform/UniqueFd.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::testing {

struct Exchange {
    std::string command; // as the card receives it, without its CR
    std::string reply;   // sent back as it is; empty: the card stays silent
    std::chrono::milliseconds delay{0}; // a slow card: how long it takes to reply
};

// A reply of information lines followed by OK, as a card sends it: "\r\n+CSQ: 18,99\r\n\r\nOK\r\n".
std::string OkAnswer(std::initializer_list<std::string_view> lines);

struct CardScript {
    std::vector<Exchange> exchanges;
    int echoes = 0; // how many times the card echoes each command ("AT\r")
    std::string otherwise = "\r\nERROR\r\n";
};

// The card's side of the conversation, without any I/O.
class ScriptedCard {
public:
    explicit ScriptedCard(CardScript script) : script_(std::move(script)) {}

    // Bytes the card received; the replies it has come to, in order.
    struct Reply {
        std::string bytes;
        std::chrono::milliseconds delay{0};
    };
    std::vector<Reply> Receive(std::string_view bytes);

    std::vector<std::string> Commands() const;
    bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    const CardScript script_;
    mutable std::mutex mutex_; // guards pending_ and commands_: the link's thread feeds, the test reads
    std::condition_variable received_;
    std::string pending_;
    std::vector<std::string> commands_;
};

// One end of a connection with a ScriptedCard behind it.
class CardLink {
public:
    explicit CardLink(CardScript script) : card(std::move(script)) {}
    virtual ~CardLink() = default;
    CardLink(const CardLink&) = delete;
    CardLink& operator=(const CardLink&) = delete;

    // Bytes the card sends on its own.
    virtual void Send(std::string_view bytes) = 0;
    // The card goes away: pulled, or its program ends the connection.
    virtual void HangUp() = 0;

    ScriptedCard card;

protected:
    void Answer(std::string_view received);
};

// The card on the far side of a pseudo-terminal; the engine opens `PortPath()`.
class PtyCardLink final : public CardLink {
public:
    explicit PtyCardLink(CardScript script);
    ~PtyCardLink() override;
    const std::string& PortPath() const { return portPath_; }
    void Send(std::string_view bytes) override;
    void HangUp() override;

private:
    void Write(std::string_view bytes);

    std::mutex writeMutex_; // guards writes to master_ and master_ itself: the reader answers, the test sends
    Os::UniqueFd master_;
    Os::UniqueFd keepOpen_; // a port side held open, so the card sees no hang-up between the engine's opens
    std::string portPath_;
    Os::PollThread reader_;
};

// The card behind a local socket: it listens (the engine connects as client), or it
// connects to the engine's server.
class SocketCardLink final : public CardLink {
public:
    explicit SocketCardLink(CardScript script) : CardLink(std::move(script)) {}
    ~SocketCardLink() override;
    // Listens on a free port and answers the one client that connects.
    std::uint16_t Listen();
    // Connects to the engine listening on `port`.
    void ConnectTo(std::uint16_t port);
    // True once the connection stands (after Listen, when the engine has connected).
    bool WaitForConnection(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    void Send(std::string_view bytes) override;
    void HangUp() override;

private:
    void StartReading();

    Os::LocalServer server_;
    Os::PollThread acceptor_;
    Os::Socket connection_;
    std::mutex mutex_; // guards connected_: the acceptor sets it, the test waits for it
    std::condition_variable connectedChanged_;
    bool connected_ = false;
};

} // namespace Orvanta::testing
