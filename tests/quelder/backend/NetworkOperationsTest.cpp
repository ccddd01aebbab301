// The generic platform's network services against a scripted card: the commands each
// operation sends for each card family, and what it makes of the answers.

#include "tests/quelder/backend/OperationCase.h"

#include "platform/SystemError.h"
#include "quelder/ModemStates.h"
#include "quelder/Quelder.h"
#include "quelder/platforms/NetworkAnswers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::Value;

constexpr QdResult kInvalid = qdSystemError(Os::kErrorInvalidParameter);

// The record of a network as a client reads it.
std::string NetworkText(const unsigned char* entry)
{
    int mccMnc = 0, state = 0, technology = 0;
    std::memcpy(&mccMnc, entry, 4);
    std::memcpy(&state, entry + 4, 4);
    std::memcpy(&technology, entry + 60, 4);
    const char* longName = reinterpret_cast<const char*>(entry + 8);
    const char* shortName = reinterpret_cast<const char*>(entry + 41);
    return std::to_string(mccMnc) + " " + std::to_string(state) + " " + longName + "/" + shortName + " " +
           std::to_string(technology);
}

class NetworkOperation : public CardOperation {};

TEST_P(NetworkOperation, SendsItsCommandsAndReadsTheAnswers) { RunsAsItsRowSays(GetParam()); }

const char* const kCopsList =
    "+COPS: (2,\"Test Network\",\"TestNet\",\"00101\",2),(3,\"Forbidden Net\",\"Forbid\",\"00102\",0),"
    "(1,\"A very long operator name beyond 32\",\"Shortish but too long\",\"310260\"),,(0,1,2,3,4),(0,1,2)";

// Voice needs the card to say it carries it.
Outcome WithVoice(GSM::Platform& p, const std::function<QdResult()>& call)
{
    const QdResult voice = p.QdInitializeVoice();
    return {Code(voice), Code(call())};
}

