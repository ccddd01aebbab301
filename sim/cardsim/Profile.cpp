#include "sim/cardsim/Profile.h"

#include "nodekin/MakerIds.h"

#include <algorithm>
#include <array>

namespace Cardsim {
namespace {

struct RoleName {
    PortRole role;
    std::string_view name;
};

constexpr std::array<RoleName, 4> kRoleNames{{
    {PortRole::modem, "modem"},
    {PortRole::application, "app"},
    {PortRole::gpsControl, "gps-control"},
    {PortRole::gpsData, "gps-data"},
}};

constexpr Function kModem{PortRole::modem, "_MDM", Os::DeviceClass::modem, "Roamex Modem Interface", true};
constexpr Function kApplication{PortRole::application, "_APP", Os::DeviceClass::ports, "Roamex Application Interface",
                                true};
constexpr Function kGpsControl{PortRole::gpsControl, "_GPSC", Os::DeviceClass::ports, "Roamex GPS Control Port", true};
constexpr Function kGpsData{PortRole::gpsData, "_GPSD", Os::DeviceClass::ports, "Roamex GPS Data Port", true};
// The control function's node is there, active, with its fragment, but its driver made no
// port: detection counts the card as a GPS card and waits for a port that never comes.
constexpr Function kGpsControlWithoutPort{PortRole::gpsControl, "_GPSC", Os::DeviceClass::ports,
                                          "Roamex GPS Control Port", false};

// No network adapter ("_NET"): the virtual card carries no data connections.
constexpr std::array kGpsCard{kModem, kApplication, kGpsControl, kGpsData};
constexpr std::array kCardWithoutGps{kModem, kApplication};
constexpr std::array kGpsDataOnlyCard{kModem, kApplication, kGpsControlWithoutPort, kGpsData};

constexpr Identity kGx750{"Roamex", "GX750", "Roamex GX750 Mini Card", "4.2.17", "A03"};
constexpr Identity kHx700{"Roamex", "HX700", "Roamex HX700 Mini Card", "4.2.11", "A02"};

const std::array<Profile, 3> kProfiles{{
    {"gps", "the maker's GPS minicard (row RoamexGX750): modem, application, GPS control and GPS data ports",
     Nodekin::makerVendorId, Nodekin::roamexGx750ProductId, "0100", "Roamex GX750 Mini Card", "3.6.2.1", "ROAMEX",
     kGx750, true, kGpsCard},
    {"no-gps", "the same family without GPS (row RoamexHX700): modem and application ports",
     Nodekin::makerVendorId, Nodekin::roamexHx700ProductId, "0100", "Roamex HX700 Mini Card", "3.6.2.1", "ROAMEX",
     kHx700, false, kCardWithoutGps},
    {"gps-data-only",
     "the GPS minicard whose GPS control function has no port: only the GPS data port works "
     "(detection keeps it in Starting)",
     Nodekin::makerVendorId, Nodekin::roamexGx750ProductId, "0100", "Roamex GX750 Mini Card", "3.6.2.1", "ROAMEX",
     kGx750, true, kGpsDataOnlyCard},
}};

} // namespace

std::string_view roleName(PortRole role)
{
    for (const RoleName& entry : kRoleNames)
        if (entry.role == role)
            return entry.name;
    return "?";
}

std::optional<PortRole> roleFromName(std::string_view name)
{
    for (const RoleName& entry : kRoleNames)
        if (entry.name == name)
            return entry.role;
    return std::nullopt;
}

bool answersAt(PortRole role) { return role != PortRole::gpsData; }

std::span<const Profile> profiles() { return kProfiles; }

const Profile* findProfile(std::string_view name)
{
    const auto found =
        std::find_if(kProfiles.begin(), kProfiles.end(), [&](const Profile& profile) { return profile.name == name; });
    return found == kProfiles.end() ? nullptr : &*found;
}

std::uint32_t stableHash(std::string_view text)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace Cardsim
