#include "sim/cardsim/CardDescription.h"

#include "nodekin/CardDatabase.h"
#include "nodekin/HardwareIds.h"
#include "nodekin/MakerIds.h"
#include "platform/DeviceClasses.h"
#include "platform/DeviceDescription.h"
#include "platform/DeviceSnapshot.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace Cardsim {
namespace {

struct DescriptionCase {
    const char* profile;
    const char* row;             // of the card database
    bool gpsControlPort;         // the GPS control node has a port
    bool gpsNodes;               // "_GPSC\" and "_GPSD\" nodes exist
};

class Description : public ::testing::TestWithParam<DescriptionCase> {
protected:
    // The description as the simulated tree reads it back.
    std::vector<Os::DeviceNode> readBack(const Profile& profile)
    {
        std::map<PortRole, std::string> ports{{PortRole::modem, "pts/10"},
                                               {PortRole::application, "pts/11"},
                                               {PortRole::gpsControl, "pts/12"},
                                               {PortRole::gpsData, "pts/13"}};
        const std::string text = descriptionText(describeCard(profile, {profile.vendorId, profile.productId, "RX0001"}, ports));
        std::string problem;
        auto nodes = Os::parseDeviceDescription(text, problem);
        EXPECT_TRUE(nodes) << problem << "\n" << text;
        return nodes ? std::move(nodes).value() : std::vector<Os::DeviceNode>{};
    }
};

// What detection asks of the tree, answered from the snapshot the simulated tree builds.
const Os::DeviceSnapshot::Entry* portNamed(const Os::DeviceSnapshot& tree, Os::DevNode card, Os::DeviceClass cls,
                                           const char* fragments)
{
    for (const Os::DevNode handle : tree.nodes()) {
        const auto* entry = tree.find(handle);
        if (entry->node.deviceClass == cls && entry->parent == card &&
            Nodekin::matchName(fragments, entry->node.friendlyName) >= 0)
            return entry;
    }
    return nullptr;
}

TEST_P(Description, IsFoundByTheCardDatabaseRowAndItsFragments)
{
    const DescriptionCase& c = GetParam();
    const Profile& profile = *findProfile(c.profile);
    Os::DeviceHandles handles;
    auto snapshot = Os::DeviceSnapshot::build(readBack(profile), handles);
    ASSERT_TRUE(snapshot);
    const Os::DeviceSnapshot& tree = snapshot.value();

    // The card: the one node of the USB enumerator, recognised by its hardware ID.
    std::vector<const Os::DeviceSnapshot::Entry*> usb;
    for (const Os::DevNode handle : tree.nodes())
        if (Os::enumeratorOf(tree.find(handle)->node.instanceId) == "USB")
            usb.push_back(tree.find(handle));
    ASSERT_EQ(usb.size(), 1u);
    const auto& card = *usb.front();
    char expectedId[64];
    std::snprintf(expectedId, sizeof expectedId, "USB\\VID_%04X&PID_%04X\\RX0001", static_cast<unsigned>(profile.vendorId),
                  static_cast<unsigned>(profile.productId));
    EXPECT_EQ(card.node.instanceId, expectedId);
    ASSERT_FALSE(card.node.hardwareIds.empty());
    const auto ids = Nodekin::extractIds(Nodekin::joinHardwareIds(card.node.hardwareIds).c_str(), Nodekin::busUsb);
    ASSERT_TRUE(ids);
    Nodekin::CardDatabase database;
    const int row = database.find(Nodekin::busUsb, ids->vendor, ids->product);
    ASSERT_GE(row, 0);
    EXPECT_STREQ(database.row(static_cast<std::size_t>(row)).name, c.row);
    const Nodekin::CardRow& cardRow = database.row(static_cast<std::size_t>(row));
    EXPECT_EQ(cardRow.typeCode, 0x1800) << "every child must be active for this type";

    // Its children: all active, and their instance IDs carry the function fragments.
    std::string fragments;
    for (const Os::DevNode child : card.children) {
        const auto& node = tree.find(child)->node;
        EXPECT_EQ(node.problem, 0u) << node.instanceId;
        EXPECT_EQ(node.status & (Os::kDnDriverLoaded | Os::kDnStarted | Os::kDnHasProblem),
                  Os::kDnDriverLoaded | Os::kDnStarted)
            << node.instanceId;
        fragments += node.instanceId + " ";
    }
    auto carries = [&](const char* fragment) { return fragments.find(fragment) != std::string::npos; };
    EXPECT_TRUE(carries("_MDM\\"));
    EXPECT_TRUE(carries("_APP\\"));
    EXPECT_FALSE(carries("_NET\\")) << "the virtual card has no network adapter";
    EXPECT_EQ(carries("_GPSC\\"), c.gpsNodes);
    EXPECT_EQ(carries("_GPSD\\"), c.gpsNodes);

    // The functions by class and name fragment, as the row names them, with their ports.
    const auto* modem = portNamed(tree, card.handle, Os::DeviceClass::modem, cardRow.modemName);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->node.properties.at(Os::DeviceProperty::portName), "pts/10");
    const auto* application = portNamed(tree, card.handle, Os::DeviceClass::ports, cardRow.appPortName);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->node.properties.at(Os::DeviceProperty::portName), "pts/11");
    const auto* control = portNamed(tree, card.handle, Os::DeviceClass::ports, "GPS Control");
    const auto* data = portNamed(tree, card.handle, Os::DeviceClass::ports, "GPS Data");
    EXPECT_EQ(control != nullptr, c.gpsNodes);
    EXPECT_EQ(data != nullptr, c.gpsNodes);
    if (control != nullptr) {
        EXPECT_EQ(control->node.properties.count(Os::DeviceProperty::portName), c.gpsControlPort ? 1u : 0u);
    }
    if (data != nullptr) {
        EXPECT_EQ(data->node.properties.at(Os::DeviceProperty::portName), "pts/13");
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, Description,
                         ::testing::Values(DescriptionCase{"gps", "RoamexGX750", true, true},
                                           DescriptionCase{"no-gps", "RoamexHX700", false, false},
                                           DescriptionCase{"gps-data-only", "RoamexGX750", false, true}),
                         [](const ::testing::TestParamInfo<DescriptionCase>& info) {
                             std::string name = info.param.profile;
                             std::erase(name, '-');
                             return name;
                         });

