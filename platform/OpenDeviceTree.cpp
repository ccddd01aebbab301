// Which device tree the libraries get.

#include "platform/DeviceTree.h"
#include "platform/RuntimeFolder.h"
#include "platform/SimDeviceTree.h"
#include "platform/UdevDeviceTree.h"

#include <cstdlib>
#include <cstring>

namespace Os {

Result<std::unique_ptr<DeviceTree>> openDeviceTree()
{
    const char* choice = std::getenv("ORVANTA_DEVICES");
    if (choice != nullptr && std::strcmp(choice, "sim") == 0) {
        auto folder = simFolder();
        if (!folder)
            return Failure{folder.error()};
        auto tree = SimDeviceTree::open(folder.value());
        if (!tree)
            return Failure{tree.error()};
        return std::unique_ptr<DeviceTree>(std::move(tree).value());
    }
    auto tree = UdevDeviceTree::open();
    if (!tree)
        return Failure{tree.error()};
    return std::unique_ptr<DeviceTree>(std::move(tree).value());
}

} // namespace Os
