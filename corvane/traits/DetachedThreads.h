#pragma once
// Fire-and-forget threads that their owner outlives: nobody joins them, but the owner's
// destruction waits (within the shutdown patience) until the last one has finished, so
// no thread is left using it. A thread that does not finish in time is logged and left
// to end on its own; the bookkeeping it touches at its end is its own, not the owner's.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

namespace Corvane {

class DetachedThreads {
public:
    DetachedThreads();
    ~DetachedThreads();
    DetachedThreads(const DetachedThreads&) = delete;
    DetachedThreads& operator=(const DetachedThreads&) = delete;

    // False when the system refuses a thread; `work` then never runs.
    bool start(std::function<void()> work);
    // Waits at most `timeout`; whether every thread had finished.
    bool waitUntilIdleFor(std::chrono::milliseconds timeout);

private:
    struct Count {
        std::mutex mutex; // guards running
        std::condition_variable idle;
        std::size_t running = 0;
    };
    static void finished(Count& count);

    std::shared_ptr<Count> count_; // shared with every thread started
};

} // namespace Corvane
