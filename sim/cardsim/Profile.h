#pragma once
// The cards the virtual card can play. A profile says which USB ids the card shows, which
// functions hang below it (with the instance-ID fragment and friendly name that detection
// looks for), which of them carry a pseudo-terminal, and what the card answers about
// itself on its AT ports.

#include "platform/DeviceTree.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Cardsim {

// The card's ports by what they are for.
enum class PortRole { modem, application, gpsControl, gpsData };

// "modem", "app", "gps-control", "gps-data": the names the control commands use.
std::string_view roleName(PortRole role);
std::optional<PortRole> roleFromName(std::string_view name);
// Whether the port takes AT commands (every port but the GPS data port).
bool answersAt(PortRole role);

// One function of the card: a child node of the card's node.
struct Function {
    PortRole role;
    std::string_view fragment;     // in the child's instance ID, before the '\': "_MDM"
    Os::DeviceClass deviceClass;
    std::string_view friendlyName; // "Roamex Modem Interface"
    bool hasPort;                  // false: the node is there, its port is not
};

// What the card says about itself in answer to the identity commands.
struct Identity {
    std::string_view manufacturer; // AT+CGMI
    std::string_view model;        // AT+CGMM
    std::string_view productName;  // AT_TPMN
    std::string_view firmware;     // AT+CGMR, "%d.%d.%d"
    std::string_view hardware;     // AT_THWV
};

struct Profile {
    std::string_view name;
    std::string_view summary; // one line for --help
    std::int32_t vendorId;
    std::int32_t productId;
    std::string_view revision;      // REV_ of the most specific hardware ID
    std::string_view cardName;      // friendly name of the card's node
    std::string_view driverVersion; // "a.b.c.d"
    std::string_view childEnumerator;
    Identity identity;
    bool hasReceiver; // a GPS receiver that AT_TGPS switches
    std::span<const Function> functions;
};

std::span<const Profile> profiles();
const Profile* findProfile(std::string_view name);
inline constexpr std::string_view kDefaultProfile = "gps";

// FNV-1a of `text`: the same number on every machine and in every run, for numbers that
// follow from a name (serial numbers, IMEIs).
std::uint32_t stableHash(std::string_view text);

} // namespace Cardsim
