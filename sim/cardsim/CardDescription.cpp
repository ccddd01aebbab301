#include "sim/cardsim/CardDescription.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>

namespace Cardsim {
namespace {

std::string vidPid(const CardIds& ids)
{
    char text[32];
    std::snprintf(text, sizeof text, "VID_%04X&PID_%04X", static_cast<unsigned>(ids.vendorId) & 0xFFFFu,
                  static_cast<unsigned>(ids.productId) & 0xFFFFu);
    return text;
}

std::string functionInstanceId(const Profile& profile, const CardIds& ids, const Function& function, std::size_t index)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "&%04zu", index);
    return std::string(profile.childEnumerator) + "\\" + vidPid(ids) + std::string(function.fragment) + "\\" +
           ids.serial + suffix;
}

} // namespace

std::string cardInstanceId(const CardIds& ids) { return "USB\\" + vidPid(ids) + "\\" + ids.serial; }

std::vector<Os::DeviceNode> describeCard(const Profile& profile, const CardIds& ids,
                                         const std::map<PortRole, std::string>& portNames)
{
    std::vector<Os::DeviceNode> nodes;
    Os::DeviceNode card;
    card.instanceId = cardInstanceId(ids);
    card.hardwareIds = {"USB\\" + vidPid(ids) + "&REV_" + std::string(profile.revision), "USB\\" + vidPid(ids)};
    card.friendlyName = profile.cardName;
    card.deviceClass = Os::DeviceClass::usb;
    card.properties[Os::DeviceProperty::driverVersion] = profile.driverVersion;
    nodes.push_back(card);

    for (std::size_t index = 0; index < profile.functions.size(); ++index) {
        const Function& function = profile.functions[index];
        Os::DeviceNode child;
        child.instanceId = functionInstanceId(profile, ids, function, index);
        child.parentId = card.instanceId;
        child.hardwareIds = {std::string(profile.childEnumerator) + "\\" + vidPid(ids) + std::string(function.fragment)};
        child.friendlyName = function.friendlyName;
        child.deviceClass = function.deviceClass;
        const auto port = portNames.find(function.role);
        if (function.hasPort && port != portNames.end()) {
            // As a port's name shows on the real tree: "Roamex GPS Data Port (pts/5)".
            child.friendlyName += " (" + port->second + ")";
            child.properties[Os::DeviceProperty::portName] = port->second;
        }
        nodes.push_back(child);
    }
    return nodes;
}

std::string descriptionText(const std::vector<Os::DeviceNode>& nodes)
{
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const Os::DeviceNode& node : nodes) {
        nlohmann::ordered_json item;
        item["instanceId"] = node.instanceId;
        if (!node.parentId.empty())
            item["parent"] = node.parentId;
        if (const std::string_view name = Os::className(node.deviceClass); !name.empty())
            item["class"] = name;
        if (!node.hardwareIds.empty())
            item["hardwareIds"] = node.hardwareIds;
        if (!node.friendlyName.empty())
            item["friendlyName"] = node.friendlyName;
        if (node.status != Os::kStatusStarted)
            item["status"] = node.status;
        if (node.problem != 0)
            item["problem"] = node.problem;
        for (const auto& [property, value] : node.properties) {
            switch (property) {
            case Os::DeviceProperty::portName: item["portName"] = value; break;
            case Os::DeviceProperty::symbolicName: item["symbolicName"] = value; break;
            case Os::DeviceProperty::netCfgInstanceId: item["netCfgInstanceId"] = value; break;
            case Os::DeviceProperty::classGuid: item["classGuid"] = value; break;
            case Os::DeviceProperty::driverVersion: item["driverVersion"] = value; break;
            }
        }
        devices.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["devices"] = std::move(devices);
    return document.dump(2) + "\n";
}

DescriptionFile::DescriptionFile(std::filesystem::path folder, const std::string& name)
    : path_(folder / (name + ".json")), hidden_(folder / ("." + name + ".json.tmp"))
{
}

int DescriptionFile::publish(const std::string& text) const
{
    const int fd = ::open(hidden_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return Os::lastSystemError();
    std::size_t done = 0;
    int error = 0;
    while (done < text.size() && error == 0) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put > 0)
            done += static_cast<std::size_t>(put);
        else if (put < 0 && errno != EINTR)
            error = Os::lastSystemError();
    }
    if (::close(fd) != 0 && error == 0)
        error = Os::lastSystemError();
    if (error == 0 && ::rename(hidden_.c_str(), path_.c_str()) != 0)
        error = Os::lastSystemError();
    if (error != 0)
        ::unlink(hidden_.c_str());
    return error;
}

int DescriptionFile::withdraw() const
{
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
        return Os::lastSystemError();
    return Os::kErrorSuccess;
}

} // namespace Cardsim
