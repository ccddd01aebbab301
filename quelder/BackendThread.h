#pragma once
// Which threads are the backend's own: the communicator (and so every client callback),
// the system message handler, the port receivers and the card listener. QdShutdown waits
// for them to end and refuses to run on one of them, where it would wait for itself.

namespace GSM {

namespace detail {
inline thread_local int backendThreadDepth = 0;
} // namespace detail

// Marks the running thread as the backend's while it lives.
class BackendThreadMark {
public:
    BackendThreadMark() noexcept { ++detail::backendThreadDepth; }
    ~BackendThreadMark() { --detail::backendThreadDepth; }
    BackendThreadMark(const BackendThreadMark&) = delete;
    BackendThreadMark& operator=(const BackendThreadMark&) = delete;
};

inline bool OnBackendThread() noexcept { return detail::backendThreadDepth > 0; }

} // namespace GSM
