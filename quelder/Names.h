#pragma once
// How the backend's enumerations and card types read in the log. A value outside its
// list prints as "<unknown TypeName>".

#include <cstdint>
#include <string>

namespace GSM {

const char* DeviceStateName(int value) noexcept;
const char* NetworkStateName(int value) noexcept;
const char* ConnectionStateName(int value) noexcept;
const char* VoiceStateName(int value) noexcept;
const char* PinPukStateName(int value) noexcept;
const char* PinModeName(int value) noexcept;
const char* HwRadioSwitchStateName(int value) noexcept;
const char* RemovableTypeName(int value) noexcept;
const char* PsAttachModeName(int value) noexcept;
const char* AccessTechnologyName(int value) noexcept;
// The EDGE and HSDPA flags: "registered" or "not registered".
const char* RegistrationName(int value) noexcept;

// The model name of a card type: "None" for 0, "<unknown card 0x1234>" for a type
// without a row.
std::string CardTypeName(std::uint32_t type);

} // namespace GSM
