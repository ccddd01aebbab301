#include "platform/DeviceDescription.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"

#include <gtest/gtest.h>

namespace Os {
namespace {

constexpr const char* kCard = R"json({"devices": [
  {"instanceId": "USB\\VID_1519&PID_0020\\SN0001", "class": "USB",
   "hardwareIds": ["USB\\VID_1519&PID_0020&REV_0100", "USB\\VID_1519&PID_0020"],
   "friendlyName": "Roamex HSPA Card", "driverVersion": "2.1.0.7"},
  {"instanceId": "USB\\VID_1519&PID_0020&MI_03\\SN0001&0003", "parent": "USB\\VID_1519&PID_0020\\SN0001",
   "class": "Ports", "friendlyName": "Roamex GPS Data Interface (pts/4)", "portName": "/dev/pts/4"},
  {"instanceId": "USB\\VID_1519&PID_0020&MI_05\\SN0001&0005", "parent": "USB\\VID_1519&PID_0020\\SN0001",
   "class": "Net", "netCfgInstanceId": "wwan0", "problem": 28},
  {"instanceId": "USB\\VID_1519&PID_0020&MI_06\\SN0001&0006", "status": "0x0000000A"}
]})json";

TEST(DeviceDescription, ReadsEveryFieldAndDerivesTheRest)
{
    std::string problem;
    const auto nodes = parseDeviceDescription(kCard, problem);
    ASSERT_TRUE(nodes) << problem;
    ASSERT_EQ(nodes.value().size(), 4u);

    const DeviceNode& card = nodes.value()[0];
    EXPECT_EQ(card.deviceClass, DeviceClass::usb);
    EXPECT_EQ(card.hardwareIds.size(), 2u);
    EXPECT_EQ(card.status, kStatusStarted);
    EXPECT_EQ(card.properties.at(DeviceProperty::driverVersion), "2.1.0.7");
    EXPECT_EQ(card.properties.at(DeviceProperty::symbolicName),
              "\\??\\USB#VID_1519&PID_0020#SN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    EXPECT_EQ(card.properties.at(DeviceProperty::classGuid), "{36FC9E60-C465-11CF-8056-444553540000}");

    const DeviceNode& gps = nodes.value()[1];
    EXPECT_EQ(gps.parentId, card.instanceId);
    EXPECT_EQ(gps.properties.at(DeviceProperty::portName), "pts/4");
    EXPECT_EQ(gps.properties.count(DeviceProperty::symbolicName), 0u) << "only USB device nodes have one";

    const DeviceNode& net = nodes.value()[2];
    EXPECT_EQ(net.problem, 28u);
    EXPECT_EQ(net.status, kStatusProblem);
    EXPECT_EQ(net.properties.at(DeviceProperty::netCfgInstanceId), "wwan0");

    EXPECT_EQ(nodes.value()[3].status, 0x0Au);
    EXPECT_EQ(nodes.value()[3].deviceClass, DeviceClass::other);
}

struct Refusal {
    const char* name;
    std::string text;
    const char* reason; // a fragment of the logged reason
};

class RefusedDescription : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedDescription, IsRefusedWhole)
{
    std::string problem;
    const auto nodes = parseDeviceDescription(GetParam().text, problem);
    ASSERT_FALSE(nodes);
    EXPECT_EQ(nodes.error(), kErrorInvalidData);
    EXPECT_NE(problem.find(GetParam().reason), std::string::npos) << problem;
}

std::string oneDevice(const std::string& fields) { return R"({"devices": [{)" + fields + "}]}"; }
const std::string kId = R"("instanceId": "USB\\VID_1&PID_2\\X")";

INSTANTIATE_TEST_SUITE_P(
    DeviceDescription, RefusedDescription,
    ::testing::Values(
        Refusal{"NotJson", "{\"devices\": [", "not valid JSON"},
        Refusal{"NotAnObject", "[]", "one key"},
        Refusal{"ExtraTopLevelKey", R"({"devices": [], "more": 1})", "one key"},
        Refusal{"DevicesNotAList", R"({"devices": {}})", "one key"},
        Refusal{"DeviceNotAnObject", R"({"devices": [1]})", "must be an object"},
        Refusal{"MissingInstanceId", oneDevice(R"("class": "Ports")"), "without instanceId"},
        Refusal{"InstanceIdWithoutEnumerator", oneDevice(R"("instanceId": "JUSTANAME")"), "enumerator"},
        Refusal{"InstanceIdTooLong", oneDevice("\"instanceId\": \"USB\\\\" + std::string(200, 'A') + "\""),
                "longer than"},
        Refusal{"InstanceIdWithControlCharacter", oneDevice(R"("instanceId": "USB\\A\u0000B")"),
                "control character"},
        Refusal{"RootInstanceId", oneDevice(R"("instanceId": "HTREE\\ROOT\\0")"), "root"},
        Refusal{"UnknownKey", oneDevice(kId + R"(, "portname": "pts/1")"), "unknown key"},
        Refusal{"NegativeStatus", oneDevice(kId + R"(, "status": -1)"), "status"},
        Refusal{"StatusTooLarge", oneDevice(kId + R"(, "status": 4294967296)"), "status"},
        Refusal{"StatusNotHex", oneDevice(kId + R"(, "status": "0xZZ")"), "status"},
        Refusal{"HardwareIdsNotAList", oneDevice(kId + R"(, "hardwareIds": "USB\\VID_1")"), "hardwareIds"},
        Refusal{"PortOutsideDev", oneDevice(kId + R"(, "portName": "/etc/passwd")"), "not a device below /dev"},
        Refusal{"PortClimbingOut", oneDevice(kId + R"(, "portName": "pts/../../etc/passwd")"),
                "not a device below /dev"},
        Refusal{"EmptyPortName", oneDevice(kId + R"(, "portName": "")"), "not a device below /dev"},
        Refusal{"FriendlyNameNotText", oneDevice(kId + R"(, "friendlyName": 5)"), "must be a string"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDescription, TooManyDevicesAreRefused)
{
    std::string text = R"({"devices": [)";
    for (std::size_t i = 0; i <= kMaxDescribedNodes; ++i)
        text += std::string(i ? "," : "") + R"({"instanceId": "USB\\N\\)" + std::to_string(i) + "\"}";
    text += "]}";
    std::string problem;
    EXPECT_FALSE(parseDeviceDescription(text, problem));
    EXPECT_NE(problem.find("more than"), std::string::npos);
}

} // namespace
} // namespace Os
