#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/Options.h"

#include <gtest/gtest.h>

#include <functional>

namespace Cardsim {
namespace {

using Verb = ControlCommand::Verb;

struct ControlCase {
    const char* name;
    const char* line;
    // Checks the command; empty when the line must be refused.
    std::function<void(const ControlCommand&)> check;
};

class ControlLine : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlLine, ParsesOrSaysWhyNot)
{
    const ParsedControl parsed = parseControlLine(GetParam().line);
    if (!GetParam().check) {
        EXPECT_FALSE(parsed.command);
        EXPECT_FALSE(parsed.problem.empty());
        return;
    }
    ASSERT_TRUE(parsed.command) << parsed.problem;
    GetParam().check(*parsed.command);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ControlLine,
    ::testing::Values(
        ControlCase{"Unplug", "unplug", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::unplug); }},
        ControlCase{"TrailingCarriageReturn", "plug\r", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::plug); }},
        ControlCase{"BlanksAround", "  lose-fix \t", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::loseFix); }},
        ControlCase{"GpsOn", "gps on",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.verb, Verb::gps);
                        EXPECT_TRUE(c.on);
                    }},
        ControlCase{"FailWithCode", "fail at_tgps=2 3",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.commandKey, "AT_TGPS=") << "the key of the command as sent";
                        EXPECT_EQ(c.answer, FinalResult::cme(3));
                        EXPECT_FALSE(c.times);
                    }},
        ControlCase{"FailWithErrorTwice", "fail AT+CGMR error 2",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.commandKey, "AT+CGMR");
                        EXPECT_EQ(c.answer, FinalResult::error());
                        EXPECT_EQ(c.times, 2);
                    }},
        ControlCase{"HealOne", "heal AT+CGMR", [](const ControlCommand& c) { EXPECT_EQ(c.commandKey, "AT+CGMR"); }},
        ControlCase{"HealAll", "heal", [](const ControlCommand& c) { EXPECT_TRUE(c.commandKey.empty()); }},
        ControlCase{"GarbleDataPort", "garble 5 gps-data",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.count, 5);
                        EXPECT_EQ(c.port, PortRole::gpsData);
                    }},
        ControlCase{"GarbleAnyPort", "garble 1", [](const ControlCommand& c) { EXPECT_FALSE(c.port); }},
        ControlCase{"UrcKeepsItsBlanks", "urc app +CREG: 1, \"00C3\"",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.port, PortRole::application);
                        EXPECT_EQ(c.text, "+CREG: 1, \"00C3\"");
                    }},
        ControlCase{"UrcOnAllPorts", "urc all RING", [](const ControlCommand& c) { EXPECT_FALSE(c.port); }},
        ControlCase{"Empty", "", {}}, ControlCase{"Unknown", "explode", {}},
        ControlCase{"ArgumentsWhereNoneBelong", "unplug now", {}}, ControlCase{"GpsMaybe", "gps maybe", {}},
        ControlCase{"FailWithoutAnswer", "fail AT+CGMR", {}}, ControlCase{"FailNotAnAtCommand", "fail hello error", {}},
        ControlCase{"FailTwoCommands", "fail AT+CGMR;+CGMM error", {}},
        ControlCase{"FailCodeTooLarge", "fail AT+CGMR 70000", {}}, ControlCase{"FailZeroTimes", "fail AT+CGMR 3 0", {}},
        ControlCase{"GarbleNothing", "garble 0", {}}, ControlCase{"GarbleNoSuchPort", "garble 2 serial", {}},
        ControlCase{"UrcOnTheDataPort", "urc gps-data $GPRMC", {}}, ControlCase{"UrcWithoutText", "urc app", {}}),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NetworkLines, ControlLine,
    ::testing::Values(
        ControlCase{"RegisterRoamingInBothDomains", "register roaming",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.verb, Verb::registration);
                        EXPECT_EQ(c.registration, Registration::roaming);
                        EXPECT_EQ(c.domain, Domain::both);
                    }},
        ControlCase{"RegisterDeniedForPackets", "register denied ps",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.registration, Registration::denied);
                        EXPECT_EQ(c.domain, Domain::packet);
                    }},
        ControlCase{"RegisterNone", "register none cs",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.registration, Registration::notRegistered);
                        EXPECT_EQ(c.domain, Domain::circuit);
                    }},
        ControlCase{"OperatorWithQuotedLongName", "operator 302720 \"Orvanta Partner North\" OPN",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.verb, Verb::servingOperator);
                        EXPECT_EQ(c.operatorInfo, (OperatorInfo{"302720", "Orvanta Partner North", "OPN", true}));
                    }},
        ControlCase{"OperatorRoaming", "operator 00102 Partner P roaming",
                    [](const ControlCommand& c) { EXPECT_FALSE(c.operatorInfo.home); }},
        ControlCase{"OperatorsAddIsRoamingByDefault", "operators add 00103 \"Third Net\" TN",
                    [](const ControlCommand& c) {
                        EXPECT_EQ(c.verb, Verb::operators);
                        EXPECT_FALSE(c.on);
                        EXPECT_EQ(c.operatorInfo, (OperatorInfo{"00103", "Third Net", "TN", false}));
                    }},
        ControlCase{"OperatorsAddHome", "operators add 00103 Third TN home",
                    [](const ControlCommand& c) { EXPECT_TRUE(c.operatorInfo.home); }},
        ControlCase{"OperatorsClear", "operators clear", [](const ControlCommand& c) { EXPECT_TRUE(c.on); }},
        ControlCase{"Signal", "signal 31", [](const ControlCommand& c) { EXPECT_EQ(c.value, 31); }},
        ControlCase{"NoSignal", "signal 99", [](const ControlCommand& c) { EXPECT_EQ(c.value, 99); }},
        ControlCase{"Technology", "tech edge",
                    [](const ControlCommand& c) { EXPECT_EQ(c.technology, Technology::edge); }},
        ControlCase{"CellInHex", "cell 1a2b 0FFFFFFF",
                    [](const ControlCommand& c) { EXPECT_EQ(c.cell, (CellLocation{0x1A2B, 0xFFFFFFF})); }},
        ControlCase{"RadioSwitchOff", "radio-switch off", [](const ControlCommand& c) { EXPECT_FALSE(c.on); }},
        ControlCase{"UssdKeepsItsBlanks", "ussd  Your balance:  5 EUR",
                    [](const ControlCommand& c) { EXPECT_EQ(c.text, "Your balance:  5 EUR"); }},
        ControlCase{"RingInternational", "ring +15551234", [](const ControlCommand& c) { EXPECT_EQ(c.text, "+15551234"); }},
        ControlCase{"Hangup", "hangup", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::hangup); }},
        ControlCase{"TemperatureBelowZero", "temperature -12", [](const ControlCommand& c) { EXPECT_EQ(c.value, -12); }},
        ControlCase{"AntennaOut", "antenna out", [](const ControlCommand& c) { EXPECT_TRUE(c.on); }},
        ControlCase{"ScanDelay", "scan-delay 250",
                    [](const ControlCommand& c) { EXPECT_EQ(c.delay, std::chrono::milliseconds(250)); }},
        ControlCase{"Imsi", "imsi 302370123456789", [](const ControlCommand& c) { EXPECT_EQ(c.text, "302370123456789"); }},
        ControlCase{"RegisterWhat", "register", {}}, ControlCase{"RegisterMaybe", "register maybe", {}},
        ControlCase{"RegisterNoSuchDomain", "register home lte", {}},
        ControlCase{"RegisterTooMuch", "register home cs ps", {}},
        ControlCase{"OperatorNumberTooShort", "operator 0010 Name N", {}},
        ControlCase{"OperatorNumberNotDigits", "operator 00A01 Name N", {}},
        ControlCase{"OperatorWithoutShortName", "operator 00101 Name", {}},
        ControlCase{"OperatorUnclosedQuote", "operator 00101 \"Orvanta Test OTN", {}},
        ControlCase{"OperatorTextAfterQuote", "operator 00101 \"Orvanta\"Net OTN", {}},
        ControlCase{"OperatorEmptyName", "operator 00101 \"\" OTN", {}},
        ControlCase{"OperatorNameTooLong", "operator 00101 ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFG X", {}},
        ControlCase{"OperatorNeitherHomeNorRoaming", "operator 00101 Name N abroad", {}},
        ControlCase{"OperatorsWhat", "operators", {}}, ControlCase{"OperatorsRemove", "operators remove 00101", {}},
        ControlCase{"OperatorsClearTooMuch", "operators clear all", {}},
        ControlCase{"SignalTooStrong", "signal 32", {}}, ControlCase{"SignalNegative", "signal -1", {}},
        ControlCase{"TechnologyUnknown", "tech lte", {}}, ControlCase{"CellLacTooLarge", "cell 10000 1", {}},
        ControlCase{"CellCiTooLarge", "cell 1 10000000", {}}, ControlCase{"CellNotHex", "cell 1G 2", {}},
        ControlCase{"CellMissingCi", "cell 1A2B", {}}, ControlCase{"RadioSwitchMaybe", "radio-switch maybe", {}},
        ControlCase{"UssdEmpty", "ussd", {}}, ControlCase{"UssdWithQuote", "ussd say \"hi\"", {}},
        ControlCase{"RingWithoutNumber", "ring", {}}, ControlCase{"RingWithLetters", "ring 555ABC", {}},
        ControlCase{"RingPlusOnly", "ring +", {}}, ControlCase{"HangupTooMuch", "hangup now", {}},
        ControlCase{"TemperatureTooHot", "temperature 126", {}}, ControlCase{"AntennaSideways", "antenna side", {}},
        ControlCase{"ScanDelayTooLong", "scan-delay 600001", {}}, ControlCase{"ImsiTooShort", "imsi 30237", {}},
        ControlCase{"ImsiTooLong", "imsi 3023701234567890", {}}, ControlCase{"ImsiNotDigits", "imsi 30237X123", {}},
        ControlCase{"Sim", "sim", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::sim); }},
        ControlCase{"SimRemove", "sim-remove", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::simRemove); }},
        ControlCase{"SimInsert", "sim-insert", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::simInsert); }},
        ControlCase{"SimReset", "sim-reset", [](const ControlCommand& c) { EXPECT_EQ(c.verb, Verb::simReset); }},
        ControlCase{"SimTakesNoCode", "sim 1234", {}}, ControlCase{"SimInsertTakesNoCode", "sim-insert 1234", {}}),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

