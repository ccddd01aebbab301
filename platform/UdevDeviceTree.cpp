#include "platform/UdevDeviceTree.h"

#include "platform/DeviceClasses.h"
#include "platform/Log.h"
#include "platform/SystemError.h"

#include <libudev.h>
#include <poll.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <map>

namespace Os {
namespace {

struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
struct EnumerateUnref {
    void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
};
using DevicePtr = std::unique_ptr<udev_device, DeviceUnref>;

std::string text(const char* value) { return value ? value : ""; }

std::string attribute(udev_device* device, const char* name)
{
    std::string value = text(udev_device_get_sysattr_value(device, name));
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
        value.pop_back();
    return value;
}

// What the kernel made of one USB interface.
struct Function {
    std::string ttyName;
    std::string netName;
    std::string classOverride; // ORVANTA_DEVICE_CLASS of the function or the interface
};

struct UsbDevice {
    std::string syspath;
    std::string parentSyspath; // the hub's USB device; empty below a root
    std::string vendor, product, revision;
    std::string serial, sysname, productName;
    bool driverBound = false;
    std::string instanceId;
};

struct UsbInterface {
    std::string syspath;
    std::string deviceSyspath;
    unsigned number = 0;
    unsigned interfaceClass = 0, interfaceSubClass = 0;
    std::string name;
    bool driverBound = false;
    std::string classOverride;
};

unsigned hexValue(const std::string& digits)
{
    unsigned value = 0;
    std::sscanf(digits.c_str(), "%x", &value);
    return value;
}

// Characters an instance ID may carry; anything else becomes '_'.
std::string instancePart(std::string_view raw, std::size_t limit)
{
    std::string part;
    for (const char c : raw.substr(0, limit)) {
        const auto u = static_cast<unsigned char>(c);
        part += (std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == '&') ? static_cast<char>(std::toupper(u)) : '_';
    }
    return part;
}

// "6.1.0.18" of "6.1.0-18-amd64": the first four numbers of the kernel release.
std::string kernelDriverVersion()
{
    utsname names {};
    if (::uname(&names) != 0)
        return "0.0.0.0";
    unsigned numbers[4] = {0, 0, 0, 0};
    int found = 0;
    for (const char* at = names.release; *at != '\0' && found < 4;) {
        if (std::isdigit(static_cast<unsigned char>(*at))) {
            char* end = nullptr;
            numbers[found++] = static_cast<unsigned>(std::strtoul(at, &end, 10));
            at = end;
        } else {
            ++at;
        }
    }
    char version[64];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u", numbers[0], numbers[1], numbers[2], numbers[3]);
    return version;
}

bool under(const std::string& path, const std::string& ancestor)
{
    return path == ancestor || (path.size() > ancestor.size() && path.compare(0, ancestor.size(), ancestor) == 0 &&
                                path[ancestor.size()] == '/');
}

} // namespace

void UdevDeviceTree::UdevDeleter::operator()(udev* context) const { udev_unref(context); }
void UdevDeviceTree::UdevDeleter::operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }

Result<std::unique_ptr<UdevDeviceTree>> UdevDeviceTree::open()
{
    std::unique_ptr<UdevDeviceTree> tree(new UdevDeviceTree());
    if (const int error = tree->start())
        return Failure{error};
    return tree;
}

UdevDeviceTree::~UdevDeviceTree() { watcher_.stop(); }

int UdevDeviceTree::start()
{
    udev_.reset(udev_new());
    if (!udev_)
        return lastSystemError() != kErrorSuccess ? lastSystemError() : kErrorOutOfMemory;
    // Listen first, then enumerate: a device that comes in between is seen twice, never missed.
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!monitor_) {
        logMessage(LogLevel::error, "Cannot listen to udev events");
        return kErrorNotSupported;
    }
    for (const char* subsystem : {"usb", "tty", "net"})
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), subsystem, nullptr);
    if (const int rc = udev_monitor_enable_receiving(monitor_.get()); rc < 0)
        return systemErrorFromErrno(-rc);
    if (const int error = replaceNodes(enumerateNodes()))
        return error;
    return watcher_.start(udev_monitor_get_fd(monitor_.get()), POLLIN,
                          [this](short revents) { return onMonitorEvent(revents); });
}

