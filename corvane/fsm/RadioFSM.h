#pragma once
// The card's radio as the client sees it: whether it can be switched at all, on, being
// switched on or off, off, or held by a smart antenna pushed in. Reports the radio state
// through the flight-mode notification and owns the network machine, which it starts the
// first time the radio is known to be supported and which lives as long as it does.
//
//   noRadioSupport
//   radioSupport ─┬ radioOn
//                 ├ switchOn
//                 ├ switchOff
//                 ├ antennaOutNoRadio
//                 └ antennaIn

#include "corvane/fsm/ActiveObjectPtr.h"
#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"

#include <span>

namespace Corvane {

class CorvaneController;
class DeviceTrait;
class NetworkFSM;

class RadioFSM : public TracedHsm {
public:
    explicit RadioFSM(CorvaneController& controller);
    ~RadioFSM() override;

    static std::span<const Signal> subscriptions();

    bool hasNetworkMachine() const noexcept { return static_cast<bool>(network_); }

    QState initial(const QEvent* e);
    QState noRadioSupport(const QEvent* e);
    QState radioSupport(const QEvent* e);
    QState radioOn(const QEvent* e);
    QState switchOn(const QEvent* e);
    QState switchOff(const QEvent* e);
    QState antennaOutNoRadio(const QEvent* e);
    QState antennaIn(const QEvent* e);

private:
    DeviceTrait& trait() const;
    void switchRadio(int radioState) const;
    void readRadioInfo() const;

    CorvaneController& controller_;
    ActiveObjectPtr<NetworkFSM> network_;
};

} // namespace Corvane
