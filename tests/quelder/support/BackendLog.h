#pragma once
// Records what the backend logs (through the detection library's log) while it lives,
// at the verbose level unless told otherwise. Declare it before anything that logs from
// its own threads, so that those threads have stopped when it goes.

#include "nodekin/XLog.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::testing {

class BackendLog {
public:
    explicit BackendLog(int level = Nodekin::logVerbose);
    ~BackendLog();
    BackendLog(const BackendLog&) = delete;
    BackendLog& operator=(const BackendLog&) = delete;

    std::vector<std::string> Messages() const;
    bool Contains(std::string_view fragment) const;
    std::size_t Count(std::string_view fragment) const;
    // True once a message holding `fragment` has been logged.
    bool WaitFor(std::string_view fragment, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Waits until `count` messages hold `fragment`.
    bool WaitForCount(std::string_view fragment, std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    static void Record(const char* message, void* context);

    const int previousLevel_;
    mutable std::mutex mutex_; // guards messages_: the backend logs from any thread
    std::condition_variable logged_;
    std::vector<std::string> messages_;
};

} // namespace Orvanta::testing
