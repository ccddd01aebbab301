#pragma once
// Which threads are the backend's own: the communicator (and so every client callback),
// the system message handler, the port receivers and the card listener. QdShutdown waits
// for them to end and refuses to run on one of them, where it would wait for itself.

#include "platform/ThreadMark.h"

namespace GSM {

using BackendThreadMark = Os::ThreadMark<struct BackendThreads>;

inline bool OnBackendThread() noexcept { return BackendThreadMark::onMarkedThread(); }

} // namespace GSM
