#pragma once
// Where the position server listens: "127.0.0.1:2947", "[::1]:2947", "localhost:2947",
// and the listening socket made there.

#include "platform/UniqueFd.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Orvanta::gps {

inline constexpr char kDefaultListenAddress[] = "127.0.0.1:2947";

struct ListenAddress {
    std::string host; // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    std::string text() const; // as given: brackets around an IPv6 address
};

// None when `text` is not HOST:PORT (PORT 0 to 65535; 0 lets the system choose).
std::optional<ListenAddress> parseListenAddress(const std::string& text);

struct Listener {
    Os::UniqueFd socket; // listening, non-blocking
    std::string bound;   // the address and port it listens on, as ListenAddress::text
};

// The socket listening on `address`; none, with the system's reason in `problem`, when
// it cannot be made.
std::optional<Listener> listenOn(const ListenAddress& address, std::string& problem);

// What a service manager's socket activation says: LISTEN_PID and LISTEN_FDS as found in
// the environment (null when unset), and the descriptor the first socket would be.
struct SocketActivation {
    const char* listenPid = nullptr;
    const char* listenFds = nullptr;
    int ownPid = 0;
    int firstFd = 3;
};

// The listening socket a service manager handed this process, taken over (non-blocking,
// not inherited by children); none with `problem` empty when nothing was handed, none
// with `problem` set when what was handed cannot serve (not one listening TCP socket).
std::optional<Listener> handedListener(const SocketActivation& activation, std::string& problem);

// The same for this process's own environment, which it then clears, so that a program it
// starts does not take the socket for its own.
std::optional<Listener> handedListener(std::string& problem);

} // namespace Orvanta::gps
