#include "nodekin/SuspensionObjects.h"

#include "nodekin/XLog.h"

#include <thread>

namespace Nodekin {

int SuspensionPlace::open(Os::NamedEvent& event) const
{
    return folder.empty() ? event.open(suspensionEventName) : event.open(suspensionEventName, folder);
}

int SuspensionPlace::open(Os::NamedMutex& mutex) const
{
    return folder.empty() ? mutex.open(exclusiveMutexName) : mutex.open(exclusiveMutexName, folder);
}

bool suspensionRequested(Os::NamedEvent& event, const Os::NamedMutex& mutex, std::chrono::milliseconds grace)
{
    const auto signalled = [&] {
        const Os::Result<bool> set = event.isSet();
        return set.ok() && set.value();
    };
    // The program that wants the card holds the mutex, or waits for it while another
    // holds it; when nobody does, the one that signalled is gone. It takes the mutex
    // right after signalling, so it gets a moment to do so before it counts as gone.
    const auto claimed = [&] { return mutex.held() || mutex.heldElsewhere(); };
    if (!signalled())
        return false;
    if (claimed())
        return true;
    std::this_thread::sleep_for(grace);
    if (!signalled())
        return false;
    if (claimed())
        return true;
    xlog(logWarning, "Nk: Suspended event is signalled but the exclusive mutex is available");
    xlog(logWarning, "Nk: Possibly the event stayed signalled due to a crash, resetting it...");
    event.reset();
    return false;
}

} // namespace Nodekin
