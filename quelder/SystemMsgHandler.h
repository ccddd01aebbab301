#pragma once
// The thread that answers removal queries for the last port the backend opened. Linux
// asks nobody before a device goes, so a query arrives after the fact, from whoever
// watches the device tree; the answer (let go of the card, unless the removal is the
// fake one of a first insertion) is the same.

#include "platform/MessageLoop.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace GSM {

class SystemMsgHandler {
public:
    // `exitDevice` releases the device with the given exit kind, on the handler's thread.
    // `fakeRemoval` says whether a removal is the fake one of a first insertion.
    SystemMsgHandler(std::function<void(int kind)> exitDevice, std::function<bool()> fakeRemoval);
    ~SystemMsgHandler();

    // Starts the thread; nothing when it runs.
    int Start();
    void Stop();
    // The port whose removal is answered, replacing the one watched before.
    void Watch(const std::string& port);
    // A removal query for `port`. False when the handler does not run.
    bool QueryRemove(const std::string& port);

    static constexpr std::uintptr_t kQueryRemove = 0x8001;

private:
    void OnMessage(const Os::Message& message);

    std::function<void(int)> exitDevice_;
    std::function<bool()> fakeRemoval_;
    std::mutex mutex_; // guards watched_ and loop_: set from client threads, read by the handler
    std::string watched_;
    std::unique_ptr<Os::MessageLoop> loop_;
};

} // namespace GSM
