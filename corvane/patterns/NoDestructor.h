#pragma once
// A process-wide object that is never destroyed. For objects whose threads may still be
// inside a call that never returns (a card that stopped answering) when the process
// ends: destroying them at exit would either wait for those threads without limit or
// free memory under them. The process's end takes the threads and the memory together.

#include <memory>
#include <new>
#include <utility>

namespace Corvane {

template <class T>
class NoDestructor {
public:
    template <class... Args>
    explicit NoDestructor(Args&&... arguments)
    {
        std::construct_at(reinterpret_cast<T*>(storage_), std::forward<Args>(arguments)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T& get() noexcept { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

} // namespace Corvane
