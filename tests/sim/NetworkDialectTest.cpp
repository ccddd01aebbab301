// The network side's AT commands and unsolicited results on one port of the card, its
// card state beside it and its alarms rung by the test.

#include "sim/cardsim/AtSession.h"
#include "sim/cardsim/CardState.h"
#include "sim/cardsim/NetworkControl.h"
#include "sim/cardsim/Receiver.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace Cardsim {
namespace {

using namespace std::chrono_literals;
using testing::wire;

using NetworkSession = testing::CardSession;
using testing::answerOf;
using testing::framed;

struct AnswerCase {
    const char* name;
    std::vector<std::string> control; // applied before the command
    const char* input;
    std::string output;
};

class NetworkAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(NetworkAnswers, AnswerAsTheCardDoes)
{
    NetworkSession card;
    for (const std::string& line : GetParam().control)
        card.control(line);
    card.take();
    EXPECT_EQ(card.send(std::string(GetParam().input) + "\r"), GetParam().output);
}

const char* const kBandLines[] = {
    "_TPBM: \"GSM850\",1",    "_TPBM: \"EGSM900\",1",   "_TPBM: \"DCS1800\",1",   "_TPBM: \"PCS1900\",1",
    "_TPBM: \"WCDMA850\",1", "_TPBM: \"WCDMA1900\",1", "_TPBM: \"WCDMA2100\",1",
};

std::string bandAnswer(bool firstEnabled)
{
    std::string text;
    for (const char* line : kBandLines)
        text += "\r\n" + std::string(line) + "\r\n";
    if (!firstEnabled)
        text.replace(text.find("\",1"), 3, "\",0");
    return text + "\r\nOK\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Registration, NetworkAnswers,
    ::testing::Values(
        AnswerCase{"CregReadsReportingAndState", {}, "AT+CREG?", answerOf({"+CREG: 0,1"})},
        AnswerCase{"CregWithCellWhileRegistered", {}, "AT+CREG=2;+CREG?", answerOf({"+CREG: 2,1,\"2F1E\",\"5A03\""})},
        AnswerCase{"CregWithoutCellWhileNotRegistered", {"register none"}, "AT+CREG=2;+CREG?", answerOf({"+CREG: 2,0"})},
        AnswerCase{"CregSearching", {"register searching cs"}, "AT+CREG=1;+CREG?", answerOf({"+CREG: 1,2"})},
        AnswerCase{"CregLevelThreeRefused", {}, "AT+CMEE=1;+CREG=3", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"CregTest", {}, "AT+CREG=?", answerOf({"+CREG: (0-2)"})},
        AnswerCase{"CgregRoaming", {"register roaming ps"}, "AT+CGREG?", answerOf({"+CGREG: 0,5"})},
        AnswerCase{"CgregWithCell", {"cell 1A2B C3"}, "AT+CGREG=2;+CGREG?", answerOf({"+CGREG: 2,1,\"1A2B\",\"00C3\""})},
        AnswerCase{"CgregDenied", {"register denied ps"}, "AT+CGREG=2;+CGREG?", answerOf({"+CGREG: 2,3"})},
        AnswerCase{"AttachedWhilePacketRegistered", {}, "AT+CGATT?", answerOf({"+CGATT: 1"})},
        AnswerCase{"DetachedWhilePacketDenied", {"register denied ps"}, "AT+CGATT?", answerOf({"+CGATT: 0"})}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Operators, NetworkAnswers,
    ::testing::Values(
        AnswerCase{"LongNameByDefault", {}, "AT+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Test Net\",4"})},
        AnswerCase{"ShortName", {}, "AT+COPS=3,1;+COPS?", answerOf({"+COPS: 0,1,\"OTN\",4"})},
        AnswerCase{"Numeric", {}, "AT+COPS=3,2;+COPS?", answerOf({"+COPS: 0,2,\"00101\",4"})},
        AnswerCase{"ShortThenNumericInOneLine", {}, "AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?",
                   answerOf({"+COPS: 0,1,\"OTN\",4", "+COPS: 0,2,\"00101\",4"})},
        AnswerCase{"ServingOperatorFromControl", {"operator 302720 \"Orvanta Partner North\" OPN", "register roaming"},
                   "AT+COPS=3,0;+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Partner North\",4"})},
        AnswerCase{"AccessTechnologyOfEdge", {"tech edge"}, "AT+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Test Net\",3"})},
        AnswerCase{"AccessTechnologyOfGprs", {"tech gprs"}, "AT+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Test Net\",0"})},
        AnswerCase{"AccessTechnologyOfUmts", {"tech umts"}, "AT+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Test Net\",2"})},
        AnswerCase{"OnlyTheModeWhileNotRegistered", {"register searching"}, "AT+COPS?", answerOf({"+COPS: 0"})},
        AnswerCase{"Deregistered", {}, "AT+COPS=2;+COPS?", answerOf({"+COPS: 2"})},
        AnswerCase{"ManualSearchesFirst", {}, "AT+COPS=1,2,\"00102\";+COPS?", answerOf({"+COPS: 1"})},
        AnswerCase{"ManualUnknownOperator", {}, "AT+CMEE=1;+COPS=1,2,\"99999\"", answerOf({}, "+CME ERROR: 30")},
        AnswerCase{"ManualWithAccessTechnology", {}, "AT+COPS=1,2,\"302720\",2", answerOf({})},
        AnswerCase{"ManualBadAccessTechnology", {}, "AT+CMEE=1;+COPS=1,2,\"302720\",9", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ManualBadFormat", {}, "AT+CMEE=1;+COPS=1,7,\"00101\"", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ManualNameNotQuoted", {}, "AT+CMEE=1;+COPS=1,2,00101", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ManualWithoutName", {}, "AT+CMEE=1;+COPS=1", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ManualThenAutomaticFallsBack", {}, "AT+COPS=4,2,\"99999\";+COPS?", answerOf({"+COPS: 4"})},
        AnswerCase{"ModeFiveTakenAndIgnored", {}, "AT+COPS=5,0;+COPS?", answerOf({"+COPS: 0,0,\"Orvanta Test Net\",4"})},
        AnswerCase{"FormatOutOfRange", {}, "AT+CMEE=1;+COPS=3,3", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"UnclosedString", {}, "AT+CMEE=1;+COPS=1,2,\"00101", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ScanWithTheRadioOff", {}, "AT+CMEE=1;+CFUN=0;+COPS=?", answerOf({}, "+CME ERROR: 30")}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RadioAndSignal, NetworkAnswers,
    ::testing::Values(
        AnswerCase{"Signal", {}, "AT+CSQ", answerOf({"+CSQ: 20,99"})},
        AnswerCase{"SignalFromControl", {"signal 7"}, "AT+CSQ", answerOf({"+CSQ: 7,99"})},
        AnswerCase{"NoSignalWithTheRadioOff", {}, "AT+CFUN=0;+CSQ", answerOf({"+CSQ: 99,99"})},
        AnswerCase{"SignalTest", {}, "AT+CSQ=?", answerOf({"+CSQ: (0-31,99),(0-7,99)"})},
        AnswerCase{"FullFunction", {}, "AT+CFUN?", answerOf({"+CFUN: 1"})},
        AnswerCase{"MinimumFunction", {}, "AT+CFUN=0;+CFUN?", answerOf({"+CFUN: 0"})},
        AnswerCase{"RadioOffFunction", {}, "AT+CFUN=4;+CFUN?", answerOf({"+CFUN: 4"})},
        AnswerCase{"FunctionWithoutReset", {}, "AT+CFUN=1,0", answerOf({})},
        AnswerCase{"ResetRefused", {}, "AT+CMEE=1;+CFUN=1,1", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"FunctionTwoRefused", {}, "AT+CMEE=1;+CFUN=2", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"FunctionTest", {}, "AT+CFUN=?", answerOf({"+CFUN: (0,1,4),(0)"})},
        AnswerCase{"PreferenceRead", {}, "AT_TPSYS?", answerOf({"_TPSYS: 3,2"})},
        AnswerCase{"PreferenceGsmOnlyMovesTheSystem", {}, "AT_TPSYS=0,0;_TPSYS?;_TSSYS?",
                   answerOf({"_TPSYS: 0,0", "_TSSYS: 0"})},
        AnswerCase{"PreferenceKeepsTheDomainWhenLeftOut", {}, "AT_TPSYS=1;_TPSYS?", answerOf({"_TPSYS: 1,2"})},
        AnswerCase{"PreferenceOutOfRange", {}, "AT+CMEE=1;_TPSYS=4", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"PreferenceTestSaysSelectable", {}, "AT_TPSYS=?", answerOf({"_TPSYS: (0-3),(0-2)"})},
        AnswerCase{"SystemUmts", {}, "AT_TSSYS=1;_TSSYS?", answerOf({"_TSSYS: 2"})},
        AnswerCase{"SystemGsm", {"tech gsm"}, "AT_TSSYS?", answerOf({"_TSSYS: 0"})},
        AnswerCase{"CellType2gEdge", {"tech edge"}, "AT_TCTI=1;_TCTI?", answerOf({"_TCTI: 3"})},
        AnswerCase{"CellType2gOnUmts", {}, "AT_TCTI?", answerOf({"_TCTI: 0"})},
        AnswerCase{"CellType3gHsdpa", {}, "AT_TUWCTI=1;_TUWCTI?", answerOf({"_TUWCTI: 2"})},
        AnswerCase{"WcdmaCellType", {"tech umts"}, "AT_TWCTI?", answerOf({"_TWCTI: 1"})},
        AnswerCase{"WcdmaLevel", {}, "AT_TEANT=1;_TEANT", answerOf({"_TEANT: 3"})},
        AnswerCase{"WcdmaLevelOnGsm", {"tech gprs"}, "AT_TEANT", answerOf({"_TEANT: 0"})},
        AnswerCase{"SignalReportsOn", {}, "AT_TSQI=1", answerOf({})},
        AnswerCase{"ReportSwitchTakesOnlyZeroOrOne", {}, "AT+CMEE=1;_TSQI=2", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"RadioSwitchOn", {}, "AT_TWIND=1;_TWIND?", answerOf({"_TWIND: 1"})},
        AnswerCase{"RadioSwitchOff", {"radio-switch off"}, "AT_TWIND=1;_TWIND?", answerOf({"_TWIND: 0"})},
        AnswerCase{"IdleTextNamesTheNetwork", {}, "AT_TIDLETEXT=1;_TIDLETEXT?",
                   answerOf({"_TIDLETEXT: 1,\"Orvanta Test Net\""})},
        AnswerCase{"IdleTextWithTheRadioOff", {}, "AT+CFUN=0;_TIDLETEXT?", answerOf({"_TIDLETEXT: 0,\"Radio off\""})},
        AnswerCase{"IdleTextWhileDenied", {"register denied"}, "AT_TIDLETEXT?",
                   answerOf({"_TIDLETEXT: 0,\"Emergency calls only\""})}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Hardware, NetworkAnswers,
    ::testing::Values(
        AnswerCase{"AntennaIn", {}, "AT_TANTPOS=1;_TANTPOS?", answerOf({"_TANTPOS: 0"})},
        AnswerCase{"AntennaOut", {"antenna out"}, "AT_TANTPOS?", answerOf({"_TANTPOS: 1"})},
        AnswerCase{"Temperature", {}, "AT_TPATEMP=1;_TPATEMP?", answerOf({"_TPATEMP: 0,38"})},
        AnswerCase{"TemperatureHot", {"temperature 77"}, "AT_TPATEMP?", answerOf({"_TPATEMP: 1,77"})},
        AnswerCase{"TemperatureBelowZero", {"temperature -5"}, "AT_TPATEMP?", answerOf({"_TPATEMP: 0,-5"})},
        AnswerCase{"Led", {}, "AT_TSWLED?", answerOf({"_TSWLED: 1"})},
        AnswerCase{"LedSwitchedOff", {}, "AT_TSWLED=0;_TSWLED?", answerOf({"_TSWLED: 0"})},
        AnswerCase{"LedStateOutOfRange", {}, "AT+CMEE=1;_TSWLED=5", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ConfigurationNeverSetReadsZero", {}, "AT_TCFGF=12", answerOf({"_TCFGF: 0"})},
        AnswerCase{"ConfigurationWrittenAndRead", {}, "AT_TCFGF=12,-7;_TCFGF=12;_TCFGF=13",
                   answerOf({"_TCFGF: -7", "_TCFGF: 0"})},
        AnswerCase{"ConfigurationIdOutOfRange", {}, "AT+CMEE=1;_TCFGF=70000", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ConfigurationTooManyValues", {}, "AT+CMEE=1;_TCFGF=1,2,3", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"Bands", {}, "AT_TPBM?", bandAnswer(true)},
        AnswerCase{"BandSwitchedOff", {}, "AT_TPBM=\"GSM850\",0;_TPBM?", bandAnswer(false)},
        AnswerCase{"AnyBandSwitchesAllOn", {}, "AT_TPBM=\"GSM850\",0;_TPBM=\"ANY\",1;_TPBM?", bandAnswer(true)},
        AnswerCase{"AnyBandOffRefused", {}, "AT+CMEE=1;_TPBM=\"ANY\",0", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"UnknownBand", {}, "AT+CMEE=1;_TPBM=\"LTE700\",1", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"BandNameNotQuoted", {}, "AT+CMEE=1;_TPBM=GSM850,1", answerOf({}, "+CME ERROR: 50")}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CallsAndUssd, NetworkAnswers,
    ::testing::Values(
        AnswerCase{"CallerIdOff", {}, "AT+CLIP?", answerOf({"+CLIP: 0,1"})},
        AnswerCase{"CallerIdAndConnectedLineOn", {}, "AT+CLIP=1;+COLP=1;+CLIP?;+COLP?",
                   answerOf({"+CLIP: 1,1", "+COLP: 1,1"})},
        AnswerCase{"DialVoice", {}, "ATD+15551234;", answerOf({})},
        AnswerCase{"DialWithToneLetter", {}, "ATDT5551234;", answerOf({})},
        AnswerCase{"DialDataRefused", {}, "ATD*99#", answerOf({}, "ERROR")},
        AnswerCase{"DialBadNumber", {}, "ATD555-1234;", answerOf({}, "ERROR")},
        AnswerCase{"DialEmpty", {}, "ATD;", answerOf({}, "ERROR")},
        AnswerCase{"DialWithoutNetwork", {"register none cs"}, "AT+CMEE=1;D5551234;", answerOf({}, "+CME ERROR: 30")},
        AnswerCase{"DialDuringACall", {"ring 5550000"}, "AT+CMEE=1;D5551234;", answerOf({}, "+CME ERROR: 3")},
        AnswerCase{"AnswerWithoutACall", {}, "AT+CMEE=1;A", answerOf({}, "+CME ERROR: 3")},
        AnswerCase{"AnswerARingingCall", {"ring 5550000"}, "ATA", answerOf({})},
        AnswerCase{"HangUp", {}, "ATH", answerOf({})},
        AnswerCase{"HangUpZero", {}, "ATH0", answerOf({})},
        AnswerCase{"HangUpOne", {}, "ATH1", answerOf({}, "ERROR")},
        AnswerCase{"UssdPresentationOff", {}, "AT+CUSD?", answerOf({"+CUSD: 0"})},
        AnswerCase{"UssdPresentationOn", {}, "AT+CUSD=1;+CUSD?", answerOf({"+CUSD: 1"})},
        AnswerCase{"UssdEmptyIsOff", {}, "AT+CUSD=1;+CUSD=;+CUSD?", answerOf({"+CUSD: 0"})},
        AnswerCase{"UssdTest", {}, "AT+CUSD=?", answerOf({"+CUSD: (0-2)"})},
        AnswerCase{"UssdRequestOk", {}, "AT+CUSD=1,\"*100#\",15", answerOf({})},
        AnswerCase{"UssdBadCode", {}, "AT+CMEE=1;+CUSD=1,\"*10a#\"", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"UssdCodeNotQuoted", {}, "AT+CMEE=1;+CUSD=1,*100#", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"UssdBadCodingScheme", {}, "AT+CMEE=1;+CUSD=1,\"*100#\",300", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"UssdWithoutNetwork", {"register none"}, "AT+CMEE=1;+CUSD=1,\"*100#\"",
                   answerOf({}, "+CME ERROR: 30")},
        AnswerCase{"UssdCancel", {}, "AT+CUSD=2", answerOf({})},
        AnswerCase{"UssdCancelTakesNoString", {}, "AT+CMEE=1;+CUSD=2,\"*100#\"", answerOf({}, "+CME ERROR: 50")},
        AnswerCase{"ImsiFromControl", {"imsi 302370123456789"}, "AT+CIMI", answerOf({"302370123456789"})}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

struct ReportCase {
    const char* name;
    const char* enable; // the command that switches the report on
    std::vector<std::string> control;
    std::vector<std::string> lines; // what then comes
    std::vector<std::string> always = {}; // what comes with the report off too
};

class NetworkReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(NetworkReports, AreSilentUntilSwitchedOnAndSentAfter)
{
    {
        NetworkSession card;
        for (const std::string& line : GetParam().control)
            card.control(line);
        EXPECT_EQ(card.take(), framed(GetParam().always)) << "not switched on";
    }
    NetworkSession card;
    ASSERT_EQ(card.send(std::string(GetParam().enable) + "\r"), "\r\nOK\r\n");
    for (const std::string& line : GetParam().control)
        card.control(line);
    EXPECT_EQ(card.take(), framed(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, NetworkReports,
    ::testing::Values(
        ReportCase{"CircuitState", "AT+CREG=1", {"register roaming cs"}, {"+CREG: 5"}},
        ReportCase{"CircuitStateWithCell", "AT+CREG=2", {"register roaming"}, {"+CREG: 5,\"2F1E\",\"5A03\""}},
        ReportCase{"CircuitNotRegisteredHasNoCell", "AT+CREG=2", {"register denied"}, {"+CREG: 3"}},
        ReportCase{"NewCellWithCells", "AT+CREG=2", {"cell 1A2B C3"}, {"+CREG: 1,\"1A2B\",\"00C3\""}},
        ReportCase{"NewCellWithoutCellsIsNoNews", "AT+CREG=1", {"cell 1A2B C3"}, {}},
        ReportCase{"PacketState", "AT+CGREG=1", {"register denied ps"}, {"+CGREG: 3"}},
        ReportCase{"PacketStateWithCell", "AT+CGREG=2", {"register roaming ps"}, {"+CGREG: 5,\"2F1E\",\"5A03\""}},
        ReportCase{"PacketNewCell", "AT+CGREG=2", {"cell FFFF FFFFFFF"}, {"+CGREG: 1,\"FFFF\",\"FFFFFFF\""}},
        ReportCase{"BothDomainsOneCommand", "AT+CREG=1;+CGREG=1", {"register searching"}, {"+CREG: 2", "+CGREG: 2"}},
        ReportCase{"SignalPair", "AT_TSQI=1", {"signal 12"}, {"_TSIGQ: 12,99"}},
        ReportCase{"WcdmaLevel", "AT_TEANT=1", {"signal 31"}, {"_TEANT: 5"}},
        ReportCase{"System", "AT_TSSYS=1", {"tech gprs"}, {"_TSSYSI: 0"}},
        ReportCase{"CellType2g", "AT_TCTI=1", {"tech edge"}, {"_TCTI: 3"}},
        ReportCase{"CellType3g", "AT_TUWCTI=1", {"tech umts"}, {"_TUWCTI: 1"}},
        ReportCase{"RadioSwitch", "AT_TWIND=1", {"radio-switch off"}, {"_TWSTAT: 1"}},
        ReportCase{"RadioSwitchBackOn", "AT_TWIND=1", {"radio-switch off", "radio-switch on"},
                   {"_TWSTAT: 1", "_TWSTAT: 0"}},
        ReportCase{"IdleText", "AT_TIDLETEXT=1", {"operator 00107 \"Other Net\" ON"}, {"_TIDLETEXT: 1,\"Other Net\""}},
        ReportCase{"AntennaPosition", "AT_TANTPOS=1", {"antenna out"}, {"_TANTPOSI: 1"}},
        ReportCase{"Temperature", "AT_TPATEMP=1", {"temperature 90"}, {"_TPATEMP: 2,90"}},
        ReportCase{"UssdFromTheNetwork", "AT+CUSD=1", {"ussd Welcome to Orvanta"},
                   {"+CUSD: 0,\"Welcome to Orvanta\",15"}},
        ReportCase{"CallerNumber", "AT+CLIP=1", {"ring +15551234"}, {"RING", "+CLIP: \"+15551234\",145"}, {"RING"}},
        ReportCase{"CallEndedFromTheFarSide", "AT+CLIP=1", {"ring 5551234", "hangup"},
                   {"RING", "+CLIP: \"5551234\",129", "NO CARRIER"}, {"RING", "NO CARRIER"}}),
    [](const ::testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

TEST(NetworkReports, RingComesWithoutAnyReportButTheNumberOnlyWithClip)
{
    NetworkSession card;
    card.state.call().timings().ringPeriod = 2s;
    card.control("ring +15551234");
    EXPECT_EQ(card.take(), "\r\nRING\r\n");
    card.alarms.advance(2s);
    EXPECT_EQ(card.take(), "\r\nRING\r\n") << "again while nobody answers";
    EXPECT_EQ(card.send("ATA\r"), "\r\nOK\r\n");
    card.alarms.advance(10s);
    EXPECT_EQ(card.take(), "");
    EXPECT_EQ(card.send("ATH\r"), "\r\nOK\r\n") << "the host's own hang-up brings no NO CARRIER";
}

TEST(NetworkReports, SwitchedOffAgainOrResetTheyFallSilent)
{
    NetworkSession card;
    card.send("AT+CREG=1;_TSQI=1\r");
    card.send("AT+CREG=0;_TSQI=0\r");
    card.control("register roaming");
    card.control("signal 3");
    EXPECT_EQ(card.take(), "");
    card.send("AT+CGREG=2;_TPATEMP=1\r");
    EXPECT_EQ(card.send("ATZ\r"), "\r\nOK\r\n");
    EXPECT_EQ(card.send("AT\r"), "AT\r\r\nOK\r\n") << "echo on again: the settings are reset";
    card.send("ATE0\r");
    card.control("register home");
    card.control("temperature 50");
    EXPECT_EQ(card.take(), "");
}

TEST(NetworkDialect, RadioOffAndOnDropsAndRestoresTheRegistrationWithItsReports)
{
    NetworkSession card;
    card.state.network().timings().registration = 1500ms;
    ASSERT_EQ(card.send("AT+CREG=1;+CGREG=2;_TIDLETEXT=1\r"), "\r\nOK\r\n");
    // The reports a command raises come after its final result.
    EXPECT_EQ(card.send("AT+CFUN=0\r"),
              framed({"OK", "+CREG: 0", "+CGREG: 0", "_TIDLETEXT: 0,\"Radio off\""}));
    EXPECT_EQ(card.send("AT+CREG?;+CGREG?;+COPS?\r"), answerOf({"+CREG: 1,0", "+CGREG: 2,0", "+COPS: 0"}));
    EXPECT_EQ(card.send("AT+CFUN=1\r"), framed({"OK", "+CREG: 2", "+CGREG: 2", "_TIDLETEXT: 0,\"Searching\""}));
    card.alarms.advance(1499ms);
    EXPECT_EQ(card.take(), "");
    card.alarms.advance(1ms);
    EXPECT_EQ(card.take(),
              framed({"+CREG: 1", "+CGREG: 1,\"2F1E\",\"5A03\"", "_TIDLETEXT: 1,\"Orvanta Test Net\""}));
    EXPECT_EQ(card.send("AT+CFUN=1\r"), "\r\nOK\r\n") << "on already: nothing changes";
}

TEST(NetworkDialect, ManualSelectionRegistersByTheOperatorsRowAndAutomaticReturns)
{
    NetworkSession card;
    ASSERT_EQ(card.send("AT+CREG=1\r"), "\r\nOK\r\n");
    EXPECT_EQ(card.send("AT+COPS=1,0,\"Orvanta Roaming Partner\"\r"), framed({"OK", "+CREG: 2"}));
    card.alarms.runAll();
    EXPECT_EQ(card.take(), framed({"+CREG: 5"}));
    EXPECT_EQ(card.send("AT+COPS=3,2;+COPS?\r"), answerOf({"+COPS: 1,2,\"00102\",4"}));
    EXPECT_EQ(card.send("AT+COPS=1,2,\"00102\"\r"), "\r\nOK\r\n") << "the same selection again: no new search";
    EXPECT_EQ(card.send("AT+COPS=0\r"), framed({"OK", "+CREG: 2"}));
    card.alarms.runAll();
    EXPECT_EQ(card.take(), framed({"+CREG: 1"}));
    EXPECT_EQ(card.send("AT+COPS?\r"), answerOf({"+COPS: 0,2,\"00101\",4"}));
}

TEST(NetworkDialect, SelectingTheVirtualHomePartnerIsRoamingOnAHomeSim)
{
    NetworkSession card;
    card.control("imsi 302370000000042");
    card.send("AT+COPS=1,2,\"302720\"\r");
    card.alarms.runAll();
    EXPECT_EQ(card.send("AT+CIMI;+CREG?;+COPS=3,2;+COPS?\r"),
              answerOf({"302370000000042", "+CREG: 0,5", "+COPS: 1,2,\"302720\",4"}));
}

const std::string kScanAnswer = "+COPS: (2,\"Orvanta Test Net\",\"OTN\",\"00101\",2),"
                                "(1,\"Orvanta Roaming Partner\",\"ORP\",\"00102\",2),"
                                "(1,\"Orvanta Partner North\",\"OPN\",\"302720\",2),,(0,1,2,3,4),(0,1,2)";

TEST(NetworkScan, AnswersAfterTheDelayAndHoldsWhatComesMeanwhile)
{
    NetworkSession card;
    card.state.network().timings().scan = 2s;
    EXPECT_EQ(card.send("AT+COPS=?\r"), "") << "nothing until the scan is over";
    EXPECT_TRUE(card.session.busy());
    EXPECT_EQ(card.send("AT+CGMM\r"), "") << "held while busy";
    card.alarms.advance(1999ms);
    EXPECT_EQ(card.take(), "");
    card.alarms.advance(1ms);
    EXPECT_EQ(card.take(), answerOf({kScanAnswer.c_str()}) + answerOf({"GX750"}));
    EXPECT_FALSE(card.session.busy());
}

TEST(NetworkScan, CommandsAfterTheScanOnItsLineWaitForIt)
{
    NetworkSession card;
    EXPECT_EQ(card.send("AT+CGMM;+COPS=?;+COPS=3,1;+COPS?\r"), "\r\nGX750\r\n") << "lines before it go at once";
    card.alarms.runAll();
    EXPECT_EQ(card.take(), answerOf({kScanAnswer.c_str(), "+COPS: 0,1,\"OTN\",4"}));
}

TEST(NetworkScan, TwoScansOnOneLineEachTakeTheirTime)
{
    NetworkSession card;
    card.state.network().timings().scan = 1s;
    card.control("operators clear");
    card.send("AT+COPS=?;+COPS=?\r");
    card.alarms.advance(1s);
    EXPECT_EQ(card.take(), framed({"+COPS: (2,\"Orvanta Test Net\",\"OTN\",\"00101\",2),,(0,1,2,3,4),(0,1,2)"}));
    card.alarms.advance(1s);
    EXPECT_EQ(card.take(), answerOf({"+COPS: (2,\"Orvanta Test Net\",\"OTN\",\"00101\",2),,(0,1,2,3,4),(0,1,2)"}));
}

TEST(NetworkScan, RadioSwitchedOffDuringTheScanFailsIt)
{
    NetworkSession card;
    card.send("AT+CMEE=1\r");
    card.send("AT+COPS=?\r");
    card.control("radio-switch off");
    card.alarms.runAll();
    EXPECT_EQ(card.take(), "\r\n+CME ERROR: 30\r\n");
}

TEST(NetworkScan, ListsAddedOperatorsWithTheSystemOfTheCell)
{
    NetworkSession card;
    card.control("operators clear");
    card.control("operators add 00103 \"Third Net\" TN home");
    card.control("tech edge");
    card.control("register searching");
    card.send("AT+COPS=?\r");
    card.alarms.runAll();
    EXPECT_EQ(card.take(), answerOf({"+COPS: (1,\"Orvanta Test Net\",\"OTN\",\"00101\",0),"
                                     "(1,\"Third Net\",\"TN\",\"00103\",0),,(0,1,2,3,4),(0,1,2)"}));
    card.send("AT+COPS=1,1,\"TN\"\r");
    card.alarms.runAll();
    EXPECT_EQ(card.send("AT+CREG?\r"), answerOf({"+CREG: 0,1"})) << "a home row registers at home";
}

TEST(NetworkScan, ForcedAnswerComesAtOnce)
{
    NetworkSession card;
    card.faults.set("AT+COPS=?", FinalResult::error(), 1);
    EXPECT_EQ(card.send("AT+COPS=?\r"), "\r\nERROR\r\n");
    EXPECT_FALSE(card.session.busy());
}

TEST(NetworkDialect, DialledCallConnectsWithConnectedLineAndEndsWithTheRadio)
{
    NetworkSession card;
    card.state.call().timings().connect = 700ms;
    ASSERT_EQ(card.send("AT+CLIP=1;+COLP=1;+CREG=1\r"), "\r\nOK\r\n");
    EXPECT_EQ(card.send("ATD+15557654;\r"), "\r\nOK\r\n");
    card.alarms.advance(700ms);
    EXPECT_EQ(card.take(), framed({"+COLP: \"+15557654\",145"}));
    EXPECT_EQ(card.send("AT+CFUN=0\r"), framed({"OK", "+CREG: 0", "NO CARRIER"}));
}

TEST(NetworkDialect, UssdRequestIsAnsweredLaterUnlessCancelled)
{
    NetworkSession card;
    card.state.ussd().replyDelay() = 300ms;
    EXPECT_EQ(card.send("AT+CUSD=1,\"*100#\",15\r"), "\r\nOK\r\n");
    card.alarms.advance(300ms);
    EXPECT_EQ(card.take(), framed({"+CUSD: 0,\"Balance: 12.50 EUR, valid until 31.12.\",15"}));
    card.send("AT+CUSD=1,\"*123#\"\r");
    card.alarms.runAll();
    EXPECT_EQ(card.take(), framed({"+CUSD: 4"})) << "a code the network does not offer";
    card.send("AT+CUSD=1,\"*101#\"\r");
    EXPECT_EQ(card.send("AT+CUSD=2\r"), "\r\nOK\r\n");
    card.alarms.runAll();
    EXPECT_EQ(card.take(), "");
    card.send("AT+CUSD=0,\"*101#\"\r");
    card.alarms.runAll();
    EXPECT_EQ(card.take(), "") << "asked with the report off, the answer is not shown";
}

TEST(NetworkDialect, HostsStartUpLinesAreAnswered)
{
    NetworkSession card;
    for (const char* line : {"AT_TPSYS=?", "AT_TSSYS=1", "AT_TSSYS?", "AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1",
                             "AT+CLIP=1;+COLP=1", "AT+COPS=5,0", "AT_TPATEMP=1;_TPATEMP?", "AT_TWIND=1;_TWIND?",
                             "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_TANTPOS=1", "AT_TANTPOS?", "AT+CREG=1",
                             "AT+CGREG=2", "AT_TCTI=1", "AT_TUWCTI=1", "AT_TCTI?", "AT_TUWCTI?", "AT_TWCTI?",
                             "AT+CGATT?", "AT+CSQ", "AT_TEANT", "AT_TSWLED?", "AT_TPBM?", "AT_TPBM=\"ANY\",1",
                             "AT+CFUN?", "AT_TPSYS?"}) {
        const std::string answer = card.send(std::string(line) + "\r");
        EXPECT_TRUE(answer.ends_with("\r\nOK\r\n")) << line << " -> " << answer;
    }
}

} // namespace
} // namespace Cardsim
