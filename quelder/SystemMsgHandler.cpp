#include "quelder/SystemMsgHandler.h"

#include "quelder/BackendLog.h"
#include "quelder/BackendThread.h"

namespace GSM {
namespace {

// A port as the device tree names it ("ttyUSB2", "pts/7") and as the backend opened it.
std::string DevicePath(const std::string& portName)
{
    return portName.rfind("/dev/", 0) == 0 ? portName : "/dev/" + portName;
}

} // namespace

SystemMsgHandler::SystemMsgHandler(std::function<void(int)> exitDevice, std::function<bool()> fakeRemoval)
    : exitDevice_(std::move(exitDevice)), fakeRemoval_(std::move(fakeRemoval))
{
}

SystemMsgHandler::~SystemMsgHandler() { Stop(); }

int SystemMsgHandler::Start(std::unique_ptr<Os::DeviceTree> tree)
{
    std::lock_guard lock(mutex_);
    if (loop_)
        return 0;
    loop_ = std::make_unique<Os::MessageLoop>([this](const Os::Message& message) { OnMessage(message); });
    tree_ = std::move(tree);
    if (tree_)
        treeWatch_ = tree_->watch(*loop_);
    xlog(logNormal, "Qd: System message handler GUI thread has successfully started");
    return 0;
}

void SystemMsgHandler::Stop()
{
    std::unique_ptr<Os::MessageLoop> loop;
    std::unique_ptr<Os::DeviceWatch> treeWatch;
    std::unique_ptr<Os::DeviceTree> tree;
    {
        std::lock_guard lock(mutex_);
        loop.swap(loop_);
        treeWatch.swap(treeWatch_);
        tree.swap(tree_);
    }
    if (!loop)
        return;
    treeWatch.reset(); // posts into the loop, which must outlive it
    loop->stop(); // what was posted before is still answered
    {
        std::lock_guard lock(mutex_);
        watched_.clear();
    }
    xlog(logNormal, "Qd: System message handler GUI thread stopping");
}

void SystemMsgHandler::Watch(const std::string& port)
{
    if (port.empty())
        return;
    std::lock_guard lock(mutex_);
    watched_.insert(port);
}

void SystemMsgHandler::Unwatch(const std::string& port)
{
    std::lock_guard lock(mutex_);
    watched_.erase(port);
}

bool SystemMsgHandler::QueryRemove(const std::string& port)
{
    std::lock_guard lock(mutex_);
    if (!loop_)
        return false;
    Os::Message message{Os::kWmDeviceChange, kQueryRemove, 0, port};
    return loop_->post(std::move(message));
}

void SystemMsgHandler::OnMessage(const Os::Message& message)
{
    const BackendThreadMark mark;
    if (message.message != Os::kWmDeviceChange)
        return;
    if (message.wParam == kQueryRemove) {
        if (const auto* port = std::any_cast<std::string>(&message.attachment))
            Removed(*port);
        return;
    }
    if (message.wParam == Os::kDbtDeviceRemoveComplete) {
        const auto* broadcast = std::any_cast<Os::DeviceBroadcast>(&message.attachment);
        if (broadcast != nullptr && broadcast->deviceType == Os::kDbtDevtypPort)
            Removed(DevicePath(broadcast->name));
    }
}

void SystemMsgHandler::Removed(const std::string& port)
{
    {
        std::lock_guard lock(mutex_);
        if (watched_.count(port) == 0)
            return;
    }
    if (fakeRemoval_()) {
        xlog(logNormal, "Qd: Fake card removal request has arrived, ignoring it...");
        return;
    }
    {
        // A card has many ports, and all go at once: the first removal answers for all.
        std::lock_guard lock(mutex_);
        watched_.clear();
    }
    xlog(logNormal, "Qd: Card removal request has arrived, stopping...");
    exitDevice_(1);
}

} // namespace GSM
