// What orvanta-modem's command line asks for, and the wrong ones it refuses before it
// starts anything.

#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Orvanta::modem {
namespace {

struct AcceptedLine {
    const char* name;
    std::vector<std::string> arguments;
    Command command;
    int patience;
    bool json = false;
    std::int64_t mccmnc = 0;
    std::optional<Corvane::PsTechnology> technology = std::nullopt;
};

class CommandLineAccepts : public ::testing::TestWithParam<AcceptedLine> {};

TEST_P(CommandLineAccepts, WithItsValues)
{
    const auto parsed = parseCommandLine(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Request>(parsed)) << std::get<Failure>(parsed).reason;
    const Request& request = std::get<Request>(parsed);
    EXPECT_EQ(request.command, GetParam().command);
    EXPECT_EQ(request.patience.count(), GetParam().patience);
    EXPECT_EQ(request.json, GetParam().json);
    EXPECT_EQ(request.mccmnc, GetParam().mccmnc);
    EXPECT_EQ(request.technology, GetParam().technology);
    // A full mode: the radio, PIN and network machines exist only there.
    EXPECT_TRUE(request.initMode == Corvane::cInitModeFull || request.initMode == Corvane::cInitModeFullAlias);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineAccepts,
    ::testing::Values(
        AcceptedLine{"Status", {"status"}, Command::status, 10},
        AcceptedLine{"StatusJsonSeconds", {"status", "--json", "5"}, Command::status, 5, true},
        AcceptedLine{"JsonBeforeTheCommand", {"--json", "status"}, Command::status, 10, true},
        AcceptedLine{"Watch", {"watch"}, Command::watch, 10},
        AcceptedLine{"WatchJson", {"watch", "--json"}, Command::watch, 10, true},
        AcceptedLine{"PinStatusSeconds", {"pin", "status", "3"}, Command::pinStatus, 3},
        AcceptedLine{"PinEnterTimeout", {"pin", "enter", "--timeout", "20"}, Command::pinEnter, 20},
        AcceptedLine{"PinUnblockTimeoutJoined", {"pin", "unblock", "--timeout=7"}, Command::pinUnblock, 7},
        AcceptedLine{"PinChange", {"pin", "change"}, Command::pinChange, 10},
        AcceptedLine{"PinEnable", {"pin", "enable"}, Command::pinEnable, 10},
        AcceptedLine{"PinDisable", {"pin", "disable"}, Command::pinDisable, 10},
        AcceptedLine{"RadioOff", {"radio", "off"}, Command::radioOff, 10},
        AcceptedLine{"RadioOnSeconds", {"radio", "on", "600"}, Command::radioOn, 600},
        AcceptedLine{"NetworksWaitLonger", {"networks"}, Command::networks, 120},
        AcceptedLine{"NetworksJsonSeconds", {"networks", "--json", "30"}, Command::networks, 30, true},
        AcceptedLine{"SelectFiveDigits", {"select", "00101"}, Command::selectNetwork, 10, false, 101},
        AcceptedLine{"SelectSixDigitsWithTech", {"select", "302720", "--tech", "umts"}, Command::selectNetwork, 10,
                     false, 302720, Corvane::cPsTechnology3G},
        AcceptedLine{"SelectTechAlias", {"select", "--tech=2g", "26201", "4"}, Command::selectNetwork, 4, false,
                     26201, Corvane::cPsTechnology2G},
        AcceptedLine{"SelectAuto", {"select", "auto"}, Command::selectAutomatic, 10},
        AcceptedLine{"TechAuto", {"tech", "auto"}, Command::technology, 10, false, 0,
                     Corvane::cPsTechnologyAutomatic},
        AcceptedLine{"TechGsm", {"tech", "gsm"}, Command::technology, 10, false, 0, Corvane::cPsTechnology2G},
        AcceptedLine{"Tech3g", {"tech", "3g"}, Command::technology, 10, false, 0, Corvane::cPsTechnology3G},
        AcceptedLine{"Help", {"--help"}, Command::help, 10}, AcceptedLine{"HelpShort", {"-h"}, Command::help, 10},
        AcceptedLine{"Version", {"--version"}, Command::version, 10}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedLine {
    const char* name;
    std::vector<std::string> arguments;
    const char* reason; // a part of the reason given
};

class CommandLineRefuses : public ::testing::TestWithParam<RefusedLine> {};

TEST_P(CommandLineRefuses, AsAWrongCommandLineWithItsReason)
{
    const auto parsed = parseCommandLine(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Failure>(parsed));
    const Failure& failure = std::get<Failure>(parsed);
    EXPECT_EQ(failure.code, ExitCode::usage);
    EXPECT_NE(failure.reason.find(GetParam().reason), std::string::npos) << failure.reason;
    EXPECT_EQ(failure.reason.find('\n'), std::string::npos) << "one line";
}

constexpr const char* kNoCodes = "never taken from the command line";

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineRefuses,
    ::testing::Values(
        RefusedLine{"Nothing", {}, "no command"}, RefusedLine{"Unknown", {"frobnicate"}, "unknown command"},
        RefusedLine{"PinAsArgument", {"pin", "enter", "1234"}, kNoCodes},
        RefusedLine{"PukAndPinAsArguments", {"pin", "unblock", "12345678", "1234"}, kNoCodes},
        RefusedLine{"NewPinAsArgument", {"pin", "change", "0000"}, kNoCodes},
        RefusedLine{"PinAsOption", {"pin", "enter", "--pin=1234"}, kNoCodes},
        RefusedLine{"PukAsOption", {"pin", "unblock", "--puk", "12345678"}, kNoCodes},
        RefusedLine{"PinForEnable", {"pin", "enable", "1234"}, kNoCodes},
        RefusedLine{"PinWithoutWhat", {"pin"}, "pin takes"}, RefusedLine{"PinUnknown", {"pin", "guess"}, "pin takes"},
        RefusedLine{"RadioWithoutState", {"radio"}, "radio takes"},
        RefusedLine{"RadioSideways", {"radio", "sideways"}, "radio takes"},
        RefusedLine{"SelectNothing", {"select"}, "select takes"},
        RefusedLine{"SelectFourDigits", {"select", "0010"}, "not a network code"},
        RefusedLine{"SelectSevenDigits", {"select", "0010199"}, "not a network code"},
        RefusedLine{"SelectLetters", {"select", "0010a"}, "not a network code"},
        RefusedLine{"SelectSixWithLeadingZero", {"select", "012345"}, "not a network code"},
        RefusedLine{"SelectUnknownTech", {"select", "00101", "--tech", "lte"}, "--tech takes"},
        RefusedLine{"TechForStatus", {"status", "--tech", "gsm"}, "--tech is for select"},
        RefusedLine{"TechUnknownMode", {"tech", "5g"}, "tech takes"},
        RefusedLine{"JsonForRadio", {"radio", "on", "--json"}, "--json is for"},
        RefusedLine{"ZeroSeconds", {"status", "0"}, "seconds"}, RefusedLine{"TooManySeconds", {"status", "601"}, "seconds"},
        RefusedLine{"SecondsNotANumber", {"status", "soon"}, "seconds"},
        RefusedLine{"TwoSeconds", {"status", "3", "4"}, "unexpected argument"},
        RefusedLine{"SecondsAndTimeout", {"status", "3", "--timeout", "4"}, "unexpected argument"},
        RefusedLine{"TimeoutWithoutValue", {"status", "--timeout"}, "--timeout takes"},
        RefusedLine{"WatchWithSeconds", {"watch", "5"}, "unexpected argument"},
        RefusedLine{"WatchWithTimeout", {"watch", "--timeout", "5"}, "watch runs until"},
        RefusedLine{"UnknownOption", {"status", "--verbose"}, "unknown option"},
        RefusedLine{"HelpWithMore", {"--help", "status"}, "unknown option"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TechnologyNames, AreTheValuesTheClientInterfaceTakes)
{
    EXPECT_EQ(technologyNamed("auto"), Corvane::cPsTechnologyAutomatic);
    EXPECT_EQ(technologyNamed("gsm"), Corvane::cPsTechnology2G);
    EXPECT_EQ(technologyNamed("umts"), Corvane::cPsTechnology3G);
    EXPECT_EQ(technologyNamed("GSM"), std::nullopt);
}

} // namespace
} // namespace Orvanta::modem