TEST(Description, OverriddenIdsShowInEveryInstanceId)
{
    const Profile& profile = *findProfile("gps");
    const auto nodes = describeCard(profile, {0x2C9A, 0x0C00, "SN7"}, {});
    ASSERT_EQ(nodes.size(), 1 + profile.functions.size());
    EXPECT_EQ(nodes[0].instanceId, "USB\\VID_2C9A&PID_0C00\\SN7");
    EXPECT_EQ(nodes[0].hardwareIds, (std::vector<std::string>{"USB\\VID_2C9A&PID_0C00&REV_0100", "USB\\VID_2C9A&PID_0C00"}));
    EXPECT_EQ(nodes[1].instanceId, "ROAMEX\\VID_2C9A&PID_0C00_MDM\\SN7&0000");
    EXPECT_EQ(nodes[1].properties.count(Os::DeviceProperty::portName), 0u) << "no port given, none described";
}

TEST(DescriptionFile, AppearsWholeAndGoes)
{
    Orvanta::testing::TestFolder folder;
    const DescriptionFile file(folder.path(), "card");
    ASSERT_EQ(file.publish("{\"devices\": []}\n"), 0);
    std::ifstream in(folder / "card.json");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{\"devices\": []}\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1u) << "no hidden file left behind";
    EXPECT_EQ(file.withdraw(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "card.json"));
    EXPECT_EQ(file.withdraw(), 0) << "withdrawing what is gone is no error";
}

} // namespace
} // namespace Cardsim
