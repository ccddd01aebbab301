#include "corvane/fsm/TracedHsm.h"

namespace Corvane {

TracedHsm::TracedHsm(QStateHandler initial, const char* className, const char* loggerCategory,
                     std::span<const StateName> states)
    : QHsm(initial), className_(className), logger_(logging::logger(loggerCategory)), states_(states)
{
}

std::string TracedHsm::currentStateName() const
{
    for (const StateName& entry : states_)
        if (entry.state == state())
            return std::string(className_) + "::" + entry.name;
    return "<UNKNOWN-STATE>";
}

void TracedHsm::trace(const char* state, const char* action) const
{
    LOG4CPLUS_DEBUG(logger_, "Corvane::" << className_ << "::" << state << ": " << action);
}

void TracedHsm::traceInitial() const
{
    LOG4CPLUS_DEBUG(logger_, className_ << "::Corvane::" << className_ << "::initial");
}

} // namespace Corvane
