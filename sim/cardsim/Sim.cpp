#include "sim/cardsim/Sim.h"

#include <algorithm>
#include <utility>

namespace Cardsim {
namespace {

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string_view simStateName(SimState state)
{
    switch (state) {
    case SimState::absent: return "absent";
    case SimState::pinNeeded: return "pin-needed";
    case SimState::pukNeeded: return "puk-needed";
    case SimState::blocked: return "blocked";
    case SimState::ready: return "ready";
    }
    return "?";
}

bool isPinCode(std::string_view text) { return text.size() >= 4 && text.size() <= 8 && allDigits(text); }
bool isPukCode(std::string_view text) { return text.size() == 8 && allDigits(text); }

Sim::Sim(SimSetup setup, CardEventListener listener)
    : setup_(std::move(setup)), listener_(std::move(listener)), codes_(setup_.codes)
{
    state_ = setup_.present ? startState() : SimState::absent;
}

SimState Sim::startState() const
{
    if (pukLeft_ == 0)
        return SimState::blocked;
    if (pinLeft_ == 0)
        return SimState::pukNeeded;
    return codes_.lockOn ? SimState::pinNeeded : SimState::ready;
}

void Sim::moveTo(SimState state)
{
    if (std::exchange(state_, state) != state && listener_)
        listener_(CardEvent::simStateChanged);
}

SimOutcome Sim::access() const
{
    switch (state_) {
    case SimState::absent: return SimOutcome::noSim;
    case SimState::pinNeeded: return SimOutcome::pinRequired;
    case SimState::pukNeeded:
    case SimState::blocked: return SimOutcome::pukRequired;
    case SimState::ready: break;
    }
    return SimOutcome::done;
}

SimOutcome Sim::wrongPin()
{
    if (--pinLeft_ == 0)
        moveTo(SimState::pukNeeded);
    return SimOutcome::wrongCode;
}

SimOutcome Sim::enterPin(std::string_view pin)
{
    switch (state_) {
    case SimState::absent: return SimOutcome::noSim;
    case SimState::ready: return SimOutcome::notAllowed;
    case SimState::pukNeeded: return SimOutcome::pukRequired;
    // Nothing opens a blocked SIM; it takes no more tries either.
    case SimState::blocked: return SimOutcome::wrongCode;
    case SimState::pinNeeded: break;
    }
    if (pin != codes_.pin)
        return wrongPin();
    pinLeft_ = kPinAttempts;
    moveTo(SimState::ready);
    return SimOutcome::done;
}

SimOutcome Sim::unblock(std::string_view puk, std::string_view newPin)
{
    switch (state_) {
    case SimState::absent: return SimOutcome::noSim;
    case SimState::ready:
    case SimState::pinNeeded: return SimOutcome::notAllowed;
    case SimState::blocked: return SimOutcome::wrongCode;
    case SimState::pukNeeded: break;
    }
    // The card checks the new PIN before it hands the PUK to the SIM: a malformed one
    // costs no attempt.
    if (!isPinCode(newPin))
        return SimOutcome::wrongCode;
    if (puk != codes_.puk) {
        if (--pukLeft_ == 0)
            moveTo(SimState::blocked);
        return SimOutcome::wrongCode;
    }
    codes_.pin = newPin;
    pinLeft_ = kPinAttempts;
    pukLeft_ = kPukAttempts;
    moveTo(SimState::ready);
    return SimOutcome::done;
}

SimOutcome Sim::setLock(bool on, std::string_view pin)
{
    if (const SimOutcome why = access(); why != SimOutcome::done)
        return why;
    if (pin != codes_.pin)
        return wrongPin();
    codes_.lockOn = on;
    pinLeft_ = kPinAttempts;
    return SimOutcome::done;
}

SimOutcome Sim::changePin(std::string_view oldPin, std::string_view newPin)
{
    if (const SimOutcome why = access(); why != SimOutcome::done)
        return why;
    // A SIM changes only a PIN that is in use.
    if (!codes_.lockOn)
        return SimOutcome::notAllowed;
    if (!isPinCode(newPin))
        return SimOutcome::wrongCode;
    if (oldPin != codes_.pin)
        return wrongPin();
    codes_.pin = newPin;
    pinLeft_ = kPinAttempts;
    return SimOutcome::done;
}

bool Sim::remove()
{
    if (!present())
        return false;
    moveTo(SimState::absent);
    return true;
}

bool Sim::insert()
{
    if (present())
        return false;
    moveTo(startState());
    return true;
}

void Sim::reset()
{
    codes_ = setup_.codes;
    pinLeft_ = kPinAttempts;
    pukLeft_ = kPukAttempts;
    moveTo(startState());
}

void Sim::powerOn()
{
    if (present())
        moveTo(startState());
}

} // namespace Cardsim
