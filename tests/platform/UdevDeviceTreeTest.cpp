// The udev device tree against a umockdev testbed: a fake sysfs and udev database with a
// fake modem in it. The program runs with libumockdev-preload (CTest sets LD_PRELOAD),
// which points libudev and the uevent socket at the testbed.

#include "platform/UdevDeviceTree.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <algorithm>
#include <utility>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

using Pairs = std::vector<std::pair<std::string, std::string>>;

class Testbed {
public:
    Testbed() : testbed_(umockdev_testbed_new()) {}
    ~Testbed() { g_object_unref(testbed_); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // Adds a device (announced with an "add" uevent) and answers its sysfs path.
    std::string add(const char* subsystem, const std::string& name, const std::string& parent,
                    const Pairs& attributes, const Pairs& properties = {}, const char* driver = nullptr)
    {
        std::vector<gchar*> attributeList = flatten(attributes);
        std::vector<gchar*> propertyList = flatten(properties);
        gchar* path = umockdev_testbed_add_devicev(testbed_, subsystem, name.c_str(),
                                                   parent.empty() ? nullptr : parent.c_str(), attributeList.data(),
                                                   propertyList.data());
        std::string syspath = path ? path : "";
        g_free(path);
        if (driver != nullptr)
            umockdev_testbed_set_attribute_link(testbed_, syspath.c_str(), "driver",
                                                (std::string("../../../bus/usb/drivers/") + driver).c_str());
        return syspath;
    }

    void announceRemoval(const std::string& syspath) { umockdev_testbed_uevent(testbed_, syspath.c_str(), "remove"); }
    // The device and everything below it.
    void removeFiles(const std::string& syspath) { umockdev_testbed_remove_device(testbed_, syspath.c_str()); }

private:
    static std::vector<gchar*> flatten(const Pairs& pairs)
    {
        std::vector<gchar*> out;
        for (const auto& [key, value] : pairs) {
            out.push_back(const_cast<gchar*>(key.c_str()));
            out.push_back(const_cast<gchar*>(value.c_str()));
        }
        out.push_back(nullptr);
        return out;
    }

    UMockdevTestbed* testbed_;
};

const std::string kCardId = "USB\\VID_1519&PID_0020\\SN0001";

// How far the tree has seen the fake devices: one for each USB node, port and adapter.
int devicesSeen(const DeviceTree& tree)
{
    int seen = 0;
    for (const DevNode node : tree.presentByEnumerator("USB"))
        seen += 1 + (tree.property(node, DeviceProperty::portName) ? 1 : 0) +
                (tree.property(node, DeviceProperty::netCfgInstanceId) ? 1 : 0);
    return seen;
}

// A modem card: three serial functions, the first of them the modem, and a network adapter.
//
// When a tree watches, each step waits until the tree has seen the one before. The
// testbed's preloaded library keeps some state in static buffers without a lock, so the
// test must not touch the testbed while the tree's thread reads it; waiting in between
// keeps the two apart (and each arrival and removal still comes through the monitor).
struct FakeModem {
    std::string usb, modem, application, gps, network;
    std::string modemTty, applicationTty, gpsTty, wwan;
    const DeviceTree* watching = nullptr;
    int seen = 0;

    void settle(int change)
    {
        seen += change;
        if (watching != nullptr) {
            ASSERT_TRUE(waitUntil([&] { return devicesSeen(*watching) == seen; })) << "step " << seen;
        }
    }

    explicit FakeModem(Testbed& testbed, const DeviceTree* tree = nullptr) : watching(tree)
    {
        usb = testbed.add("usb", "1-2", "",
                          {{"idVendor", "1519"}, {"idProduct", "0020"}, {"bcdDevice", "0100"},
                           {"manufacturer", "Roamex"}, {"product", "Roamex HSPA Card"}, {"serial", "SN0001"}},
                          {{"DEVTYPE", "usb_device"}}, "usb");
        settle(1);
        auto function = [&](const char* number, const char* name, const char* driver) {
            const std::string syspath = testbed.add("usb", std::string("1-2:1.") + number, usb,
                               {{"bInterfaceNumber", std::string("0") + number},
                                {"bInterfaceClass", "ff"},
                                {"bInterfaceSubClass", "ff"},
                                {"interface", name}},
                               {{"DEVTYPE", "usb_interface"}}, driver);
            settle(1);
            return syspath;
        };
        modem = function("0", "Roamex Modem Interface", "option");
        application = function("2", "Roamex Application Interface", "option");
        gps = function("3", "Roamex GPS Data Interface", "option");
        network = function("5", "Roamex Network Interface", "qmi_wwan");
        auto port = [&](const char* tty, const std::string& parent, Pairs properties) {
            properties.emplace_back("DEVNAME", std::string("/dev/") + tty);
            const std::string syspath = testbed.add("tty", tty, parent, {}, properties);
            settle(1);
            return syspath;
        };
        modemTty = port("ttyUSB0", modem, {{"ORVANTA_DEVICE_CLASS", "Modem"}});
        applicationTty = port("ttyUSB1", application, {});
        gpsTty = port("ttyUSB2", gps, {});
        wwan = testbed.add("net", "wwan0", network, {}, {{"INTERFACE", "wwan0"}});
        settle(1);
    }

