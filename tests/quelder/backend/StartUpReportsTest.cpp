// The full start-up of the generic platform against a scripted card of each kind that
// the backend tells apart: which reports it switches on, in which order, with which
// texts. The card answers OK to anything it has no answer for, so every command that a
// card kind is sent shows in the list.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/quelder/support/ScriptedCard.h"

#include "quelder/Quelder.h"
#include "quelder/platforms/StartUpReports.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::DeviceState;

std::string Answer(const std::string& line) { return "\r\n" + line + "\r\n\r\nOK\r\n"; }

struct StartUpCase {
    const char* name;
    std::uint32_t type;
    std::uint32_t dataInterfaceKind;
    const char* firmware;  // from 4.0.0 on the maker's cards report their cell type
    int voiceAnswer;       // what "_TDO?" and "_TPCMENABLE?" say
    std::vector<std::string> reports; // what follows "AT+CGMR", up to the PIN query

    friend void PrintTo(const StartUpCase& c, std::ostream* out) { *out << c.name; }
};

// What every kind is sent before and after its reports.
const std::vector<std::string> kProbe{"AT", "ATE0", "AT+CMEE=1", "AT+CGMR"};
const std::vector<std::string> kSimQuery{"AT+CPIN?"};

class StartUpReports : public DeviceFixture<::testing::TestWithParam<StartUpCase>> {
protected:
    static CardScript ScriptFor(const StartUpCase& c)
    {
        const std::string voice = std::to_string(c.voiceAnswer);
        CardScript script{{{"AT+CGMR", Answer(c.firmware)},
                           {"AT_TPSYS=?", Answer("_TPSYS: (0-2),(0-1)")},
                           {"AT_TSSYS?", Answer("_TSSYS: 2")},
                           {"AT_TDO?", Answer("_TDO: " + voice)},
                           {"AT_TPCMENABLE?", Answer("_TPCMENABLE: " + voice)},
                           {"AT+CIMI", Answer("302370123456789")},
                           {"AT_TWIND=1;_TWIND?", Answer("_TWIND: 1")},
                           {"AT_TANTPOS?", Answer("_TANTPOS: 1")},
                           {"AT_THSPACAT?", Answer("_THSPACAT: 8,6")},
                           // No PIN state: the start-up ends after asking for it.
                           {"AT+CPIN?", "\r\nERROR\r\n"}}};
        script.otherwise = "\r\nOK\r\n";
        return script;
    }

    std::unique_ptr<PtyCardLink> card;
};

TEST_P(StartUpReports, EachCardKindIsSentExactlyItsReportsInOrder)
{
    const StartUpCase& c = GetParam();
    card = std::make_unique<PtyCardLink>(ScriptFor(c));
    host.SetCard(NkCardStarted, c.type, NkCapApplicationPort, card->PortPath());
    {
        std::lock_guard lock(host.cardMutex);
        host.card.dataInterfaceKind = c.dataInterfaceKind;
    }
    device.UpdateCardState(NkReasonDeviceChange);
    ASSERT_EQ(device.Init(0), 1);
    ASSERT_EQ(device.State(), DeviceState::found);

    EXPECT_EQ(device.CurrentPlatform().QdInitializeDevice(1, 0, 0), 0);

    std::vector<std::string> expected = kProbe;
    expected.insert(expected.end(), c.reports.begin(), c.reports.end());
    expected.insert(expected.end(), kSimQuery.begin(), kSimQuery.end());
    EXPECT_EQ(card->card.Commands(), expected);
    EXPECT_FALSE(log.Contains("during initialization")); // the card took every report
}

