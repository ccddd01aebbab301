#pragma once
// A device trait that notes each operation in the client journal ("trait:<operation>")
// and can react to an operation the way the backend's trait would, by publishing.

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
    int initGps(Dictionary& p) override { return record("initGps", p); }
    int readSimInfo(Dictionary& p) override { return record("readSimInfo", p); }
    int readConnectionStatistics(Dictionary& p) override { return record("readConnectionStatistics", p); }
    int configureGps(Dictionary& p) override { return record("configureGps", p); }

private:
    int record(const std::string& operation, Dictionary& parameters);

    // Set before the library starts, read on its threads.
    std::map<std::string, Reaction> reactions_;
};

} // namespace Corvane::testing
