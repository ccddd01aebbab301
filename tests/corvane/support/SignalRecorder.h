#pragma once
// An observer of the hub that keeps every event it is handed, with its parameters.

#include "corvane/fsm/Signals.h"
#include "corvane/patterns/Observable.h"
#include "corvane/patterns/Observer.h"

#include <initializer_list>
#include <mutex>
#include <vector>

namespace Corvane::testing {

class SignalRecorder final : public Observer {
public:
    // Subscribes to `signals`, or to every signal when none are named.
    explicit SignalRecorder(Observable& hub, std::initializer_list<Signal> signals = {}) : hub_(hub)
    {
        if (signals.size() == 0) {
            for (int s = sigError; s < signalCount; ++s)
                hub_.subscribe(this, static_cast<std::uint16_t>(s));
        }
        for (const Signal signal : signals)
            hub_.subscribe(this, signal);
    }
    ~SignalRecorder() override { hub_.unsubscribeAll(this); }
    SignalRecorder(const SignalRecorder&) = delete;
    SignalRecorder& operator=(const SignalRecorder&) = delete;

    void update(const CvEventPtr& event) override
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    std::vector<CvEventPtr> events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    Observable& hub_;
    mutable std::mutex mutex_; // guards events_: the hub delivers on the publishers' threads
    std::vector<CvEventPtr> events_;
};

} // namespace Corvane::testing