// The maker's reports that open every start-up of its cards.
std::vector<std::string> Makers(std::vector<std::string> rest)
{
    std::vector<std::string> all{"AT_TPSYS=?", "AT_TSSYS=1", "AT_TSSYS?"};
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StartUpReports,
    ::testing::Values(
        StartUpCase{"MakersGpsMinicard", 0x1800, 2, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?",
                            "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"MakersCardWithoutCellTypeReports", 0x1800, 2, "3.9.0", 0,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_THSPACAT?"})},
        StartUpCase{"MakersVoiceCard", 0x1800, 2, "4.2.17", 1,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CLIP=1;+COLP=1",
                            "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"MakersCardBelowServingCellReports", 0x0A00, 2, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1",
                            "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"Gx610WithoutServingCellReports", 0x0D00, 2, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1",
                            "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"MakersNdisKindCard", 0x0B00, 3, "4.2.17", 0,
                    Makers({"AT+CFUN=1", "AT*MCSQ=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?",
                            "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"MakersModuleOfKindFour", 0x1300, 4, "4.2.17", 1,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TDO?", "AT+CLIP=1;+COLP=1",
                            "AT+CIMI", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"MakersModuleOfKindFive", 0x1400, 5, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TDO?", "AT+COPS=5,0",
                            "AT+CIMI", "AT_TPATEMP=1;_TPATEMP?", "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1", "AT_TIDLETEXT?",
                            "AT_THSPACAT?"})},
        StartUpCase{"SmartAntennaCard", 0x1C01, 2, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?",
                            "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_TANTPOS=1", "AT_TANTPOS?", "AT_THSPACAT?"})},
        StartUpCase{"LastCodeOfTheMakersDialect", 0x5FFF, 2, "4.2.17", 0,
                    Makers({"AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI", "AT_TWIND=1;_TWIND?",
                            "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?"})},
        StartUpCase{"OtherMakersModuleInTheMakersCodes", 0x6000, 2, "4.2.17", 1, {"AT+CIMI", "AT_TWIND=1;_TWIND?"}},
        StartUpCase{"OtherMakersNdisKindModule", 0x6100, 3, "4.2.17", 0,
                    {"AT+CFUN=1", "AT*MCSQ=1", "AT+CIMI", "AT_TWIND=1;_TWIND?"}},
        StartUpCase{"OtherMakersModuleOfKindFive", 0x7FFF, 5, "4.2.17", 1,
                    {"AT_TDO?", "AT+CLIP=1;+COLP=1", "AT+COPS=5,0", "AT+CIMI", "AT_TPATEMP=1;_TPATEMP?", "AT_TWIND=1;_TWIND?"}},
        StartUpCase{"HuaweiStick", 0x8800, 0, "11.608.12", 0, {"AT^CURC=1", "AT+CIMI", "AT_TWIND=1;_TWIND?"}},
        StartUpCase{"ZteStick", 0x8900, 2, "BD_MF110V1.0.0", 0, {"AT+CIMI", "AT_TWIND=1;_TWIND?"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The texts of the rows that apply to `card`, as the start-up asks them.
std::vector<std::string> ApplyingRows(std::span<const GSM::StartUpRow> rows, const NkCardInfo& card,
                                      const GSM::CardFeatures& features)
{
    std::vector<std::string> texts;
    GSM::ForEachApplying(rows, GSM::StartUpCard{card, features},
                         [&](const GSM::StartUpRow& row) { texts.emplace_back(row.text); });
    return texts;
}

// A module driven through the Mobile Broadband service never reaches the generic
// platform through detection today; its rows still say what it would be sent.
TEST(StartUpTable, ModuleOfKindFiveInMobileBroadbandModeLeavesItsTemperatureAlone)
{
    NkCardInfo card{};
    card.typeCode = 0x1400;
    card.dataInterfaceKind = 5;
    GSM::CardFeatures features;
    features.voice = true;
    EXPECT_EQ(ApplyingRows(GSM::StartUpReports(), card, features),
              (std::vector<std::string>{"AT+CLIP=1;+COLP=1", "AT+COPS=5,0", "AT+CIMI", "AT_TPATEMP=1;_TPATEMP?",
                                        "AT_TWIND=1;_TWIND?"}));
    card.capabilities = NkCapMobileBroadband;
    EXPECT_EQ(ApplyingRows(GSM::StartUpReports(), card, features),
              (std::vector<std::string>{"AT+CLIP=1;+COLP=1", "AT+COPS=5,0", "AT+CIMI", "AT_TWIND=1;_TWIND?"}));
}

} // namespace
} // namespace Orvanta::testing
