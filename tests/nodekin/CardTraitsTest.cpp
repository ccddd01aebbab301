// The card facts that detection and the backend share: what each type code makes of a
// card, at the edges of every range, and conditions built from them.

#include "nodekin/CardTraits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace Nodekin {
namespace {

struct TypeCodeCase {
    const char* name;
    std::uint32_t code;
    bool makersCard;
    bool makersDialect;
    bool allChildrenActive;
    bool listsSubdevices;
    bool applicationPortByType;
    bool smartCardSubdevice;
    bool servingCell;

    friend void PrintTo(const TypeCodeCase& c, std::ostream* out) { *out << c.name; }
};

class TypeCodeTraits : public ::testing::TestWithParam<TypeCodeCase> {};

TEST_P(TypeCodeTraits, EachQuestionAnswersAsTheCodesRangeSays)
{
    const TypeCodeCase& c = GetParam();
    EXPECT_EQ(isMakersCard(c.code), c.makersCard);
    EXPECT_EQ(speaksMakersDialect(c.code), c.makersDialect);
    EXPECT_EQ(needsAllChildrenActive(c.code), c.allChildrenActive);
    EXPECT_EQ(listsSubdevices(c.code), c.listsSubdevices);
    EXPECT_EQ(offersApplicationPortByType(c.code), c.applicationPortByType);
    EXPECT_EQ(showsSmartCardSubdevice(c.code), c.smartCardSubdevice);
    EXPECT_EQ(reportsServingCell(c.code), c.servingCell);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Codes, TypeCodeTraits, ::testing::Values(
    //           name                       code    maker  dialect children lists  appPort smartCd serving
    TypeCodeCase{"NoCard",                  0x0000, false, false,  false,   false, true,   false,  false},
    TypeCodeCase{"SingleFunctionCard",      0x0600, true,  true,   false,   false, true,   false,  false},
    TypeCodeCase{"LastSingleFunctionCode",  0x07FF, true,  true,   false,   false, true,   false,  false},
    TypeCodeCase{"FirstStick",              0x0800, true,  true,   true,    false, true,   true,   false},
    TypeCodeCase{"FirstListedCode",         0x0801, true,  true,   true,    true,  false,  true,   false},
    TypeCodeCase{"EarlyNdisStick",          0x0900, true,  true,   true,    true,  true,   false,  false},
    TypeCodeCase{"LaterEarlyNdisStick",     0x0A00, true,  true,   true,    true,  true,   false,  false},
    TypeCodeCase{"FirstServingCellCode",    0x0B00, true,  true,   true,    true,  false,  true,   true},
    TypeCodeCase{"Gx610",                   0x0D00, true,  true,   true,    true,  false,  true,   false},
    TypeCodeCase{"Gx750",                   0x1800, true,  true,   true,    true,  false,  true,   true},
    TypeCodeCase{"SmartAntennaCard",        0x1C01, true,  true,   true,    true,  false,  true,   true},
    TypeCodeCase{"ZeroFootprintStick",      0x2000, true,  true,   true,    false, false,  true,   true},
    TypeCodeCase{"LastDialectCode",         0x5FFF, true,  true,   true,    true,  false,  true,   true},
    TypeCodeCase{"OtherMakersModule",       0x6000, true,  false,  true,    false, true,   true,   false},
    TypeCodeCase{"LastMakersCode",          0x7FFF, true,  false,  true,    false, true,   true,   false},
    TypeCodeCase{"FirstOtherVendorCode",    0x8000, false, false,  false,   false, true,   false,  false},
    TypeCodeCase{"Gobi1000",                0x8400, false, false,  true,    false, false,  false,  false},
    TypeCodeCase{"Gobi2000",                0x8401, false, false,  true,    false, false,  false,  false},
    TypeCodeCase{"HuaweiStick",             0x8800, false, false,  false,   false, true,   false,  false},
    TypeCodeCase{"GenericMobileBroadband",  0xFF00, false, false,  false,   false, true,   false,  false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct ModelCase {
    const char* name;
    std::uint32_t code;
    bool gobi, zeroFootprint, smartAntenna, huawei, zte;

    friend void PrintTo(const ModelCase& c, std::ostream* out) { *out << c.name; }
};

class ModelTraits : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelTraits, OnlyTheModelsOwnCodesAreIt)
{
    const ModelCase& c = GetParam();
    EXPECT_EQ(isGobi(c.code), c.gobi);
    EXPECT_EQ(isZeroFootprint(c.code), c.zeroFootprint);
    EXPECT_EQ(hasSmartAntenna(c.code), c.smartAntenna);
    EXPECT_EQ(isHuawei(c.code), c.huawei);
    EXPECT_EQ(isZte(c.code), c.zte);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Models, ModelTraits, ::testing::Values(
    ModelCase{"Gobi1000",       0x8400, true,  false, false, false, false},
    ModelCase{"Gobi2000",       0x8401, true,  false, false, false, false},
    ModelCase{"AfterGobi",      0x8402, false, false, false, false, false},
    ModelCase{"Z100",           0x2000, false, true,  false, false, false},
    ModelCase{"Z110",           0x2100, false, true,  false, false, false},
    ModelCase{"Z120",           0x2700, false, true,  false, false, false},
    ModelCase{"BetweenZ110Z120",0x2200, false, false, false, false, false},
    ModelCase{"A900",           0x1C01, false, false, true,  false, false},
    ModelCase{"A910",           0x1C02, false, false, true,  false, false},
    ModelCase{"BeforeA900",     0x1C00, false, false, false, false, false},
    ModelCase{"AfterA910",      0x1C03, false, false, false, false, false},
    ModelCase{"HuaweiE1752",    0x8800, false, false, false, true,  false},
    ModelCase{"ZteMf110",       0x8900, false, false, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Detection and the backend read the same codes: the backend's dialect lies inside the
// maker's cards, and every card whose subdevices detection lists speaks it.
TEST(TypeCodeRanges, DialectAndListingStayInsideTheMakersCards)
{
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        EXPECT_TRUE(!speaksMakersDialect(code) || isMakersCard(code)) << std::hex << code;
        EXPECT_TRUE(!listsSubdevices(code) || speaksMakersDialect(code)) << std::hex << code;
    }
}

NkCardInfo card(std::uint32_t type, std::uint32_t kind, std::uint32_t capabilities = 0)
{
    NkCardInfo info{};
    info.typeCode = type;
    info.dataInterfaceKind = kind;
    info.capabilities = capabilities;
    return info;
}

struct RecordCase {
    const char* name;
    NkCardInfo card;
    bool ndisKind, voiceByTdo, kindFive, mdmAndNet, mdmOnly, ndisDataInterface;

    friend void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }
};

class RecordTraits : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordTraits, KindAndCapabilitiesAnswerWithTheTypeCode)
{
    const RecordCase& c = GetParam();
    EXPECT_EQ(isNdisKind(c.card), c.ndisKind);
    EXPECT_EQ(tellsVoiceByTdo(c.card), c.voiceByTdo);
    EXPECT_EQ(isKindFiveModule(c.card), c.kindFive);
    EXPECT_EQ(listsMdmAndNetSubdevices(c.card), c.mdmAndNet);
    EXPECT_EQ(listsMdmSubdeviceOnly(c.card), c.mdmOnly);
    EXPECT_EQ(adapterIsNdisDataInterface(c.card), c.ndisDataInterface);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Records, RecordTraits, ::testing::Values(
    //         name                          card                                        ndis   tdo    five   mdmNet mdm    ndisData
    RecordCase{"Gx750Polling",               card(0x1800, 2, NkCapDataCallPolling),      false, false, false, true,  false, false},
    RecordCase{"Gx750WithoutPolling",        card(0x1800, 2),                            false, false, false, false, false, true},
    RecordCase{"H800Polling",                card(0x2301, 2, NkCapDataCallPolling),      false, false, false, false, true,  false},
    RecordCase{"NdisKindStick",              card(0x0A00, 3),                            true,  false, false, false, false, false},
    RecordCase{"FirstStickKindTwo",          card(0x0800, 2),                            false, false, false, false, false, false},
    RecordCase{"EarlyNdisStickKindTwo",      card(0x0900, 2),                            false, false, false, false, false, true},
    RecordCase{"ModuleOfKindFour",           card(0x1300, 4),                            false, true,  false, false, false, false},
    RecordCase{"ModuleOfKindFive",           card(0x1400, 5),                            false, true,  true,  false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(CardConditions, NamedPredicatesJoinAndLiftOntoASubjectCarryingTheCard)
{
    const CardCondition makers{speaksMakersDialect};
    const CardCondition ndis{isNdisKind};
    const CardCondition signalReports = makers && !ndis;
    EXPECT_TRUE(signalReports(card(0x1800, 2)));
    EXPECT_FALSE(signalReports(card(0x0B00, 3)));
    EXPECT_FALSE(signalReports(card(0x6000, 2)));
    EXPECT_TRUE((makers || ndis)(card(0x6100, 3)));
    EXPECT_FALSE((makers || ndis)(card(0x8800, 0)));

    struct Subject {
        const NkCardInfo& card;
        bool learnt;
    };
    const Condition<Subject> learnt{[](const Subject& s) { return s.learnt; }};
    const Condition<Subject> both = learnt && makers;
    const NkCardInfo own = card(0x1800, 2), foreign = card(0x8900, 2);
    EXPECT_TRUE(both(Subject{own, true}));
    EXPECT_FALSE(both(Subject{own, false}));
    EXPECT_FALSE(both(Subject{foreign, true}));
    EXPECT_TRUE(Condition<Subject>::always()(Subject{foreign, false}));
}

} // namespace
} // namespace Nodekin
