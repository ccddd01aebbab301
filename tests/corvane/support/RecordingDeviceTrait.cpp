#include "tests/corvane/support/RecordingDeviceTrait.h"

#include "tests/corvane/support/ClientJournal.h"

namespace Corvane::testing {

int RecordingDeviceTrait::record(const std::string& operation, Dictionary& parameters)
{
    ClientJournal::note("trait:" + operation, parameters);
    const auto reaction = reactions_.find(operation);
    return reaction == reactions_.end() ? 0 : reaction->second(parameters);
}

} // namespace Corvane::testing
