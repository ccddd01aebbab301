// Removal queries: only the watched port's, and not the fake one of a first insertion,
// let go of the device.

#include "tests/quelder/support/BackendLog.h"

#include "quelder/Names.h"
#include "quelder/SystemMsgHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace Orvanta::testing {
namespace {

struct QueryCase {
    const char* name;
    const char* watched;
    const char* queried;
    bool fake;
    bool exits;
};

class RemovalQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(RemovalQuery, OnlyARealRemovalOfTheWatchedPortExitsTheDevice)
{
    const QueryCase& c = GetParam();
    BackendLog log;
    std::atomic<int> exits{0};
    std::atomic<int> exitKind{-1};
    GSM::SystemMsgHandler handler([&](int kind) { ++exits, exitKind = kind; }, [&] { return c.fake; });
    ASSERT_EQ(handler.Start(), 0);
    handler.Watch(c.watched);
    ASSERT_TRUE(handler.QueryRemove(c.queried));
    handler.Stop(); // handles what was posted before it returns
    EXPECT_EQ(exits, c.exits ? 1 : 0);
    if (c.exits) {
        EXPECT_EQ(exitKind, 1);
    }
    EXPECT_EQ(log.Contains("Qd: Fake card removal request has arrived, ignoring it..."),
              c.fake && std::string(c.watched) == c.queried);
    EXPECT_FALSE(handler.QueryRemove(c.queried)); // stopped: nobody to answer
}

INSTANTIATE_TEST_SUITE_P(Queries, RemovalQuery,
                         ::testing::Values(QueryCase{"WatchedPort", "/dev/ttyUSB2", "/dev/ttyUSB2", false, true},
                                           QueryCase{"OtherPort", "/dev/ttyUSB2", "/dev/ttyUSB3", false, false},
                                           QueryCase{"FakeRemoval", "/dev/ttyUSB2", "/dev/ttyUSB2", true, false},
                                           QueryCase{"NothingWatched", "", "/dev/ttyUSB2", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Names, ValuesOutsideTheirListsAndCardTypesPrintAsSpecified)
{
    EXPECT_STREQ(GSM::DeviceStateName(3), "Initialized");
    EXPECT_STREQ(GSM::DeviceStateName(4), "<unknown DeviceState>");
    EXPECT_STREQ(GSM::NetworkStateName(-1), "<unknown NetworkState>");
    EXPECT_STREQ(GSM::PinPukStateName(16), "CorpPersPukRequired");
    EXPECT_STREQ(GSM::PinPukStateName(17), "<unknown PinPukState>");
    EXPECT_STREQ(GSM::AccessTechnologyName(2), "PacketSwitchedTechnologyUmts");
    EXPECT_EQ(GSM::CardTypeName(0), "None");
    EXPECT_EQ(GSM::CardTypeName(0x8401), "Gobi 2000");
    EXPECT_EQ(GSM::CardTypeName(0x8900), "ZTE MF110");
    EXPECT_EQ(GSM::CardTypeName(0x1800), "Roamex GX750");
    EXPECT_EQ(GSM::CardTypeName(0xABCD), "<unknown card 0xABCD>");
}

} // namespace
} // namespace Orvanta::testing
