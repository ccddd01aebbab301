#pragma once
// The card's registration as the device keeps it: the circuit-switched and
// packet-switched reports, the access technology and the cell types, and what follows
// from them - the packet-switched network state, the EDGE and HSDPA flags, the signal
// values, and the pollers that stand in for reports on the cards that send none.
//
// Threads: the registration reports are handled on the communicator thread, as a
// roaming report may need a command to the card; the technology, the cell types and the
// signal values come from the receiver thread of the card's port, from the start-up
// (under the library lock) and from the communicator's polls. Every store of an input
// and the evaluation after it run under one mutex, so that an evaluation never overwrites
// a newer one with values derived from older inputs. No command is sent and nothing is
// called out of the backend while it is held.

#include "quelder/registration/CellLocation.h"
#include "quelder/registration/VirtualHomeNetworks.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

namespace GSM {

class Device;

// The access technology a card's system report ("_TSSYSI: 2", "_TSSYS: 0") names: GPRS
// for 0, UMTS for 2, none for anything else.
int AccessTechnologyOfSystem(int system) noexcept;

class NetworkRegistration {
public:
    explicit NetworkRegistration(Device& device) : device_(device) {}
    NetworkRegistration(const NetworkRegistration&) = delete;
    NetworkRegistration& operator=(const NetworkRegistration&) = delete;

    // WM_QD_CS_REGISTRATION and WM_QD_PS_REGISTRATION, on the communicator thread. A
    // roaming report on a virtual home network of the SIM is stored as Registered.
    void ReportCircuitSwitched(int state);
    void ReportPacketSwitched(int state, std::uintptr_t location);

    void SetAccessTechnology(int technology);
    void SetCellType2g(int type);
    void SetCellType3g(int type);
    // Both cell types, and with them the access technology when one is given; true when
    // the technology changed.
    bool SetCellTypes(int type2g, int type3g, std::optional<int> technology = std::nullopt);
    // Stored as 0 while neither the circuit-switched nor the packet-switched network is
    // registered; the WCDMA value also while the packet-switched network is not.
    void SetSignal(int strength, int quality);
    void SetWcdmaSignal(int value);

    // Tells the client again of the registrations that stand: event 2 while circuit-
    // switched registered, event 3 while packet-switched.
    void ReRaiseEvents();
    // Derives the packet-switched network state, the EDGE and HSDPA flags, the signal
    // values and the pollers from the inputs stored.
    void Evaluate();

    // The SIM's home numbers, from its IMSI, for the roaming check.
    void SetHomeNumbers(const SimHomeNumbers& numbers);
    SimHomeNumbers HomeNumbers() const;
    VirtualHomeNetworks& VirtualHomes() noexcept { return virtualHomes_; }

    // The polls that stand in for reports (WM_QD_SIGNAL_POLL, WM_QD_CELL_TYPE_POLL), on
    // the communicator thread, while the card is initialised and its AT channel free.
    void PollSignal();
    void PollCellType();

private:
    // Runs `store` and the evaluation under the mutex, then tells the data connections.
    template <class Store>
    void StoreAndEvaluate(Store&& store)
    {
        int technology = 0;
        {
            std::lock_guard lock(mutex_);
            store();
            technology = EvaluateLocked();
        }
        TellDataConnections(technology);
    }
    int HideVirtualHomeRoaming(int state);
    // With mutex_ held. Returns the access technology to tell the data connections.
    int EvaluateLocked();
    void TellDataConnections(int technology);
    void SetCellLocation(int state, std::uintptr_t location);
    void UpdateVoiceState(bool circuitSwitchedRegistered);

    Device& device_;
    VirtualHomeNetworks virtualHomes_;
    std::atomic<int> homeFiveDigits_{0};
    std::atomic<int> homeSixDigits_{0};
    std::mutex mutex_; // guards each store of a registration input together with the evaluation after it
};

} // namespace GSM
