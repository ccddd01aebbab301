// The flat interface of card detection: one library per process, behind a lock that only
// hands the library out; calls run without it, so a notification may call back in.

#include "nodekin/Nodekin.h"

#include "nodekin/CardInfoRecord.h"
#include "nodekin/DetectionLibrary.h"
#include "nodekin/NodekinTesting.h"
#include "nodekin/XLog.h"
#include "platform/Log.h"
#include "platform/SystemError.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

// The public names are the system's numbers.
static_assert(NkErrorWindowGone == Os::kErrorInvalidHandle);
static_assert(NkErrorNotInitialized == Os::kErrorNotReady);
static_assert(NkErrorSharingViolation == Os::kErrorSharingViolation);
static_assert(NkErrorNotSupported == Os::kErrorNotSupported);
static_assert(NkErrorNoCard == Os::kErrorDevNotExist);
static_assert(NkErrorInvalidParameter == Os::kErrorInvalidParameter);
static_assert(NkErrorInsufficientBuffer == Os::kErrorInsufficientBuffer);
static_assert(NkErrorBusy == Os::kErrorBusy);
static_assert(NkErrorTimeout == Os::kErrorWaitTimeout);
static_assert(NkErrorClaimedElsewhere == Os::kErrorInvalidState);

namespace {

using Nodekin::DetectionLibrary;

std::mutex libraryMutex; // guards theLibrary
std::shared_ptr<DetectionLibrary> theLibrary;

std::shared_ptr<DetectionLibrary> library()
{
    std::lock_guard lock(libraryMutex);
    return theLibrary;
}

// The operating-system layer logs through detection's own output.
void routePlatformLog()
{
    Os::setLogSink([](Os::LogLevel level, std::string_view message) {
        Nodekin::xlog(static_cast<int>(level), "Nk: %.*s", static_cast<int>(message.size()), message.data());
    });
}

int start(Nodekin::DetectionEnvironment environment)
{
    std::lock_guard lock(libraryMutex);
    if (theLibrary)
        return 0;
    Nodekin::xlog(Nodekin::logNormal, "Nk: Nodekin v%x.%x (%s static library, loglevel=%d)", 1, 0, "MBCS",
                  Nodekin::logLevel());
    Nodekin::xlog(Nodekin::logNormal, "Nk: Operating system: %d.%d (build %d) %s", 0, 0, 0, "Linux");
    routePlatformLog();
    auto candidate = std::make_shared<DetectionLibrary>();
    if (const int error = candidate->start(std::move(environment)); error != 0)
        return error;
    theLibrary = std::move(candidate);
    return 0;
}

} // namespace

int Nodekin::testing::initializeWith(DetectionEnvironment environment) { return start(std::move(environment)); }

int NkInitialize(void*) { return start({}); }

int NkUninitialize()
{
    std::shared_ptr<DetectionLibrary> doomed;
    {
        std::lock_guard lock(libraryMutex);
        if (!theLibrary)
            return 0;
        if (theLibrary->onNotifierThread()) {
            Nodekin::xlog(Nodekin::logError, "Nk: NkUninitialize(): called from a notification, refused");
            return Os::kErrorBusy;
        }
        doomed = std::move(theLibrary);
    }
    // Calls that got the library before it was taken away finish first.
    while (doomed.use_count() > 1)
        std::this_thread::yield();
    doomed.reset();
    return 0;
}

int NkRegisterCallback(NkCallback callback)
{
    const auto lib = library();
    if (!lib)
        return Os::kErrorNotReady;
    lib->registerCallback(callback);
    return 0;
}

int NkUnregisterCallback()
{
    const auto lib = library();
    if (!lib)
        return Os::kErrorNotReady;
    lib->unregisterCallback();
    return 0;
}

int NkRegisterWindow(Os::MessageLoop* window, std::uint32_t message)
{
    const auto lib = library();
    return lib ? lib->registerWindow(window, message) : Os::kErrorNotReady;
}

int NkUnregisterWindow()
{
    const auto lib = library();
    if (!lib)
        return Os::kErrorNotReady;
    lib->unregisterWindow();
    return 0;
}

int NkGetCardInfo(void* record)
{
    if (record == nullptr)
        return Nodekin::copyCardInfo(NkCardInfo{}, false, nullptr);
    const auto lib = library();
    if (!lib) {
        // A record of no known size is refused before the library is asked for.
        std::uint32_t size = 0;
        std::memcpy(&size, record, sizeof size);
        return Nodekin::isAcceptedCardInfoSize(size) ? Os::kErrorNotReady : Os::kErrorInsufficientBuffer;
    }
    return lib->copyCardInfo(record);
}

bool NkIsFirstInsertionsFakeRemoval()
{
    const auto lib = library();
    return lib && lib->firstInsertionsFakeRemoval();
}

int NkAcknowledgeSuspension()
{
    const auto lib = library();
    if (!lib)
        return Os::kErrorNotReady;
    lib->acknowledgeSuspension();
    return 0;
}

int NkRequestExclusiveAccess(std::uint32_t timeoutMilliseconds)
{
    const auto lib = library();
    return lib ? lib->requestExclusiveAccess(std::chrono::milliseconds(timeoutMilliseconds)) : Os::kErrorNotReady;
}

int NkReleaseExclusiveAccess()
{
    const auto lib = library();
    return lib ? lib->releaseExclusiveAccess() : Os::kErrorNotReady;
}

bool NkIsCardClaimedElsewhere()
{
    const auto lib = library();
    return lib && lib->cardClaimedElsewhere();
}

int NkSetLogLevel(int level)
{
    Nodekin::setLogLevel(level);
    return 0;
}

int NkGetLogLevel() { return Nodekin::logLevel(); }

int NkSetLogFunction(NkLogFunction function, void* context)
{
    Nodekin::setLogFunction(function, context);
    return 0;
}
