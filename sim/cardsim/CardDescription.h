#pragma once
// What the card writes into the simulated device tree when it is plugged: its USB node
// and one child node per function, in the description format of the simulated tree
// (platform/README.md), and the file that carries it.
//
//   USB\VID_1C2A&PID_7501\RX1A2B3C4D                       class USB, the card
//     ROAMEX\VID_1C2A&PID_7501_MDM\RX1A2B3C4D&0000          class Modem, "Roamex Modem Interface (pts/3)"
//     ROAMEX\VID_1C2A&PID_7501_APP\RX1A2B3C4D&0001          class Ports, "Roamex Application Interface (pts/4)"
//     ...

#include "sim/cardsim/Profile.h"

#include "platform/DeviceNode.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace Cardsim {

struct CardIds {
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::string serial;
};

// "USB\VID_1C2A&PID_7501\<serial>"
std::string cardInstanceId(const CardIds& ids);

// The card's nodes, the card first. `portNames` gives the port name ("pts/4") of each
// function that has a port; a function whose port is missing there gets none.
std::vector<Os::DeviceNode> describeCard(const Profile& profile, const CardIds& ids,
                                         const std::map<PortRole, std::string>& portNames);

// The nodes as a description file's text.
std::string descriptionText(const std::vector<Os::DeviceNode>& nodes);

// The card's description file in the simulator's folder: `<name>.json`.
class DescriptionFile {
public:
    DescriptionFile(std::filesystem::path folder, const std::string& name);

    // Writes under a hidden name and renames it into place, so the tree never reads half a
    // file. Returns 0 or a system error number.
    int publish(const std::string& text) const;
    // Removes the file; 0 also when it was not there.
    int withdraw() const;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path hidden_;
};

} // namespace Cardsim
