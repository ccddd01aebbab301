#pragma once
// Objects a thread can wait for, alone or several at once with a time-out: events of this
// process (LocalEvent), the named mutex and event shared with other processes, and child
// processes. waitForAny answers with the first signalled object, lowest index first, as
// a wait on several handles does.

#include "platform/UniqueFd.h"

#include <chrono>
#include <cstddef>
#include <span>

namespace Os {

enum class WaitStatus {
    signalled,    // the object is signalled (a mutex is now held)
    abandoned,    // a mutex whose holder died while holding it; it is held now
    notSignalled, // from tryAcquire only
    timedOut,
    failed,       // `error` says why
};

struct WaitOutcome {
    WaitStatus status = WaitStatus::notSignalled;
    std::size_t index = 0; // which object, for signalled and abandoned
    int error = 0;
};

class Waitable {
public:
    virtual ~Waitable() = default;
    // Takes the object if it is signalled now: a mutex is acquired, an auto-reset event
    // reset. Answers notSignalled otherwise.
    virtual WaitOutcome tryAcquire() = 0;
    // A descriptor that turns readable when the object may have changed, or -1 when the
    // object has to be looked at every few milliseconds.
    virtual int changeDescriptor() const = 0;
    // Called after poll found changeDescriptor() readable.
    virtual void consumeChange() {}
};

// Waits without end when given as a time-out.
inline constexpr std::chrono::milliseconds kInfinite{-1};
// How often objects without a change descriptor are looked at.
inline constexpr std::chrono::milliseconds kPollInterval{20};

WaitOutcome waitForAny(std::span<Waitable* const> objects, std::chrono::milliseconds timeout);
inline WaitOutcome waitFor(Waitable& object, std::chrono::milliseconds timeout)
{
    Waitable* const objects[] = {&object};
    return waitForAny(objects, timeout);
}

// An event of this process, on an eventfd.
class LocalEvent final : public Waitable {
public:
    enum class Reset { manual, automatic };
    explicit LocalEvent(Reset reset);

    void set();
    void reset();
    WaitOutcome tryAcquire() override;
    int changeDescriptor() const override { return fd_.get(); }

private:
    const Reset resetMode_;
    UniqueFd fd_;
};

} // namespace Os
