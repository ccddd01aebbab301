#include "platform/LineSettings.h"

#include "platform/UniqueFd.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace Os {
namespace {

using namespace Orvanta::testing;
using Step = LineSettingsResult::Step;

// A port side left as another program might leave it: cooked, slow, 7E2 with every kind
// of flow control and reads that wait for a byte.
void spoil(int fd)
{
    termios line{};
    ASSERT_EQ(::tcgetattr(fd, &line), 0);
    line.c_lflag |= ICANON | ECHO | ISIG;
    line.c_oflag |= OPOST;
    line.c_iflag |= IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL;
    line.c_cflag = (line.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 5;
    ASSERT_EQ(::cfsetispeed(&line, B9600), 0);
    ASSERT_EQ(::cfsetospeed(&line, B9600), 0);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &line), 0);
}

TEST(LineSettings, PseudoTerminalEndsRaw115200EightNOneWithoutFlowControl)
{
    const PseudoTerminal card = openPseudoTerminal();
    const UniqueFd port(::open(card.portPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(port);
    spoil(port.get());

    const LineSettingsResult result = applyLineSettings(port.get());
    EXPECT_TRUE(result.ok());

    termios line{};
    ASSERT_EQ(::tcgetattr(port.get(), &line), 0);
    EXPECT_EQ(::cfgetispeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << "no parity, one stop bit, no RTS/CTS";
    EXPECT_NE(line.c_cflag & CREAD, 0u) << "the receiver is on";
    EXPECT_NE(line.c_cflag & CLOCAL, 0u) << "no wait for carrier";
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL), 0u) << "bytes pass unchanged";
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw";
    EXPECT_EQ(line.c_oflag & OPOST, 0u) << "raw";
    EXPECT_EQ(line.c_cc[VMIN], 0) << "reads return at once";
    EXPECT_EQ(line.c_cc[VTIME], 0) << "reads return at once";
}

struct RefusalCase {
    const char* name;
    UniqueFd (*open)(const std::string& portPath); // the descriptor the settings are applied to
    bool ok;
    Step failed;
    int error;
    int missingModemLines;
};

class LineSettingsRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(LineSettingsRefusals, AreReportedWithTheStepAndTheSystemError)
{
    const RefusalCase& c = GetParam();
    const PseudoTerminal card = openPseudoTerminal(); // for the cases that open its port side
    const UniqueFd fd = c.open(card.portPath);
    const LineSettingsResult result = applyLineSettings(fd.get());
    EXPECT_EQ(result.ok(), c.ok);
    EXPECT_EQ(result.failed, c.failed);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.missingModemLines, c.missingModemLines);
}

UniqueFd openPortSide(const std::string& portPath)
{
    return UniqueFd(::open(portPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
}

UniqueFd openPipe(const std::string&)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return UniqueFd();
    ::close(ends[1]);
    return UniqueFd(ends[0]);
}

UniqueFd openNothing(const std::string&) { return UniqueFd(); }

INSTANTIATE_TEST_SUITE_P(
    Descriptors, LineSettingsRefusals,
    ::testing::Values(
        // The virtual card's ports have no modem lines: told, and the line is usable.
        RefusalCase{"PseudoTerminalHasNoModemLines", &openPortSide, true, Step::none, kErrorSuccess,
                    kErrorInvalidFunction},
        RefusalCase{"PipeIsNoTerminal", &openPipe, false, Step::readSettings, kErrorInvalidFunction, kErrorSuccess},
        RefusalCase{"NoDescriptor", &openNothing, false, Step::readSettings, kErrorInvalidHandle, kErrorSuccess}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Os
