// "orvanta-gps info" shows a user the card's identity as the card itself reports it.

#include "tests/sim/SimTestSupport.h"

#include "platform/Process.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/Profile.h"

#include <gtest/gtest.h>

#include <string>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

struct ToolRun {
    std::string output;
    int exitCode = -1;
};

ToolRun RunInfo(const std::filesystem::path& simDir, const std::filesystem::path& runtimeDir, const char* seconds)
{
    Os::Process tool;
    Os::Process::Options options;
    options.pipeOutput = true;
    const std::vector<std::string> arguments{"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + simDir.string(),
                                             "XDG_RUNTIME_DIR=" + runtimeDir.string(), ORVANTA_GPS_TOOL, "info",
                                             seconds};
    EXPECT_EQ(tool.spawn("env", arguments, options), 0);
    ToolRun run;
    while (const std::optional<std::string> line = readLine(tool.outputFd(), 20s))
        run.output += *line + "\n";
    EXPECT_EQ(tool.waitForExit(20s).status, Os::WaitStatus::signalled);
    if (const auto status = tool.exitStatus(); status && !status->bySignal)
        run.exitCode = status->code;
    return run;
}

TEST(InfoCommand, PrintsModelFirmwareImeiAndPortsOfTheCard)
{
    Cardsim::testing::CardsimProcess card;
    ASSERT_TRUE(card.start({"--serial", "SN0815"}));
    TestFolder runtime;
    const ToolRun run = RunInfo(card.simDir(), runtime.path(), "10");
    const Cardsim::CardFacts facts = Cardsim::factsFor(*Cardsim::findProfile(Cardsim::kDefaultProfile), "SN0815");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("model:               " + facts.model + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("firmware:            " + facts.firmware + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("IMEI:                " + facts.imei + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("application port:    " + card.portOf("Application Interface") + "\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("GPS data port:       " + card.portOf("GPS Data") + "\n"), std::string::npos)
        << run.output;
}

TEST(InfoCommand, GivesUpWhenNoCardComes)
{
    TestFolder simDir;
    TestFolder runtime;
    const ToolRun run = RunInfo(simDir.path(), runtime.path(), "1");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "");
}

} // namespace
} // namespace Orvanta::testing
