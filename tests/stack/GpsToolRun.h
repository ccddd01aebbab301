#pragma once
// orvanta-gps (or another of the tools) run as a user runs it from a terminal, against
// orvanta-cardsim: started on a card's simulator folder, its lines read as they come.

#include "platform/Process.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Orvanta::testing {

// What the tool wrote so far, standard output and error together, and how it ended.
struct ToolRun {
    std::vector<std::string> lines;
    int exitCode = -1;

    bool has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // Whether the receiver state shown is `state`. A receiver that is on shows "active",
    // or "reading" when sentences with a fix came while the library asked it for its
    // state (the query opens the data port for a moment).
    bool showsReceiver(const std::string& state) const
    {
        if (state == "gps: active")
            return has("gps: active") || has("gps: reading");
        return has(state);
    }
    std::size_t count(const std::string& prefix, std::size_t from = 0) const;
    // The first line from `from` on that starts with `prefix`; lines.size() when none does.
    std::size_t find(const std::string& prefix, std::size_t from = 0) const;
    bool mentions(const std::string& fragment) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    }
};

// How the tool is started besides its arguments: more environment, a program that runs it
// (as another user, say), the folder it runs in, and whether its standard input is a pipe
// of the test's (Os::Process::inputFd).
struct Launch {
    std::vector<std::string> environment;
    std::vector<std::string> runner;
    std::filesystem::path directory;
    bool pipeInput = false;
};

// Starts the tool on the card of the simulator folder `simDir`; standard output and error
// both come through the pipe. A test failure when it cannot be started.
void spawnGpsTool(Os::Process& tool, const std::filesystem::path& simDir, const std::filesystem::path& runtimeDir,
                  const std::vector<std::string>& arguments, const Launch& launch = {});
// The same for the tool `program`.
void spawnTool(Os::Process& tool, const std::string& program, const std::filesystem::path& simDir,
               const std::filesystem::path& runtimeDir, const std::vector<std::string>& arguments,
               const Launch& launch = {});

// Reads lines until `enough` holds; false when it did not within `patience`.
bool readToolWithin(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough,
                    std::chrono::milliseconds patience);
// Reads lines until `enough` holds or the output ends.
void readTool(Os::Process& tool, ToolRun& run, const std::function<bool(const ToolRun&)>& enough = nullptr);
// Reads the rest and waits for the exit.
void finishTool(Os::Process& tool, ToolRun& run);

} // namespace Orvanta::testing
