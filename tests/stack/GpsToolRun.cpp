#include "tests/stack/GpsToolRun.h"

#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

namespace Orvanta::testing {

using namespace std::chrono_literals;

std::size_t ToolRun::count(const std::string& prefix, std::size_t from) const
{
    return static_cast<std::size_t>(std::count_if(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                                                  [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

std::size_t ToolRun::find(const std::string& prefix, std::size_t from) const
{
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return i;
    return lines.size();
}

void spawnGpsTool(Os::Process& tool, const std::filesystem::path& simDir, const std::filesystem::path& runtimeDir,
                  const std::vector<std::string>& arguments, const Launch& launch)
{
    spawnTool(tool, ORVANTA_GPS_TOOL, simDir, runtimeDir, arguments, launch);
}

void spawnTool(Os::Process& tool, const std::string& program, const std::filesystem::path& simDir,
               const std::filesystem::path& runtimeDir, const std::vector<std::string>& arguments,
               const Launch& launch)
{
    Os::Process::Options options;
    options.pipeOutput = true;
    options.pipeInput = launch.pipeInput;
    std::vector<std::string> command;
    if (!launch.directory.empty())
        command.insert(command.end(), {"-C", launch.directory.string()});
    command.insert(command.end(), {"ORVANTA_DEVICES=sim", "ORVANTA_SIM_DIR=" + simDir.string(),
                                   "XDG_RUNTIME_DIR=" + runtimeDir.string()});
    command.insert(command.end(), launch.environment.begin(), launch.environment.end());
    command.insert(command.end(), launch.runner.begin(), launch.runner.end());
    command.insert(command.end(), {"sh", "-c", "exec \"$0\" \"$@\" 2>&1", program});
    command.insert(command.end(), arguments.begin(), arguments.end());
    ASSERT_EQ(tool.spawn("env", command, options), 0);
}

bool readToolWithin(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough,
                    std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!enough(run)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms)
            return false;
        const std::optional<std::string> line = readLine(tool.outputFd(), left);
        if (!line)
            return false;
        run.lines.push_back(*line);
    }
    return true;
}

void readTool(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough)
{
    while (!(enough && enough(run))) {
        const std::optional<std::string> line = readLine(tool.outputFd(), 30s);
        if (!line)
            break;
        run.lines.push_back(*line);
    }
}

void finishTool(Os::Process& tool, ToolRun& run)
{
    readTool(tool, run);
    tool.waitForExit(30s);
    if (const auto status = tool.exitStatus(); status && !status->bySignal)
        run.exitCode = status->code;
}

} // namespace Orvanta::testing
