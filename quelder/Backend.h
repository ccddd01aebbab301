#pragma once
// The library's globals: the initialised flag, the library lock, the one device, the
// communicator and the system message handler, and the hook-up of card detection.
// One instance serves the Qd* functions; tests may make their own.

#include "quelder/Communicator.h"
#include "quelder/Device.h"
#include "quelder/SystemMsgHandler.h"

#include <atomic>
#include <functional>
#include <mutex>

namespace GSM {

// Starts card detection for the library: NkInitialize, or a test's own environment.
using DetectionStarter = std::function<int(void* instance)>;

class Backend final : private DeviceHost {
public:
    static Backend& Instance();

    explicit Backend(Os::Clock& clock = Os::steadyClock(), ModemTiming timing = {});
    ~Backend();

    // Without `startDetection` card detection and the watch on port removals use the
    // device tree the environment asks for; with it, `removalTree` (may be null) is
    // watched.
    int Initialize(void* instance, EventCallback eventCallback, ErrorCallback errorCallback,
                   DetectionStarter startDetection = nullptr, std::unique_ptr<Os::DeviceTree> removalTree = nullptr);
    int Shutdown();
    bool IsInitialized() const noexcept { return initialized_.load(); }

    Device& TheDevice() noexcept { return device_; }
    Communicator& TheCommunicator() noexcept { return communicator_; }
    SystemMsgHandler& Handler() noexcept { return handler_; }

    // A card operation of the current platform, with what some operations add around it.
    template <class Operation>
    int Operate(int slot, Operation&& operation)
    {
        if (!IsInitialized())
            return kQdNotInitialized;
        return AfterOperation(slot, operation(device_.CurrentPlatform()));
    }

private:
    // DeviceHost
    bool LibraryInitialized() const override { return IsInitialized(); }
    std::recursive_mutex& LibraryLock() override { return libraryLock_; }
    Communicator& Queue() override { return communicator_; }
    int FetchCardInfo(NkCardInfo& record) override;
    void AcknowledgeSuspension() override;
    void WatchPort(const std::string& port) override { handler_.Watch(port); }
    void UnwatchPort(const std::string& port) override { handler_.Unwatch(port); }

    int InitCardDetection(void* instance, const DetectionStarter& startDetection);
    void ShutdownCardDetection();
    // What some operations add after the platform's call; the call's result.
    int AfterOperation(int slot, int rc);
    static void CardListener(int type);

    std::atomic<bool> initialized_{false};
    // The library lock: taken by QdInitialize and by every card operation for its whole
    // run, so that no two card operations overlap.
    std::recursive_mutex libraryLock_;
    bool detectionActive_ = false; // guarded by the library lock

    Device device_;
    Communicator communicator_;
    SystemMsgHandler handler_;
};

} // namespace GSM
