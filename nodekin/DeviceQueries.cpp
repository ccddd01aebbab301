#include "nodekin/DeviceQueries.h"

#include "nodekin/CardDatabase.h"
#include "nodekin/HardwareIds.h"
#include "nodekin/XLog.h"

namespace Nodekin {

namespace {

constexpr int maxAncestorSteps = 3;

struct FunctionWords {
    Os::DeviceClass deviceClass;
    const char* noun;     // "port", "modem", ...
    const char* operation; // for property errors
    const char* notFound;
    bool hasPort;
};

FunctionWords wordsFor(FunctionKind kind)
{
    switch (kind) {
    case FunctionKind::modem:
        return {Os::DeviceClass::modem, "modem", "HaveModem", "Nk: Modem not found!", true};
    case FunctionKind::port:
        return {Os::DeviceClass::ports, "port", "HavePort", "Nk: Port not found!", true};
    case FunctionKind::netAdapter:
        return {Os::DeviceClass::net, "network adapter", "HaveNetAdapter", "Network adapter not found!", false};
    case FunctionKind::smartCardReader:
        break;
    }
    return {Os::DeviceClass::smartCardReader, "smart card reader", "HaveSmartCardReader", "Smart card reader not found!",
            false};
}

} // namespace

bool isDeviceNodeActive(const Os::DeviceTree& tree, Os::DevNode node, bool reenumerate)
{
    const Os::Result<Os::NodeStatus> status = tree.status(node);
    if (!status) {
        xlog(logWarning, "Nk: IsDeviceNodeActive(): CM_Get_DevNode_Status for devnode 0x%x failed with 0x%x", node,
             status.error());
        return false;
    }
    const std::uint32_t flags = status.value().status;
    const bool running = (flags & (Os::kDnDriverLoaded | Os::kDnStarted)) != 0;
    const bool troubled = (flags & (Os::kDnHasProblem | Os::kDnWillBeRemoved)) != 0 ||
                          (!reenumerate && (flags & Os::kDnNeedToEnum) != 0);
    const bool active = running && !troubled;
    xlog(logVerbose, "Nk: DevNode 0x%x status is 0x%x, problem# is %d (%s%s)", node, flags,
         static_cast<int>(status.value().problem), active ? "active" : "inactive", reenumerate ? "" : " w/o reenum");
    return active;
}

bool isDescendantOf(const Os::DeviceTree& tree, Os::DevNode candidate, Os::DevNode card)
{
    Os::DevNode node = candidate;
    for (int step = 0; step <= maxAncestorSteps; ++step) {
        if (node == card)
            return true;
        const Os::Result<Os::DevNode> parent = tree.parent(node);
        if (!parent)
            return false;
        node = parent.value();
    }
    return false;
}

std::vector<Os::DevNode> descendants(const Os::DeviceTree& tree, Os::DevNode node)
{
    std::vector<Os::DevNode> found;
    std::vector<Os::DevNode> pending;
    if (const Os::Result<Os::DevNode> child = tree.firstChild(node))
        pending.push_back(child.value());
    else
        xlog(logVerbose, "Nk: Device 0x%x has no children at all (err 0x%x)", node, child.error());
    while (!pending.empty()) {
        const Os::DevNode current = pending.back();
        pending.pop_back();
        found.push_back(current);
        // Siblings after children, so the walk goes depth first.
        if (const Os::Result<Os::DevNode> sibling = tree.nextSibling(current))
            pending.push_back(sibling.value());
        if (const Os::Result<Os::DevNode> child = tree.firstChild(current))
            pending.push_back(child.value());
    }
    return found;
}

int findIdFragment(const Os::DeviceTree& tree, Os::DevNode node, const std::vector<std::string_view>& fragments,
                   bool below)
{
    const std::vector<Os::DevNode> nodes = below ? descendants(tree, node) : std::vector<Os::DevNode>{node};
    for (const Os::DevNode candidate : nodes) {
        const Os::Result<std::string> id = tree.instanceId(candidate);
        if (!id) {
            xlog(logWarning, "HasDeviceNameSubStrings(): CM_Get_Device_ID failed with 0x%x", id.error());
            continue;
        }
        if (const int index = findFragment(id.value(), fragments); index >= 0)
            return index;
    }
    return -1;
}

bool allChildrenActive(const Os::DeviceTree& tree, Os::DevNode node)
{
    Os::Result<Os::DevNode> child = tree.firstChild(node);
    if (!child)
        return false;
    for (; child; child = tree.nextSibling(child.value()))
        if (!isDeviceNodeActive(tree, child.value()))
            return false;
    return true;
}

std::optional<FoundCard> findCardOnBus(const Os::DeviceTree& tree, const CardDatabase& database, std::int32_t bus)
{
    static constexpr const char* enumerators[] = {"", "PCMCIA", "USB", "PCI"};
    if (bus < busPcmcia || bus > busPci)
        return std::nullopt;
    std::optional<FoundCard> best;
    for (const Os::DevNode node : tree.presentByEnumerator(enumerators[bus])) {
        const Os::Result<std::vector<std::string>> ids = tree.hardwareIds(node);
        if (!ids || ids.value().empty())
            continue;
        const std::string hardwareId = joinHardwareIds(ids.value());
        const std::optional<VendorProduct> parsed = extractIds(hardwareId.c_str(), bus);
        if (!parsed)
            continue;
        const int row = database.find(bus, parsed->vendor, parsed->product);
        if (row < 0 || (best && best->row <= row) || !isDeviceNodeActive(tree, node))
            continue;
        best = FoundCard{row, hardwareId, node, tree.property(node, Os::DeviceProperty::symbolicName).valueOr(""),
                         parsed->vendor, parsed->product};
    }
    return best;
}

std::optional<FoundFunction> findFunction(const Os::DeviceTree& tree, FunctionKind kind, const char* fragments,
                                          Os::DevNode card, bool checkActive)
{
    const FunctionWords words = wordsFor(kind);
    xlog(logNormal, "Nk: Searching for %s [%s] with parent 0x%x", words.noun, fragments ? fragments : "", card);
    const std::vector<Os::DevNode> candidates = tree.presentByClass(words.deviceClass);
    if (candidates.empty()) {
        xlog(logNormal, "Nk: No %ss detected, rc=0x%x", words.noun, 0u);
        xlog(logNormal, "%s", words.notFound);
        return std::nullopt;
    }
    int number = 0;
    for (const Os::DevNode node : candidates) {
        const Os::Result<std::string> friendly = tree.friendlyName(node);
        if (!friendly) {
            xlog(logWarning, "Nk: %s(): Cannot get the device property, rc=0x%x", words.operation, friendly.error());
            continue;
        }
        xlog(logVerbose, "Nk: Checking %s #%d [%s]", words.noun, number++, friendly.value().c_str());
        if (matchName(fragments, friendly.value()) < 0 || !isDescendantOf(tree, node, card))
            continue;
        if (checkActive && !isDeviceNodeActive(tree, node))
            continue;
        FoundFunction found;
        found.node = node;
        found.name = friendly.value();
        if (words.hasPort) {
            const Os::Result<std::string> port = tree.property(node, Os::DeviceProperty::portName);
            if (!port) {
                xlog(logWarning, "Nk: %s(): Could not find \"PortName\" regkey, rc=0x%x", words.operation, port.error());
                continue;
            }
            found.port = "/dev/" + port.value();
        }
        if (kind == FunctionKind::netAdapter)
            found.extra = tree.property(node, Os::DeviceProperty::netCfgInstanceId).valueOr("");
        return found;
    }
    xlog(logNormal, "%s", words.notFound);
    return std::nullopt;
}

} // namespace Nodekin
