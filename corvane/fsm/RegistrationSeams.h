#pragma once
// What the network machine starts and stops when the card's registration comes and goes:
// the connection machine, which exists only while the card is registered, and the SMS
// module's state. Both sit behind small interfaces held by the controller, so that the
// network machine does not wait for them; until they are built the defaults stand in:
// no connection machine, and a module state that is only logged.

#include <memory>

namespace Corvane {

class CorvaneController;

// The connection machine while it exists; it goes with its handle.
class ConnectionMachine {
public:
    virtual ~ConnectionMachine() = default;
};

class ConnectionMachineFactory {
public:
    virtual ~ConnectionMachineFactory() = default;
    // A connection machine, subscribed and started; null when there is none to make.
    virtual std::unique_ptr<ConnectionMachine> create(CorvaneController& controller) = 0;
};

class SmsModuleStateSink {
public:
    virtual ~SmsModuleStateSink() = default;
    // A value of SmsModuleState: smsActive while registered, smsInactive after.
    virtual void setModuleState(int state) = 0;
};

// The stand-ins a new controller starts with.
ConnectionMachineFactory& noConnectionMachines();
SmsModuleStateSink& loggedSmsModuleState();

} // namespace Corvane
