#include "platform/SimDeviceTree.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

const std::string kCardId = "USB\\VID_1519&PID_0020\\SN0001";
const std::string kModemId = "USB\\VID_1519&PID_0020&MI_00\\SN0001&0000";
const std::string kGpsId = "USB\\VID_1519&PID_0020&MI_03\\SN0001&0003";
const std::string kNetId = "USB\\VID_1519&PID_0020&MI_05\\SN0001&0005";

std::string jsonText(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + out + "\"";
}

// A card with a modem, a GPS data port and a network adapter; `gpsPort` below /dev.
std::string cardDescription(const std::string& gpsPort, const std::string& netStatus = "")
{
    return R"({"devices": [
      {"instanceId": )" + jsonText(kCardId) + R"(, "class": "USB", "friendlyName": "Roamex HSPA Card",
       "hardwareIds": ["USB\\VID_1519&PID_0020&REV_0100", "USB\\VID_1519&PID_0020"]},
      {"instanceId": )" + jsonText(kModemId) + R"(, "parent": )" + jsonText(kCardId) + R"(, "class": "Modem",
       "friendlyName": "Roamex Modem Interface", "portName": "null"},
      {"instanceId": )" + jsonText(kGpsId) + R"(, "parent": )" + jsonText(kCardId) + R"(, "class": "Ports",
       "friendlyName": "Roamex GPS Data Interface", "portName": )" + jsonText(gpsPort) + R"(},
      {"instanceId": )" + jsonText(kNetId) + R"(, "parent": )" + jsonText(kCardId) + R"(, "class": "Net",
       "friendlyName": "Roamex Network Interface", "netCfgInstanceId": "wwan0")" + netStatus + R"(}
    ]})";
}

std::unique_ptr<SimDeviceTree> openTree(const TestFolder& folder)
{
    auto tree = SimDeviceTree::open(folder.path());
    EXPECT_TRUE(tree) << tree.error();
    return tree ? std::move(tree).value() : nullptr;
}

DevNode nodeOf(const DeviceTree& tree, const std::string& instanceId)
{
    const auto node = tree.locate(instanceId);
    return node ? node.value() : kNoDevNode;
}

std::vector<DeviceChange> changesIn(const std::vector<Message>& messages)
{
    std::vector<DeviceChange> changes;
    for (const Message& message : messages) {
        if (message.message != kWmDeviceChange)
            continue;
        DeviceChange change{message.wParam, std::nullopt};
        if (const auto* broadcast = std::any_cast<DeviceBroadcast>(&message.attachment))
            change.broadcast = *broadcast;
        changes.push_back(change);
    }
    return changes;
}

DeviceChange interfaceChange(std::uintptr_t event, std::string_view interfaceClass, const std::string& instanceId)
{
    return {event, DeviceBroadcast{kDbtDevtypDeviceInterface, std::string(interfaceClass),
                                   interfaceLinkName(instanceId, interfaceClass)}};
}

DeviceChange portChange(std::uintptr_t event, const std::string& portName)
{
    return {event, DeviceBroadcast{kDbtDevtypPort, "", portName}};
}

