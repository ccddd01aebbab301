#include "nodekin/HardwareIds.h"

#include "nodekin/XLog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace Nodekin {

namespace {

// "%x" as the scanner reads it: optional blanks, an optional "0x", one or more hex digits.
bool scanHex(const char*& p, std::int32_t& value)
{
    unsigned int parsed = 0;
    int consumed = 0;
    if (std::sscanf(p, "%x%n", &parsed, &consumed) != 1)
        return false;
    value = static_cast<std::int32_t>(parsed);
    p += consumed;
    return true;
}

bool scanLiteral(const char*& p, const char* literal)
{
    const std::size_t length = std::strlen(literal);
    if (std::strncmp(p, literal, length) != 0)
        return false;
    p += length;
    return true;
}

// "<prefix>%x<separator>%x": only the two conversions count, as with scanf.
std::optional<VendorProduct> scanPair(const char* p, const char* prefix, const char* separator)
{
    VendorProduct ids{};
    if (scanLiteral(p, prefix) && scanHex(p, ids.vendor) && scanLiteral(p, separator) && scanHex(p, ids.product))
        return ids;
    return std::nullopt;
}

} // namespace

std::optional<VendorProduct> extractIds(const char* hardwareId, std::int32_t bus)
{
    if (hardwareId == nullptr || bus == busNone) {
        xlog(logError, "Nk: ExtractIDs: Invalid parameters! (0x%lx/%d)",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hardwareId)), bus);
        return std::nullopt;
    }
    std::optional<VendorProduct> ids;
    const char* busName = "";
    switch (bus) {
    case busUsb:
        ids = scanPair(hardwareId, "USB\\VID_", "&PID_");
        busName = "USB";
        break;
    case busPci:
        ids = scanPair(hardwareId, "PCI\\VEN_", "&DEV_");
        busName = "PCI";
        break;
    case busPcmcia: {
        // The ids follow the first '-' that is followed by a hex digit.
        const char* dash = hardwareId;
        while ((dash = std::strchr(dash, '-')) != nullptr && !std::isxdigit(static_cast<unsigned char>(dash[1])))
            ++dash;
        if (dash != nullptr)
            ids = scanPair(dash + 1, "", "-");
        busName = "PCMCIA";
        break;
    }
    default:
        xlog(logError, "Nk: ExtractIDs: Invalid parameters! (0x%lx/%d)",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hardwareId)), bus);
        return std::nullopt;
    }
    if (!ids)
        xlog(logWarning, "Nk: ExtractIDs: Unsupported %s hardware ID format, skipping device! (%s)", busName,
             hardwareId);
    return ids;
}

int matchName(const char* fragments, std::string_view friendlyName)
{
    if (fragments == nullptr)
        return -1;
    std::string_view rest(fragments);
    for (int index = 0;; ++index) {
        const std::size_t comma = rest.find(',');
        std::string_view alternative = rest.substr(0, comma);
        alternative = alternative.substr(0, 64);
        if (!alternative.empty() && friendlyName.find(alternative) != std::string_view::npos)
            return index;
        if (comma == std::string_view::npos)
            return -1;
        rest.remove_prefix(comma + 1);
    }
}

int findFragment(std::string_view instanceId, const std::vector<std::string_view>& fragments)
{
    for (std::size_t i = 0; i < fragments.size(); ++i)
        if (instanceId.find(fragments[i]) != std::string_view::npos)
            return static_cast<int>(i);
    return -1;
}

std::string joinHardwareIds(const std::vector<std::string>& ids)
{
    std::string joined;
    for (const std::string& id : ids) {
        if (!joined.empty())
            joined += ',';
        joined += id;
    }
    std::transform(joined.begin(), joined.end(), joined.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return joined;
}

} // namespace Nodekin
