#pragma once
// The queries and the watch list that both device trees share. A tree keeps its nodes as
// a snapshot that its own watcher thread replaces when the devices change; queries read
// the current snapshot, and watchers learn what changed right after each replacement, so
// a handler that looks at the tree on an arrival message finds the new node there.

#include "platform/DeviceSnapshot.h"
#include "platform/DeviceTree.h"
#include "platform/MessageLoop.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Os {

class SnapshotDeviceTree : public DeviceTree {
public:
    DevNode root() const override;
    std::vector<DevNode> presentByEnumerator(std::string_view enumerator) const override;
    std::vector<DevNode> presentByClass(DeviceClass deviceClass) const override;
    Result<DevNode> locate(std::string_view instanceId) const override;

    Result<std::string> instanceId(DevNode node) const override;
    Result<std::vector<std::string>> hardwareIds(DevNode node) const override;
    Result<std::string> friendlyName(DevNode node) const override;
    Result<DeviceClass> deviceClass(DevNode node) const override;
    Result<NodeStatus> status(DevNode node) const override;
    Result<std::string> property(DevNode node, DeviceProperty which) const override;

    Result<DevNode> parent(DevNode node) const override;
    Result<DevNode> firstChild(DevNode node) const override;
    Result<DevNode> nextSibling(DevNode node) const override;

    std::unique_ptr<DeviceWatch> watch(MessageLoop& loop) override;

protected:
    SnapshotDeviceTree();

    // Makes `nodes` the content of the tree and posts what changed to every watcher.
    // Fails, leaving the tree as it was, when the nodes do not form a tree. Called from
    // one thread at a time (the tree's watcher thread, or its constructor).
    int replaceNodes(std::vector<DeviceNode> nodes);
    void postPowerEvent(std::uintptr_t event);

private:
    struct Watchers;
    class Watch;

    // Runs `read` on the node's entry under the lock; kCrNoSuchDevNode when it is gone.
    template <class T, class Read>
    Result<T> withEntry(DevNode node, Read read) const;
    template <class Keep>
    std::vector<DevNode> presentWhere(Keep keep) const;
    void postToWatchers(const std::vector<Message>& messages);

    mutable std::mutex mutex_; // guards handles_ and snapshot_
    DeviceHandles handles_;
    DeviceSnapshot snapshot_;
    std::shared_ptr<Watchers> watchers_;
};

} // namespace Os
