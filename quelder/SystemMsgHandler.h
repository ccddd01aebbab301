#pragma once
// The thread that answers removal queries for the ports the backend holds open. Linux
// asks nobody before a device goes, so a query arrives after the fact, from the device
// tree's removal of a port; the answer (let go of the card, unless the removal is the
// fake one of a first insertion) is the same as for a query before it.
//
// Every port the backend opens is watched (the application port and the GPS service's
// control and data ports) until it is closed again: a pulled card takes all of them at
// once, and whichever removal is seen first lets go of the device.

#include "platform/DeviceTree.h"
#include "platform/MessageLoop.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace GSM {

class SystemMsgHandler {
public:
    // The tree whose port removals are watched; null: none is.
    using TreeSource = std::function<std::unique_ptr<Os::DeviceTree>()>;

    // `exitDevice` releases the device with the given exit kind, on the handler's thread.
    // `fakeRemoval` says whether a removal is the fake one of a first insertion.
    SystemMsgHandler(std::function<void(int kind)> exitDevice, std::function<bool()> fakeRemoval);
    ~SystemMsgHandler();

    // Starts the thread and, given a tree, watches its removals; nothing when it runs.
    int Start(std::unique_ptr<Os::DeviceTree> tree = nullptr);
    void Stop();
    // A port just opened ("/dev/ttyUSB2"), and one just closed.
    void Watch(const std::string& port);
    void Unwatch(const std::string& port);
    // A removal query for `port`. False when the handler does not run.
    bool QueryRemove(const std::string& port);

    static constexpr std::uintptr_t kQueryRemove = 0x8001;

private:
    void OnMessage(const Os::Message& message);
    void Removed(const std::string& port);

    std::function<void(int)> exitDevice_;
    std::function<bool()> fakeRemoval_;
    std::mutex mutex_; // guards watched_ and loop_: changed from client threads, read by the handler
    std::set<std::string> watched_;
    std::unique_ptr<Os::MessageLoop> loop_;
    // Owned by Start and Stop (the library, under its lock); posts into loop_.
    std::unique_ptr<Os::DeviceTree> tree_;
    std::unique_ptr<Os::DeviceWatch> treeWatch_;
};

} // namespace GSM
