#include "corvane/types/Allocation.h"

#include <cstdlib>

namespace Corvane::memory {

namespace {
// Allocations left before the injected failures start; negative when no test asked.
thread_local int allocationsBeforeFailure = -1;
} // namespace

std::uint8_t* allocate(std::size_t size) noexcept
{
    if (allocationsBeforeFailure == 0)
        return nullptr;
    if (allocationsBeforeFailure > 0)
        --allocationsBeforeFailure;
    return static_cast<std::uint8_t*>(std::malloc(size));
}

void release(void* block) noexcept { std::free(block); }

ScopedAllocationFailure::ScopedAllocationFailure(int allowed) noexcept
    : previous_(allocationsBeforeFailure)
{
    allocationsBeforeFailure = allowed < 0 ? 0 : allowed;
}

ScopedAllocationFailure::~ScopedAllocationFailure() { allocationsBeforeFailure = previous_; }

} // namespace Corvane::memory
