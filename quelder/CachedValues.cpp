#include "quelder/CachedValues.h"

#include "quelder/Names.h"

namespace GSM {
namespace {

// In the order of Value.
constexpr ValueInfo kInfo[kValueCount] = {
    {"Circuit switched network state", 2, 0, NetworkStateName, ChangeLog::changed},
    {"Packet switched network state", 3, 0, NetworkStateName, ChangeLog::changed},
    {"Packet switched attach state", kNoEvent, 0, NetworkStateName, ChangeLog::changed},
    {"Access technology", 3, 0, AccessTechnologyName},
    {"2G cell type", kNoEvent, 0, nullptr},
    {"3G cell type", kNoEvent, 0, nullptr},
    {"EDGE network state", 4, 0, RegistrationName, ChangeLog::changed},
    {"HSDPA network state", 5, 0, RegistrationName, ChangeLog::changed},
    {"Voice state", 9, 0, VoiceStateName},
    {"SIM state", 10, 0, nullptr},
    {"SIM phonebook state", 22, 0, nullptr},
    {"SIM full state", 24, 0, nullptr},
    {"PIN mode", 12, 0, PinModeName},
    {"PIN/PUK state", 11, 0, PinPukStateName},
    {"PIN/PUK result code", 11, 0, nullptr},
    {"Hardware radio switch", 18, 0, HwRadioSwitchStateName},
    {"Smart antenna position", 19, 0, nullptr},
    {"Device temperature", 13, -1, nullptr},
    {"LAC", 23, -1, nullptr, ChangeLog::byOwner},
    {"CellID", 23, -1, nullptr, ChangeLog::byOwner},
    {"Removability", kNoEvent, 0, RemovableTypeName},
    {"PS attach mode", kNoEvent, 0, PsAttachModeName},
    {"HSxPA download rate", kNoEvent, 0, nullptr},
    {"HSxPA upload rate", kNoEvent, 0, nullptr},
    {"Signal strength", 6, 0, nullptr},
    {"Signal quality", 6, 0, nullptr},
    {"WCDMA signal", 7, 0, nullptr},
};

} // namespace

const ValueInfo& InfoOf(Value value) noexcept { return kInfo[static_cast<std::size_t>(value)]; }

CachedValues::CachedValues()
{
    for (std::size_t i = 0; i < kValueCount; ++i)
        values_[i] = kInfo[i].zero;
}

} // namespace GSM
