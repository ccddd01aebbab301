#pragma once
// The card as the library follows it: absent, present and initialising, initialised with
// or without a SIM, blocked, busy. Reports each change as "deviceState", starts the device
// trait's initialisation steps, owns the PIN/PUK, radio and GPS machines while a card is
// present, and hands the client's GPS configuration to the trait.
//
//   noDevice
//   devicePresent ─┬ deviceInitialising
//                  ├ deviceInitFailure
//                  ├ simInitialising
//                  ├ noSimInserted ─ busyWithoutSim
//                  └ simInserted ─┬ busyWithSimInserted
//                                 └ simBlocked ─ busyWithBlockedSim

#include "corvane/fsm/ActiveObjectPtr.h"
#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"

#include <memory>
#include <span>

namespace Corvane {

class GpsFSM;
class PinPukFSM;
class RadioFSM;
class DeviceTrait;
class CorvaneController;

class DeviceFSM : public TracedHsm {
public:
    explicit DeviceFSM(CorvaneController& controller);
    ~DeviceFSM() override;

    static std::span<const Signal> subscriptions();

    bool hasGpsMachine() const noexcept { return static_cast<bool>(gps_); }
    bool hasPinPukMachine() const noexcept { return static_cast<bool>(pinPuk_); }
    bool hasRadioMachine() const noexcept { return static_cast<bool>(radio_); }

    QState initial(const QEvent* e);
    QState noDevice(const QEvent* e);
    QState devicePresent(const QEvent* e);
    QState deviceInitialising(const QEvent* e);
    QState deviceInitFailure(const QEvent* e);
    QState simInitialising(const QEvent* e);
    QState noSimInserted(const QEvent* e);
    QState busyWithoutSim(const QEvent* e);
    QState simInserted(const QEvent* e);
    QState busyWithSimInserted(const QEvent* e);
    QState simBlocked(const QEvent* e);
    QState busyWithBlockedSim(const QEvent* e);

private:
    // Trace, notify "deviceState", handled.
    QState tracedState(const char* state, const char* action, int deviceState);
    DeviceTrait& trait() const;

    void startGpsMachine();
    void createSimMachines();
    void deleteChildMachines();

    CorvaneController& controller_;
    ActiveObjectPtr<PinPukFSM> pinPuk_;
    ActiveObjectPtr<RadioFSM> radio_;
    ActiveObjectPtr<GpsFSM> gps_;
};

} // namespace Corvane
