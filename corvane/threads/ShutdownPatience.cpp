#include "corvane/threads/ShutdownPatience.h"

#include "corvane/patterns/NoDestructor.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Corvane {
namespace {

std::atomic<long long> patienceMs{10000};
std::atomic<unsigned> leftBehindCount{0};

struct LeftBehind {
    std::mutex mutex; // guards objects
    std::vector<const void*> objects;
};

LeftBehind& leftBehind()
{
    // Never destroyed, so that what it holds stays reachable to the very end.
    static NoDestructor<LeftBehind> instance;
    return instance.get();
}

} // namespace

std::chrono::milliseconds shutdownPatience() noexcept { return std::chrono::milliseconds(patienceMs.load()); }

void setShutdownPatience(std::chrono::milliseconds patience) noexcept { patienceMs = patience.count(); }

void leaveBehind(const void* object)
{
    ++leftBehindCount;
    if (object == nullptr)
        return;
    LeftBehind& kept = leftBehind();
    std::lock_guard lock(kept.mutex);
    kept.objects.push_back(object);
}

unsigned threadsLeftBehind() noexcept { return leftBehindCount.load(); }

} // namespace Corvane
