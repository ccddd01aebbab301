#pragma once
// A state machine with a thread and a queue of its own, listening to the hub: events
// published on any thread are queued and dispatched one at a time on the machine's thread.
//
// The machine class provides init(), dispatch(), currentStateName(), logger() and a
// static subscriptions() listing the signals it listens to.

#include "corvane/Logging.h"
#include "corvane/fsm/Events.h"
#include "corvane/patterns/Observable.h"
#include "corvane/patterns/Observer.h"
#include "corvane/threads/Worker.h"

#include <utility>

namespace Corvane {

template <class Machine>
class ActiveObject final : public Worker<CvEventPtr>, public Observer {
public:
    // The thread starts; the machine is constructed in its top state and waits for start().
    template <class... Args>
    explicit ActiveObject(Observable& hub, Args&&... machineArguments)
        : Worker<CvEventPtr>(true), hub_(hub), machine_(std::forward<Args>(machineArguments)...)
    {
    }

    // Unsubscribes, lets the event in progress finish, drops the rest, then the machine goes.
    ~ActiveObject() override
    {
        hub_.unsubscribeAll(this);
        stop();
    }

    // Listens to the machine's signals.
    void subscribe()
    {
        for (const auto signal : Machine::subscriptions())
            hub_.subscribe(this, signal);
    }
    // Runs the initial transition on the caller's thread, before any event is dispatched.
    void start() { machine_.init(); }

    void update(const CvEventPtr& event) override
    {
        post(event);
        markNotified();
    }

    Machine& machine() noexcept { return machine_; }

protected:
    void process(const CvEventPtr& event) override
    {
        if (!event)
            return;
        LOG4CPLUS_DEBUG(machine_.logger(), "Dispatch event '" << signalName(event->sig) << "' in state '"
                                                              << machine_.currentStateName() << "'");
        machine_.dispatch(event.get());
    }

private:
    Observable& hub_;
    Machine machine_; // touched only by the worker thread once start() has returned
};

} // namespace Corvane
