#pragma once
// Hardware IDs and device instance IDs, as the device tree lists them.

#include "nodekin/CardRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Nodekin {

struct VendorProduct {
    std::int32_t vendor;
    std::int32_t product;
    friend bool operator==(const VendorProduct&, const VendorProduct&) = default;
};

// The vendor and product ids of an upper-cased hardware ID on a bus:
// "USB\VID_1C2A&PID_7501...", "PCI\VEN_1C2A&DEV_5000...", "PCMCIA\MAKER-CARD-0274-0E11".
// A string that does not parse is logged and gives nothing.
std::optional<VendorProduct> extractIds(const char* hardwareId, std::int32_t bus);

// The name-match rule for ports: the comma-separated alternatives of `fragments`, each cut
// to 64 bytes, are looked for in `friendlyName`; the index of the first that occurs, or -1.
int matchName(const char* fragments, std::string_view friendlyName);

// The index of the first fragment that occurs (case-sensitively) in a device instance ID.
int findFragment(std::string_view instanceId, const std::vector<std::string_view>& fragments);

// A multi-string property (hardware IDs) joined with commas and upper-cased.
std::string joinHardwareIds(const std::vector<std::string>& ids);

} // namespace Nodekin
