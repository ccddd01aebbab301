#include "quelder/Names.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

namespace GSM {
namespace {

template <std::size_t N>
const char* NameIn(const std::array<const char*, N>& names, int value, const char* unknown) noexcept
{
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[static_cast<std::size_t>(value)] : unknown;
}

constexpr std::array kDeviceStates{"Searching", "NotFound", "Found", "Initialized"};
constexpr std::array kNetworkStates{"NotRegistered", "Registered", "Registering",
                                    "RegistrationDenied", "Unknown", "RegisteredRoaming"};
constexpr std::array kConnectionStates{"Disconnected", "Connecting", "Connected", "Disconnecting"};
constexpr std::array kVoiceStates{"NotReady", "Disconnected", "Dialing", "Ringing", "Connected"};
constexpr std::array kPinPukStates{"Unknown",
                                   "Ready",
                                   "PinRequired",
                                   "PukRequired",
                                   "PhoneSimPinRequired",
                                   "Phone1stSimPinRequired",
                                   "Phone1stSimPukRequired",
                                   "Pin2Required",
                                   "Puk2Required",
                                   "NetPersPinRequired",
                                   "NetPersPukRequired",
                                   "NetSubPersPinRequired",
                                   "NetSubPersPukRequired",
                                   "SvcProvPersPinRequired",
                                   "SvcProvPersPukRequired",
                                   "CorpPersPinRequired",
                                   "CorpPersPukRequired"};
constexpr std::array kPinModes{"Unknown", "Enabled", "Disabled"};
constexpr std::array kHwRadioSwitchStates{"Unknown", "Unsupported", "On", "Off"};
constexpr std::array kRemovableTypes{"Unknown", "Embedded", "SafelyRemovable", "Removable"};
constexpr std::array kPsAttachModes{"PsAttachModeUnknown", "PsAttachModeManual", "PsAttachModeAutomatic"};
constexpr std::array kAccessTechnologies{"PacketSwitchedTechnologyNone", "PacketSwitchedTechnologyGprs",
                                         "PacketSwitchedTechnologyUmts"};

struct CardTypeRow {
    std::uint32_t type;
    const char* name;
};

// Sorted by type. The maker's own models first, then other makers' cards.
constexpr CardTypeRow kCardTypes[] = {
    {0x0600, "Roamex P500"},  {0x0610, "Roamex P510"},   {0x0700, "Roamex E100"},   {0x0710, "Roamex E110"},
    {0x0800, "Roamex U100"},  {0x0900, "Roamex U150"},   {0x0901, "Roamex U170"},   {0x0A00, "Roamex U160"},
    {0x0B00, "Roamex GX500"}, {0x0B20, "Roamex GX520"},  {0x0C00, "Roamex GX600"},  {0x0D00, "Roamex GX610"},
    {0x1000, "Roamex U200"},  {0x1100, "Roamex U210"},   {0x1200, "Roamex U300"},   {0x1300, "Roamex M400"},
    {0x1400, "Roamex M410"},  {0x1500, "Roamex M420"},   {0x1800, "Roamex GX750"},  {0x1C01, "Roamex A900"},
    {0x1C02, "Roamex A910"},  {0x2000, "Roamex Z100"},   {0x2100, "Roamex Z110"},   {0x2301, "Roamex H800"},
    {0x2700, "Roamex Z120"},  {0x6000, "SimCom210"},     {0x6100, "SimCom315"},     {0x8400, "Gobi 1000"},
    {0x8401, "Gobi 2000"},    {0x8800, "Huawei E1752"},  {0x8900, "ZTE MF110"},
};

} // namespace

const char* DeviceStateName(int value) noexcept { return NameIn(kDeviceStates, value, "<unknown DeviceState>"); }
const char* NetworkStateName(int value) noexcept { return NameIn(kNetworkStates, value, "<unknown NetworkState>"); }
const char* ConnectionStateName(int value) noexcept
{
    return NameIn(kConnectionStates, value, "<unknown ConnectionState>");
}
const char* VoiceStateName(int value) noexcept { return NameIn(kVoiceStates, value, "<unknown VoiceState>"); }
const char* PinPukStateName(int value) noexcept { return NameIn(kPinPukStates, value, "<unknown PinPukState>"); }
const char* PinModeName(int value) noexcept { return NameIn(kPinModes, value, "<unknown PinMode>"); }
const char* HwRadioSwitchStateName(int value) noexcept
{
    return NameIn(kHwRadioSwitchStates, value, "<unknown HwRadioSwitchState>");
}
const char* RemovableTypeName(int value) noexcept { return NameIn(kRemovableTypes, value, "<unknown RemovableType>"); }
const char* PsAttachModeName(int value) noexcept { return NameIn(kPsAttachModes, value, "<unknown PsAttachMode>"); }
const char* AccessTechnologyName(int value) noexcept
{
    return NameIn(kAccessTechnologies, value, "<unknown AccessTechnology>");
}

const char* RegistrationName(int value) noexcept { return value != 0 ? "registered" : "not registered"; }

std::string CardTypeName(std::uint32_t type)
{
    if (type == 0)
        return "None";
    const auto row = std::lower_bound(std::begin(kCardTypes), std::end(kCardTypes), type,
                                      [](const CardTypeRow& r, std::uint32_t t) { return r.type < t; });
    if (row != std::end(kCardTypes) && row->type == type)
        return row->name;
    char text[32];
    std::snprintf(text, sizeof text, "<unknown card 0x%04X>", static_cast<unsigned>(type));
    return text;
}

} // namespace GSM
