#include "platform/NamedMutex.h"

#include "platform/RuntimeFolder.h"
#include "platform/SystemError.h"

#include <unistd.h>

#include <string>

namespace Os {
namespace {

// The holder writes its process id into the file and clears it when it lets go; a taker
// that finds one there knows the last holder died holding the mutex.
constexpr int kOwnerByte = 0;

} // namespace

int NamedMutex::open(std::string_view name)
{
    auto folder = runtimeFolder();
    return folder ? open(name, folder.value()) : folder.error();
}

int NamedMutex::open(std::string_view name, const std::filesystem::path& folder)
{
    close();
    std::lock_guard lock(mutex_);
    if (const int error = file_.open(folder, name, ".mutex"))
        return error;
    if (file_.createdFresh() && ::ftruncate(file_.fd(), 0) != 0) // a dead holder's mark is void
        return lastSystemError();
    return kErrorSuccess;
}

void NamedMutex::close()
{
    if (held())
        unlock();
    std::lock_guard lock(mutex_);
    file_.close();
}

WaitOutcome NamedMutex::tryAcquire()
{
    std::lock_guard lock(mutex_);
    if (!file_.isOpen())
        return {WaitStatus::failed, 0, kErrorInvalidHandle};
    if (held_)
        return {WaitStatus::signalled, 0, 0};
    if (!file_.tryLock(kOwnerByte, true))
        return {WaitStatus::notSignalled, 0, 0};
    char mark[32];
    const ssize_t got = ::pread(file_.fd(), mark, sizeof mark, 0);
    const bool abandoned = got > 0;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(file_.fd(), 0) != 0 || ::pwrite(file_.fd(), pid.data(), pid.size(), 0) < 0) {
        const int error = lastSystemError();
        file_.unlock(kOwnerByte);
        return {WaitStatus::failed, 0, error};
    }
    held_ = true;
    return {abandoned ? WaitStatus::abandoned : WaitStatus::signalled, 0, 0};
}

int NamedMutex::unlock()
{
    std::lock_guard lock(mutex_);
    if (!held_)
        return kErrorNotOwner;
    const int error = ::ftruncate(file_.fd(), 0) == 0 ? kErrorSuccess : lastSystemError();
    file_.unlock(kOwnerByte);
    held_ = false;
    return error;
}

bool NamedMutex::held() const
{
    std::lock_guard lock(mutex_);
    return held_;
}

bool NamedMutex::heldElsewhere() const
{
    std::lock_guard lock(mutex_);
    return file_.isOpen() && file_.lockedElsewhere(kOwnerByte);
}

bool NamedMutex::openElsewhere() const
{
    std::lock_guard lock(mutex_);
    return file_.isOpen() && file_.openElsewhere();
}

bool NamedMutex::createdFresh() const
{
    std::lock_guard lock(mutex_);
    return file_.createdFresh();
}

} // namespace Os
