#pragma once
// The maker's USB vendor ids (neither is assigned to anybody else in the public USB id
// list) and the product ids of the cards the virtual card plays.

#include <cstdint>

namespace Nodekin {

inline constexpr std::int32_t makerVendorId = 0x1C2A;
inline constexpr std::int32_t makerLaterVendorId = 0x2C9A; // the later families

inline constexpr std::int32_t roamexGx750ProductId = 0x7501; // GPS minicard
inline constexpr std::int32_t roamexHx700ProductId = 0x7001; // the same family without GPS

} // namespace Nodekin
