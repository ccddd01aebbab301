#pragma once
// The one place where parameter buffers get their memory. Writers must be able to see
// an allocation fail and leave their dictionary as it was, so allocation never throws.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Corvane::memory {

// Null when memory runs out (or when a test has asked for a failure).
std::uint8_t* allocate(std::size_t size) noexcept;
void release(void* block) noexcept;

struct Release {
    void operator()(std::uint8_t* block) const noexcept { release(block); }
};
using OwnedBytes = std::unique_ptr<std::uint8_t, Release>;

inline OwnedBytes allocateOwned(std::size_t size) noexcept { return OwnedBytes{allocate(size)}; }

// Test seam: while an instance lives, the calling thread's allocations after the first
// `allowed` ones fail. Thread-local, so tests running in parallel do not disturb each other.
class ScopedAllocationFailure {
public:
    explicit ScopedAllocationFailure(int allowed = 0) noexcept;
    ~ScopedAllocationFailure();
    ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
    ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;

private:
    int previous_;
};

} // namespace Corvane::memory
