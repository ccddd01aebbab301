#include "platform/DeviceClasses.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace Os {
namespace {

struct ClassInfo {
    DeviceClass deviceClass;
    std::string_view name;
    std::string_view guid;
    std::string_view interfaceClass; // announced by every node of the class; "" for none
};

constexpr std::array<ClassInfo, 5> kClasses{{
    {DeviceClass::usb, "USB", "{36FC9E60-C465-11CF-8056-444553540000}", ""},
    {DeviceClass::ports, "Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}", kInterfaceComPort},
    {DeviceClass::modem, "Modem", "{4D36E96D-E325-11CE-BFC1-08002BE10318}", kInterfaceModem},
    {DeviceClass::net, "Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", kInterfaceNetwork},
    {DeviceClass::smartCardReader, "SmartCardReader", "{50DD5230-BA8A-11D1-BF5D-0000F805F530}", kInterfaceSmartCardReader},
}};

const ClassInfo* infoOf(DeviceClass deviceClass)
{
    const auto it = std::find_if(kClasses.begin(), kClasses.end(),
                                 [&](const ClassInfo& info) { return info.deviceClass == deviceClass; });
    return it == kClasses.end() ? nullptr : &*it;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string upperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view className(DeviceClass deviceClass)
{
    const ClassInfo* info = infoOf(deviceClass);
    return info ? info->name : std::string_view();
}

DeviceClass classFromName(std::string_view name)
{
    for (const ClassInfo& info : kClasses)
        if (equalsIgnoringCase(info.name, name))
            return info.deviceClass;
    return DeviceClass::other;
}

std::string_view classGuidOf(DeviceClass deviceClass)
{
    const ClassInfo* info = infoOf(deviceClass);
    return info ? info->guid : std::string_view();
}

std::string_view enumeratorOf(std::string_view instanceId)
{
    return instanceId.substr(0, instanceId.find('\\'));
}

bool isUsbDeviceNode(std::string_view instanceId)
{
    return equalsIgnoringCase(enumeratorOf(instanceId), "USB") &&
           upperCase(instanceId).find("&MI_") == std::string::npos;
}

std::string interfaceLinkName(std::string_view instanceId, std::string_view interfaceClass)
{
    std::string name = "\\\\?\\";
    for (char c : instanceId)
        name += c == '\\' ? '#' : c;
    name += '#';
    name += lowerCase(interfaceClass);
    return name;
}

void completeDerivedProperties(DeviceNode& node)
{
    if (const std::string_view guid = classGuidOf(node.deviceClass); !guid.empty())
        node.properties.try_emplace(DeviceProperty::classGuid, guid);
    if (isUsbDeviceNode(node.instanceId)) {
        // The registry form of the link: "\??\" where the broadcast says "\\?\".
        std::string link = interfaceLinkName(node.instanceId, kInterfaceUsbDevice);
        link[1] = '?';
        node.properties.try_emplace(DeviceProperty::symbolicName, std::move(link));
    }
}

std::vector<DeviceBroadcast> broadcastsOf(const DeviceNode& node)
{
    std::vector<DeviceBroadcast> out;
    if (isUsbDeviceNode(node.instanceId)) {
        std::string name = interfaceLinkName(node.instanceId, kInterfaceUsbDevice);
        if (const auto it = node.properties.find(DeviceProperty::symbolicName); it != node.properties.end()) {
            name = it->second;
            if (name.rfind("\\??\\", 0) == 0)
                name[1] = '\\';
        }
        out.push_back({kDbtDevtypDeviceInterface, std::string(kInterfaceUsbDevice), std::move(name)});
    }
    if (const ClassInfo* info = infoOf(node.deviceClass); info != nullptr && !info->interfaceClass.empty())
        out.push_back({kDbtDevtypDeviceInterface, std::string(info->interfaceClass),
                       interfaceLinkName(node.instanceId, info->interfaceClass)});
    if (const auto it = node.properties.find(DeviceProperty::portName); it != node.properties.end())
        out.push_back({kDbtDevtypPort, "", it->second});
    return out;
}

} // namespace Os
