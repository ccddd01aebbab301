#pragma once
// A thread with a queue: items posted from any thread are processed one at a time, in
// the order posted, on the worker's own thread, by the function the worker was given.
//
// The owner of that function holds the worker as its last data member: it is then
// destroyed first, and its destructor lets the item in progress finish and joins the
// thread while everything the function touches still exists.

#include "corvane/Logging.h"
#include "corvane/threads/LibraryThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace Corvane {

struct WorkerOptions {
    // How long the constructor waits for the thread to come up before it reports
    // "timedout" and goes on anyway.
    std::chrono::milliseconds startWait{std::chrono::seconds(5)};
    // Runs on the new thread before it reports that it started (tests use it to hold the
    // thread back).
    std::function<void()> beforeStart;
};

template <class Item>
class Worker final {
public:
    // Handles one item on the worker thread.
    using Process = std::function<void(const Item&)>;

    explicit Worker(Process process, bool startThread = true, WorkerOptions options = {});
    ~Worker() { stop(); }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void post(Item item);

    // Lets the item in progress finish, ends the thread and drops the items still queued.
    // Safe to call more than once, from any thread but the worker's own.
    void stop();
    // stop(), unless the item in progress takes longer than `patience`: false then, and
    // the thread is left to end on its own once the item returns. Its owner must then
    // keep the worker's memory, and whatever the function touches, which that thread
    // still uses.
    bool stopWithin(std::chrono::milliseconds patience);
    // True once stop() has begun: a long item may give up early.
    bool stopping() const noexcept { return stopRequested_; }

private:
    void run();
    void setIdle();
    // stop() and stopWithin(): waits until no item is in progress, at most `patience`
    // when given; false when it ran out.
    bool finish(std::optional<std::chrono::milliseconds> patience);

    const Process process_;
    WorkerOptions options_;

    std::mutex queueMutex_; // guards queue_
    std::deque<Item> queue_;

    // Whether the worker is looking at the queue or processing an item, so that stop()
    // can wait for the item in progress, and give up waiting after a while. (A flag with a
    // condition rather than a timed mutex held over the item: ThreadSanitizer does not
    // see the timed lock of the system's mutex and would report every unlock.)
    std::mutex busyStateMutex_; // guards busy_
    std::condition_variable busyChanged_;
    bool busy_ = false;

    std::mutex wakeMutex_; // with wake_: the worker's wait for items or for stop
    std::condition_variable wake_;

    std::mutex startMutex_; // guards started_; with startCondition_: the constructor's wait
    std::condition_variable startCondition_;
    bool started_ = false;

    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};

template <class Item>
Worker<Item>::Worker(Process process, bool startThread, WorkerOptions options)
    : process_(std::move(process)), options_(std::move(options))
{
    if (!startThread)
        return;
    thread_ = std::thread(&Worker::run, this);
    std::unique_lock lock(startMutex_);
    if (!startCondition_.wait_for(lock, options_.startWait, [this] { return started_; }))
        std::cerr << "timedout" << std::endl;
}

template <class Item>
void Worker<Item>::post(Item item)
{
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(item));
    }
    std::lock_guard lock(wakeMutex_);
    wake_.notify_one();
}

template <class Item>
void Worker<Item>::stop()
{
    finish(std::nullopt);
}

template <class Item>
bool Worker<Item>::stopWithin(std::chrono::milliseconds patience)
{
    return finish(patience);
}

template <class Item>
bool Worker<Item>::finish(std::optional<std::chrono::milliseconds> patience)
{
    if (!thread_.joinable())
        return true;
    stopRequested_ = true; // no item is taken from the queue after this
    {
        std::unique_lock state(busyStateMutex_);
        const auto idle = [this] { return !busy_; };
        if (!patience) {
            busyChanged_.wait(state, idle);
        } else if (!busyChanged_.wait_for(state, *patience, idle)) {
            LOG4CPLUS_WARN(logging::logger(logging::category::worker),
                           "Worker::stop() - the item in progress did not end within "
                               << patience->count() << " ms; its thread is left to end on its own");
            thread_.detach();
            return false;
        }
    }
    {
        // Once it is ours, the worker is not between its look at the flag and its wait.
        std::lock_guard wake(wakeMutex_);
    }
    wake_.notify_all();
    thread_.join();
    std::lock_guard lock(queueMutex_);
    queue_.clear();
    return true;
}

template <class Item>
void Worker<Item>::run()
{
    const LibraryThreadMark mark;
    if (options_.beforeStart)
        options_.beforeStart();
    {
        std::lock_guard lock(startMutex_);
        started_ = true;
    }
    startCondition_.notify_all();

    while (!stopRequested_) {
        {
            std::lock_guard state(busyStateMutex_);
            if (stopRequested_)
                break;
            busy_ = true;
        }
        bool processed = false;
        {
            std::optional<Item> item;
            {
                std::lock_guard lock(queueMutex_);
                if (!queue_.empty()) {
                    item.emplace(std::move(queue_.front()));
                    queue_.pop_front();
                }
            }
            if (item) {
                processed = true;
                try {
                    process_(*item);
                } catch (const std::exception& e) {
                    // One failing item must not end the thread and strand everything after it.
                    LOG4CPLUS_ERROR(logging::logger(logging::category::worker), "Item failed: " << e.what());
                }
            }
        } // the item is released before the worker counts as idle
        if (processed) {
            setIdle();
            continue;
        }

        std::unique_lock wake(wakeMutex_);
        setIdle();
        const auto queueEmpty = [this] {
            std::lock_guard lock(queueMutex_);
            return queue_.empty();
        };
        try {
            if (!stopRequested_ && queueEmpty())
                wake_.wait(wake);
        } catch (const std::system_error& e) {
            std::cerr << "Error: " << e.code().value() << std::endl;
            break;
        }
    }
}

template <class Item>
void Worker<Item>::setIdle()
{
    {
        std::lock_guard state(busyStateMutex_);
        busy_ = false;
    }
    busyChanged_.notify_all();
}

} // namespace Corvane
