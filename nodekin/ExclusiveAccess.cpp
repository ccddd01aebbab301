#include "nodekin/ExclusiveAccess.h"

#include "nodekin/XLog.h"
#include "platform/SystemError.h"

#include <thread>

namespace Nodekin {

ExclusiveAccess::ExclusiveAccess(SuspensionPlace place, Listener& listener, std::chrono::milliseconds settle)
    : place_(std::move(place)), listener_(listener), settle_(settle)
{
}

int ExclusiveAccess::open()
{
    std::lock_guard lock(mutex_);
    if (const int error = place_.open(event_); error != 0)
        return error;
    return place_.open(exclusiveMutex_);
}

bool ExclusiveAccess::exclusive() const
{
    std::lock_guard lock(mutex_);
    return exclusive_;
}

Os::WaitOutcome ExclusiveAccess::take(std::chrono::milliseconds timeout)
{
    if (exclusiveMutex_.held()) {
        xlog(logNormal, "Nk: Exclusive mutex has already been grabbed, ignoring request...");
        return {Os::WaitStatus::signalled, 0, 0};
    }
    return exclusiveMutex_.lock(timeout);
}

void ExclusiveAccess::letGo()
{
    if (exclusiveMutex_.unlock() != 0)
        xlog(logNormal, "Nk: Exclusive mutex has already been released, ignoring request...");
}

int ExclusiveAccess::request(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(mutex_);
    if (exclusive_)
        return 0;
    if (suspensionRequested(event_, exclusiveMutex_, settle_))
        return Os::kErrorInvalidState;
    listener_.setDuty(ListenerDuty::idle);
    std::this_thread::sleep_for(settle_); // let this program's listener settle before the others wake
    event_.set();
    const Os::WaitOutcome taken = take(timeout);
    if (taken.status != Os::WaitStatus::signalled && taken.status != Os::WaitStatus::abandoned) {
        event_.reset();
        listener_.setDuty(ListenerDuty::waitForSuspendAndMutex);
        return taken.status == Os::WaitStatus::timedOut ? Os::kErrorWaitTimeout : taken.error;
    }
    exclusive_ = true;
    return 0;
}

bool ExclusiveAccess::release()
{
    {
        std::lock_guard lock(mutex_);
        if (!exclusive_)
            return false;
        event_.reset();
        letGo();
        exclusive_ = false;
    }
    return mustStaySuspended();
}

bool ExclusiveAccess::mustStaySuspended()
{
    std::lock_guard lock(mutex_);
    if (exclusive_)
        return false;
    if (suspensionRequested(event_, exclusiveMutex_, settle_)) {
        listener_.setDuty(ListenerDuty::waitForMutex);
        return true;
    }
    const Os::WaitOutcome taken = take(std::chrono::milliseconds(0));
    if (taken.status == Os::WaitStatus::signalled || taken.status == Os::WaitStatus::abandoned) {
        xlog(logNormal, "Nk: Exclusive mutex has been grabbed");
        listener_.setDuty(ListenerDuty::waitForSuspend);
    } else {
        xlog(logNormal, "Nk: Exclusive mutex could not be grabbed, 0x%x",
             static_cast<unsigned>(taken.status == Os::WaitStatus::timedOut ? Os::kErrorWaitTimeout : taken.error));
        listener_.setDuty(ListenerDuty::waitForSuspendAndMutex);
    }
    return false;
}

void ExclusiveAccess::takeMutexNormally()
{
    std::lock_guard lock(mutex_);
    const Os::WaitOutcome taken = take(std::chrono::milliseconds(0));
    if (taken.status != Os::WaitStatus::signalled && taken.status != Os::WaitStatus::abandoned)
        listener_.setDuty(ListenerDuty::waitForSuspendAndMutex);
}

void ExclusiveAccess::acknowledgeSuspension()
{
    {
        std::lock_guard lock(mutex_);
        if (exclusiveMutex_.held())
            letGo();
    }
    std::this_thread::sleep_for(settle_);
    listener_.setDuty(ListenerDuty::waitForMutex);
}

void ExclusiveAccess::releaseMutex()
{
    std::lock_guard lock(mutex_);
    if (!exclusive_ && exclusiveMutex_.held())
        letGo();
}

bool ExclusiveAccess::claimedElsewhere()
{
    std::lock_guard lock(mutex_);
    if (exclusiveMutex_.held())
        return false;
    return suspensionRequested(event_, exclusiveMutex_, settle_) || exclusiveMutex_.heldElsewhere();
}

} // namespace Nodekin
