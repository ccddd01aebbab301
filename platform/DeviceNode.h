#pragma once
// One device node as a value: what a description file or udev says about a device,
// before the tree gives it a handle.

#include "platform/DeviceTree.h"

#include <map>
#include <string>
#include <vector>

namespace Os {

struct DeviceNode {
    std::string instanceId;
    std::string parentId; // empty: the node hangs below the root
    std::vector<std::string> hardwareIds;
    std::string friendlyName; // empty: none
    DeviceClass deviceClass = DeviceClass::other;
    std::uint32_t status = kStatusStarted;
    std::uint32_t problem = 0;
    std::map<DeviceProperty, std::string> properties;

    bool operator==(const DeviceNode&) const = default;
};

} // namespace Os
