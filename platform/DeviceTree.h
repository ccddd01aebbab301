#pragma once
// The device tree as card detection sees it: nodes with instance IDs, hardware IDs,
// friendly names, classes, status and problem numbers, registry properties, and
// parent / first child / next sibling links, in the vocabulary of the Windows device
// installation and configuration interfaces that detection was written against. Two
// implementations: UdevDeviceTree (the machine's USB devices) and SimDeviceTree (nodes
// described in files by the virtual card). Detection sees only this interface.
//
// Changes reach a MessageLoop as kWmDeviceChange messages: wParam is kDbtDeviceArrival,
// kDbtDeviceRemoveComplete or kDbtDevNodesChanged; arrivals and removals carry a
// DeviceBroadcast as attachment. Power events arrive as kWmPowerBroadcast with
// kPbtApmSuspend or kPbtApmResumeSuspend in wParam.

#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Os {

class MessageLoop;

// A device node handle. The same instance ID keeps its handle for the life of the tree,
// also across unplug and replug; a handle whose node is gone answers kCrNoSuchDevNode.
using DevNode = std::uint32_t;
inline constexpr DevNode kNoDevNode = 0;

// Results of the tree and status queries, numbered as the Configuration Manager does.
inline constexpr int kCrNoSuchDevNode = 0x0D; // no such node, or no parent / child / sibling

// Node status bits.
inline constexpr std::uint32_t kDnDriverLoaded = 0x00000002;
inline constexpr std::uint32_t kDnStarted = 0x00000008;
inline constexpr std::uint32_t kDnNeedToEnum = 0x00000020;
inline constexpr std::uint32_t kDnHasProblem = 0x00000400;
inline constexpr std::uint32_t kDnDisableable = 0x00002000;
inline constexpr std::uint32_t kDnWillBeRemoved = 0x00040000;
inline constexpr std::uint32_t kDnNtEnumerator = 0x00800000;
inline constexpr std::uint32_t kDnNtDriver = 0x01000000;
// A working device with its driver loaded and started.
inline constexpr std::uint32_t kStatusStarted = kDnDriverLoaded | kDnStarted | kDnDisableable | kDnNtEnumerator | kDnNtDriver;
// A device that did not start; its problem number says why.
inline constexpr std::uint32_t kStatusProblem = kDnHasProblem | kDnDisableable | kDnNtEnumerator | kDnNtDriver;

// Problem numbers.
inline constexpr std::uint32_t kProblemNotConfigured = 1;
inline constexpr std::uint32_t kProblemFailedInstall = 28; // no driver for the device

struct NodeStatus {
    std::uint32_t status = 0;
    std::uint32_t problem = 0;
};

// Setup classes of the nodes detection looks for.
enum class DeviceClass { other, usb, ports, modem, net, smartCardReader };

// Registry properties of a node. Asking for one the node does not have answers
// kErrorFileNotFound, like a missing registry value.
enum class DeviceProperty { portName, symbolicName, netCfgInstanceId, classGuid, driverVersion };

// Device change events (wParam of kWmDeviceChange) and broadcast types.
inline constexpr std::uintptr_t kDbtDevNodesChanged = 0x0007;
inline constexpr std::uintptr_t kDbtDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDbtDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDbtDevtypPort = 3;
inline constexpr std::uint32_t kDbtDevtypDeviceInterface = 5;

// Power events (wParam of kWmPowerBroadcast).
inline constexpr std::uintptr_t kPbtApmSuspend = 4;
inline constexpr std::uintptr_t kPbtApmResumeSuspend = 7;

// What arrived or left: a device interface (its class GUID and symbolic link name) or a
// port (its port name, the PortName property of its node).
struct DeviceBroadcast {
    std::uint32_t deviceType = 0;
    std::string interfaceClass; // "{86E0D1E0-8089-11D0-9CE4-08003E301F73}"; empty for a port
    std::string name;

    bool operator==(const DeviceBroadcast&) const = default;
};

// Messages keep coming to the loop while this lives. The loop must outlive it.
class DeviceWatch {
public:
    virtual ~DeviceWatch() = default;
};

class DeviceTree {
public:
    virtual ~DeviceTree() = default;

    // The root of the tree: every node without a described parent hangs below it.
    virtual DevNode root() const = 0;
    // Present nodes whose instance ID starts with `enumerator` ("USB", "PCI", "PCMCIA"),
    // in enumeration order.
    virtual std::vector<DevNode> presentByEnumerator(std::string_view enumerator) const = 0;
    virtual std::vector<DevNode> presentByClass(DeviceClass deviceClass) const = 0;
    // The node of an instance ID (compared without regard to case).
    virtual Result<DevNode> locate(std::string_view instanceId) const = 0;

    virtual Result<std::string> instanceId(DevNode node) const = 0;
    // The multi-string list, most specific first.
    virtual Result<std::vector<std::string>> hardwareIds(DevNode node) const = 0;
    // kErrorInvalidData when the node has no friendly name.
    virtual Result<std::string> friendlyName(DevNode node) const = 0;
    virtual Result<DeviceClass> deviceClass(DevNode node) const = 0;
    virtual Result<NodeStatus> status(DevNode node) const = 0;
    virtual Result<std::string> property(DevNode node, DeviceProperty which) const = 0;

    virtual Result<DevNode> parent(DevNode node) const = 0;
    virtual Result<DevNode> firstChild(DevNode node) const = 0;
    virtual Result<DevNode> nextSibling(DevNode node) const = 0;

    // Starts posting changes to `loop` until the returned watch goes.
    virtual std::unique_ptr<DeviceWatch> watch(MessageLoop& loop) = 0;
};

// The tree the environment asks for: SimDeviceTree on simFolder() when ORVANTA_DEVICES=sim,
// otherwise UdevDeviceTree.
Result<std::unique_ptr<DeviceTree>> openDeviceTree();

} // namespace Os
