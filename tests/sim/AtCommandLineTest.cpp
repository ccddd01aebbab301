#include "sim/cardsim/AtCommandLine.h"

#include <gtest/gtest.h>

namespace Cardsim {
namespace {

struct LineCase {
    const char* name;
    const char* line;
    std::optional<std::vector<AtCommand>> commands;
};

class CommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, CutsIntoKeyedCommands) { EXPECT_EQ(parseCommandLine(GetParam().line), GetParam().commands); }

using Commands = std::vector<AtCommand>;

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    ::testing::Values(
        LineCase{"BareAt", "AT", Commands{}},
        LineCase{"LowerCase", "at+cgmr", Commands{{"AT+CGMR", ""}}},
        LineCase{"EchoOff", "ATE0", Commands{{"ATE", "0"}}},
        LineCase{"TwoBasicCommands", "ATE0V1", Commands{{"ATE", "0"}, {"ATV", "1"}}},
        LineCase{"Set", "AT+CMEE=1", Commands{{"AT+CMEE=", "1"}}},
        LineCase{"Read", "AT_TGPS?", Commands{{"AT_TGPS?", ""}}},
        LineCase{"Test", "AT_TGPS=?", Commands{{"AT_TGPS=?", ""}}},
        LineCase{"TwoArguments", "AT_TGPSP=7,2", Commands{{"AT_TGPSP=", "7,2"}}},
        LineCase{"Concatenated", "AT+COPS=3,0;+COPS?", Commands{{"AT+COPS=", "3,0"}, {"AT+COPS?", ""}}},
        LineCase{"ConcatenatedMakerCommands", "AT_TPATEMP=1;_TPATEMP?",
                 Commands{{"AT_TPATEMP=", "1"}, {"AT_TPATEMP?", ""}}},
        LineCase{"SemicolonInsideQuotes", "AT+CPBW=1,\"a;b\";+CGMR",
                 Commands{{"AT+CPBW=", "1,\"a;b\""}, {"AT+CGMR", ""}}},
        LineCase{"DialTakesTheRest", "ATD*99***1#;", Commands{{"ATD", "*99***1#;"}}},
        LineCase{"AmpersandCommand", "AT&F0", Commands{{"AT&F", "0"}}},
        LineCase{"SRegisterRead", "ATS7?", Commands{{"ATS", "7?"}}},
        LineCase{"SRegisterSet", "ATS0=2", Commands{{"ATS", "0=2"}}},
        LineCase{"NoiseBeforeThePrefix", "\rATE0", Commands{{"ATE", "0"}}},
        LineCase{"OtherVendorsPrefixes", "AT^SYSCFG?;*MCSQ=1", Commands{{"AT^SYSCFG?", ""}, {"AT*MCSQ=", "1"}}},
        LineCase{"StrayCharacterIsItsOwnCommand", "AT?", Commands{{"AT?", ""}}},
        LineCase{"NoPrefix", "hello", std::nullopt},
        LineCase{"Empty", "", std::nullopt},
        LineCase{"LoneA", "A", std::nullopt}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Cardsim
