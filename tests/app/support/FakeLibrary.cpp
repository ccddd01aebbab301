#include "tests/app/support/FakeLibrary.h"

#include <QTest>

namespace Orvanta::testing {

bool FakeLibrary::initialise()
{
    ++initialiseCalls;
    return true;
}

void FakeLibrary::shutdown()
{
    entered_ = true;
    {
        std::unique_lock lock(gateMutex_);
        gateOpened_.wait_for(lock, holdLimit, [this] { return !held_; });
    }
    ++shutdownCalls_;
}

void FakeLibrary::setGpsMode(int mode) { gpsModes.append(mode); }

bool FakeLibrary::waitForShutdowns(int count, std::chrono::milliseconds timeout) const
{
    return QTest::qWaitFor([&] { return shutdownCalls_ >= count; }, int(timeout.count()));
}

void FakeLibrary::hold()
{
    std::lock_guard lock(gateMutex_);
    held_ = true;
}

void FakeLibrary::release()
{
    {
        std::lock_guard lock(gateMutex_);
        held_ = false;
    }
    gateOpened_.notify_all();
}

} // namespace Orvanta::testing
