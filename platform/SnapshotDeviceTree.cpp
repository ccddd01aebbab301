#include "platform/SnapshotDeviceTree.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"

#include <algorithm>

namespace Os {

// Shared with every Watch, so a watch may outlive the tree or go while the tree posts.
struct SnapshotDeviceTree::Watchers {
    std::mutex mutex; // guards loops; held while posting, so a removed loop gets nothing more
    std::vector<MessageLoop*> loops;
};

class SnapshotDeviceTree::Watch final : public DeviceWatch {
public:
    Watch(std::shared_ptr<Watchers> watchers, MessageLoop& loop) : watchers_(std::move(watchers)), loop_(&loop)
    {
        std::lock_guard lock(watchers_->mutex);
        watchers_->loops.push_back(loop_);
    }
    ~Watch() override
    {
        std::lock_guard lock(watchers_->mutex);
        auto& loops = watchers_->loops;
        loops.erase(std::find(loops.begin(), loops.end(), loop_));
    }

private:
    std::shared_ptr<Watchers> watchers_;
    MessageLoop* loop_;
};

SnapshotDeviceTree::SnapshotDeviceTree() : watchers_(std::make_shared<Watchers>()) {}

std::unique_ptr<DeviceWatch> SnapshotDeviceTree::watch(MessageLoop& loop)
{
    return std::make_unique<Watch>(watchers_, loop);
}

int SnapshotDeviceTree::replaceNodes(std::vector<DeviceNode> nodes)
{
    std::vector<Message> messages;
    {
        std::lock_guard lock(mutex_);
        auto next = DeviceSnapshot::build(std::move(nodes), handles_);
        if (!next)
            return next.error();
        for (DeviceChange& change : changesBetween(snapshot_, next.value())) {
            Message message{kWmDeviceChange, change.event, 0, {}};
            if (change.broadcast)
                message.attachment = std::move(*change.broadcast);
            messages.push_back(std::move(message));
        }
        snapshot_ = std::move(next).value();
    }
    postToWatchers(messages);
    return kErrorSuccess;
}

void SnapshotDeviceTree::postPowerEvent(std::uintptr_t event)
{
    postToWatchers({Message{kWmPowerBroadcast, event, 0, {}}});
}

void SnapshotDeviceTree::postToWatchers(const std::vector<Message>& messages)
{
    std::lock_guard lock(watchers_->mutex);
    for (MessageLoop* loop : watchers_->loops)
        for (const Message& message : messages)
            loop->post(message);
}

template <class T, class Read>
Result<T> SnapshotDeviceTree::withEntry(DevNode node, Read read) const
{
    std::lock_guard lock(mutex_);
    const DeviceSnapshot::Entry* entry = snapshot_.find(node);
    if (entry == nullptr)
        return Failure{kCrNoSuchDevNode};
    return read(*entry);
}

DevNode SnapshotDeviceTree::root() const { return DeviceHandles::kRoot; }

template <class Keep>
std::vector<DevNode> SnapshotDeviceTree::presentWhere(Keep keep) const
{
    std::lock_guard lock(mutex_);
    std::vector<DevNode> out;
    for (const DevNode handle : snapshot_.nodes())
        if (keep(snapshot_.find(handle)->node))
            out.push_back(handle);
    return out;
}

std::vector<DevNode> SnapshotDeviceTree::presentByEnumerator(std::string_view enumerator) const
{
    const std::string wanted = upperCase(enumerator);
    return presentWhere(
        [&wanted](const DeviceNode& node) { return upperCase(enumeratorOf(node.instanceId)) == wanted; });
}

std::vector<DevNode> SnapshotDeviceTree::presentByClass(DeviceClass deviceClass) const
{
    return presentWhere([deviceClass](const DeviceNode& node) { return node.deviceClass == deviceClass; });
}

Result<DevNode> SnapshotDeviceTree::locate(std::string_view instanceId) const
{
    std::lock_guard lock(mutex_);
    const DeviceSnapshot::Entry* entry = snapshot_.find(instanceId);
    if (entry == nullptr)
        return Failure{kCrNoSuchDevNode};
    return entry->handle;
}

Result<std::string> SnapshotDeviceTree::instanceId(DevNode node) const
{
    return withEntry<std::string>(node, [](const auto& entry) { return entry.node.instanceId; });
}

Result<std::vector<std::string>> SnapshotDeviceTree::hardwareIds(DevNode node) const
{
    return withEntry<std::vector<std::string>>(node, [](const auto& entry) { return entry.node.hardwareIds; });
}

Result<std::string> SnapshotDeviceTree::friendlyName(DevNode node) const
{
    return withEntry<std::string>(node, [](const auto& entry) -> Result<std::string> {
        if (entry.node.friendlyName.empty())
            return Failure{kErrorInvalidData};
        return entry.node.friendlyName;
    });
}

Result<DeviceClass> SnapshotDeviceTree::deviceClass(DevNode node) const
{
    return withEntry<DeviceClass>(node, [](const auto& entry) { return entry.node.deviceClass; });
}

Result<NodeStatus> SnapshotDeviceTree::status(DevNode node) const
{
    return withEntry<NodeStatus>(node,
                                 [](const auto& entry) { return NodeStatus{entry.node.status, entry.node.problem}; });
}

Result<std::string> SnapshotDeviceTree::property(DevNode node, DeviceProperty which) const
{
    return withEntry<std::string>(node, [which](const auto& entry) -> Result<std::string> {
        const auto it = entry.node.properties.find(which);
        if (it == entry.node.properties.end())
            return Failure{kErrorFileNotFound};
        return it->second;
    });
}

Result<DevNode> SnapshotDeviceTree::parent(DevNode node) const
{
    return withEntry<DevNode>(node, [](const auto& entry) -> Result<DevNode> {
        if (entry.parent == kNoDevNode)
            return Failure{kCrNoSuchDevNode};
        return entry.parent;
    });
}

Result<DevNode> SnapshotDeviceTree::firstChild(DevNode node) const
{
    return withEntry<DevNode>(node, [](const auto& entry) -> Result<DevNode> {
        if (entry.children.empty())
            return Failure{kCrNoSuchDevNode};
        return entry.children.front();
    });
}

Result<DevNode> SnapshotDeviceTree::nextSibling(DevNode node) const
{
    std::lock_guard lock(mutex_);
    const DeviceSnapshot::Entry* entry = snapshot_.find(node);
    if (entry == nullptr || entry->parent == kNoDevNode)
        return Failure{kCrNoSuchDevNode};
    const auto& siblings = snapshot_.find(entry->parent)->children;
    const auto it = std::find(siblings.begin(), siblings.end(), node);
    if (it == siblings.end() || std::next(it) == siblings.end())
        return Failure{kCrNoSuchDevNode};
    return *std::next(it);
}

} // namespace Os
