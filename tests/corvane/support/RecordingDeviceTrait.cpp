#include "tests/corvane/support/RecordingDeviceTrait.h"

#include "tests/corvane/support/ClientJournal.h"

#include <memory>
#include <string>

namespace Corvane::testing {

int RecordingDeviceTrait::record(const std::string& operation, Dictionary& parameters)
{
    ClientJournal::note("trait:" + operation, parameters);
    const auto reaction = reactions_.find(operation);
    return reaction == reactions_.end() ? 0 : reaction->second(parameters);
}

namespace {

class RecordedConnectionMachine final : public ConnectionMachine {
public:
    RecordedConnectionMachine() { ClientJournal::note("connection:create", {}); }
    ~RecordedConnectionMachine() override { ClientJournal::note("connection:delete", {}); }
};

} // namespace

std::unique_ptr<ConnectionMachine> RecordingConnectionMachines::create(CorvaneController&)
{
    return std::make_unique<RecordedConnectionMachine>();
}

void RecordingSmsModuleState::setModuleState(int state)
{
    ClientJournal::note("smsModule " + std::to_string(state), {});
}

} // namespace Corvane::testing
