#pragma once
// Which threads are the library's own: its workers, its trait threads, and the backend's
// thread while it calls into the library. The calls that wait for those threads to end
// (closeLibrary) refuse to run on one of them, where they would wait for themselves.

namespace Corvane {

namespace detail {
inline thread_local int libraryThreadDepth = 0;
} // namespace detail

// Marks the running thread as the library's while it lives.
class LibraryThreadMark {
public:
    LibraryThreadMark() noexcept { ++detail::libraryThreadDepth; }
    ~LibraryThreadMark() { --detail::libraryThreadDepth; }
    LibraryThreadMark(const LibraryThreadMark&) = delete;
    LibraryThreadMark& operator=(const LibraryThreadMark&) = delete;
};

inline bool onLibraryThread() noexcept { return detail::libraryThreadDepth > 0; }

} // namespace Corvane
