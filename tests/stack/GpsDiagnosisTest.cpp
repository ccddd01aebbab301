// orvanta-gps status in this process, against the virtual card, with the opening of the
// card's application port refused as the system would refuse it: a test run as root is
// never refused for a mode, and nothing else holds the card's ports.

#include "GpsCommands.h"

#include "platform/OpenFault.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

// A stream whose text the test reads afterwards.
class CapturedStream {
public:
    CapturedStream() : file_(::open_memstream(&buffer_, &size_)) {}
    ~CapturedStream()
    {
        std::fclose(file_);
        std::free(buffer_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return file_; }
    std::vector<std::string> lines()
    {
        std::fflush(file_);
        std::vector<std::string> result;
        std::istringstream text(std::string(buffer_, size_));
        for (std::string line; std::getline(text, line);)
            result.push_back(line);
        return result;
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

bool mentions(const std::vector<std::string>& lines, const std::string& fragment)
{
    for (const std::string& line : lines)
        if (line.find(fragment) != std::string::npos)
            return true;
    return false;
}

struct Refusal {
    const char* name;
    int errnoValue;
    // Whether a look at the node shows it: a mode does, a program holding the port does not.
    bool nodeShowsIt;
    const char* statusSays;
};

class RefusedPort : public ::testing::TestWithParam<Refusal> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(card.start({"--ttff", "0"}));
        // Set before the library starts any thread; this test's named objects stay its own.
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        ::setenv("ORVANTA_DEVICES", "sim", 1);
        ::setenv("ORVANTA_SIM_DIR", card.simDir().c_str(), 1);
        port = card.portOf("Application");
        ASSERT_FALSE(port.empty());
        options.output = output.file();
        options.messages = messages.file();
        // What the system would answer for the refused port, had the test not every privilege.
        options.portAccess = [this](const std::string& path) {
            if (GetParam().nodeShowsIt && Os::injectedOpenFailure(path) != 0)
                return Os::systemErrorFromErrno(Os::injectedOpenFailure(path));
            return gps::checkPortAccess(path);
        };
    }

    Cardsim::testing::CardsimProcess card;
    TestFolder runtime;
    std::string port;
    CapturedStream output;
    CapturedStream messages;
    gps::GpsCommandOptions options;
};

TEST_P(RefusedPort, StatusFailsSoonAndSaysWhy)
{
    const Os::OpenFault fault(port, GetParam().errnoValue);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(gps::showGpsStatus(options), 1);
    // The backend's error ends the wait: the card is not given the whole patience.
    EXPECT_LT(std::chrono::steady_clock::now() - started, options.patience / 2);

    EXPECT_EQ(output.lines(), std::vector<std::string>{});
    const std::vector<std::string> said = messages.lines();
    EXPECT_TRUE(mentions(said, GetParam().statusSays)) << ::testing::PrintToString(said);
    EXPECT_EQ(mentions(said, "permission denied on " + port), GetParam().nodeShowsIt)
        << ::testing::PrintToString(said);
}

INSTANTIATE_TEST_SUITE_P(
    GpsDiagnosis, RefusedPort,
    ::testing::Values(Refusal{"NoPermission", EACCES, true, "the card was found but its ports cannot be used"},
                      Refusal{"HeldByAnotherProgram", EBUSY, false,
                              "this user may open its ports, so another program may be holding one of them"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::testing
