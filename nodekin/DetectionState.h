#pragma once
// What detection knows about the current card: the record clients copy, and what the
// library keeps for itself (the matched row, the nodes of each function found, how far
// the port discovery got). Only the notifier thread changes it.

#include "nodekin/Nodekin.h"
#include "platform/DeviceTree.h"

#include <string>

namespace Nodekin {

// How each function is looked for: 0 disabled, 1 polling, 2 event based; the
// application port also 3 and 4, control devices instead of the ports class.
struct DetectionMethods {
    int modem = 0;
    int application = 0;
    int application2 = 0;
    int diagnostics = 0;
};

enum DetectionMethod : int {
    methodDisabled = 0,
    methodPolling = 1,
    methodEventBased = 2,
    methodControlDevicePolling = 3,
    methodControlDeviceEventBased = 4,
};

struct DetectionState {
    NkCardInfo info{};
    int row = -1; // the matched card row, -1 when no card is known
    std::string hardwareId;
    std::string symbolicName;
    Os::DevNode modemNode = Os::kNoDevNode;
    Os::DevNode applicationNode = Os::kNoDevNode;
    Os::DevNode application2Node = Os::kNoDevNode;
    Os::DevNode diagnosticsNode = Os::kNoDevNode;
    Os::DevNode adapterNode = Os::kNoDevNode;
    Os::DevNode smartCardNode = Os::kNoDevNode;
    Os::DevNode gpsControlNode = Os::kNoDevNode;
    Os::DevNode gpsDataNode = Os::kNoDevNode;
    DetectionMethods methods;
    bool subdevicesPresent = false;
    bool subdevicesListed = false;
    bool finalPortVerified = false;
    bool busDeviceLooked = false;
    bool driverVersionLooked = false;

    DetectionState() { reset(); }
    bool cardKnown() const noexcept { return row >= 0; }
    NkCardState state() const noexcept { return static_cast<NkCardState>(info.state); }
    // Forgets the card: an empty record in state Stopped.
    void reset()
    {
        *this = DetectionState(Blank{});
        info.size = sizeof info;
        info.state = NkCardStopped;
    }

private:
    struct Blank {};
    explicit DetectionState(Blank) {}
};

// "Stopped", "Stopping", "Starting", "Started", "Suspended"; "Unknown" otherwise.
const char* cardStateName(std::uint32_t state) noexcept;

} // namespace Nodekin
