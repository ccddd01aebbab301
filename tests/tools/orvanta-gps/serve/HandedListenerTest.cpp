// The socket a service manager hands the position server: taken when it is meant for
// this process and is one listening TCP socket, refused with a reason otherwise.

#include "ListenAddress.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>

#include <string>

namespace Orvanta::gps {
namespace {

constexpr int kOwnPid = 4242;

struct Handing {
    const char* name;
    const char* listenPid;
    const char* listenFds;
    bool listening;    // the socket at the descriptor listens
    bool taken;        // a listener comes back
    const char* problem; // empty: none
};

class HandedSocket : public ::testing::TestWithParam<Handing> {};

TEST_P(HandedSocket, IsTakenOnlyWhenItCanServe)
{
    const Handing& handing = GetParam();
    std::string problem;
    std::optional<Listener> own = listenOn(*parseListenAddress("127.0.0.1:0"), problem);
    ASSERT_TRUE(own) << problem;
    Os::UniqueFd plain(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(plain);
    // The descriptor handed over stays the caller's when it is not taken.
    const int fd = handing.listening ? own->socket.release() : plain.get();
    Os::UniqueFd keep(handing.listening ? fd : -1);

    std::optional<Listener> handed =
        handedListener(SocketActivation{handing.listenPid, handing.listenFds, kOwnPid, fd}, problem);
    EXPECT_EQ(handed.has_value(), handing.taken);
    EXPECT_EQ(problem, handing.problem);
    if (handed) {
        (void)keep.release(); // the listener owns it now
        EXPECT_EQ(handed->bound, own->bound);
        EXPECT_TRUE(::fcntl(fd, F_GETFL) & O_NONBLOCK);
        EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ServiceManager, HandedSocket,
    ::testing::Values(
        Handing{"NothingHanded", nullptr, nullptr, true, false, ""},
        Handing{"ForAnotherProcess", "4241", "1", true, false, ""},
        Handing{"PidNotANumber", "42x", "1", true, false, ""},
        Handing{"NoSockets", "4242", "0", true, false, ""},
        Handing{"OneListeningSocket", "4242", "1", true, true, ""},
        Handing{"CountNotANumber", "4242", "one", true, false, "LISTEN_FDS is not a number"},
        Handing{"TwoSockets", "4242", "2", true, false, "the service manager handed 2 sockets, serve takes one"},
        Handing{"NotListening", "4242", "1", false, false,
                "the socket the service manager handed is not a listening TCP socket"}),
    [](const ::testing::TestParamInfo<Handing>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::gps
