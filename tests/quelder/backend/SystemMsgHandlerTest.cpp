// Removal queries: only the watched port's, and not the fake one of a first insertion,
// let go of the device.

#include "tests/platform/PlatformTestSupport.h"
#include "tests/quelder/support/BackendLog.h"

#include "platform/SimDeviceTree.h"
#include "quelder/Names.h"
#include "quelder/SystemMsgHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
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

// A card with three ports, as the virtual card describes one; its ports are character
// devices that exist everywhere.
std::string CardWithPorts(const std::vector<std::string>& ports)
{
    std::string text = R"({"devices": [{"instanceId": "USB\\VID_1C2A&PID_7501\\SN1", "class": "USB"})";
    int interface = 1;
    for (const std::string& port : ports) {
        const std::string id = R"(USB\\VID_1C2A&PID_7501&MI_0)" + std::to_string(interface++) + R"(\\SN1&0001)";
        text += R"(, {"instanceId": ")" + id + R"(", "parent": "USB\\VID_1C2A&PID_7501\\SN1", "class": "Ports",)" +
                R"( "friendlyName": "Port", "portName": ")" + port + R"("})";
    }
    return text + "]}";
}

// Linux tells of a pulled card only once its ports are gone: the device tree's removal
// of any port the backend holds is the removal query.
TEST(RemovalFromTheDeviceTree, OnlyAWatchedPortThatGoesLetsGoOfTheDeviceAndOnlyOnce)
{
    BackendLog log;
    TestFolder folder;
    folder.writeAtomically("card.json", CardWithPorts({"null", "zero", "full"}));
    auto tree = Os::SimDeviceTree::open(folder.path());
    ASSERT_TRUE(tree.ok()) << tree.error();
    std::atomic<int> exits{0};
    GSM::SystemMsgHandler handler([&](int) { ++exits; }, [] { return false; });
    ASSERT_EQ(handler.Start(std::move(tree).value()), 0);
    handler.Watch("/dev/zero");
    handler.Watch("/dev/full");
    handler.Unwatch("/dev/zero"); // closed again

    folder.writeAtomically("card.json", CardWithPorts({"full"})); // null and zero go
    folder.writeAtomically("card.json", CardWithPorts({}));       // and then full
    ASSERT_TRUE(waitUntil([&] { return exits.load() > 0; }));
    handler.Stop();
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(log.Contains("Qd: Card removal request has arrived, stopping..."));
}

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
