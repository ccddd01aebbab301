#pragma once
// The publish/subscribe hub: routes each event to the observers subscribed to its signal,
// synchronously, on the publisher's thread, in the order they subscribed.

#include "corvane/fsm/Events.h"
#include "corvane/patterns/Observer.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace Corvane {

class Observable {
public:
    Observable() = default;
    virtual ~Observable() = default;
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    // Appends the observer to the signal's list unless it is there already.
    virtual void subscribe(Observer* observer, std::uint16_t signal);
    void unsubscribe(Observer* observer, std::uint16_t signal);
    void unsubscribeAll(Observer* observer);
    bool isSubscribed(const Observer* observer, std::uint16_t signal) const;
    bool isSubscribedAnywhere(const Observer* observer) const;

    // Once an unsubscribe call has returned, the observer gets no further events, so it
    // may be destroyed.
    void notify(const CvEventPtr& event);

private:
    // Guards subscribers_, and is held for the whole walk of a signal's list, so that
    // subscription changes from other threads wait for a delivery in progress.
    mutable std::mutex mutex_;
    std::map<std::uint16_t, std::vector<Observer*>> subscribers_;
};

} // namespace Corvane