bool UdevDeviceTree::isRemoved(const std::string& syspath) const
{
    return std::any_of(removed_.begin(), removed_.end(),
                       [&](const std::string& removed) { return under(syspath, removed); });
}

bool UdevDeviceTree::onMonitorEvent(short)
{
    // Take every queued event, then look at the devices once.
    bool any = false;
    while (DevicePtr device{udev_monitor_receive_device(monitor_.get())}) {
        any = true;
        const std::string syspath = text(udev_device_get_syspath(device.get()));
        const std::string action = text(udev_device_get_action(device.get()));
        if (action == "remove")
            removed_.insert(syspath);
        else if (action == "add")
            removed_.erase(syspath);
    }
    if (!any)
        return true;
    for (auto it = removed_.begin(); it != removed_.end();)
        it = ::access(it->c_str(), F_OK) != 0 ? removed_.erase(it) : std::next(it);
    if (const int error = replaceNodes(enumerateNodes()))
        logFormat(LogLevel::error, "The USB devices do not form a tree (error %d); keeping the last one", error);
    return true;
}

std::vector<DeviceNode> UdevDeviceTree::enumerateNodes()
{
    std::vector<UsbDevice> devices;
    std::vector<UsbInterface> interfaces;
    std::map<std::string, Function> functions; // by interface syspath

    auto forEach = [this](const char* subsystem, auto visit) {
        std::unique_ptr<udev_enumerate, EnumerateUnref> enumerate(udev_enumerate_new(udev_.get()));
        if (!enumerate)
            return;
        udev_enumerate_add_match_subsystem(enumerate.get(), subsystem);
        udev_enumerate_scan_devices(enumerate.get());
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
        {
            const std::string syspath = text(udev_list_entry_get_name(entry));
            if (isRemoved(syspath))
                continue;
            if (DevicePtr device{udev_device_new_from_syspath(udev_.get(), syspath.c_str())})
                visit(device.get(), syspath);
        }
    };
    auto parentPath = [](udev_device* device, const char* devtype) {
        udev_device* parent = udev_device_get_parent_with_subsystem_devtype(device, "usb", devtype);
        return parent ? text(udev_device_get_syspath(parent)) : std::string();
    };
    auto classOverride = [](udev_device* device) {
        return text(udev_device_get_property_value(device, "ORVANTA_DEVICE_CLASS"));
    };

    forEach("usb", [&](udev_device* device, const std::string& syspath) {
        const std::string devtype = text(udev_device_get_devtype(device));
        if (devtype == "usb_device") {
            UsbDevice usb;
            usb.syspath = syspath;
            usb.parentSyspath = parentPath(device, "usb_device");
            usb.vendor = upperCase(attribute(device, "idVendor"));
            usb.product = upperCase(attribute(device, "idProduct"));
            usb.revision = upperCase(attribute(device, "bcdDevice"));
            usb.serial = attribute(device, "serial");
            usb.sysname = text(udev_device_get_sysname(device));
            usb.productName = attribute(device, "product");
            usb.driverBound = udev_device_get_driver(device) != nullptr;
            devices.push_back(std::move(usb));
        } else if (devtype == "usb_interface") {
            UsbInterface usb;
            usb.syspath = syspath;
            usb.deviceSyspath = parentPath(device, "usb_device");
            usb.number = hexValue(attribute(device, "bInterfaceNumber"));
            usb.interfaceClass = hexValue(attribute(device, "bInterfaceClass"));
            usb.interfaceSubClass = hexValue(attribute(device, "bInterfaceSubClass"));
            usb.name = attribute(device, "interface");
            usb.driverBound = udev_device_get_driver(device) != nullptr;
            usb.classOverride = classOverride(device);
            interfaces.push_back(std::move(usb));
        }
    });
    for (const char* subsystem : {"tty", "net"}) {
        const bool isTty = std::string_view(subsystem) == "tty";
        forEach(subsystem, [&](udev_device* device, const std::string&) {
            const std::string interface = parentPath(device, "usb_interface");
            if (interface.empty())
                return;
            Function& function = functions[interface];
            std::string& name = isTty ? function.ttyName : function.netName;
            const std::string sysname = text(udev_device_get_sysname(device));
            if (!name.empty() && name <= sysname)
                return; // one function per interface node: the first by name
            name = sysname;
            if (const std::string wanted = classOverride(device); !wanted.empty())
                function.classOverride = wanted;
        });
    }

    // A serial number names a device wherever it is plugged in, unless two devices share it.
    std::map<std::string, int> serialUse;
    auto serialKey = [](const UsbDevice& usb) { return usb.vendor + usb.product + instancePart(usb.serial, 64); };
    for (const UsbDevice& usb : devices)
        ++serialUse[serialKey(usb)];
    std::map<std::string, const UsbDevice*> bySyspath;
    for (UsbDevice& usb : devices) {
        const bool unique = !usb.serial.empty() && serialUse[serialKey(usb)] == 1;
        usb.instanceId = "USB\\VID_" + usb.vendor + "&PID_" + usb.product + "\\" +
                         instancePart(unique ? usb.serial : usb.sysname, 64);
        bySyspath[usb.syspath] = &usb;
    }

    std::vector<DeviceNode> nodes;
    const std::string driverVersion = kernelDriverVersion();
    for (const UsbDevice& usb : devices) {
        DeviceNode node;
        node.instanceId = usb.instanceId;
        if (const auto hub = bySyspath.find(usb.parentSyspath); hub != bySyspath.end())
            node.parentId = hub->second->instanceId;
        const std::string ids = "USB\\VID_" + usb.vendor + "&PID_" + usb.product;
        node.hardwareIds = {ids + "&REV_" + usb.revision, ids};
        node.friendlyName = usb.productName.empty() ? "USB Device" : usb.productName;
        node.deviceClass = DeviceClass::usb;
        node.status = usb.driverBound ? kStatusStarted : kStatusProblem;
        node.problem = usb.driverBound ? 0 : kProblemFailedInstall;
        node.properties[DeviceProperty::driverVersion] = driverVersion;
        completeDerivedProperties(node);
        nodes.push_back(std::move(node));
    }
    for (const UsbInterface& usb : interfaces) {
        const auto owner = bySyspath.find(usb.deviceSyspath);
        if (owner == bySyspath.end())
            continue;
        const UsbDevice& device = *owner->second;
        char mi[8];
        std::snprintf(mi, sizeof mi, "&MI_%02X", usb.number & 0xffu);
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "&%04X", usb.number & 0xffffu);
        const std::string ids = "USB\\VID_" + device.vendor + "&PID_" + device.product;
        DeviceNode node;
        node.instanceId = ids + mi + "\\" + device.instanceId.substr(device.instanceId.rfind('\\') + 1) + suffix;
        node.parentId = device.instanceId;
        node.hardwareIds = {ids + "&REV_" + device.revision + mi, ids + mi};
        node.friendlyName = !usb.name.empty() ? usb.name
                            : device.productName.empty() ? "USB Interface " + std::to_string(usb.number)
                                                          : device.productName + " Interface " + std::to_string(usb.number);

        const auto function = functions.find(usb.syspath);
        const Function made = function == functions.end() ? Function{} : function->second;
        const std::string wanted = !made.classOverride.empty() ? made.classOverride : usb.classOverride;
        constexpr unsigned kCommunications = 0x02, kAbstractControl = 0x02, kSmartCard = 0x0b;
        if (!made.ttyName.empty()) {
            const bool acm = usb.interfaceClass == kCommunications && usb.interfaceSubClass == kAbstractControl;
            node.deviceClass = acm ? DeviceClass::modem : DeviceClass::ports;
            node.friendlyName += " (" + made.ttyName + ")";
            node.properties[DeviceProperty::portName] = made.ttyName;
        } else if (!made.netName.empty()) {
            node.deviceClass = DeviceClass::net;
            node.properties[DeviceProperty::netCfgInstanceId] = made.netName;
        } else if (usb.interfaceClass == kSmartCard) {
            node.deviceClass = DeviceClass::smartCardReader; // served from user space, no kernel driver
        }
        if (!wanted.empty())
            node.deviceClass = classFromName(wanted);
        const bool working = usb.driverBound || !made.ttyName.empty() || !made.netName.empty() ||
                             node.deviceClass == DeviceClass::smartCardReader;
        node.status = working ? kStatusStarted : kStatusProblem;
        node.problem = working ? 0 : kProblemFailedInstall;
        completeDerivedProperties(node);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

} // namespace Os
