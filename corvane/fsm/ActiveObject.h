#pragma once
// A state machine with a thread and a queue of its own, listening to the hub: events
// published on any thread are queued and dispatched one at a time on the machine's thread.
//
// The machine class provides init(), dispatch(), currentStateName(), logger() and a
// static subscriptions() listing the signals it listens to.

#include "corvane/Logging.h"
#include "corvane/fsm/ActiveObjectPtr.h"
#include "corvane/fsm/Events.h"
#include "corvane/patterns/Observable.h"
#include "corvane/patterns/Observer.h"
#include "corvane/threads/ShutdownPatience.h"
#include "corvane/threads/Worker.h"

#include <memory>
#include <utility>

namespace Corvane {

template <class Machine>
class ActiveObject final : public Observer {
public:
    // The machine is constructed in its top state, then the thread starts; the machine
    // waits for start().
    template <class... Args>
    explicit ActiveObject(Observable& hub, Args&&... machineArguments)
        : hub_(hub), machine_(std::forward<Args>(machineArguments)...)
    {
    }

    // Unsubscribes; the worker then lets the event in progress finish and drops the rest,
    // and only then does the machine go.
    ~ActiveObject() override { hub_.unsubscribeAll(this); }

    // Unsubscribes and stops the thread, unless the event in progress outlasts
    // `patience`: false then, and the object must be left alone, its thread still in it.
    bool stopWithin(std::chrono::milliseconds patience)
    {
        hub_.unsubscribeAll(this);
        return worker_.stopWithin(patience);
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
        worker_.post(event);
        markNotified();
    }

    Machine& machine() noexcept { return machine_; }

private:
    void process(const CvEventPtr& event)
    {
        if (!event)
            return;
        LOG4CPLUS_DEBUG(machine_.logger(), "Dispatch event '" << signalName(event->sig) << "' in state '"
                                                              << machine_.currentStateName() << "'");
        machine_.dispatch(event.get());
    }

    Observable& hub_;
    Machine machine_; // touched only by the worker thread once start() has returned
    // Last: its thread dispatches into the machine, so it starts after the machine exists
    // and is stopped before the machine goes.
    Worker<CvEventPtr> worker_{[this](const CvEventPtr& event) { process(event); }};
};

// An active object is destroyed once its thread has stopped, within the shutdown
// patience; one whose event in progress does not end in time (a backend call that never
// returns) is left in memory for its thread rather than freed under it.
template <class Machine>
void ActiveObjectRelease::operator()(ActiveObject<Machine>* object) const
{
    if (object->stopWithin(shutdownPatience())) {
        std::default_delete<ActiveObject<Machine>>()(object);
        return;
    }
    leaveBehind(object);
    LOG4CPLUS_ERROR(object->machine().logger(),
                    "The machine's thread did not stop in time; it is left behind, in memory, until it ends");
}

template <class Machine, class... Args>
ActiveObjectPtr<Machine> makeActiveObject(Observable& hub, Args&&... machineArguments)
{
    return ActiveObjectPtr<Machine>(
        std::make_unique<ActiveObject<Machine>>(hub, std::forward<Args>(machineArguments)...).release());
}

// The child machine a machine owns, made when it is missing: created, subscribed and
// started on the caller's thread. Whether it was made now.
template <class Machine, class... Args>
bool startActiveObject(ActiveObjectPtr<Machine>& owned, Observable& hub, Args&&... machineArguments)
{
    if (owned)
        return false;
    owned = makeActiveObject<Machine>(hub, std::forward<Args>(machineArguments)...);
    owned->subscribe();
    owned->start();
    return true;
}

} // namespace Corvane
