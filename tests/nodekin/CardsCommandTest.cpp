// "orvanta-gps cards" shows a user what detection sees.

#include "tests/nodekin/DetectionFixture.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace Nodekin::testing {
namespace {

using namespace std::chrono_literals;

class CardsCommand : public DetectionTest {
protected:
    std::string run()
    {
        ::setenv("ORVANTA_DEVICES", "sim", 1);
        ::setenv("ORVANTA_SIM_DIR", simFolder.path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", objectFolder.path().c_str(), 1);
        Os::Process tool;
        Os::Process::Options options;
        options.pipeOutput = true;
        EXPECT_EQ(tool.spawn(ORVANTA_GPS_TOOL, {"cards", "5"}, options), 0);
        std::string output;
        while (const std::optional<std::string> line = Orvanta::testing::readLine(tool.outputFd(), 10s))
            output += *line + "\n";
        EXPECT_EQ(tool.waitForExit(10s).status, Os::WaitStatus::signalled);
        return output;
    }
};

TEST_F(CardsCommand, ShowsTheCardItsPortsAndCapabilities)
{
    const SimCard card = SimCard::gpsCard();
    plug("card.json", card);
    const std::string output = run();
    EXPECT_NE(output.find("state:               Started\n"), std::string::npos) << output;
    EXPECT_NE(output.find("card:                RoamexGX750 (type 0x1800, id 1C2A:7501)"), std::string::npos) << output;
    EXPECT_NE(output.find("GPS data port:       " + card.portOf("_GPSD\\")), std::string::npos) << output;
    EXPECT_NE(output.find("GPS)"), std::string::npos) << output;
}

TEST_F(CardsCommand, SaysSoWhenThereIsNoCard)
{
    EXPECT_EQ(run(), "state:               Stopped\ncard:                none detected\n");
}

} // namespace
} // namespace Nodekin::testing
