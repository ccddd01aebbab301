#include "platform/SerialPort.h"

#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

// What the card's side reads within `timeout`, until `expected` bytes have come.
std::string readFromCard(int master, std::size_t expected, std::chrono::milliseconds timeout = 5s)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{master, POLLIN, 0};
        if (::poll(&readable, 1, 50) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

class SerialPortOnPty : public ::testing::Test {
protected:
    ReceivedBytes received; // outlives the port whose receiver reports to it
    PseudoTerminal card = openPseudoTerminal();
    SerialPort port;

    void writeFromCard(std::string_view text)
    {
        ASSERT_EQ(::write(card.master.get(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
};

TEST_F(SerialPortOnPty, RoundTripsBytesAtTheCardsLineSettings)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    termios settings {};
    ASSERT_EQ(::tcgetattr(card.master.get(), &settings), 0);
    EXPECT_EQ(::cfgetispeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << "no parity, one stop bit, no RTS/CTS";
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u) << "no XON/XOFF";
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u) << "raw";
    EXPECT_EQ(settings.c_oflag & OPOST, 0u) << "raw";

    ASSERT_EQ(port.startReceiver(received.receiver()), kErrorSuccess);
    // Every byte value, CR and LF included, passes unchanged.
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    writeFromCard(all);
    ASSERT_TRUE(received.waitForText(all));

    const IoResult written = port.write(bytesOf("AT+CGMM\r\n"), SerialPort::writeTimeoutFor(9));
    EXPECT_EQ(written.outcome, IoResult::Outcome::completed);
    EXPECT_EQ(written.count, 9u);
    EXPECT_EQ(readFromCard(card.master.get(), 9), "AT+CGMM\r\n");
}

TEST_F(SerialPortOnPty, MissingModemLinesAreLoggedAndThePortOpensAllTheSame)
{
    const PlatformLogCapture log;
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    EXPECT_EQ(port.lineSettingsFailure(), LineSettingsResult::Step::none);
    EXPECT_TRUE(log.contains("Cannot raise DTR and RTS on " + card.portPath));
}

TEST_F(SerialPortOnPty, ReportsRemovalOnceWhenTheCardGoesAndStops)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    ASSERT_EQ(port.startReceiver(received.receiver()), kErrorSuccess);
    writeFromCard("$GPGGA\r\n");
    ASSERT_TRUE(received.waitForText("$GPGGA\r\n"));
    card.master.reset(); // the card is pulled

    ASSERT_TRUE(received.waitForEnd());
    EXPECT_EQ(received.end().outcome, IoResult::Outcome::failed);
    EXPECT_TRUE(isDeviceRemoval(received.end().error)) << received.end().error;
    EXPECT_TRUE(waitUntil([&] { return !port.receiving(); })) << "the receiver must end, not spin";
    EXPECT_EQ(received.endCount(), 1);
    EXPECT_EQ(port.write(bytesOf("AT\r\n"), 500ms).error, kErrorDeviceRemoved);
}

TEST_F(SerialPortOnPty, SecondOpenIsRefusedUntilTheFirstCloses)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    SerialPort second;
    EXPECT_EQ(second.open(card.portPath), kErrorSharingViolation);
    EXPECT_EQ(second.open(card.portPath, false), kErrorSharingViolation) << "also as a plain device file";
    port.close();
    EXPECT_EQ(second.open(card.portPath), kErrorSuccess);
}

TEST_F(SerialPortOnPty, ClosingEndsTheExclusiveUse)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    // The test runs privileged, so it can look at the mark past it; an opener without
    // privileges is refused while the mark is there (EBUSY).
    const UniqueFd probe(::open(card.portPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(probe);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(probe.get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    port.close();
    ASSERT_EQ(::ioctl(probe.get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "a pseudo-terminal keeps the mark after the close unless it is taken off";
}

TEST_F(SerialPortOnPty, ClosingFromInsideTheRemovalReportDoesNotHang)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    std::mutex mutex;
    std::condition_variable closed;
    bool done = false;
    ASSERT_EQ(port.startReceiver({[](std::span<const std::uint8_t>) {},
                                  [&](const IoResult&) {
                                      port.close(); // as a device does when its card is pulled
                                      std::lock_guard lock(mutex);
                                      done = true;
                                      closed.notify_all();
                                  }}),
              kErrorSuccess);
    card.master.reset();
    std::unique_lock lock(mutex);
    ASSERT_TRUE(closed.wait_for(lock, 5s, [&] { return done; }));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortOnPty, WriteToACardThatDoesNotReadTimesOut)
{
    ASSERT_EQ(port.open(card.portPath), kErrorSuccess);
    const std::string flood(1 << 20, 'x');
    const auto started = std::chrono::steady_clock::now();
    const IoResult written = port.write(bytesOf(flood), 200ms);
    EXPECT_EQ(written.outcome, IoResult::Outcome::timedOut);
    EXPECT_LT(written.count, flood.size());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(SerialPortOnPty, ClosedPortRefusesWrites)
{
    EXPECT_EQ(port.write(bytesOf("AT\r\n"), 100ms).error, kErrorInvalidHandle);
    EXPECT_EQ(port.startReceiver(received.receiver()), kErrorInvalidHandle);
    EXPECT_EQ(port.purge(), kErrorInvalidHandle);
}

struct OpenFailure {
    const char* name;
    const char* path;
    bool lineSettings;
    int expected;
};

class SerialPortOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(SerialPortOpenFailure, AnswersTheSystemErrorNumber)
{
    SerialPort port;
    EXPECT_EQ(port.open(GetParam().path, GetParam().lineSettings), GetParam().expected);
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    SerialPort, SerialPortOpenFailure,
    ::testing::Values(OpenFailure{"MissingDevice", "/dev/ttyUSB-not-there", true, kErrorFileNotFound},
                      OpenFailure{"LineSettingsOnSomethingElse", "/dev/null", true, kErrorInvalidFunction},
                      OpenFailure{"Folder", "/dev", false, kErrorAccessDenied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SerialPort, DeviceFileOpensWithoutLineSettings)
{
    SerialPort port;
    EXPECT_EQ(port.open("/dev/null", false), kErrorSuccess);
    EXPECT_EQ(port.write(bytesOf("discarded"), 100ms).outcome, IoResult::Outcome::completed);
}

} // namespace
} // namespace Os
