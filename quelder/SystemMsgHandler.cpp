#include "quelder/SystemMsgHandler.h"

#include "quelder/BackendLog.h"

namespace GSM {

SystemMsgHandler::SystemMsgHandler(std::function<void(int)> exitDevice, std::function<bool()> fakeRemoval)
    : exitDevice_(std::move(exitDevice)), fakeRemoval_(std::move(fakeRemoval))
{
}

SystemMsgHandler::~SystemMsgHandler() { Stop(); }

int SystemMsgHandler::Start()
{
    std::lock_guard lock(mutex_);
    if (loop_)
        return 0;
    loop_ = std::make_unique<Os::MessageLoop>([this](const Os::Message& message) { OnMessage(message); });
    xlog(logNormal, "Qd: System message handler GUI thread has successfully started");
    return 0;
}

void SystemMsgHandler::Stop()
{
    std::unique_ptr<Os::MessageLoop> loop;
    {
        std::lock_guard lock(mutex_);
        loop.swap(loop_);
    }
    if (!loop)
        return;
    loop->stop();
    xlog(logNormal, "Qd: System message handler GUI thread stopping");
}

void SystemMsgHandler::Watch(const std::string& port)
{
    std::lock_guard lock(mutex_);
    watched_ = port;
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
    if (message.message != Os::kWmDeviceChange || message.wParam != kQueryRemove)
        return;
    const auto* port = std::any_cast<std::string>(&message.attachment);
    {
        std::lock_guard lock(mutex_);
        if (port == nullptr || watched_.empty() || *port != watched_)
            return;
    }
    if (fakeRemoval_()) {
        xlog(logNormal, "Qd: Fake card removal request has arrived, ignoring it...");
        return;
    }
    xlog(logNormal, "Qd: Card removal request has arrived, stopping...");
    exitDevice_(1);
}

} // namespace GSM
