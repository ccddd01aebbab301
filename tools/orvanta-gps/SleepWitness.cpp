#include "SleepWitness.h"

#include <time.h>

namespace Orvanta::gps {
namespace {

// A real suspend lasts seconds at least; the two clocks drift apart by far less while awake.
constexpr auto kLeastSleep = std::chrono::seconds(1);

std::chrono::nanoseconds reading(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The boot-time clock runs on through a suspend, the monotonic one stops.
std::chrono::nanoseconds timeAsleep()
{
    return reading(CLOCK_BOOTTIME) - reading(CLOCK_MONOTONIC);
}

} // namespace

SleepWitness::SleepWitness()
    : loop_([this](const Os::Message& message) {
          if (message.message == Os::kWmPowerBroadcast && message.wParam == Os::kPbtApmSuspend)
              suspends_.fetch_add(1, std::memory_order_relaxed);
      })
{
    if (auto tree = Os::openDeviceTree(); tree.ok()) {
        tree_ = std::move(tree).value();
        watch_ = tree_->watch(loop_);
    }
}

SleepWitness::~SleepWitness()
{
    watch_.reset();
    loop_.stop();
}

SleepWitness::Mark SleepWitness::mark() const
{
    return {suspends_.load(std::memory_order_relaxed), timeAsleep()};
}

bool SleepWitness::sleptSince(const Mark& earlier) const
{
    const Mark now = mark();
    return now.suspends != earlier.suspends || now.asleep - earlier.asleep >= kLeastSleep;
}

} // namespace Orvanta::gps
