#pragma once
// Reads the device description files of the simulated device tree (the format is in
// platform/README.md). These files come from another process, so everything in them is
// checked: a file that is not valid or breaks a limit is refused whole, with the reason.

#include "platform/DeviceNode.h"
#include "platform/Result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Os {

inline constexpr std::size_t kMaxDescriptionBytes = 256 * 1024;
inline constexpr std::size_t kMaxDescribedNodes = 256;
inline constexpr std::size_t kMaxInstanceIdLength = 199; // the longest a device instance ID can be
inline constexpr std::size_t kMaxHardwareIds = 32;
inline constexpr std::size_t kMaxTextLength = 255;

// The nodes of one file with their derived properties, or kErrorInvalidData with the
// reason in `problem`. Port names are made relative to /dev ("pts/3" for "/dev/pts/3");
// whether those ports exist is for the caller to check.
Result<std::vector<DeviceNode>> parseDeviceDescription(std::string_view text, std::string& problem);

// The device path of a port name: "/dev/" + name.
std::string devicePathOf(std::string_view portName);

} // namespace Os
