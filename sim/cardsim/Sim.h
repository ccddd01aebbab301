#pragma once
// The card's SIM: its PIN and PUK with the counters a SIM keeps, the PIN lock, and whether
// a SIM is in the slot at all. The host's side enters, unblocks, changes and locks the
// codes through AT commands; the test director's side pulls, inserts and resets the SIM
// through control commands. What the host may do follows from the state alone, so every
// answer is one of a few outcomes that the dialect turns into its result codes.
//
// The counters live on the SIM, as on a real one: a power cycle (a replug) asks for the
// PIN again when the lock is on, but a SIM that needed its PUK still needs it.

#include "sim/cardsim/CardEvent.h"

#include <string>
#include <string_view>

namespace Cardsim {

// What a SIM is given when made: its codes and whether the PIN lock is on.
struct SimCodes {
    std::string pin = "0000";
    std::string puk = "12345678";
    bool lockOn = false;
};

struct SimSetup {
    SimCodes codes;
    bool present = true;
};

enum class SimState {
    absent,    // no SIM in the slot
    pinNeeded, // the lock is on and the PIN not entered since power-on
    pukNeeded, // the PIN counter ran out
    blocked,   // the PUK counter ran out: for good
    ready,
};

// "ready", "pin-needed", "puk-needed", "blocked", "absent".
std::string_view simStateName(SimState state);

// The outcome of a host's request.
enum class SimOutcome {
    done,
    noSim,
    pinRequired,  // the SIM wants its PIN first
    pukRequired,  // the SIM wants its PUK first (or is blocked)
    wrongCode,    // counted down, unless the new code was malformed
    notAllowed,   // not in this state (a PIN while ready, a change with the lock off)
};

// A PIN as SIMs take them: 4 to 8 digits.
bool isPinCode(std::string_view text);
// A PUK: 8 digits.
bool isPukCode(std::string_view text);

class Sim {
public:
    static constexpr int kPinAttempts = 3;
    static constexpr int kPukAttempts = 10;

    // `listener` hears CardEvent::simStateChanged whenever state() changed.
    Sim(SimSetup setup, CardEventListener listener);
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    SimState state() const { return state_; }
    bool present() const { return state_ != SimState::absent; }
    bool ready() const { return state_ == SimState::ready; }
    bool lockOn() const { return codes_.lockOn; }
    int pinAttemptsLeft() const { return pinLeft_; }
    int pukAttemptsLeft() const { return pukLeft_; }

    // The host's side.
    // Whether what the SIM stores (IMSI, numbers, messages) may be read now.
    SimOutcome access() const;
    SimOutcome enterPin(std::string_view pin);
    SimOutcome unblock(std::string_view puk, std::string_view newPin);
    // The lock may be read in every state but without a SIM.
    SimOutcome readLock() const { return present() ? SimOutcome::done : SimOutcome::noSim; }
    SimOutcome setLock(bool on, std::string_view pin);
    SimOutcome changePin(std::string_view oldPin, std::string_view newPin);

    // The test director's side.
    // False when there was no SIM to pull.
    bool remove();
    // Puts the pulled SIM back, as it was pulled but asking for its PIN again; false when
    // a SIM is in already.
    bool insert();
    // A fresh SIM as the card started with it (codes, lock, counters) in the slot.
    void reset();

    // The card was plugged in: the SIM starts again.
    void powerOn();

private:
    // The state a SIM of these codes and counters starts in.
    SimState startState() const;
    // A wrong PIN: one attempt less, the PUK needed after the last.
    SimOutcome wrongPin();
    void moveTo(SimState state);

    const SimSetup setup_;
    CardEventListener listener_;
    SimCodes codes_;
    int pinLeft_ = kPinAttempts;
    int pukLeft_ = kPukAttempts;
    SimState state_ = SimState::absent;
};

} // namespace Cardsim
