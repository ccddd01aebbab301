#include "quelder/Backend.h"

#include "quelder/BackendLog.h"
#include "quelder/BackendThread.h"

#include <algorithm>
#include <array>

namespace GSM {
namespace {

// The backend that card detection's listener reaches: a plain function has no object.
std::atomic<Backend*> listening{nullptr};

int AsResult(int systemError) { return systemError > 0 ? qdSystemError(systemError) : systemError; }

} // namespace

Backend& Backend::Instance()
{
    static Backend backend;
    return backend;
}

Backend::Backend(Os::Clock& clock, ModemTiming timing)
    : device_(*this, timing), communicator_(device_, clock),
      handler_([this](int kind) { device_.Exit(kind); }, [] { return NkIsFirstInsertionsFakeRemoval(); })
{
}

Backend::~Backend() { Shutdown(); }

int Backend::Initialize(void* instance, EventCallback eventCallback, ErrorCallback errorCallback,
                        DetectionStarter startDetection, std::unique_ptr<Os::DeviceTree> removalTree)
{
    if (IsInitialized())
        return kQdSuccess;
    xlog(logNormal, "Qd: QdInitialize (hInstance=0x%p)", instance);
    std::lock_guard lock(libraryLock_);
    xlog(logNormal, "Qd: Quelder v%d.%d.%d.%d (%s library)", 1, 0, 0, 12, "MBCS");

    if (!startDetection && !removalTree) {
        if (Os::Result<std::unique_ptr<Os::DeviceTree>> tree = Os::openDeviceTree(); tree.ok())
            removalTree = std::move(tree).value();
        else
            xlog(logWarning, "Qd: Port removals are not watched: the device tree could not be opened (0x%x)",
                 static_cast<unsigned>(tree.error()));
    }
    int rc = handler_.Start(std::move(removalTree));
    if (rc != kQdSuccess) {
        xlog(logError, "Qd: Failed to start system message handler (0x%x)", static_cast<unsigned>(rc));
        return rc;
    }
    initialized_ = true;
    rc = communicator_.Start(eventCallback, errorCallback);
    if (rc == kQdSuccess)
        rc = AsResult(InitCardDetection(instance, startDetection));
    if (rc != kQdSuccess) {
        communicator_.Stop();
        handler_.Stop();
        initialized_ = false;
        return rc;
    }
    xlog(logNormal, "Qd: Library has been initialized");
    return kQdSuccess;
}

int Backend::Shutdown()
{
    if (!IsInitialized())
        return kQdSuccess;
    if (OnBackendThread()) {
        // It waits for the backend's threads to end, this one among them.
        xlog(logError, "Qd: QdShutdown(): refused on one of the backend's own threads (from inside a callback?); "
                       "call it from a thread of the client's own");
        return kQdWrongThread;
    }
    xlog(logNormal, "Qd: QdShutdown");
    handler_.Stop();
    // No initialisation starts from here on; one that runs now (on the communicator) is
    // waited for by the communicator's stop and then releases what it opened, and one
    // still queued is dropped with the queue.
    device_.BeginShutdown();
    device_.Exit(1);
    if (device_.Initialising())
        xlog(logNormal, "Qd: QdShutdown(): Waiting for the device initialization under way to end");
    communicator_.Stop();
    if (device_.HoldsChannel()) // an initialisation that overran the communicator's stop
        device_.Exit(1);
    {
        std::lock_guard lock(libraryLock_);
        ShutdownCardDetection();
    }
    device_.EndShutdown();
    initialized_ = false;
    xlog(logNormal, "Qd: Library has been shut down");
    return kQdSuccess;
}

int Backend::InitCardDetection(void* instance, const DetectionStarter& startDetection)
{
    if (detectionActive_)
        return kQdSuccess;
    int rc = startDetection ? startDetection(instance) : NkInitialize(instance);
    if (rc != 0) {
        xlog(logError, "Qd: Communicator::InitCardDetection(): Could not initialize Nodekin (0x%x)",
             static_cast<unsigned>(rc));
        return rc;
    }
    listening = this;
    rc = NkRegisterCallback(&Backend::CardListener);
    if (rc != 0) {
        xlog(logError, "Qd: Communicator::InitCardDetection(): Could not register Nodekin listener (0x%x)",
             static_cast<unsigned>(rc));
        listening = nullptr;
        NkUninitialize();
        return rc;
    }
    detectionActive_ = true;
    return kQdSuccess;
}

void Backend::ShutdownCardDetection()
{
    if (!detectionActive_)
        return;
    if (const int rc = NkUnregisterCallback(); rc != 0)
        xlog(logError, "Qd: Could not unregister Nodekin listener (0x%x)", static_cast<unsigned>(rc));
    if (const int rc = NkUninitialize(); rc != 0)
        xlog(logError, "Qd: Nodekin shut down but an error occured (0x%x)", static_cast<unsigned>(rc));
    else
        xlog(logNormal, "Qd: Nodekin shut down");
    listening = nullptr;
    detectionActive_ = false;
}

void Backend::CardListener(int type)
{
    const BackendThreadMark mark;
    if (Backend* backend = listening.load())
        backend->device_.UpdateCardState(type);
}

int Backend::FetchCardInfo(NkCardInfo& record) { return NkGetCardInfo(&record); }

void Backend::AcknowledgeSuspension() { NkAcknowledgeSuspension(); }

int Backend::AfterOperation(int slot, int rc)
{
    // The operations that send a PIN, PUK or password: each may have used up an attempt.
    // Setting a facility lock is among them, as the SIM's own lock ("SC") takes the PIN.
    constexpr std::array kPinOperations{50, 51, 53, 54, 57};
    if (std::find(kPinOperations.begin(), kPinOperations.end(), slot) == kPinOperations.end())
        return rc;
    return device_.AfterPinOperation(rc);
}

} // namespace GSM
