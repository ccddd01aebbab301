#pragma once
// This program's side of the suspension protocol: taking the card for itself (every
// other program lets go), giving it back, and the ordinary holding of the exclusive mutex
// by the program that uses the card.

#include "nodekin/Listener.h"
#include "nodekin/SuspensionObjects.h"

#include <chrono>
#include <mutex>

namespace Nodekin {

class ExclusiveAccess {
public:
    ExclusiveAccess(SuspensionPlace place, Listener& listener, std::chrono::milliseconds settle);

    int open();

    // 0 once every other program has let go; kErrorInvalidState when another program already asked.
    int request(std::chrono::milliseconds timeout);
    // Gives the card back. True when this program must then stay suspended.
    bool release();
    bool exclusive() const;

    // At every check of the system: true when another program wants the card and this one
    // must stay suspended; otherwise the mutex is taken if free.
    bool mustStaySuspended();
    // The listener saw the mutex free in normal mode.
    void takeMutexNormally();
    // The backend saw this program suspended: let go and wait for the mutex.
    void acknowledgeSuspension();
    // Library shutdown outside exclusive mode.
    void releaseMutex();

    // Another program holds the card or asks for it.
    bool claimedElsewhere();

private:
    // With mutex_ held.
    Os::WaitOutcome take(std::chrono::milliseconds timeout);
    void letGo();

    const SuspensionPlace place_;
    Listener& listener_;
    const std::chrono::milliseconds settle_;

    mutable std::mutex mutex_; // guards everything below: client threads and the notifier call in
    Os::NamedEvent event_;
    Os::NamedMutex exclusiveMutex_;
    bool exclusive_ = false;
};

} // namespace Nodekin
