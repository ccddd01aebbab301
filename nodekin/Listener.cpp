#include "nodekin/Listener.h"

#include "nodekin/XLog.h"

namespace Nodekin {

namespace {

const char* dutyName(ListenerDuty duty)
{
    switch (duty) {
    case ListenerDuty::idle:
        return "Idle";
    case ListenerDuty::stop:
        return "Stop";
    case ListenerDuty::waitForSuspend:
        return "WaitForSuspend";
    case ListenerDuty::waitForMutex:
        return "WaitForMutex";
    case ListenerDuty::waitForSuspendAndMutex:
        break;
    }
    return "WaitForSuspendAndMutex";
}

constexpr std::chrono::milliseconds mutexCheckPeriod{1000};

} // namespace

Listener::Listener(SuspensionPlace place, Hooks hooks, std::chrono::milliseconds settle)
    : place_(std::move(place)), hooks_(std::move(hooks)), settle_(settle)
{
}

void Listener::start()
{
    if (!thread_.joinable())
        thread_ = std::thread(&Listener::run, this);
}

void Listener::stop()
{
    if (!thread_.joinable())
        return;
    setDuty(ListenerDuty::stop);
    thread_.join();
}

void Listener::setDuty(ListenerDuty duty)
{
    {
        std::lock_guard lock(mutex_);
        if (duty_ == duty || duty_ == ListenerDuty::stop)
            return;
        duty_ = duty;
    }
    xlog(logNormal, "Nk: New listener thread duty is '%s'", dutyName(duty));
    wake_.set();
}

ListenerDuty Listener::duty() const
{
    std::lock_guard lock(mutex_);
    return duty_;
}

void Listener::pause(std::chrono::milliseconds time)
{
    // The loop reads the duty again afterwards, so a change that cut the pause short is
    // not lost.
    Os::waitFor(wake_, time);
}

void Listener::run()
{
    xlog(logNormal, "Nk: Listener thread started");
    objectsOpen_ = place_.open(event_) == 0 && place_.open(exclusiveMutex_) == 0;
    if (!objectsOpen_)
        xlog(logError, "Nk: ListenerThreadFn(): Opening the suspension objects failed");
    for (;;) {
        switch (duty()) {
        case ListenerDuty::stop:
            xlog(logNormal, "Nk: Listener thread stopping");
            return;
        case ListenerDuty::idle:
            if (const Os::WaitOutcome woke = Os::waitFor(wake_, Os::kInfinite); woke.status == Os::WaitStatus::failed) {
                xlog(logError, "Nk: ListenerThreadFn(): WaitForSingleObject failed with %d, GetLastError=0x%x", -1,
                     static_cast<unsigned>(woke.error));
                pause(std::chrono::milliseconds(333));
            }
            break;
        case ListenerDuty::waitForSuspend:
            waitForSuspension(false);
            break;
        case ListenerDuty::waitForSuspendAndMutex:
            waitForSuspension(true);
            break;
        case ListenerDuty::waitForMutex:
            waitForMutex();
            break;
        }
    }
}

void Listener::waitForSuspension(bool withMutex)
{
    if (!objectsOpen_) {
        setDuty(ListenerDuty::idle);
        return;
    }
    Os::Waitable* objects[] = {&wake_, &event_, &exclusiveMutex_};
    const Os::WaitOutcome outcome = Os::waitForAny(std::span(objects, withMutex ? 3 : 2), Os::kInfinite);
    if (outcome.status == Os::WaitStatus::failed) {
        xlog(logError, "Nk: ListenerThreadFn(): WaitForMultipleObjects failed with %d, GetLastError=0x%x", -1,
             static_cast<unsigned>(outcome.error));
        setDuty(ListenerDuty::idle);
        return;
    }
    switch (outcome.index) {
    case 0:
        return; // woken for a new duty
    case 1:
        if (!suspensionRequested(event_, exclusiveMutex_, settle_))
            return; // a stale request, now reset
        if (hooks_.exclusive()) {
            xlog(logNormal, "Nk: Suspension request has arrived but ignored in exclusive mode");
            setDuty(ListenerDuty::idle);
            return;
        }
        xlog(logNormal, "Nk: Suspension request has arrived");
        setDuty(ListenerDuty::idle);
        hooks_.post(suspendRequested);
        return;
    default:
        exclusiveMutex_.unlock();
        if (!suspensionRequested(event_, exclusiveMutex_, settle_)) {
            xlog(logNormal, "Nk: Got access to the exclusive mutex during normal mode, grabbing it...");
            setDuty(ListenerDuty::waitForSuspend);
            hooks_.post(takeMutexNormally);
            pause(settle_ / 2);
        }
        return;
    }
}

void Listener::waitForMutex()
{
    if (!objectsOpen_) {
        setDuty(ListenerDuty::idle);
        return;
    }
    // This duty follows a request that was seen signalled. Sampling the event only now
    // would miss a request that was withdrawn (event reset, mutex taken back in normal
    // mode) before this thread got here, and the program would stay suspended for good.
    bool wasSignalled = true;
    for (;;) {
        Os::Waitable* objects[] = {&wake_, &exclusiveMutex_};
        const Os::WaitOutcome outcome = Os::waitForAny(objects, mutexCheckPeriod);
        if (duty() != ListenerDuty::waitForMutex)
            return;
        if (outcome.status == Os::WaitStatus::signalled || outcome.status == Os::WaitStatus::abandoned) {
            if (outcome.index == 1) {
                xlog(logNormal, "Nk: Got access to the exclusive mutex, waking up from suspended mode");
                exclusiveMutex_.unlock();
                break;
            }
            continue;
        }
        const bool signalled = event_.isSet().valueOr(false);
        if (wasSignalled && !signalled) {
            xlog(logNormal, "Nk: suspension event reset detected while waiting for the exclusive mutex, waking up "
                            "from suspended mode");
            break;
        }
        wasSignalled = wasSignalled || signalled;
    }
    setDuty(ListenerDuty::idle);
    pause(settle_);
    hooks_.post(checkAfterSuspension);
}

} // namespace Nodekin
