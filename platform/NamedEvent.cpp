#include "platform/NamedEvent.h"

#include "platform/RuntimeFolder.h"
#include "platform/SystemError.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <climits>

namespace Os {
namespace {

constexpr char kSet = '1';
constexpr char kReset = '0';

} // namespace

int NamedEvent::open(std::string_view name)
{
    auto folder = runtimeFolder();
    return folder ? open(name, folder.value()) : folder.error();
}

int NamedEvent::open(std::string_view name, const std::filesystem::path& folder)
{
    close();
    if (const int error = file_.open(folder, name, ".event"))
        return error;
    inotify_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_ || ::inotify_add_watch(inotify_.get(), file_.path().c_str(), IN_MODIFY) < 0) {
        const int error = lastSystemError();
        close();
        return error;
    }
    if (file_.createdFresh())
        if (const int error = write(kReset)) {
            close();
            return error;
        }
    return kErrorSuccess;
}

void NamedEvent::close()
{
    inotify_.reset();
    file_.close();
}

int NamedEvent::write(char state)
{
    if (!file_.isOpen())
        return kErrorInvalidHandle;
    // One byte: a reader sees the old state or the new one, nothing in between.
    return ::pwrite(file_.fd(), &state, 1, 0) == 1 ? kErrorSuccess : lastSystemError();
}

int NamedEvent::set() { return write(kSet); }
int NamedEvent::reset() { return write(kReset); }

Result<bool> NamedEvent::isSet() const
{
    if (!file_.isOpen())
        return Failure{kErrorInvalidHandle};
    char state = kReset;
    if (::pread(file_.fd(), &state, 1, 0) < 0)
        return Failure{lastSystemError()};
    return state == kSet;
}

WaitOutcome NamedEvent::tryAcquire()
{
    const auto state = isSet();
    if (!state)
        return {WaitStatus::failed, 0, state.error()};
    return {state.value() ? WaitStatus::signalled : WaitStatus::notSignalled, 0, 0};
}

void NamedEvent::consumeChange()
{
    alignas(inotify_event) char buffer[4 * (sizeof(inotify_event) + NAME_MAX + 1)];
    while (::read(inotify_.get(), buffer, sizeof buffer) > 0) {
    }
}

} // namespace Os
