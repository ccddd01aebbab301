#pragma once
// Fire-and-forget threads that their owner outlives: nobody joins them, but the owner's
// destruction waits until the last one has finished, so no thread is left using it.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

namespace Corvane {

class DetachedThreads {
public:
    DetachedThreads() = default;
    ~DetachedThreads() { waitUntilIdle(); }
    DetachedThreads(const DetachedThreads&) = delete;
    DetachedThreads& operator=(const DetachedThreads&) = delete;

    // False when the system refuses a thread; `work` then never runs.
    bool start(std::function<void()> work);
    void waitUntilIdle();
    // Waits at most `timeout`; whether every thread had finished.
    bool waitUntilIdleFor(std::chrono::milliseconds timeout);

private:
    void finished();

    std::mutex mutex_; // guards running_
    std::condition_variable idle_;
    std::size_t running_ = 0;
};

} // namespace Corvane
