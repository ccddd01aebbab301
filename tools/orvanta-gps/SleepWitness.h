#pragma once
// Whether the system slept between two moments. The middleware reports a card that card
// detection let go of for a suspend exactly as a card pulled out, so a watch asks the
// system itself: the power events of the device tree that detection also reads (the
// virtual card's suspend and resume come this way), and the time the kernel counts as
// suspended, which grows across a real sleep even where no power event reaches us.

#include "platform/DeviceTree.h"
#include "platform/MessageLoop.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace Orvanta::gps {

class SleepWitness {
public:
    struct Mark {
        std::uint64_t suspends = 0;
        std::chrono::nanoseconds asleep{};
    };

    // Listens from now on; without a device tree only the kernel's count is used.
    SleepWitness();
    ~SleepWitness();
    SleepWitness(const SleepWitness&) = delete;
    SleepWitness& operator=(const SleepWitness&) = delete;

    Mark mark() const;
    bool sleptSince(const Mark& earlier) const;

private:
    std::atomic<std::uint64_t> suspends_{0};
    Os::MessageLoop loop_;
    std::unique_ptr<Os::DeviceTree> tree_;
    std::unique_ptr<Os::DeviceWatch> watch_; // last: goes first, before the loop it posts to
};

} // namespace Orvanta::gps
