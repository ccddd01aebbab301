#pragma once
// How long closing the library waits for each of its pieces to end: a start under way,
// the device trait's threads, the event each state machine is in the middle of. A piece
// that does not end in time (a backend call that never returns) is logged and left
// behind with the memory it uses, never waited for without limit. Tests shorten it.

#include <atomic>
#include <chrono>

namespace Corvane {

namespace detail {
inline std::atomic<long long> shutdownPatienceMs{10000};
inline std::atomic<unsigned> threadsLeftBehind{0};
} // namespace detail

inline std::chrono::milliseconds shutdownPatience() noexcept
{
    return std::chrono::milliseconds(detail::shutdownPatienceMs.load());
}

inline void setShutdownPatience(std::chrono::milliseconds patience) noexcept
{
    detail::shutdownPatienceMs = patience.count();
}

// Counts the threads left behind so far, so that whoever owns what they use keeps it too.
inline void noteThreadLeftBehind() noexcept { ++detail::threadsLeftBehind; }
inline unsigned threadsLeftBehind() noexcept { return detail::threadsLeftBehind.load(); }

} // namespace Corvane
