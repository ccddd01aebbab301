#pragma once
// How long closing the library waits for each of its pieces to end: a start under way,
// the device trait's threads, the event each state machine is in the middle of. A piece
// that does not end in time (a backend call that never returns) is logged and left
// behind with the memory it uses, never waited for without limit. Tests shorten it.

#include <chrono>

namespace Corvane {

std::chrono::milliseconds shutdownPatience() noexcept;
void setShutdownPatience(std::chrono::milliseconds patience) noexcept;

// A thread did not end in time. What it still uses, `object` (may be null), is kept in
// memory, reachable, until the process ends.
void leaveBehind(const void* object);
// How many threads were left behind so far, so that whoever owns what they use can tell
// whether to keep it too.
unsigned threadsLeftBehind() noexcept;

} // namespace Corvane
