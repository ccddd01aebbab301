#pragma once
// Marks the running thread as one of a family's while a mark lives, so that a call can
// tell it is made on one of them: a call that waits for a family's threads to end must
// not run on one, where it would wait for itself. Each `Family` tag is a family of its own.

namespace Os {

template <class Family>
class ThreadMark {
public:
    ThreadMark() noexcept { ++depth; }
    ~ThreadMark() { --depth; }
    ThreadMark(const ThreadMark&) = delete;
    ThreadMark& operator=(const ThreadMark&) = delete;

    static bool onMarkedThread() noexcept { return depth > 0; }

private:
    static inline thread_local int depth = 0;
};

} // namespace Os
