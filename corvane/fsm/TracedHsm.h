#pragma once
// What every state machine of the middleware shares besides the engine: its logger, the
// names of its states for the dispatch lines ("GpsFSM::reading") and the traces of its
// actions ("Corvane::GpsFSM::reading: entry").

#include "corvane/Logging.h"
#include "corvane/fsm/QHsm.h"

#include <span>
#include <string>

namespace Corvane {

struct StateName {
    QStateHandler state;
    const char* name; // without the class: "reading"
};

class TracedHsm : public QHsm {
public:
    // "GpsFSM::reading", or "<UNKNOWN-STATE>" for a state missing from the table.
    std::string currentStateName() const;
    const log4cplus::Logger& logger() const noexcept { return logger_; }

protected:
    TracedHsm(QStateHandler initial, const char* className, const char* loggerCategory,
              std::span<const StateName> states);

    // "Corvane::<class>::<state>: <action>" at DEBUG.
    void trace(const char* state, const char* action) const;
    // A trace for an action that is all the handler does.
    QState traced(const char* state, const char* action) const
    {
        trace(state, action);
        return handled();
    }
    // "<class>::Corvane::<class>::initial" at DEBUG, for the initial pseudo-state.
    void traceInitial() const;

private:
    const char* className_;
    log4cplus::Logger logger_;
    std::span<const StateName> states_;
};

} // namespace Corvane
