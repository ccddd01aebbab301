#pragma once
// Finding the card and its functions on the device tree: which supported card is there
// (detectAnyCard), which functions its subdevices announce (listSubdevices), and the
// port discovery that, function by function, fills the record until the card is complete
// (discoverPorts). The caller owns the card state; this only reads the tree.

#include "nodekin/CardDatabase.h"
#include "nodekin/DetectionState.h"
#include "platform/DeviceTree.h"

#include <string>
#include <vector>

namespace Nodekin {

class MobileBroadbandList;

// Which functions a port-discovery pass looks for.
struct DiscoveryScope {
    bool modem = true;
    bool application = true;
    bool others = true; // smart card reader, network adapter and GPS ports
};

class CardDetector {
public:
    CardDetector(const Os::DeviceTree& tree, const CardDatabase& database, const MobileBroadbandList& mobileBroadband);

    // Finds the supported card with the lowest row and fills `state` for it (the port
    // names stay empty). `replugMarker` is the adapter node of a card that will be
    // re-enumerated after standby: while set, such a card is ignored; any other card
    // clears it.
    bool detectAnyCard(DetectionState& state, Os::DevNode& replugMarker);

    // Whether the card's subdevices are there yet.
    bool subdevicesPresent(const DetectionState& state) const;

    // One pass of the port discovery. True when the card is complete and may be Started.
    bool discoverPorts(DetectionState& state, DiscoveryScope scope);

    // The nodes detection watches once a card is known (for the removal check).
    std::vector<Os::DevNode> functionNodes(const DetectionState& state) const;

    // Whether the card (and, once Started, its adapter) is still active.
    bool cardStillActive(const DetectionState& state) const;

private:
    const CardRow& rowOf(const DetectionState& state) const { return database_.row(static_cast<std::size_t>(state.row)); }
    void listSubdevices(DetectionState& state) const;
    void chooseMethods(DetectionState& state) const;
    bool findModem(DetectionState& state);
    // False when the pass must end here.
    bool findApplicationPort(DetectionState& state);
    void checkSmartCardPresence(DetectionState& state) const;
    void findSmartCardReader(DetectionState& state);
    void findAdapter(DetectionState& state);
    void findGpsPorts(DetectionState& state) const;
    bool complete(const DetectionState& state) const;
    void findBusDevice(DetectionState& state) const;
    void readDriverVersion(DetectionState& state) const;
    bool mobileBroadbandReady(DetectionState& state) const;

    const Os::DeviceTree& tree_;
    const CardDatabase& database_;
    const MobileBroadbandList& mobileBroadband_;
};

// Tries a printf format with one %d for the numbers 0 to 9 and gives the first path that
// names an existing device; empty when none does.
std::string firstExistingDevice(const char* format);

} // namespace Nodekin
