#pragma once
// The machine's USB devices as a device tree, from libudev. Each USB device is a node
// "USB\VID_1234&PID_5678\<serial or bus position>" of class USB; each of its interfaces is
// a child node "USB\VID_1234&PID_5678&MI_02\<parent's instance>&0002" that takes the class
// of the function the kernel made of it, as the interface's device node does on Windows:
// a tty makes it a Ports node whose PortName is the tty ("ttyUSB2") and whose friendly
// name is the interface string with the tty behind it ("Roamex Application Interface
// (ttyUSB2)"); a network interface makes it a Net node whose NetCfgInstanceId is the
// interface name ("wwan0"). Hot-plug comes through a udev monitor. platform/README.md has
// the whole mapping.

#include "platform/DeviceNode.h"
#include "platform/PollThread.h"
#include "platform/SnapshotDeviceTree.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace Os {

class UdevDeviceTree final : public SnapshotDeviceTree {
public:
    static Result<std::unique_ptr<UdevDeviceTree>> open();
    ~UdevDeviceTree() override;

private:
    struct UdevDeleter {
        void operator()(udev* context) const;
        void operator()(udev_monitor* monitor) const;
    };

    UdevDeviceTree() = default;
    int start();
    // On the watcher thread (or in start(), before it runs).
    bool onMonitorEvent(short revents);
    std::vector<DeviceNode> enumerateNodes();
    bool isRemoved(const std::string& syspath) const;

    std::unique_ptr<udev, UdevDeleter> udev_;
    std::unique_ptr<udev_monitor, UdevDeleter> monitor_;
    // Devices reported removed. Kept out of the tree even while sysfs still shows them,
    // until they are added again or vanish from sysfs. Only the watcher thread uses it.
    std::set<std::string> removed_;
    PollThread watcher_;
};

} // namespace Os
