#pragma once
// Names and GUIDs of setup classes and device-interface classes, and what a node
// announces when it arrives or leaves. Both trees derive these the same way, so the
// simulated tree and the real one broadcast alike.

#include "platform/DeviceNode.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Os {

// Device-interface classes of arrival and removal broadcasts.
inline constexpr std::string_view kInterfaceComPort = "{86E0D1E0-8089-11D0-9CE4-08003E301F73}";
inline constexpr std::string_view kInterfaceModem = "{2C7089AA-2E0E-11D1-B114-00C04FC2AAE4}";
inline constexpr std::string_view kInterfaceUsbDevice = "{A5DCBF10-6530-11D2-901F-00C04FB951ED}";
inline constexpr std::string_view kInterfaceSerEnumBus = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
inline constexpr std::string_view kInterfaceNetwork = "{AD498944-762F-11D0-8DCB-00C04FC3358C}";
inline constexpr std::string_view kInterfaceSmartCardReader = "{50DD5230-BA8A-11D1-BF5D-0000F805F530}";

// "Ports", "Modem", "Net", "SmartCardReader", "USB"; "" for other.
std::string_view className(DeviceClass deviceClass);
// Case-insensitive; unknown names are DeviceClass::other.
DeviceClass classFromName(std::string_view name);
// The setup class GUID (the ClassGUID property); "" for other.
std::string_view classGuidOf(DeviceClass deviceClass);

// A node enumerated by the USB hub itself rather than one function of a composite device:
// "USB\VID_1234&PID_5678\SN" but not "USB\VID_1234&PID_5678&MI_02\...".
bool isUsbDeviceNode(std::string_view instanceId);
// "USB" of "USB\VID_1234&PID_5678\SN".
std::string_view enumeratorOf(std::string_view instanceId);

// \\?\USB#VID_1234&PID_5678#SN#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
std::string interfaceLinkName(std::string_view instanceId, std::string_view interfaceClass);

// Fills in what follows from the rest: the ClassGUID of the class and, for a USB device
// node, its SymbolicName ("\??\USB#...#{a5dcbf10-...}"). Given values are kept.
void completeDerivedProperties(DeviceNode& node);

// The interfaces and port a node announces, interfaces first.
std::vector<DeviceBroadcast> broadcastsOf(const DeviceNode& node);

// ASCII upper case, as instance IDs are compared.
std::string upperCase(std::string_view text);

} // namespace Os