INSTANTIATE_TEST_SUITE_P(
    Operations, NetworkOperation,
    ::testing::Values(
        OperationCase{"InitializeNetworkOfTheMakersCard", kGx750,
                      {OkTo("AT+CREG=1"), OkTo("AT+CGREG=2"), OkTo("AT_TCTI=1"), Ask("AT+CREG?", {"+CREG: 1,1"}),
                       Ask("AT+CGREG?", {"+CGREG: 2,1,\"1A2B\",\"00C3\""}), Ask("AT_TCTI?", {"_TCTI: 1,2"}),
                       Ask("AT_TPSYS=?", {"_TPSYS: (0-3),(0-2)"})},
                      CodeOf([](GSM::Platform& p) { return p.QdInitializeNetwork(); }),
                      {kDone},
                      {"AT+CREG=1", "AT+CGREG=2", "AT_TCTI=1", "AT+CREG?", "AT+CGREG?", "AT_TCTI?", "AT_TPSYS=?"}},
        OperationCase{"RegistrationEventsOfAZteCard", kZte,
                      {OkTo("AT+CREG=1"), OkTo("AT+CGREG=2"), Ask("AT+CREG?", {"+CREG: 1,0"}), Ask("AT+CGREG?", {"+CGREG: 2,0"})},
                      CodeOf([](GSM::Platform& p) { return p.QdEnableRegistrationEvents(); }),
                      {kDone},
                      {"AT+CREG=1", "AT+CGREG=2", "AT+CREG?", "AT+CGREG?"}},
        OperationCase{"RegistrationEventsFailingGoOnAndTellTheFirstFailure", kZte,
                      {OkTo("AT+CGREG=2"), Ask("AT+CREG?", {"+CREG: 1,0"}), Ask("AT+CGREG?", {"+CGREG: 2,0"})},
                      CodeOf([](GSM::Platform& p) { return p.QdEnableRegistrationEvents(); }),
                      {Code(kQdModemError)},
                      {"AT+CREG=1", "AT+CGREG=2", "AT+CREG?", "AT+CGREG?"}},
        OperationCase{"IndicatorsOfASmartAntennaCard", kSmartAntenna,
                      {OkTo("AT_TANTPOS=1"), Ask("AT_TANTPOS?", {"_TANTPOS: 1"}), Ask("AT_TWIND=1;_TWIND?", {"_TWIND: 1"})},
                      [](GSM::Platform& p, GSM::Device& d) {
                          const QdResult rc = p.QdInitializeIndicators();
                          return Outcome{Code(rc), std::to_string(d.Get(Value::antennaPulledOut)),
                                         std::to_string(d.Get(Value::hwRadioSwitch))};
                      },
                      {kDone, "1", std::to_string(GSM::kSwitchOn)},
                      {"AT_TANTPOS=1", "AT_TANTPOS?", "AT_TWIND=1;_TWIND?"}},
        OperationCase{"SetConfigurationValue", kGx750, {OkTo("AT_TCFGF=7,1")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetConfigurationValue(7, 1); }), {kDone}, {"AT_TCFGF=7,1"}},
        OperationCase{"GetConfigurationValueItemFirst", kGx750, {Ask("AT_TCFGF=7", {"_TCFGF: 7,1"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetConfigurationValue(7, v); }), {kDone, "1"},
                      {"AT_TCFGF=7"}},
        OperationCase{"GetConfigurationValueAlone", kGx750, {Ask("AT_TCFGF=3", {"_TCFGF: 0"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetConfigurationValue(3, v); }), {kDone, "0"},
                      {"AT_TCFGF=3"}},
        OperationCase{"GetLedState", kGx750, {Ask("AT_TSWLED?", {"_TSWLED: 1"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetLedState(v); }), {kDone, "1"}, {"AT_TSWLED?"}},
        OperationCase{"SetLedState", kGx750, {OkTo("AT_TSWLED=0")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetLedState(0); }), {kDone}, {"AT_TSWLED=0"}},
        OperationCase{"SignalQuality", kGx750, {Ask("AT+CSQ", {"+CSQ: 18,99"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          int strength = -1, quality = -1;
                          const QdResult rc = p.QdGetSignalQuality(&strength, &quality);
                          return Outcome{Code(rc), std::to_string(strength), std::to_string(quality)};
                      },
                      {kDone, "18", "99"}, {"AT+CSQ"}},
        OperationCase{"PsAttachState", kGx750, {Ask("AT+CGATT?", {"+CGATT: 1"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetPsAttachState(v); }), {kDone, "1"},
                      {"AT+CGATT?"}},
        OperationCase{"NetworkId", kGx750, {Ask("AT+COPS=3,2;+COPS?", {"+COPS: 0,2,\"302720\",2"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetNetworkId(t, n); }),
                      {kDone, "302720"}, {"AT+COPS=3,2;+COPS?"}},
        OperationCase{"NetworkIdWhileNotRegistered", kGx750, {Ask("AT+COPS=3,2;+COPS?", {"+COPS: 0"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetNetworkId(t, n); }),
                      {Code(kQdNotAvailable), ""}, {"AT+COPS=3,2;+COPS?"}},
        OperationCase{"NetworkSelectionMode", kGx750, {Ask("AT+COPS?", {"+COPS: 1,2,\"00101\",2"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetNetworkSelectionMode(v); }), {kDone, "1"},
                      {"AT+COPS?"}},
        OperationCase{"SelectAutomatically", kGx750, {OkTo("AT+COPS=0")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(0, "0", 0); }), {kDone},
                      {"AT+COPS=0"}},
        OperationCase{"SelectManuallyOn3g", kGx750, {OkTo("AT+COPS=1,2,\"00101\",2")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(1, "00101", 2); }), {kDone},
                      {"AT+COPS=1,2,\"00101\",2"}},
        OperationCase{"SelectManuallyThenAutomaticallyOn2g", kGx750, {OkTo("AT+COPS=4,2,\"310260\",0")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(4, "310260", 1); }), {kDone},
                      {"AT+COPS=4,2,\"310260\",0"}},
        OperationCase{"SelectManuallyAnyTechnology", kGx750, {OkTo("AT+COPS=1,2,\"00101\"")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(1, "00101", 0); }), {kDone},
                      {"AT+COPS=1,2,\"00101\""}},
        OperationCase{"SelectionModeTheClientDoesNotKnow", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(99, "00101", 2); }),
                      {Code(kInvalid)}, {}},
        OperationCase{"SelectionOfACodeThatWouldEndTheCommand", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetNetworkSelectionMode(1, "001\";+CFUN=0", 2); }),
                      {Code(kInvalid)}, {}},
        OperationCase{"ScanNetworks", kGx750, {Ask("AT+COPS=?", {kCopsList})},
                      [](GSM::Platform& p, GSM::Device&) {
                          void* list = nullptr;
                          int count = -1;
                          Outcome outcome{Code(p.QdScanNetworks(&list, &count)), std::to_string(count)};
                          for (int i = 0; i < count; ++i)
                              outcome.push_back(NetworkText(static_cast<unsigned char*>(list) + i * 64));
                          QdFreeMemory(list);
                          return outcome;
                      },
                      {kDone, "3", "101 2 Test Network/TestNet 2", "102 3 Forbidden Net/Forbid 1",
                       "310260 1 A very long operator name beyond/Shortish but too l 0"},
                      {"AT+COPS=?"}},
        OperationCase{"ScanFindingNothing", kGx750, {Ask("AT+COPS=?", {"+COPS: ,,(0,1,2,3,4),(0,1,2)"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          void* list = &list;
                          int count = -1;
                          const QdResult rc = p.QdScanNetworks(&list, &count);
                          return Outcome{Code(rc), std::to_string(count), list == nullptr ? "no list" : "list"};
                      },
                      {kDone, "0", "no list"}, {"AT+COPS=?"}},
        OperationCase{"ScanCutShort", kGx750, {Ask("AT+COPS=?", {"+COPS: (2,\"Test Network\",\"Test"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          void* list = nullptr;
                          int count = -1;
                          return Outcome{Code(p.QdScanNetworks(&list, &count)), std::to_string(count)};
                      },
                      {Code(kQdNotAvailable), "0"}, {"AT+COPS=?"}},
        OperationCase{"NetworkInformation", kGx750,
                      {Ask("AT+COPS=3,0;+COPS?", {"+COPS: 0,0,\"Test Network\",2"}),
                       Ask("AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?", {"+COPS: 0,1,\"TestNet\",2", "+COPS: 0,2,\"00101\",2"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          std::array<unsigned char, 64> record{};
                          const QdResult rc = p.QdGetNetworkInformation(record.data());
                          return Outcome{Code(rc), NetworkText(record.data())};
                      },
                      {kDone, "101 2 Test Network/TestNet 2"}, {"AT+COPS=3,0;+COPS?", "AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?"}},
        OperationCase{"NetworkInformationWhileNotRegistered", kGx750,
                      {Ask("AT+COPS=3,0;+COPS?", {"+COPS: 0"}),
                       Ask("AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?", {"+COPS: 0", "+COPS: 0"})},
                      [](GSM::Platform& p, GSM::Device&) {
                          std::array<unsigned char, 64> record{};
                          const QdResult rc = p.QdGetNetworkInformation(record.data());
                          return Outcome{Code(rc), NetworkText(record.data())};
                      },
                      {kDone, "0 0 / 0"}, {"AT+COPS=3,0;+COPS?", "AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?"}},
        OperationCase{"ServingNetwork", kGx750,
                      {Ask("AT_TEANT", {"_TEANT: 42"}), Ask("AT+COPS=3,0;+COPS?", {"+COPS: 0,0,\"Test Network\",2"})},
                      [](GSM::Platform& p, GSM::Device& d) {
                          d.Set(Value::psNetworkState, GSM::kRegistered, true);
                          std::array<char, 64> text{};
                          const QdResult rc = p.QdGetServingNetwork(text.data(), text.size());
                          return Outcome{Code(rc), text.data()};
                      },
                      {kDone, "42,\"Test Network\""}, {"AT_TEANT", "AT+COPS=3,0;+COPS?"}},
        OperationCase{"ServingNetworkOfACardWithoutItsReport", kZte,
                      {Ask("AT+COPS=3,0;+COPS?", {"+COPS: 0,0,\"Test Network\",2"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetServingNetwork(t, n); }),
                      {kDone, "0,\"Test Network\""}, {"AT+COPS=3,0;+COPS?"}},
        OperationCase{"TechnologySelectionOfTheMakersCard", kGx750, {Ask("AT_TPSYS?", {"_TPSYS: 3,0"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetTechnologySelectionMode(v); }), {kDone, "3"},
                      {"AT_TPSYS?"}},
        OperationCase{"TechnologySelectionOfAZteCard", kZte, {Ask("AT+ZSNT?", {"+ZSNT: 0,0,2"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetTechnologySelectionMode(v); }), {kDone, "2"},
                      {"AT+ZSNT?"}},
        OperationCase{"TechnologySelectionOfAHuaweiCard", kHuawei, {Ask("AT^SYSCFG?", {"^SYSCFG: 13,1,3FFFFFFF,1,2"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetTechnologySelectionMode(v); }), {kDone, "0"},
                      {"AT^SYSCFG?"}},
        OperationCase{"TechnologySelectionOfAnotherMaker", kOtherMaker, {},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetTechnologySelectionMode(v); }),
                      {Code(kQdNotSupported), "-1"}, {}},
        OperationCase{"SelectTechnologyOnTheMakersCard", kGx750,
                      {OkTo("AT+CREG=1"), OkTo("AT+CGREG=2"), OkTo("AT_TCTI=1"), OkTo("AT+CREG?"), OkTo("AT+CGREG?"),
                       OkTo("AT_TCTI?"), Ask("AT_TPSYS=?", {"_TPSYS: (0-3),(0-2)"}), OkTo("AT_TPSYS=1")},
                      [](GSM::Platform& p, GSM::Device&) {
                          const QdResult network = p.QdInitializeNetwork();
                          return Outcome{Code(network), Code(p.QdSetTechnologySelectionMode(1))};
                      },
                      {kDone, kDone},
                      {"AT+CREG=1", "AT+CGREG=2", "AT_TCTI=1", "AT+CREG?", "AT+CGREG?", "AT_TCTI?", "AT_TPSYS=?",
                       "AT_TPSYS=1"}},
        OperationCase{"SelectTechnologyOnAMakersCardThatCannot", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetTechnologySelectionMode(1); }),
                      {Code(kQdNotSupported)}, {}},
        OperationCase{"SelectTechnologyOnAZteCard", kZte, {OkTo("AT+ZSNT=1,0,0")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetTechnologySelectionMode(0); }), {kDone},
                      {"AT+ZSNT=1,0,0"}},
        OperationCase{"SelectTechnologyOnAHuaweiCard", kHuawei, {OkTo("AT^SYSCFG=14,2,3FFFFFFF,2,4")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetTechnologySelectionMode(1); }), {kDone},
                      {"AT^SYSCFG=14,2,3FFFFFFF,2,4"}},
        OperationCase{"SelectUnknownTechnology", kZte, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetTechnologySelectionMode(7); }), {Code(kInvalid)}, {}},
        OperationCase{"ResetBands", kGx750, {OkTo("AT_TPBM=\"ANY\",1")},
                      CodeOf([](GSM::Platform& p) { return p.QdResetBandStates(); }), {kDone}, {"AT_TPBM=\"ANY\",1"}},
        OperationCase{"SetBands", kGx750,
                      {Ask("AT_TPBM?", {"_TPBM: \"GSM900\",1", "_TPBM: \"GSM1800\",1", "_TPBM: \"WCDMA2100\",0"}),
                       OkTo("AT_TPBM=\"GSM900\",1"), OkTo("AT_TPBM=\"GSM1800\",0"), OkTo("AT_TPBM=\"WCDMA2100\",1")},
                      CodeOf([](GSM::Platform& p) { return p.QdSetBandStates("GSM900,WCDMA2100"); }), {kDone},
                      {"AT_TPBM?", "AT_TPBM=\"GSM900\",1", "AT_TPBM=\"GSM1800\",0", "AT_TPBM=\"WCDMA2100\",1"}},
        OperationCase{"SetBandsTheCardDoesNotOffer", kGx750, {Ask("AT_TPBM?", {"_TPBM: \"GSM900\",1"})},
                      CodeOf([](GSM::Platform& p) { return p.QdSetBandStates("GSM900\",0;+CFUN=0;\""); }),
                      {Code(kInvalid)}, {"AT_TPBM?"}},
        OperationCase{"BandList", kGx750,
                      {Ask("AT_TPBM?", {"_TPBM: \"GSM900\",1", "_TPBM: \"GSM1800\",0", "_TPBM: \"WCDMA2100\",1"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetBandList(t, n); }),
                      {kDone, "GSM900,GSM1800,WCDMA2100"}, {"AT_TPBM?"}},
        OperationCase{"BandStates", kGx750,
                      {Ask("AT_TPBM?", {"_TPBM: \"GSM900\",1", "_TPBM: \"GSM1800\",0", "_TPBM: \"WCDMA2100\",1"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetBandStates(t, n); }),
                      {kDone, "GSM900,WCDMA2100"}, {"AT_TPBM?"}},
        OperationCase{"BandOptionIsNotCarried", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdSetBandOption(1, 2); }), {Code(kQdNotSupported)}, {}},
        OperationCase{"CellTypesOfAZteCard", kZte, {Ask("AT+ZPAS?", {"+ZPAS: \"HSDPA\",\"CS_PS\""})},
                      [](GSM::Platform& p, GSM::Device&) {
                          int type2g = -1, type3g = -1;
                          const QdResult rc = p.QueryCellTypes(&type2g, &type3g);
                          return Outcome{Code(rc), std::to_string(type2g), std::to_string(type3g)};
                      },
                      {kDone, "0", "2"}, {"AT+ZPAS?"}},
        OperationCase{"WcdmaCellType", kGx750, {Ask("AT_TWCTI?", {"_TWCTI: 2"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QueryWcdmaCellType(v); }), {kDone, "2"},
                      {"AT_TWCTI?"}},
        OperationCase{"DialAVoiceCall", kGx750, {Ask("AT_TDO?", {"_TDO: 1"}), OkTo("ATD+15551230000;")},
                      [](GSM::Platform& p, GSM::Device& d) {
                          Outcome outcome = WithVoice(p, [&] { return p.QdDial("+15551230000"); });
                          outcome.push_back(std::to_string(d.Get(Value::voiceState)));
                          return outcome;
                      },
                      {kDone, kDone, std::to_string(GSM::kVoiceDialing)}, {"AT_TDO?", "ATD+15551230000;"}},
        OperationCase{"DialRefusedByTheCard", kGx750, {Ask("AT_TDO?", {"_TDO: 1"})},
                      [](GSM::Platform& p, GSM::Device& d) {
                          d.Set(Value::voiceState, GSM::kVoiceDisconnected, true);
                          Outcome outcome = WithVoice(p, [&] { return p.QdDial("112"); });
                          outcome.push_back(std::to_string(d.Get(Value::voiceState)));
                          return outcome;
                      },
                      {kDone, Code(kQdModemError), std::to_string(GSM::kVoiceDisconnected)}, {"AT_TDO?", "ATD112;"}},
        OperationCase{"DialANumberThatWouldEndTheCommand", kGx750, {Ask("AT_TDO?", {"_TDO: 1"})},
                      [](GSM::Platform& p, GSM::Device&) { return WithVoice(p, [&] { return p.QdDial("123;H"); }); },
                      {kDone, Code(kInvalid)}, {"AT_TDO?"}},
        OperationCase{"DialOnADataCard", kGx750, {},
                      CodeOf([](GSM::Platform& p) { return p.QdDial("112"); }), {Code(kQdNotSupported)}, {}},
        OperationCase{"AnswerARingingCall", kGx750, {Ask("AT_TDO?", {"_TDO: 1"}), OkTo("ATA")},
                      [](GSM::Platform& p, GSM::Device& d) {
                          d.Set(Value::voiceState, GSM::kVoiceRinging, true);
                          Outcome outcome = WithVoice(p, [&] { return p.QdAnswerCall(); });
                          outcome.push_back(std::to_string(d.Get(Value::voiceState)));
                          return outcome;
                      },
                      {kDone, kDone, std::to_string(GSM::kVoiceConnected)}, {"AT_TDO?", "ATA"}},
        OperationCase{"HangUp", kGx750, {OkTo("ATH")},
                      [](GSM::Platform& p, GSM::Device& d) {
                          d.Set(Value::voiceState, GSM::kVoiceConnected, true);
                          const QdResult rc = p.QdHangUp();
                          return Outcome{Code(rc), std::to_string(d.Get(Value::voiceState))};
                      },
                      {kDone, std::to_string(GSM::kVoiceDisconnected)}, {"ATH"}},
        OperationCase{"SendUssd", kGx750, {OkTo("AT+CUSD=1,\"*100#\",15")},
                      CodeOf([](GSM::Platform& p) { return p.QdSendUssdCommand("*100#"); }), {kDone},
                      {"AT+CUSD=1,\"*100#\",15"}},
        OperationCase{"SendUssdLosesWhatWouldEndItsText", kGx750, {OkTo("AT+CUSD=1,\"*100#;+CFUN=0\",15")},
                      CodeOf([](GSM::Platform& p) { return p.QdSendUssdCommand("*100#\";+CFUN=0"); }), {kDone},
                      {"AT+CUSD=1,\"*100#;+CFUN=0\",15"}},
        OperationCase{"CancelUssd", kGx750, {OkTo("AT+CUSD=2")},
                      CodeOf([](GSM::Platform& p) { return p.QdCancelUssdCommand(); }), {kDone}, {"AT+CUSD=2"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every operation refuses a card that is only found, before it sends anything.
TEST_P(NetworkOperation, NeedsAnInitialisedCard) { NeedsAnInitialisedCard(GetParam()); }

// --- the answers on their own ----------------------------------------------------------------

TEST(NetworkAnswers, TechnologyOfTheOperatorsAccessTechnology)
{
    const int expected[] = {1, 1, 2, 1, 2, 2, 2, 0, 0};
    for (int act = 0; act <= 8; ++act)
        EXPECT_EQ(GSM::NetworkTechnologyOf(act), expected[act]) << act;
    EXPECT_EQ(GSM::NetworkTechnologyOf(std::nullopt), 0);
}

TEST(NetworkAnswers, ZteCellNames)
{
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {" \"GPRS\",\"CS_PS\"", {2, 0}}, {" \"EDGE\",\"PS_ONLY\"", {3, 0}}, {" \"UMTS\",\"CS_PS\"", {0, 1}},
        {" \"HSUPA\",\"CS_PS\"", {0, 3}}, {" \"No Service\"", {0, 0}},      {" GSM", {0, 0}},
        {" HSDPA", {0, 2}},                {"", {0, 0}},
    };
    for (const auto& [answer, types] : cases) {
        const GSM::CellTypes cell = GSM::CellTypesOfZpas(answer);
        EXPECT_EQ(std::make_pair(cell.type2g, cell.type3g), types) << answer;
    }
}

TEST(NetworkAnswers, NamesThatDoNotFitAreCutAtACharacter)
{
    GSM::NetworkEntry entry;
    entry.longName = std::string(31, 'x') + "\xC3\xA9"; // 33 bytes: the last character does not fit
    entry.shortName = "short";
    std::array<unsigned char, 64> record{};
    GSM::WriteNetworkEntry(entry, record.data());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 8)), std::string(31, 'x'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 41)), "short");
}

} // namespace
} // namespace Orvanta::testing
