#pragma once
// One supported card model: how to recognise it by its hardware IDs and how to find each
// of its functions among the devices listed under it.

#include "nodekin/CardTraits.h"

#include <array>
#include <cstdint>

namespace Nodekin {

enum Bus : std::int32_t { busNone = 0, busPcmcia = 1, busUsb = 2, busPci = 3 };

struct HardwareIdPair {
    std::int32_t vendor;
    std::int32_t product;
};

inline constexpr std::int32_t endOfIds = -1;

struct CardRow {
    const char* name = nullptr; // model name for log messages
    std::int32_t enabled = 0;
    // Ends at the first pair whose vendor is endOfIds.
    std::array<HardwareIdPair, 25> ids{};
    std::int32_t typeCode = 0; // from 0x8000 up: other vendors' cards
    std::int32_t platform = 0; // 7: re-enumerated after standby
    std::int32_t dataInterfaceKind = 0;
    std::int32_t bus = 0;
    std::int32_t insertionEventMask = 0;
    std::int32_t nonSerialPorts = 0; // 1: control devices, not serial ports
    std::uint32_t driverCapabilities = 0;
    // Name fragments; null for none. Application port alternatives are comma-separated.
    const char* wwanNicName = nullptr;
    const char* modemName = nullptr;
    const char* appPortName = nullptr;
    const char* app2PortName = nullptr;
    const char* diagPortName = nullptr;
    const char* smartCardName = nullptr;
    const char* ndisPortFormat = nullptr;  // one %d
    const char* busDeviceFormat = nullptr; // one %d
    std::array<std::int32_t, 2> reserved{};

    // Whether (bus, vendor, product) is one of this row's cards.
    bool matches(std::int32_t cardBus, std::int32_t vendor, std::int32_t product) const noexcept;
};

// The maker's own cards have type codes below this.
inline constexpr std::int32_t otherVendorTypeCodes = static_cast<std::int32_t>(firstOtherVendorTypeCode);

// A name field of the table that was left out or left blank.
inline bool isBlank(const char* text) { return text == nullptr || *text == '\0'; }

} // namespace Nodekin
