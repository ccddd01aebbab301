#pragma once
// The card's registration with the mobile network, and the client's network commands:
// scan, select a network, switch the technology. Reports "registrationState" on arrival
// in each substate, reads the network information again after every registration
// change, and keeps the connection machine and the SMS module active while registered.
//
//   network ─┬ notRegistered
//            ├ registering
//            ├ registrationDenied
//            └ registered
//
// A scan's list travels with its sigScanFinished; a scan asked for while one runs is
// dropped, so the client hears one "networkScanActive" 1 and one list per scan.

#include "corvane/fsm/RegistrationSeams.h"
#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"

#include <memory>
#include <span>

namespace Corvane {

class CorvaneController;
class DeviceTrait;

class NetworkFSM : public TracedHsm {
public:
    explicit NetworkFSM(CorvaneController& controller);
    ~NetworkFSM() override;

    static std::span<const Signal> subscriptions();

    bool hasConnectionMachine() const noexcept { return static_cast<bool>(connection_); }
    bool scanRunning() const noexcept { return scanRunning_; }

    QState initial(const QEvent* e);
    QState network(const QEvent* e);
    QState notRegistered(const QEvent* e);
    QState registering(const QEvent* e);
    QState registrationDenied(const QEvent* e);
    QState registered(const QEvent* e);

private:
    DeviceTrait& trait() const;
    void readNetworkInfo() const;
    void startScan();
    // Entry: notify the state; exit: read the network information again.
    QState substateEntry(const char* state, int registrationState);
    QState substateExit(const char* state);

    CorvaneController& controller_;
    bool scanRunning_ = false; // from sigScan until its sigScanFinished
    std::unique_ptr<ConnectionMachine> connection_; // while registered
};

} // namespace Corvane
