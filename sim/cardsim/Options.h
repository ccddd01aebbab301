#pragma once
// The command line of orvanta-cardsim. The table of options is also the help.

#include "sim/cardsim/Sim.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

struct Options {
    std::string profile = "gps";
    std::optional<std::int32_t> vendorId;
    std::optional<std::int32_t> productId;
    std::string name = "cardsim";
    std::optional<std::string> serial; // default: follows from the name
    std::optional<std::filesystem::path> simDir;
    std::optional<std::filesystem::path> track;
    double rate = 1.0; // sentence groups a second
    std::chrono::milliseconds timeToFirstFix{5000};
    bool gpsOn = false;
    bool noFix = false;
    bool silent = false;
    bool unplugged = false;
    bool voice = false;
    SimSetup sim; // no PIN lock, the default PUK
    std::vector<std::string> faults; // control-command arguments of "fail"
    // Control commands that set the network the card meets at start: "register roaming".
    std::vector<std::string> networkCommands;
    bool verbose = false;
    std::optional<std::string> send;
    bool help = false;
    bool version = false;

    // The serial number given, or the one the name stands for.
    std::string serialNumber() const;
};

struct OptionRow {
    std::string_view name;     // "--rate"
    std::string_view argument; // "N", "" for a flag
    std::string_view help;
};

std::span<const OptionRow> optionRows();

struct ParsedOptions {
    std::optional<Options> options;
    std::string problem;
};

// The arguments without the program name.
ParsedOptions parseOptions(std::span<const std::string_view> arguments);

// Everything --help prints: usage, options, profiles, control commands.
std::string helpText();

// What --version prints: the program and the project's version.
std::string versionText();

} // namespace Cardsim
