#pragma once
// Which threads are the library's own: its workers, its trait threads, and the backend's
// thread while it calls into the library. The calls that wait for those threads to end
// (closeLibrary) refuse to run on one of them, where they would wait for themselves.

#include "platform/ThreadMark.h"

namespace Corvane {

using LibraryThreadMark = Os::ThreadMark<struct LibraryThreads>;

inline bool onLibraryThread() noexcept { return LibraryThreadMark::onMarkedThread(); }

} // namespace Corvane
