#pragma once
// A device trait that notes each operation in the client journal ("trait:<operation>")
// and can react to an operation the way the backend's trait would, by publishing. The
// seams the network machine starts while registered are recorded the same way:
// "connection:create", "connection:delete", "smsModule 2".

#include "corvane/fsm/RegistrationSeams.h"
#include "corvane/traits/DeviceTrait.h"

#include <functional>
#include <map>
#include <string>

namespace Corvane::testing {

class RecordingDeviceTrait : public DeviceTrait {
public:
    using Reaction = std::function<int(Dictionary& parameters)>;

    // Runs when `operation` is called; its result is the operation's.
    void react(const std::string& operation, Reaction reaction) { reactions_[operation] = std::move(reaction); }

    int initialise(Dictionary& p) override { return record("initialise", p); }
    int shutdown(Dictionary& p) override { return record("shutdown", p); }
    int initDevice(Dictionary& p) override { return record("initDevice", p); }
    int initSim(Dictionary& p) override { return record("initSim", p); }
    int initRadio(Dictionary& p) override { return record("initRadio", p); }
    int initNetwork(Dictionary& p) override { return record("initNetwork", p); }
    int initGps(Dictionary& p) override { return record("initGps", p); }
    int readRadioInfo(Dictionary& p) override { return record("readRadioInfo", p); }
    int readSimInfo(Dictionary& p) override { return record("readSimInfo", p); }
    int readNetworkInfo(Dictionary& p) override { return record("readNetworkInfo", p); }
    int enterPin(Dictionary& p) override { return record("enterPin", p); }
    int changePin(Dictionary& p) override { return record("changePin", p); }
    int setPinMode(Dictionary& p) override { return record("setPinMode", p); }
    int setNetworkTechnology(Dictionary& p) override { return record("setNetworkTechnology", p); }
    int scanNetworks(Dictionary& p) override { return record("scanNetworks", p); }
    int selectNetwork(Dictionary& p) override { return record("selectNetwork", p); }
    int setRadioState(Dictionary& p) override { return record("setRadioState", p); }
    int readConnectionStatistics(Dictionary& p) override { return record("readConnectionStatistics", p); }
    int configureGps(Dictionary& p) override { return record("configureGps", p); }

private:
    int record(const std::string& operation, Dictionary& parameters);

    // Set before the library starts, read on its threads.
    std::map<std::string, Reaction> reactions_;
};

} // namespace Corvane::testing

namespace Corvane::testing {

class RecordingConnectionMachines final : public ConnectionMachineFactory {
public:
    std::unique_ptr<ConnectionMachine> create(CorvaneController& controller) override;
};

class RecordingSmsModuleState final : public SmsModuleStateSink {
public:
    void setModuleState(int state) override;
};

} // namespace Corvane::testing
