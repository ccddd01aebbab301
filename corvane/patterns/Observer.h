#pragma once
// Something that receives published events from an Observable hub.

#include "corvane/fsm/Events.h"

#include <atomic>

namespace Corvane {

class Observer {
public:
    virtual ~Observer() = default;

    // Whether an event arrived since the last call; the flag is cleared.
    virtual bool wasNotified() noexcept { return notified_.exchange(false); }
    // Called by the hub on the publisher's thread; must return quickly and must not
    // publish itself (the hub's walk of its list is in progress).
    virtual void update(const CvEventPtr& event) { (void)event; }

protected:
    void markNotified() noexcept { notified_.store(true); }

private:
    std::atomic<bool> notified_{false};
};

} // namespace Corvane
