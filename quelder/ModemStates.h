#pragma once
// The values of the device's cached modem states, as the client reads them.

namespace GSM {

// Registration as +CREG and +CGREG report it (3GPP TS 27.007).
enum NetworkState : int {
    kNotRegistered = 0,
    kRegistered = 1,
    kRegistering = 2,
    kRegistrationDenied = 3,
    kNetworkStateUnknown = 4,
    kRegisteredRoaming = 5,
};

constexpr bool IsRegistered(int state) noexcept { return state == kRegistered || state == kRegisteredRoaming; }

enum AccessTechnology : int { kTechnologyNone = 0, kTechnologyGprs = 1, kTechnologyUmts = 2 };

// 2G cell types: 1 GSM, 2 GPRS, 3 EDGE. 3G cell types: 1 WCDMA, 2 HSDPA, 3 HSUPA, 4 both.
inline constexpr int kCellTypeGprs = 2;
inline constexpr int kCellTypeEdge = 3;
inline constexpr int kCellTypeWcdma = 1;
inline constexpr int kCellTypeHsdpa = 2;
inline constexpr int kCellTypeHsupa = 3;
inline constexpr int kCellTypeHspa = 4;

enum VoiceState : int {
    kVoiceNotReady = 0,
    kVoiceDisconnected = 1,
    kVoiceDialing = 2,
    kVoiceRinging = 3,
    kVoiceConnected = 4,
};

// The PIN/PUK states the backend acts on, as the "+CPIN: " answers give them (the others
// follow in the order of quelder/platforms/Answers.cpp).
enum PinPukState : int {
    kPinStateUnknown = 0,
    kPinStateReady = 1,
    kPinStatePinRequired = 2,
    kPinStatePukRequired = 3,
};

enum PinMode : int { kPinModeUnknown = 0, kPinModeEnabled = 1, kPinModeDisabled = 2 };

enum HwRadioSwitchState : int { kSwitchUnknown = 0, kSwitchUnsupported = 1, kSwitchOn = 2, kSwitchOff = 3 };

} // namespace GSM
