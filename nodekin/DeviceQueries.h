#pragma once
// The questions detection asks the device tree: is this node working, does it hang below
// the card, which present device of a class carries a function of the card, and which
// fragments occur in the instance IDs of the card's descendants.

#include "platform/DeviceTree.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Nodekin {

// A node is active with its driver loaded or started, and no problem.
bool isDeviceNodeActive(const Os::DeviceTree& tree, Os::DevNode node, bool reenumerate = false);

// The candidate is the card's node itself, its parent, grandparent or great-grandparent
// (at most three steps up).
bool isDescendantOf(const Os::DeviceTree& tree, Os::DevNode candidate, Os::DevNode card);

// Every node below `node`, depth first.
std::vector<Os::DevNode> descendants(const Os::DeviceTree& tree, Os::DevNode node);

// The index of the first fragment that occurs in the instance ID of `node` or, with
// `below`, of any node below it; -1 when none does.
int findIdFragment(const Os::DeviceTree& tree, Os::DevNode node, const std::vector<std::string_view>& fragments,
                   bool below);

// Whether every child of `node` is active (false when it has none).
bool allChildrenActive(const Os::DeviceTree& tree, Os::DevNode node);

struct FoundCard {
    int row = -1;
    std::string hardwareId; // upper-cased, multi-strings joined with commas
    Os::DevNode node = Os::kNoDevNode;
    std::string symbolicName;
    std::int32_t vendor = 0;
    std::int32_t product = 0;
};

class CardDatabase;

// The present device of a bus whose hardware IDs match an enabled row, the lowest row
// first; its node must be active.
std::optional<FoundCard> findCardOnBus(const Os::DeviceTree& tree, const CardDatabase& database, std::int32_t bus);

struct FoundFunction {
    Os::DevNode node = Os::kNoDevNode;
    std::string name;  // the friendly name
    std::string port;  // "/dev/<PortName>", for ports and modems
    std::string extra; // a network adapter's NetCfgInstanceId
};

enum class FunctionKind { modem, port, netAdapter, smartCardReader };

// The present device of the function's class whose friendly name matches `fragments`,
// that hangs below `card` and is active (for smart card readers only when
// `checkActive`).
std::optional<FoundFunction> findFunction(const Os::DeviceTree& tree, FunctionKind kind, const char* fragments,
                                          Os::DevNode card, bool checkActive = true);

} // namespace Nodekin
