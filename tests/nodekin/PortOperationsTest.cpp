#include "tests/nodekin/DetectionFixture.h"

#include "platform/MessageLoop.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <termios.h>
#include <unistd.h>

namespace Nodekin::testing {
namespace {

using namespace std::chrono_literals;

class PortOperations : public DetectionTest {};

TEST_F(PortOperations, DefaultSettingsAreCheckedThenFilled)
{
    NkCardInfo card{};
    NkPortSettings settings{};
    NkPortTimeouts timeouts{};
    settings.length = sizeof settings;
    EXPECT_EQ(NkGetDefaultPortSettings(&card, &settings, &timeouts), NkErrorNotInitialized);

    start();
    struct Case {
        const char* name;
        std::function<int()> call;
        int result;
    };
    NkPortSettings shortSettings{};
    shortSettings.length = 12;
    NkCardInfo controlDevices{};
    controlDevices.nonSerialPorts = 1;
    const Case cases[] = {
        {"NoRecord", [&] { return NkGetDefaultPortSettings(nullptr, &settings, &timeouts); },
         NkErrorInvalidParameter},
        {"NoSettings", [&] { return NkGetDefaultPortSettings(&card, nullptr, &timeouts); },
         NkErrorInsufficientBuffer},
        {"WrongLength", [&] { return NkGetDefaultPortSettings(&card, &shortSettings, &timeouts); },
         NkErrorInsufficientBuffer},
        {"NoTimeouts", [&] { return NkGetDefaultPortSettings(&card, &settings, nullptr); },
         NkErrorInsufficientBuffer},
        {"ControlDevices", [&] { return NkGetDefaultPortSettings(&controlDevices, &settings, &timeouts); },
         NkErrorNotSupported},
        {"Serial", [&] { return NkGetDefaultPortSettings(&card, &settings, &timeouts); }, NkSuccess},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), c.result) << c.name;

    EXPECT_EQ(settings.baudRate, 115200u);
    EXPECT_EQ(settings.byteSize, 8);
    EXPECT_EQ(settings.parity, 0);
    EXPECT_EQ(settings.stopBits, 0);
    EXPECT_EQ(settings.flags, NkPortBinary | NkPortDtrEnabled | NkPortTxContinueOnXoff | NkPortRtsEnabled);
    EXPECT_EQ(timeouts.readInterval, UINT32_MAX);
    EXPECT_EQ(timeouts.writeMultiplier, 1u);
    EXPECT_EQ(timeouts.writeConstant, 500u);
}

TEST_F(PortOperations, ApplicationPortOpensRawAndForThisProgramAlone)
{
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    start();
    registerRecorder();
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));
    NkCardInfo info{};
    info.size = sizeof info;
    ASSERT_EQ(NkGetCardInfo(&info), 0);

    int handle = -1;
    ASSERT_EQ(NkOpenApplicationPort(&info, &handle), 0);
    termios line{};
    ASSERT_EQ(::tcgetattr(handle, &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B115200);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_lflag & ICANON, 0u);

    int second = -1;
    // Held by another opener, not a permission problem.
    EXPECT_EQ(NkOpenApplicationPort(&info, &second), NkErrorSharingViolation);
    EXPECT_EQ(NkClosePort(handle), 0);
    EXPECT_NE(NkClosePort(handle), 0); // closed already
}

TEST_F(PortOperations, WindowHearsEveryStateChangeAndAGoneWindowIsReported)
{
    Orvanta::testing::MessageRecorder recorder;
    {
        Os::MessageLoop window(recorder.handler());
        start();
        registerRecorder();
        ASSERT_TRUE(waitFor(NkCardStopped, NkReasonRegistered)); // the start-up check is done
        ASSERT_EQ(NkRegisterWindow(&window, Os::kWmApp + 7), 0);
        const SimCard card = SimCard::gpsCard();
        plug("card.json", card);
        ASSERT_TRUE(recorder.waitFor([](const std::vector<Os::Message>& messages) {
            return messages.size() >= 2 && messages.back().wParam == 4u; // registered, then Starting
        }));
        EXPECT_EQ(recorder.messages().front().message, Os::kWmApp + 7);
        EXPECT_EQ(recorder.messages().front().wParam, 1u);
        EXPECT_EQ(NkUnregisterWindow(), 0);
        window.quit();
        EXPECT_EQ(NkRegisterWindow(&window, Os::kWmApp + 7), NkErrorWindowGone);
        EXPECT_EQ(NkUnregisterWindow(), 0);
    }
}

} // namespace
} // namespace Nodekin::testing