    // Children first, as the kernel reports them; the files go once the tree has let go.
    void unplug(Testbed& testbed)
    {
        for (const std::string* syspath : {&gpsTty, &applicationTty, &modemTty, &wwan, &gps, &application, &modem,
                                           &network, &usb}) {
            testbed.announceRemoval(*syspath);
            settle(-1);
        }
        testbed.removeFiles(usb);
    }
};

class UdevDeviceTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(umockdev_in_mock_environment())
            << "run this program with libumockdev-preload (umockdev-wrapper, or ctest)";
    }

    std::unique_ptr<UdevDeviceTree> openTree()
    {
        auto tree = UdevDeviceTree::open();
        EXPECT_TRUE(tree) << tree.error();
        return tree ? std::move(tree).value() : nullptr;
    }

    static DevNode nodeOf(const DeviceTree& tree, const std::string& instanceId)
    {
        const auto node = tree.locate(instanceId);
        return node ? node.value() : kNoDevNode;
    }

    Testbed testbed;
};

TEST_F(UdevDeviceTreeTest, ModemAppearsInTheVocabularyOfDetection)
{
    FakeModem card(testbed);
    const auto tree = openTree();
    ASSERT_TRUE(tree);

    const DevNode device = nodeOf(*tree, kCardId);
    ASSERT_NE(device, kNoDevNode);
    EXPECT_EQ(tree->hardwareIds(device).value(),
              (std::vector<std::string>{"USB\\VID_1519&PID_0020&REV_0100", "USB\\VID_1519&PID_0020"}));
    EXPECT_EQ(tree->friendlyName(device).value(), "Roamex HSPA Card");
    EXPECT_EQ(tree->deviceClass(device).value(), DeviceClass::usb);
    EXPECT_EQ(tree->property(device, DeviceProperty::symbolicName).value(),
              "\\??\\USB#VID_1519&PID_0020#SN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    EXPECT_EQ(tree->status(device).value().status, kStatusStarted);

    struct Function {
        const char* instanceId;
        const char* hardwareId;
        DeviceClass deviceClass;
        const char* friendlyName;
        DeviceProperty property;
        const char* value;
    };
    const Function functions[] = {
        {"USB\\VID_1519&PID_0020&MI_00\\SN0001&0000", "USB\\VID_1519&PID_0020&MI_00", DeviceClass::modem,
         "Roamex Modem Interface (ttyUSB0)", DeviceProperty::portName, "ttyUSB0"},
        {"USB\\VID_1519&PID_0020&MI_02\\SN0001&0002", "USB\\VID_1519&PID_0020&MI_02", DeviceClass::ports,
         "Roamex Application Interface (ttyUSB1)", DeviceProperty::portName, "ttyUSB1"},
        {"USB\\VID_1519&PID_0020&MI_03\\SN0001&0003", "USB\\VID_1519&PID_0020&MI_03", DeviceClass::ports,
         "Roamex GPS Data Interface (ttyUSB2)", DeviceProperty::portName, "ttyUSB2"},
        {"USB\\VID_1519&PID_0020&MI_05\\SN0001&0005", "USB\\VID_1519&PID_0020&MI_05", DeviceClass::net,
         "Roamex Network Interface", DeviceProperty::netCfgInstanceId, "wwan0"},
    };
    std::vector<DevNode> children;
    for (const Function& function : functions) {
        SCOPED_TRACE(function.instanceId);
        const DevNode node = nodeOf(*tree, function.instanceId);
        ASSERT_NE(node, kNoDevNode);
        EXPECT_EQ(tree->parent(node).value(), device);
        EXPECT_EQ(tree->hardwareIds(node).value(),
                  (std::vector<std::string>{std::string("USB\\VID_1519&PID_0020&REV_0100") +
                                                std::string(function.hardwareId).substr(21),
                                            function.hardwareId}));
        EXPECT_EQ(tree->deviceClass(node).value(), function.deviceClass);
        EXPECT_EQ(tree->friendlyName(node).value(), function.friendlyName);
        EXPECT_EQ(tree->property(node, function.property).value(), function.value);
        EXPECT_EQ(tree->status(node).value().status, kStatusStarted);
        children.push_back(node);
    }
    // Detection walks the card's children in order.
    DevNode child = tree->firstChild(device).value();
    for (const DevNode expected : children) {
        EXPECT_EQ(child, expected);
        child = tree->nextSibling(child).valueOr(kNoDevNode);
    }
    EXPECT_EQ(child, kNoDevNode);
    EXPECT_EQ(tree->presentByClass(DeviceClass::ports), (std::vector<DevNode>{children[1], children[2]}));
}

TEST_F(UdevDeviceTreeTest, InterfaceWithoutDriverHasAProblem)
{
    const std::string usb = testbed.add("usb", "3-1", "", {{"idVendor", "1519"}, {"idProduct", "0443"}},
                                        {{"DEVTYPE", "usb_device"}}, "usb");
    testbed.add("usb", "3-1:1.0", usb, {{"bInterfaceNumber", "00"}, {"bInterfaceClass", "ff"}},
                {{"DEVTYPE", "usb_interface"}});
    const auto tree = openTree();
    const DevNode node = nodeOf(*tree, "USB\\VID_1519&PID_0443&MI_00\\3-1&0000");
    ASSERT_NE(node, kNoDevNode) << "without a serial number the bus position names the device";
    EXPECT_EQ(tree->status(node).value().status & kDnHasProblem, kDnHasProblem);
    EXPECT_EQ(tree->status(node).value().problem, kProblemFailedInstall);
    EXPECT_EQ(tree->friendlyName(node).value(), "USB Interface 0");
}

bool hasChange(const std::vector<Message>& messages, std::uintptr_t event, const DeviceBroadcast& broadcast)
{
    return std::any_of(messages.begin(), messages.end(), [&](const Message& message) {
        const auto* seen = std::any_cast<DeviceBroadcast>(&message.attachment);
        return message.message == kWmDeviceChange && message.wParam == event && seen != nullptr && *seen == broadcast;
    });
}

TEST_F(UdevDeviceTreeTest, PlugAndUnplugAreReported)
{
    const auto tree = openTree();
    ASSERT_TRUE(tree);
    MessageRecorder recorder;
    MessageLoop loop(recorder.handler());
    const auto watch = tree->watch(loop);

    FakeModem card(testbed, tree.get());
    const DeviceBroadcast usbInterface{kDbtDevtypDeviceInterface, std::string(kInterfaceUsbDevice),
                                       "\\\\?\\USB#VID_1519&PID_0020#SN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"};
    const DeviceBroadcast gpsPort{kDbtDevtypPort, "", "ttyUSB2"};
    const DeviceBroadcast network{kDbtDevtypDeviceInterface, std::string(kInterfaceNetwork),
                                  interfaceLinkName("USB\\VID_1519&PID_0020&MI_05\\SN0001&0005", kInterfaceNetwork)};
    ASSERT_TRUE(recorder.waitFor([&](const auto& messages) {
        return hasChange(messages, kDbtDeviceArrival, usbInterface) && hasChange(messages, kDbtDeviceArrival, gpsPort) &&
               hasChange(messages, kDbtDeviceArrival, network);
    })) << recorder.messages().size() << " messages";
    EXPECT_NE(nodeOf(*tree, kCardId), kNoDevNode);

    card.unplug(testbed);
    ASSERT_TRUE(recorder.waitFor([&](const auto& messages) {
        return hasChange(messages, kDbtDeviceRemoveComplete, usbInterface) &&
               hasChange(messages, kDbtDeviceRemoveComplete, gpsPort) &&
               hasChange(messages, kDbtDeviceRemoveComplete, network);
    })) << recorder.messages().size() << " messages";
    EXPECT_TRUE(waitUntil([&] { return tree->presentByEnumerator("USB").empty(); }));
}

} // namespace
} // namespace Os