TEST(SimDeviceTree, ReportsNodesPropertiesAndStatusFromADescription)
{
    TestFolder folder;
    folder.write("card.json", cardDescription("zero", R"(, "problem": 28)"));
    const auto tree = openTree(folder);
    ASSERT_TRUE(tree);

    const DevNode card = nodeOf(*tree, kCardId);
    const DevNode modem = nodeOf(*tree, kModemId);
    const DevNode gps = nodeOf(*tree, kGpsId);
    const DevNode net = nodeOf(*tree, kNetId);
    ASSERT_NE(card, kNoDevNode);
    EXPECT_EQ(nodeOf(*tree, "usb\\vid_1519&pid_0020\\sn0001"), card) << "instance IDs ignore case";

    EXPECT_EQ(tree->presentByEnumerator("USB"), (std::vector<DevNode>{card, modem, gps, net}));
    EXPECT_TRUE(tree->presentByEnumerator("PCI").empty());
    EXPECT_EQ(tree->presentByClass(DeviceClass::ports), std::vector<DevNode>{gps});
    EXPECT_EQ(tree->presentByClass(DeviceClass::modem), std::vector<DevNode>{modem});

    EXPECT_EQ(tree->hardwareIds(card).value(),
              (std::vector<std::string>{"USB\\VID_1519&PID_0020&REV_0100", "USB\\VID_1519&PID_0020"}));
    EXPECT_EQ(tree->friendlyName(gps).value(), "Roamex GPS Data Interface");
    EXPECT_EQ(tree->property(gps, DeviceProperty::portName).value(), "zero");
    EXPECT_EQ(tree->property(modem, DeviceProperty::classGuid).value(), "{4D36E96D-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(tree->property(net, DeviceProperty::netCfgInstanceId).value(), "wwan0");
    EXPECT_EQ(tree->property(card, DeviceProperty::symbolicName).value(),
              "\\??\\USB#VID_1519&PID_0020#SN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    EXPECT_EQ(tree->property(card, DeviceProperty::portName).error(), kErrorFileNotFound);

    EXPECT_EQ(tree->status(gps).value().status, kStatusStarted);
    EXPECT_EQ(tree->status(net).value().status & kDnHasProblem, kDnHasProblem);
    EXPECT_EQ(tree->status(net).value().problem, 28u);

    // The walk detection does: up to the card, then its children in order.
    EXPECT_EQ(tree->parent(gps).value(), card);
    EXPECT_EQ(tree->parent(card).value(), tree->root());
    EXPECT_EQ(tree->parent(tree->root()).error(), kCrNoSuchDevNode);
    EXPECT_EQ(tree->firstChild(card).value(), modem);
    EXPECT_EQ(tree->nextSibling(modem).value(), gps);
    EXPECT_EQ(tree->nextSibling(gps).value(), net);
    EXPECT_EQ(tree->nextSibling(net).error(), kCrNoSuchDevNode);
    EXPECT_EQ(tree->firstChild(gps).error(), kCrNoSuchDevNode);
    EXPECT_EQ(tree->status(4711).error(), kCrNoSuchDevNode);
}

class SimDeviceTreeEvents : public ::testing::Test {
protected:
    TestFolder folder;
    std::unique_ptr<SimDeviceTree> tree = openTree(folder);
    MessageRecorder recorder;
    MessageLoop loop{recorder.handler()};
    std::unique_ptr<DeviceWatch> watch = tree->watch(loop);
    PseudoTerminal gpsPort = openPseudoTerminal();
    std::string gpsName = gpsPort.portPath.substr(5);

    std::vector<DeviceChange> changesAfter(std::size_t count)
    {
        EXPECT_TRUE(recorder.waitForCount(count));
        return changesIn(recorder.messages());
    }
};

TEST_F(SimDeviceTreeEvents, DescriptionAppearingIsAnArrivalParentsFirst)
{
    folder.writeAtomically("card.json", cardDescription(gpsName));
    const std::vector<DeviceChange> expected{
        {kDbtDeviceArrival,
         DeviceBroadcast{kDbtDevtypDeviceInterface, std::string(kInterfaceUsbDevice),
                         "\\\\?\\USB#VID_1519&PID_0020#SN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"}},
        interfaceChange(kDbtDeviceArrival, kInterfaceModem, kModemId),
        portChange(kDbtDeviceArrival, "null"),
        interfaceChange(kDbtDeviceArrival, kInterfaceComPort, kGpsId),
        portChange(kDbtDeviceArrival, gpsName),
        interfaceChange(kDbtDeviceArrival, kInterfaceNetwork, kNetId),
        {kDbtDevNodesChanged, std::nullopt},
    };
    EXPECT_EQ(changesAfter(expected.size()), expected);
    EXPECT_NE(nodeOf(*tree, kGpsId), kNoDevNode) << "the tree has the node by the time the message comes";
}

TEST_F(SimDeviceTreeEvents, DescriptionDisappearingIsARemovalChildrenFirst)
{
    folder.writeAtomically("card.json", cardDescription(gpsName));
    ASSERT_TRUE(recorder.waitForCount(7));
    const DevNode gps = nodeOf(*tree, kGpsId);
    std::filesystem::remove(folder / "card.json");

    const auto changes = changesAfter(14);
    const std::vector<DeviceChange> removal(changes.begin() + 7, changes.end());
    ASSERT_EQ(removal.size(), 7u);
    EXPECT_EQ(removal.back(), (DeviceChange{kDbtDevNodesChanged, std::nullopt}));
    EXPECT_EQ(removal[5].broadcast->interfaceClass, kInterfaceUsbDevice) << "the card goes after its functions";
    EXPECT_NE(std::find(removal.begin(), removal.end(), portChange(kDbtDeviceRemoveComplete, gpsName)), removal.end());
    EXPECT_EQ(tree->status(gps).error(), kCrNoSuchDevNode);
    EXPECT_TRUE(tree->presentByEnumerator("USB").empty());

    folder.writeAtomically("card.json", cardDescription(gpsName));
    ASSERT_TRUE(recorder.waitForCount(21));
    EXPECT_EQ(nodeOf(*tree, kGpsId), gps) << "a replugged device keeps its handle";
}

TEST_F(SimDeviceTreeEvents, ChangedDescriptionIsOnlyANodeChange)
{
    folder.writeAtomically("card.json", cardDescription(gpsName, R"(, "problem": 28)"));
    ASSERT_TRUE(recorder.waitForCount(7));
    folder.writeAtomically("card.json", cardDescription(gpsName));
    const auto changes = changesAfter(8);
    EXPECT_EQ(changes.back(), (DeviceChange{kDbtDevNodesChanged, std::nullopt}));
    EXPECT_EQ(tree->status(nodeOf(*tree, kNetId)).value().problem, 0u);
    // The same again changes nothing: the next message is the arrival of another file's port.
    folder.writeAtomically("card.json", cardDescription(gpsName));
    folder.writeAtomically("other.json",
                           R"({"devices": [{"instanceId": "ROOT\\OTHER\\0000", "class": "Ports", "portName": "null"}]})");
    const auto next = changesAfter(9);
    EXPECT_EQ(next[8], interfaceChange(kDbtDeviceArrival, kInterfaceComPort, "ROOT\\OTHER\\0000"));
}

TEST_F(SimDeviceTreeEvents, PowerEventsAreLinesOfThePowerFile)
{
    PlatformLogCapture log;
    folder.append(SimDeviceTree::kPowerFileName, "suspend\n");
    folder.append(SimDeviceTree::kPowerFileName, "nap\nresume\n");
    ASSERT_TRUE(recorder.waitForCount(2));
    const auto messages = recorder.messages();
    EXPECT_EQ(messages[0].message, kWmPowerBroadcast);
    EXPECT_EQ(messages[0].wParam, kPbtApmSuspend);
    EXPECT_EQ(messages[1].wParam, kPbtApmResumeSuspend);
    EXPECT_TRUE(log.contains("\"nap\""));
}

TEST_F(SimDeviceTreeEvents, PowerLineCountsWhenItsWriterClosesAndStaysInOrder)
{
    // A writer still holding the power file while a card is plugged: its line belongs
    // after the card's arrival, which happened before the line was finished.
    std::ofstream power(folder / SimDeviceTree::kPowerFileName, std::ios::binary | std::ios::app);
    power << "resume\n" << std::flush;
    folder.writeAtomically("card.json", cardDescription(gpsName));
    ASSERT_TRUE(recorder.waitForCount(7));
    power.close();
    ASSERT_TRUE(recorder.waitForCount(8));
    const auto messages = recorder.messages();
    EXPECT_EQ(messages.front().message, kWmDeviceChange);
    EXPECT_EQ(messages.back().message, kWmPowerBroadcast);
    EXPECT_EQ(messages.back().wParam, kPbtApmResumeSuspend);
}

TEST(SimDeviceTree, PowerEventsWrittenBeforeTheTreeOpenedAreNotReplayed)
{
    TestFolder folder;
    folder.append(SimDeviceTree::kPowerFileName, "suspend\nresume\n");
    const auto tree = openTree(folder);
    MessageRecorder recorder;
    MessageLoop loop(recorder.handler());
    const auto watch = tree->watch(loop);
    folder.append(SimDeviceTree::kPowerFileName, "suspend\n");
    ASSERT_TRUE(recorder.waitForCount(1));
    EXPECT_EQ(recorder.messages()[0].wParam, kPbtApmSuspend);
    EXPECT_FALSE(recorder.waitForCount(2, 100ms));
}

struct BadDescription {
    const char* name;
    std::string text;
    const char* logged;
};

class SimDeviceTreeBadInput : public ::testing::TestWithParam<BadDescription> {};

// The tree keeps the last good description of the file: nothing arrives, nothing leaves.
TEST_P(SimDeviceTreeBadInput, IsLoggedAndLeavesTheTreeAsItWas)
{
    TestFolder folder;
    folder.write("card.json", cardDescription("zero"));
    folder.write("hub.json", R"({"devices": [{"instanceId": "USB\\ROOT_HUB\\1", "parent": "USB\\VID_1519&PID_0020\\SN0001"}]})");
    const auto tree = openTree(folder);
    const auto before = tree->presentByEnumerator("USB");
    ASSERT_EQ(before.size(), 5u);
    MessageRecorder recorder;
    MessageLoop loop(recorder.handler());
    const auto watch = tree->watch(loop);
    PlatformLogCapture log;

    folder.writeAtomically("card.json", GetParam().text);
    ASSERT_TRUE(waitUntil([&] { return log.contains(GetParam().logged); })) << "nothing logged";
    EXPECT_TRUE(log.contains("card.json"));
    EXPECT_EQ(tree->presentByEnumerator("USB"), before);
    EXPECT_EQ(tree->property(nodeOf(*tree, kGpsId), DeviceProperty::portName).value(), "zero");
    EXPECT_TRUE(recorder.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    SimDeviceTree, SimDeviceTreeBadInput,
    ::testing::Values(
        BadDescription{"NotJson", "{\"devices\": [", "not valid JSON"},
        BadDescription{"PortThatDoesNotExist", cardDescription("pts/999999"), "/dev/pts/999999 does not exist"},
        BadDescription{"PortThatIsNoDevice", cardDescription("shm"), "/dev/shm does not exist"},
        BadDescription{"DeviceTwice",
                       R"({"devices": [{"instanceId": "USB\\A\\1"}, {"instanceId": "usb\\a\\1"}]})",
                       "does not fit"},
        BadDescription{"ParentCircleWithAnotherFile",
                       R"({"devices": [{"instanceId": "USB\\VID_1519&PID_0020\\SN0001", "parent": "USB\\ROOT_HUB\\1"}]})",
                       "does not fit"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimDeviceTree, DeviceClaimedByAnotherFileIsRefused)
{
    TestFolder folder;
    folder.write("a.json", R"({"devices": [{"instanceId": "USB\\A\\1", "friendlyName": "first"}]})");
    folder.write("b.json", R"({"devices": [{"instanceId": "USB\\A\\1", "friendlyName": "second"}]})");
    PlatformLogCapture log;
    const auto tree = openTree(folder);
    EXPECT_EQ(tree->friendlyName(nodeOf(*tree, "USB\\A\\1")).value(), "first");
    EXPECT_TRUE(log.contains("b.json"));
}

TEST(SimDeviceTree, WatchThatWentHearsNothingMore)
{
    TestFolder folder;
    const auto tree = openTree(folder);
    MessageRecorder kept;
    MessageRecorder dropped;
    MessageLoop keptLoop(kept.handler());
    MessageLoop droppedLoop(dropped.handler());
    // Watchers hear of a change in the order they came: had the dropped one stayed, it
    // would have its message before the kept one.
    auto droppedWatch = tree->watch(droppedLoop);
    const auto keptWatch = tree->watch(keptLoop);
    droppedWatch.reset();
    folder.writeAtomically("a.json", R"({"devices": [{"instanceId": "ROOT\\A\\1"}]})");
    ASSERT_TRUE(kept.waitForCount(1));
    ASSERT_TRUE(droppedLoop.post(kWmApp));
    ASSERT_TRUE(dropped.waitForCount(1));
    EXPECT_EQ(dropped.messages().size(), 1u);
}

} // namespace
} // namespace Os

namespace Os {
namespace {

// Restores an environment variable when it goes.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentSetting()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(OpenDeviceTree, SimulatedTreeWhenAskedFor)
{
    Orvanta::testing::TestFolder folder;
    folder.write("card.json", R"({"devices": [{"instanceId": "USB\\VID_1519&PID_0020\\SN0001"}]})");
    const EnvironmentSetting devices("ORVANTA_DEVICES", "sim");
    const EnvironmentSetting place("ORVANTA_SIM_DIR", folder.path().string());
    auto tree = openDeviceTree();
    ASSERT_TRUE(tree) << tree.error();
    EXPECT_NE(dynamic_cast<SimDeviceTree*>(tree.value().get()), nullptr);
    EXPECT_TRUE(tree.value()->locate("USB\\VID_1519&PID_0020\\SN0001"));
}

} // namespace
} // namespace Os
