#pragma once
// The SIM PIN dialogue: the card asks for a PIN or PUK, the client is asked with the kind
// of code and the attempts left, the code the client enters goes to the card, and the
// outcome is reported as "pinState". Changing the PIN and switching the PIN request on
// or off are passed on while no dialogue is under way.
//
//   idle ─ pinEntry ─ pinCheck       (all children of top)
//   pinMissing, simBlocked

#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"

#include <span>

namespace Corvane {

class CorvaneController;
class DeviceTrait;

class PinPukFSM : public TracedHsm {
public:
    explicit PinPukFSM(CorvaneController& controller);
    ~PinPukFSM() override;

    static std::span<const Signal> subscriptions();

    QState initial(const QEvent* e);
    QState idle(const QEvent* e);
    QState pinEntry(const QEvent* e);
    QState pinMissing(const QEvent* e);
    QState pinCheck(const QEvent* e);
    QState simBlocked(const QEvent* e);

private:
    DeviceTrait& trait() const;
    // The trait operation with the client's record, which may carry codes: only the trait
    // sees it.
    void forward(int (DeviceTrait::*operation)(Dictionary&), const QEvent* e) const;

    CorvaneController& controller_;
};

} // namespace Corvane
