#include "platform/DeviceDescription.h"

#include "platform/DeviceClasses.h"
#include "platform/SystemError.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

namespace Os {
namespace {

using Json = nlohmann::json;

// Sets `problem` and answers false, so checks read `if (!x) return fail(...)`.
class Checker {
public:
    explicit Checker(std::string& problem) : problem_(problem) {}

    bool fail(std::string text)
    {
        problem_ = std::move(text);
        return false;
    }

    // Printable text without control characters, at most `limit` bytes.
    bool text(const Json& value, const char* what, std::size_t limit, std::string& out)
    {
        if (!value.is_string())
            return fail(std::string(what) + " must be a string");
        const auto& chars = value.get_ref<const std::string&>();
        if (chars.size() > limit)
            return fail(std::string(what) + " is longer than " + std::to_string(limit) + " bytes");
        for (const char c : chars)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                return fail(std::string(what) + " holds a control character");
        out = chars;
        return true;
    }

    // "ENUMERATOR\DEVICE\INSTANCE": printable ASCII with an enumerator in front.
    bool instanceId(const Json& value, const char* what, std::string& out)
    {
        if (!text(value, what, kMaxInstanceIdLength, out))
            return false;
        for (const char c : out)
            if (static_cast<unsigned char>(c) > 0x7e)
                return fail(std::string(what) + " must be plain ASCII");
        const std::size_t separator = out.find('\\');
        if (separator == 0 || separator == std::string::npos)
            return fail(std::string(what) + " \"" + out + "\" lacks its enumerator");
        if (upperCase(out) == "HTREE\\ROOT\\0")
            return fail(std::string(what) + " names the root");
        return true;
    }

    bool number(const Json& value, const char* what, std::uint32_t& out)
    {
        if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 0xffffffffu) {
            out = static_cast<std::uint32_t>(value.get<std::uint64_t>());
            return true;
        }
        if (value.is_string()) { // hexadecimal flags read better: "0x0180200A"
            const auto& digits = value.get_ref<const std::string&>();
            if (digits.size() > 2 && digits.size() <= 10 && (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)) {
                const char* first = digits.data() + 2;
                const char* last = digits.data() + digits.size();
                const auto [end, error] = std::from_chars(first, last, out, 16);
                if (error == std::errc() && end == last)
                    return true;
            }
        }
        return fail(std::string(what) + " must be a number from 0 to 0xFFFFFFFF");
    }

    // Relative to /dev, without empty, "." or ".." parts: the port is opened as "/dev/" + it.
    bool portName(const Json& value, std::string& out)
    {
        if (!text(value, "portName", kMaxTextLength, out))
            return false;
        if (out.rfind("/dev/", 0) == 0)
            out.erase(0, 5);
        std::size_t start = 0;
        while (start <= out.size()) {
            const std::size_t end = std::min(out.find('/', start), out.size());
            const std::string_view part(out.data() + start, end - start);
            if (part.empty() || part == "." || part == "..")
                return fail("portName \"" + value.get<std::string>() + "\" is not a device below /dev");
            start = end + 1;
        }
        return true;
    }

private:
    std::string& problem_;
};

struct PropertyKey {
    const char* key;
    DeviceProperty property;
};

constexpr std::array<PropertyKey, 4> kPropertyKeys{{
    {"symbolicName", DeviceProperty::symbolicName},
    {"netCfgInstanceId", DeviceProperty::netCfgInstanceId},
    {"classGuid", DeviceProperty::classGuid},
    {"driverVersion", DeviceProperty::driverVersion},
}};

bool readNode(const Json& item, Checker& check, DeviceNode& node)
{
    if (!item.is_object())
        return check.fail("every device must be an object");
    std::optional<std::uint32_t> status;
    bool haveId = false;
    for (const auto& entry : item.items()) {
        const std::string& key = entry.key();
        const Json& value = entry.value();
        std::string text;
        if (key == "instanceId") {
            if (!check.instanceId(value, "instanceId", node.instanceId))
                return false;
            haveId = true;
        } else if (key == "parent") {
            if (!check.instanceId(value, "parent", node.parentId))
                return false;
        } else if (key == "hardwareIds") {
            if (!value.is_array() || value.size() > kMaxHardwareIds)
                return check.fail("hardwareIds must be a list of at most " + std::to_string(kMaxHardwareIds) +
                                  " strings");
            for (const Json& id : value) {
                if (!check.instanceId(id, "a hardware ID", text))
                    return false;
                node.hardwareIds.push_back(text);
            }
        } else if (key == "friendlyName") {
            if (!check.text(value, "friendlyName", kMaxTextLength, node.friendlyName))
                return false;
        } else if (key == "class") {
            if (!check.text(value, "class", kMaxTextLength, text))
                return false;
            node.deviceClass = classFromName(text);
        } else if (key == "status") {
            std::uint32_t flags = 0;
            if (!check.number(value, "status", flags))
                return false;
            status = flags;
        } else if (key == "problem") {
            if (!check.number(value, "problem", node.problem))
                return false;
        } else if (key == "portName") {
            if (!check.portName(value, text))
                return false;
            node.properties[DeviceProperty::portName] = text;
        } else {
            const auto property = std::find_if(kPropertyKeys.begin(), kPropertyKeys.end(),
                                               [&](const PropertyKey& known) { return key == known.key; });
            if (property == kPropertyKeys.end())
                return check.fail("unknown key \"" + key + "\"");
            if (!check.text(value, property->key, kMaxTextLength, text))
                return false;
            node.properties[property->property] = text;
        }
    }
    if (!haveId)
        return check.fail("a device without instanceId");
    node.status = status.value_or(node.problem != 0 ? kStatusProblem : kStatusStarted);
    completeDerivedProperties(node);
    return true;
}

} // namespace

Result<std::vector<DeviceNode>> parseDeviceDescription(std::string_view text, std::string& problem)
{
    Checker check(problem);
    if (text.size() > kMaxDescriptionBytes) {
        check.fail("the file is larger than " + std::to_string(kMaxDescriptionBytes) + " bytes");
        return Failure{kErrorInvalidData};
    }
    const Json document = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) {
        check.fail("not valid JSON");
        return Failure{kErrorInvalidData};
    }
    if (!document.is_object() || document.size() != 1 || !document.contains("devices") ||
        !document["devices"].is_array()) {
        check.fail("the file must be an object with one key, \"devices\", holding a list");
        return Failure{kErrorInvalidData};
    }
    const Json& devices = document["devices"];
    if (devices.size() > kMaxDescribedNodes) {
        check.fail("more than " + std::to_string(kMaxDescribedNodes) + " devices");
        return Failure{kErrorInvalidData};
    }
    std::vector<DeviceNode> nodes;
    for (const Json& item : devices) {
        DeviceNode node;
        if (!readNode(item, check, node))
            return Failure{kErrorInvalidData};
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::string devicePathOf(std::string_view portName) { return "/dev/" + std::string(portName); }

} // namespace Os