struct OptionsCase {
    const char* name;
    std::vector<std::string_view> arguments;
    std::function<void(const Options&)> check; // empty: refused
};

class CommandLineOptions : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(CommandLineOptions, ParseOrSayWhyNot)
{
    const ParsedOptions parsed = parseOptions(GetParam().arguments);
    if (!GetParam().check) {
        EXPECT_FALSE(parsed.options);
        EXPECT_FALSE(parsed.problem.empty());
        return;
    }
    ASSERT_TRUE(parsed.options) << parsed.problem;
    GetParam().check(*parsed.options);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineOptions,
    ::testing::Values(
        OptionsCase{"Defaults", {},
                    [](const Options& o) {
                        EXPECT_EQ(o.profile, "gps");
                        EXPECT_EQ(o.rate, 1.0);
                        EXPECT_FALSE(o.gpsOn);
                        EXPECT_EQ(o.serialNumber(), Options{}.serialNumber()) << "the same every run";
                    }},
        OptionsCase{"ValueAfterEquals", {"--rate=100", "--ttff=0.25"},
                    [](const Options& o) {
                        EXPECT_EQ(o.rate, 100.0);
                        EXPECT_EQ(o.timeToFirstFix, std::chrono::milliseconds(250));
                    }},
        OptionsCase{"ValueAsNextArgument", {"--profile", "no-gps", "--vendor-id", "0x2C9A", "--product-id", "0c00"},
                    [](const Options& o) {
                        EXPECT_EQ(o.profile, "no-gps");
                        EXPECT_EQ(o.vendorId, 0x2C9A);
                        EXPECT_EQ(o.productId, 0x0C00);
                    }},
        OptionsCase{"NamesGiveDifferentSerials", {"--name", "second"},
                    [](const Options& o) { EXPECT_NE(o.serialNumber(), Options{}.serialNumber()); }},
        OptionsCase{"FaultsCollect", {"--fail", "AT+CGMR error", "--fail=AT_TGPS= 3 1"},
                    [](const Options& o) {
                        EXPECT_EQ(o.faults, (std::vector<std::string>{"AT+CGMR error", "AT_TGPS= 3 1"}));
                    }},
        OptionsCase{"Flags", {"--gps", "on", "--no-fix", "--silent", "--unplugged", "--verbose"},
                    [](const Options& o) {
                        EXPECT_TRUE(o.gpsOn && o.noFix && o.silent && o.unplugged && o.verbose);
                    }},
        OptionsCase{"Version", {"--version"},
                    [](const Options& o) {
                        EXPECT_TRUE(o.version);
                        EXPECT_FALSE(o.help);
                    }},
        OptionsCase{"VersionTakesNoValue", {"--version=2"}, {}},
        OptionsCase{"UnknownOption", {"--colour"}, {}}, OptionsCase{"MissingValue", {"--rate"}, {}},
        OptionsCase{"ValueOnAFlag", {"--silent=yes"}, {}}, OptionsCase{"NoSuchProfile", {"--profile", "x900"}, {}},
        OptionsCase{"RateTooHigh", {"--rate", "5000"}, {}}, OptionsCase{"RateNotANumber", {"--rate", "fast"}, {}},
        OptionsCase{"NegativeTimeToFirstFix", {"--ttff", "-1"}, {}},
        OptionsCase{"VendorIdTooLarge", {"--vendor-id", "12345"}, {}},
        OptionsCase{"NameWithSlash", {"--name", "../card"}, {}}, OptionsCase{"HiddenName", {"--name", ".card"}, {}},
        OptionsCase{"BadFault", {"--fail", "AT+CGMR maybe"}, {}}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NetworkArguments, CommandLineOptions,
    ::testing::Values(
        OptionsCase{"NoNetworkCommandsByDefault", {}, [](const Options& o) { EXPECT_TRUE(o.networkCommands.empty()); }},
        OptionsCase{"StartNetworkInOrder",
                    {"--network", "roaming", "--operator", "302720 \"Orvanta Partner North\" OPN", "--imsi",
                     "302370123456789", "--tech=umts", "--signal", "5", "--scan-delay", "100"},
                    [](const Options& o) {
                        EXPECT_EQ(o.networkCommands,
                                  (std::vector<std::string>{"register roaming",
                                                            "operator 302720 \"Orvanta Partner North\" OPN",
                                                            "imsi 302370123456789", "tech umts", "signal 5",
                                                            "scan-delay 100"}));
                    }},
        OptionsCase{"NetworkUnknown", {"--network", "abroad"}, {}},
        OptionsCase{"OperatorIncomplete", {"--operator", "00101"}, {}},
        OptionsCase{"ImsiBad", {"--imsi", "12"}, {}}, OptionsCase{"TechUnknown", {"--tech", "5g"}, {}},
        OptionsCase{"SignalTooHigh", {"--signal", "40"}, {}},
        OptionsCase{"ScanDelayNotANumber", {"--scan-delay", "soon"}, {}}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    SimArguments, CommandLineOptions,
    ::testing::Values(
        OptionsCase{"OpenSimByDefault", {},
                    [](const Options& o) {
                        EXPECT_TRUE(o.sim.present);
                        EXPECT_FALSE(o.sim.codes.lockOn);
                        EXPECT_EQ(o.sim.codes.pin, "0000") << "for AT+CLCK to switch the lock on with";
                        EXPECT_EQ(o.sim.codes.puk, "12345678");
                    }},
        OptionsCase{"PinSwitchesTheLockOn", {"--pin", "12345678", "--puk=87654321"},
                    [](const Options& o) {
                        EXPECT_TRUE(o.sim.codes.lockOn);
                        EXPECT_EQ(o.sim.codes.pin, "12345678");
                        EXPECT_EQ(o.sim.codes.puk, "87654321");
                    }},
        OptionsCase{"NoSim", {"--no-sim", "--pin", "1234"},
                    [](const Options& o) {
                        EXPECT_FALSE(o.sim.present);
                        EXPECT_TRUE(o.sim.codes.lockOn) << "for the SIM that sim-insert puts in";
                    }},
        OptionsCase{"PinTooShort", {"--pin", "123"}, {}}, OptionsCase{"PinTooLong", {"--pin", "123456789"}, {}},
        OptionsCase{"PinNotDigits", {"--pin", "12a4"}, {}}, OptionsCase{"PukNotEightDigits", {"--puk", "1234567"}, {}},
        OptionsCase{"NoSimTakesNoValue", {"--no-sim=yes"}, {}}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.name); });

TEST(Help, NamesEveryOptionProfileAndControlCommand)
{
    const std::string help = helpText();
    for (const OptionRow& row : optionRows())
        EXPECT_NE(help.find(std::string(row.name)), std::string::npos) << row.name;
    for (const Profile& profile : profiles())
        EXPECT_NE(help.find("\n  " + std::string(profile.name) + " "), std::string::npos) << profile.name;
    for (const ControlVerb& verb : controlVerbs())
        EXPECT_NE(help.find("\n  " + std::string(verb.name)), std::string::npos) << verb.name;
    // Each key as a word of its own: "AT+CSQ" is not found in "AT+CSQ=?".
    auto listed = [&help](std::string_view key) {
        for (std::size_t at = help.find(" " + std::string(key)); at != std::string::npos;
             at = help.find(" " + std::string(key), at + 1)) {
            const char after = help[at + 1 + key.size()];
            if (after == ' ' || after == '\n')
                return true;
        }
        return false;
    };
    for (const std::span<const CommandRow> rows :
         {simCommandRows(), smsCommandRows(), phonebookCommandRows(), networkCommandRows()})
        for (const CommandRow& row : rows)
            EXPECT_TRUE(listed(row.key)) << row.key;
}

} // namespace
} // namespace Cardsim
