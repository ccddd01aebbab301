#pragma once
// The card's radio and the network it camps on, as all its ports see them: registration
// in the circuit-switched and packet-switched domains, the serving operator and the ones
// a scan finds, the selection mode, access technology, cell and signal, the radio's
// function level (+CFUN) and the hardware radio switch.
//
// Two kinds of callers change it: the host through AT commands (the radio level, operator
// selection) and the test director through control commands (what the network says). What
// the card reports follows from both: a radio that is off, or a card that deregistered,
// is not registered whatever the network says; a radio that has just come on, or a card
// that just selected a network, searches for a while (an alarm) before it is registered.
// Without a ready SIM (none in the slot, or its PIN or PUK not entered) the card stays
// not registered and does not search; once the SIM is ready it is registered at once, as
// at power-on. Each change of a reported value raises its card event once.

#include "sim/cardsim/Alarm.h"
#include "sim/cardsim/CardEvent.h"
#include "sim/cardsim/NetworkTypes.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Cardsim {

struct NetworkTimings {
    std::chrono::milliseconds scan{3000};         // AT+COPS=? takes this long to answer
    std::chrono::milliseconds registration{1000}; // searching, after the radio came on or a selection
};

// +COPS <mode>.
enum class Selection { automatic = 0, manual = 1, deregistered = 2, manualThenAutomatic = 4 };

// An operator as a scan lists it, with its +COPS <stat>: 1 available, 2 current.
struct ScanEntry {
    OperatorInfo info;
    int status;
};

// The idle-screen text: the serving network's name, or what stands in for one.
struct IdleText {
    bool namesNetwork;
    std::string text;
    bool operator==(const IdleText&) const = default;
};

class Network {
public:
    // +CFUN levels the card takes: 0 minimum, 1 full, 4 transmitter and receiver off.
    static constexpr int kMinimumFunction = 0;
    static constexpr int kFullFunction = 1;
    static constexpr int kRadioOffFunction = 4;
    static constexpr int kNoSignal = 99;

    Network(const AlarmMaker& alarms, CardEventListener listener);
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    // As reported.
    Registration circuit() const { return reported_.circuit; }
    Registration packet() const { return reported_.packet; }
    bool registered() const { return isRegistered(circuit()) || isRegistered(packet()); }
    const OperatorInfo& servingOperator() const { return selected().info; }
    Selection selection() const { return selection_; }
    Technology technology() const { return technology_; }
    int system() const { return reported_.system; }
    int cellType2g() const { return reported_.cellType2g; }
    int cellType3g() const { return reported_.cellType3g; }
    int rssi() const { return reported_.rssi; }
    // Not known, as UMTS cards answer it.
    int bitErrorRate() const { return kNoSignal; }
    int wcdmaLevel() const { return reported_.wcdmaLevel; }
    CellLocation cell() const { return cell_; }
    int function() const { return function_; }
    bool radioSwitchedOff() const { return switchedOff_; }
    bool radioActive() const { return function_ == kFullFunction && !switchedOff_; }
    // AT_TAIR: whether the radio comes on at the next power-on.
    bool radioOnAtPowerUp() const { return radioAtPowerUp_; }
    bool simReady() const { return simReady_; }
    const IdleText& idleText() const { return reported_.idleText; }
    // The technology preference of AT_TPSYS: mode and domain.
    int preferenceMode() const { return preferenceMode_; }
    int preferenceDomain() const { return preferenceDomain_; }

    // What a scan finds now: the serving network first, then the others; nothing while
    // the radio is off.
    std::vector<ScanEntry> scan() const;
    // The visible operator named `name` in `format`, whether or not the radio is on.
    std::optional<OperatorInfo> findOperator(OperatorFormat format, std::string_view name) const;
    const std::vector<OperatorInfo>& scanList() const { return scanList_; }

    NetworkTimings& timings() { return timings_; }
    const NetworkTimings& timings() const { return timings_; }

    // The host's side.
    void setFunction(int function);
    // AT_TAIR=<on>: the radio now and at power-up, full function or transmitter and
    // receiver off. The hardware switch is the caller's to respect.
    void setRadioAtPowerUp(bool on);
    // Mode 0, or 4 when a manual selection fell back.
    void selectAutomatic(Selection mode = Selection::automatic);
    // Mode 1 or 4; registers as home or roaming by the operator's row.
    void selectManual(const OperatorInfo& info, Selection mode = Selection::manual);
    void deregister();
    // AT_TPSYS: mode 1 keeps the card on GSM/GPRS, 2 on UMTS; 0 and 3 leave it where it is.
    void setPreference(int mode, int domain);

    // The network's side.
    // The registration the network grants the selected network, now.
    void setRegistration(Registration state, Domain domain);
    // The network the card camps on in the present selection mode.
    void setOperator(const OperatorInfo& info);
    void addScanOperator(const OperatorInfo& info);
    void clearScanList();
    void setSignal(int rssi);
    void setTechnology(Technology technology);
    void setCell(CellLocation cell);
    void setRadioSwitch(bool off);

    // The card's own side: whether the SIM lets the card register.
    void setSimReady(bool ready);

    // The card was plugged in: the radio as AT_TAIR chose, automatic selection, registered
    // at once where the radio and the SIM let it.
    void powerOn();

private:
    struct Selected {
        OperatorInfo info;
        Registration circuit;
        Registration packet;
    };
    // Everything the card reports, to tell what changed.
    struct Reported {
        Registration circuit = Registration::notRegistered;
        Registration packet = Registration::notRegistered;
        int system = 0;
        int cellType2g = 0;
        int cellType3g = 0;
        int rssi = kNoSignal;
        int wcdmaLevel = 0;
        bool switchedOff = false;
        CellLocation cell;
        IdleText idleText;
    };

    bool manualMode() const { return manualInForce_; }
    const Selected& selected() const { return manualMode() ? manual_ : automatic_; }
    Selected& selected() { return manualMode() ? manual_ : automatic_; }
    Reported compute() const;
    // The serving network, the automatic selection's and the scan list's, each once.
    std::vector<OperatorInfo> visible() const;
    // Raises the events of what changed since the last call.
    void update();
    // Searching for a while, then registered as the network says.
    void startRegistering();
    void stopRegistering();
    void registeringDone();
    // After the radio's function or switch changed from `wasActive`.
    void radioChanged(bool wasActive);

    CardEventListener listener_;
    NetworkTimings timings_;
    Selected automatic_;
    Selected manual_;
    Selection selection_ = Selection::automatic;
    bool manualInForce_ = false; // mode 1, or mode 4 whose operator was found
    std::vector<OperatorInfo> scanList_;
    Technology technology_ = Technology::hsdpa;
    int signal_ = 20;
    CellLocation cell_{0x2F1E, 0x5A03};
    int function_ = kFullFunction;
    bool switchedOff_ = false;
    bool radioAtPowerUp_ = true;
    bool simReady_ = true;
    bool registering_ = false;
    int preferenceMode_ = 3; // automatic
    int preferenceDomain_ = 2;
    Reported reported_;
    std::unique_ptr<Alarm> registrationAlarm_; // last: its ring uses everything above
};

} // namespace Cardsim
