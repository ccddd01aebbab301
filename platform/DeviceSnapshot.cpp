#include "platform/DeviceSnapshot.h"

#include "platform/DeviceClasses.h"
#include "platform/Log.h"
#include "platform/SystemError.h"

#include <algorithm>

namespace Os {

DevNode DeviceHandles::handleOf(std::string_view instanceId)
{
    const std::string key = upperCase(instanceId);
    if (const auto it = handles_.find(key); it != handles_.end())
        return it->second;
    const DevNode handle = next_++;
    handles_.emplace(key, handle);
    return handle;
}

DeviceSnapshot::DeviceSnapshot()
{
    Entry root;
    root.node.instanceId = kRootInstanceId;
    root.handle = DeviceHandles::kRoot;
    entries_.emplace(root.handle, std::move(root));
    byId_.emplace(upperCase(kRootInstanceId), DeviceHandles::kRoot);
}

Result<DeviceSnapshot> DeviceSnapshot::build(std::vector<DeviceNode> nodes, DeviceHandles& handles)
{
    DeviceSnapshot snapshot;
    for (DeviceNode& node : nodes) {
        const std::string key = upperCase(node.instanceId);
        if (snapshot.byId_.count(key) != 0) {
            logFormat(LogLevel::warning, "Device %s is described twice", node.instanceId.c_str());
            return Failure{kErrorInvalidData};
        }
        const DevNode handle = handles.handleOf(node.instanceId);
        snapshot.byId_.emplace(key, handle);
        snapshot.order_.push_back(handle);
        Entry entry;
        entry.handle = handle;
        entry.node = std::move(node);
        snapshot.entries_.emplace(handle, std::move(entry));
    }
    for (const DevNode handle : snapshot.order_) {
        Entry& entry = snapshot.entries_.at(handle);
        const auto parent = entry.node.parentId.empty() ? snapshot.byId_.end()
                                                        : snapshot.byId_.find(upperCase(entry.node.parentId));
        entry.parent = parent == snapshot.byId_.end() ? DeviceHandles::kRoot : parent->second;
        snapshot.entries_.at(entry.parent).children.push_back(handle);
    }
    // Depth by walking up; a walk longer than the tree is a circle.
    const std::size_t limit = snapshot.entries_.size();
    for (const DevNode handle : snapshot.order_) {
        int depth = 0;
        for (DevNode at = handle; at != DeviceHandles::kRoot; at = snapshot.entries_.at(at).parent) {
            if (static_cast<std::size_t>(++depth) > limit) {
                logFormat(LogLevel::warning, "Device %s is its own ancestor",
                          snapshot.entries_.at(handle).node.instanceId.c_str());
                return Failure{kErrorInvalidData};
            }
        }
        snapshot.entries_.at(handle).depth = depth;
    }
    return snapshot;
}

const DeviceSnapshot::Entry* DeviceSnapshot::find(DevNode handle) const
{
    const auto it = entries_.find(handle);
    return it == entries_.end() ? nullptr : &it->second;
}

const DeviceSnapshot::Entry* DeviceSnapshot::find(std::string_view instanceId) const
{
    const auto it = byId_.find(upperCase(instanceId));
    return it == byId_.end() ? nullptr : find(it->second);
}

namespace {

struct Announcement {
    int depth;
    DeviceChange change;
};

// Broadcasts in `from` that `to` does not have.
void missingFrom(const std::vector<DeviceBroadcast>& from, const std::vector<DeviceBroadcast>& to,
                 std::uintptr_t event, int depth, std::vector<Announcement>& out)
{
    for (const DeviceBroadcast& broadcast : from)
        if (std::find(to.begin(), to.end(), broadcast) == to.end())
            out.push_back({depth, DeviceChange{event, broadcast}});
}

} // namespace

std::vector<DeviceChange> changesBetween(const DeviceSnapshot& before, const DeviceSnapshot& after)
{
    bool anyDifference = false;
    std::vector<Announcement> removals;
    std::vector<Announcement> arrivals;
    const std::vector<DeviceBroadcast> none;

    for (const DevNode handle : before.nodes()) {
        const auto& old = *before.find(handle);
        const auto* now = after.find(handle);
        if (now == nullptr || now->node != old.node || now->parent != old.parent)
            anyDifference = true;
        missingFrom(broadcastsOf(old.node), now ? broadcastsOf(now->node) : none, kDbtDeviceRemoveComplete,
                    old.depth, removals);
    }
    for (const DevNode handle : after.nodes()) {
        const auto& now = *after.find(handle);
        const auto* old = before.find(handle);
        if (old == nullptr)
            anyDifference = true;
        missingFrom(broadcastsOf(now.node), old ? broadcastsOf(old->node) : none, kDbtDeviceArrival, now.depth,
                    arrivals);
    }

    // Stable: nodes of one depth keep their enumeration order.
    std::stable_sort(removals.begin(), removals.end(),
                     [](const Announcement& a, const Announcement& b) { return a.depth > b.depth; });
    std::stable_sort(arrivals.begin(), arrivals.end(),
                     [](const Announcement& a, const Announcement& b) { return a.depth < b.depth; });
    std::vector<DeviceChange> changes;
    for (auto& removal : removals)
        changes.push_back(std::move(removal.change));
    for (auto& arrival : arrivals)
        changes.push_back(std::move(arrival.change));
    if (anyDifference)
        changes.push_back(DeviceChange{kDbtDevNodesChanged, std::nullopt});
    return changes;
}

} // namespace Os
