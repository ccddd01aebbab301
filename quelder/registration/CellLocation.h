#pragma once
// The cell a packet-switched registration report names, as it travels from the port's
// receiver to the communicator in one queue word: CellID times 65536 plus LAC. A report
// without a location travels as kNoCellLocation, so that it is not taken for the cell 0
// of area 0.

#include <cstdint>
#include <optional>

namespace GSM {

struct CellLocation {
    int lac = 0;    // 16 bits
    int cellId = 0; // up to 28 bits: a UMTS cell identity keeps its radio network controller
    bool operator==(const CellLocation&) const = default;
};

inline constexpr std::uint32_t kLacLimit = 0xFFFF;
inline constexpr std::uint32_t kCellIdLimit = 0x0FFFFFFF;
inline constexpr std::uintptr_t kNoCellLocation = ~std::uintptr_t{0};

// The queue word is as wide as a pointer: on the 64-bit hosts the whole cell identity fits.
constexpr std::uintptr_t PackCellLocation(const std::optional<CellLocation>& location) noexcept
{
    if (!location)
        return kNoCellLocation;
    return static_cast<std::uintptr_t>((static_cast<std::uint64_t>(location->cellId) << 16) |
                                       static_cast<std::uint64_t>(location->lac));
}

constexpr std::optional<CellLocation> UnpackCellLocation(std::uintptr_t packed) noexcept
{
    if (packed == kNoCellLocation)
        return std::nullopt;
    return CellLocation{static_cast<int>(packed & 0xFFFFu), static_cast<int>((packed >> 16) & kCellIdLimit)};
}

} // namespace GSM
