#pragma once
// The device tree at one moment: nodes with their handles, parents and children, and the
// arrivals and removals that lead from one moment to the next.

#include "platform/DeviceNode.h"
#include "platform/Result.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Os {

// Hands out node handles by instance ID and never forgets one, so a replugged device gets
// its old handle back, as a device instance does.
class DeviceHandles {
public:
    static constexpr DevNode kRoot = 1;
    DevNode handleOf(std::string_view instanceId);

private:
    std::map<std::string, DevNode, std::less<>> handles_; // keyed by upper-case instance ID
    DevNode next_ = kRoot + 1;
};

class DeviceSnapshot {
public:
    static constexpr std::string_view kRootInstanceId = "HTREE\\ROOT\\0";

    struct Entry {
        DeviceNode node;
        DevNode handle = kNoDevNode;
        DevNode parent = kNoDevNode;
        std::vector<DevNode> children; // in enumeration order
        int depth = 0;                 // the root is 0
    };

    // Only the root.
    DeviceSnapshot();

    // Fails with kErrorInvalidData, logging why, when two nodes share an instance ID or
    // parent links run in a circle. A node whose parent is not among `nodes` hangs below
    // the root.
    static Result<DeviceSnapshot> build(std::vector<DeviceNode> nodes, DeviceHandles& handles);

    DevNode root() const { return DeviceHandles::kRoot; }
    const Entry* find(DevNode handle) const;
    const Entry* find(std::string_view instanceId) const;
    // Every node but the root, in enumeration order.
    const std::vector<DevNode>& nodes() const { return order_; }

private:
    std::map<DevNode, Entry> entries_;
    std::map<std::string, DevNode, std::less<>> byId_; // upper-case instance ID
    std::vector<DevNode> order_;
};

// One kWmDeviceChange message: the event and, for arrivals and removals, what came or went.
struct DeviceChange {
    std::uintptr_t event = 0;
    std::optional<DeviceBroadcast> broadcast;

    bool operator==(const DeviceChange&) const = default;
};

// Removals first, deepest nodes first; then arrivals, parents before children; then one
// kDbtDevNodesChanged when anything at all differs. Nothing when nothing differs.
std::vector<DeviceChange> changesBetween(const DeviceSnapshot& before, const DeviceSnapshot& after);

} // namespace Os
