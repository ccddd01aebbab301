#pragma once
// Stands in for the library: records what the shell asks of it. Its shutdown runs on the
// shell's closing thread; held, it blocks there until the test lets it go, as a close
// waiting for a start or a GPS command under way does.

#include "app/LibraryControl.h"

#include <QList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Orvanta::testing {

class FakeLibrary final : public LibraryControl {
public:
    bool initialise() override;
    void shutdown() override;
    void setGpsMode(int mode) override;

    // Shutdowns that have returned.
    int shutdownCalls() const { return shutdownCalls_; }
    // Waits up to `timeout` for `count` shutdowns to have returned.
    bool waitForShutdowns(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // From now on shutdown blocks until release() (at most `holdLimit`, so that a test
    // that forgets does not hang).
    void hold();
    void release();
    bool shutdownEntered() const { return entered_; }

    int initialiseCalls = 0;
    QList<int> gpsModes; // GUI thread

private:
    static constexpr std::chrono::seconds holdLimit{20};

    std::atomic<int> shutdownCalls_ = 0;
    std::atomic<bool> entered_ = false;
    std::mutex gateMutex_; // guards held_
    std::condition_variable gateOpened_;
    bool held_ = false;
};

} // namespace Orvanta::testing
