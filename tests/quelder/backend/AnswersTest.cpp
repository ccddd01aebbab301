// What the start-up and identity operations make of the card's answers.

#include "quelder/QdResult.h"
#include "quelder/platforms/Answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace Orvanta::testing {
namespace {

using GSM::FirmwareVersion;

struct FirmwareCase {
    const char* text;
    std::optional<FirmwareVersion> expected;
};

TEST(Answers, FirmwareVersionIsTheFirstThreeNumbers)
{
    const FirmwareCase cases[] = {
        {"4.2.17", FirmwareVersion{4, 2, 17}},
        {"4.2.17 [Jun 30 2009 10:00:00]", FirmwareVersion{4, 2, 17}},
        {"10.0.1.5", FirmwareVersion{10, 0, 1}},
        {"4.2", std::nullopt},
        {"R4.2.17", std::nullopt},
        {"4..17", std::nullopt},
        {"4.-2.17", std::nullopt},
        {"99999999999.1.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const FirmwareCase& c : cases)
        EXPECT_EQ(GSM::FirmwareVersionOf(c.text), c.expected) << c.text;
    EXPECT_LT((FirmwareVersion{3, 9, 99}), (FirmwareVersion{4, 0, 0}));
}

TEST(Answers, PinAnswersMapToTheirStates)
{
    EXPECT_EQ(GSM::PinPukStateOf("READY"), 1);
    EXPECT_EQ(GSM::PinPukStateOf("SIM PIN"), 2);
    EXPECT_EQ(GSM::PinPukStateOf("SIM PUK"), 3);
    EXPECT_EQ(GSM::PinPukStateOf("PH-CORP PUK"), 16);
    EXPECT_EQ(GSM::PinPukStateOf("READY "), 0);
    EXPECT_EQ(GSM::PinPukStateOf(""), 0);
}

TEST(Answers, IccidDigitsAreSwappedBackAndTheFillerDropped)
{
    EXPECT_EQ(GSM::IccidOf("144,0,\"98101430121181157002\""), "89014103211118510720");
    EXPECT_EQ(GSM::IccidOf("144,0,\"9810143012118115700F\""), "8901410321111851070");
    // The SIM refused the read, or sent what no ICCID holds.
    for (const char* answer : {"148,4,\"\"", "144,0,\"98A0\"", "144,0", "x"}) {
        try {
            GSM::IccidOf(answer);
            ADD_FAILURE() << answer;
        } catch (const GSM::ResultError& error) {
            EXPECT_LT(error.code(), 0) << answer;
        }
    }
}

TEST(Answers, OwnNumberAndHsxpaRates)
{
    EXPECT_EQ(GSM::OwnNumberOf("\"Voice\",\"+15551230000\",145"), "+15551230000");
    EXPECT_EQ(GSM::OwnNumberOf("\"\",\"0123\",129"), "0123");
    const GSM::HsxpaRates rates = GSM::HsxpaRatesOf("8,6");
    EXPECT_EQ(rates.download, 7200000);
    EXPECT_EQ(rates.upload, 5760000);
    const GSM::HsxpaRates unknown = GSM::HsxpaRatesOf("99,-1");
    EXPECT_EQ(unknown.download, 0);
    EXPECT_EQ(unknown.upload, 0);
}

TEST(Answers, PinPukCountersAreTheFirstTwoNumbers)
{
    const std::pair<const char*, std::pair<int, int>> counted[] = {
        {"3,10,3,10", {3, 10}}, {"0,10,3,10", {0, 10}}, {"2,9", {2, 9}}, {" 1 , 0", {1, 0}}};
    for (const auto& [answer, expected] : counted) {
        const GSM::PinPukCounters counters = GSM::PinPukCountersOf(answer);
        EXPECT_EQ(std::make_pair(counters.pin, counters.puk), expected) << answer;
    }
    for (const char* answer : {"3", "3,", "-1,10", "3,-10", "3,10x", "SIM PIN", ""}) {
        try {
            GSM::PinPukCountersOf(answer);
            ADD_FAILURE() << answer;
        } catch (const GSM::ResultError& error) {
            EXPECT_EQ(error.code(), kQdNotAvailable) << answer;
        }
    }
}

} // namespace
} // namespace Orvanta::testing
