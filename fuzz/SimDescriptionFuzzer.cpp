// Feeds arbitrary bytes to the reader of the simulated device tree's description files,
// which come from another process, and builds a tree of whatever it accepts.

#include "platform/DeviceClasses.h"
#include "platform/DeviceDescription.h"
#include "platform/DeviceSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string problem;
    auto nodes = Os::parseDeviceDescription(std::string_view(reinterpret_cast<const char*>(data), size), problem);
    if (!nodes) {
        if (problem.empty())
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    for (const Os::DeviceNode& node : nodes.value()) {
        if (node.instanceId.empty() || node.instanceId.size() > Os::kMaxInstanceIdLength)
            __builtin_trap();
        (void)Os::broadcastsOf(node);
    }
    Os::DeviceHandles handles;
    auto tree = Os::DeviceSnapshot::build(nodes.value(), handles);
    if (!tree)
        return 0;
    // Every node is reachable from the root, and plugging then unplugging it all
    // announces as much going as coming.
    std::size_t reachable = 0;
    std::vector<Os::DevNode> pending{tree.value().root()};
    while (!pending.empty()) {
        const auto* entry = tree.value().find(pending.back());
        pending.pop_back();
        if (entry == nullptr || ++reachable > nodes.value().size() + 1)
            __builtin_trap();
        pending.insert(pending.end(), entry->children.begin(), entry->children.end());
    }
    if (reachable != nodes.value().size() + 1)
        __builtin_trap();
    const Os::DeviceSnapshot empty;
    if (Os::changesBetween(empty, tree.value()).size() != Os::changesBetween(tree.value(), empty).size())
        __builtin_trap();
    return 0;
}
