#include "sim/cardsim/OpenerWatch.h"

#include "platform/SystemError.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <set>

namespace Cardsim {

OpenerWatch::OpenerWatch(Reactor& reactor)
{
    fd_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!fd_) {
        error_ = Os::lastSystemError();
        return;
    }
    watch_ = reactor.watch(fd_.get(), POLLIN, [this](short) { readEvents(); });
}

int OpenerWatch::follow(const std::string& path, Listener listener)
{
    if (!fd_)
        return -1;
    const int handle = ::inotify_add_watch(fd_.get(), path.c_str(), IN_OPEN | IN_CLOSE);
    if (handle >= 0)
        followed_[handle] = Followed{0, std::move(listener)};
    return handle;
}

void OpenerWatch::forget(int handle)
{
    if (followed_.erase(handle) > 0)
        ::inotify_rm_watch(fd_.get(), handle);
}

void OpenerWatch::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    std::set<int> changed;
    for (;;) {
        const ssize_t got = ::read(fd_.get(), buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (std::size_t offset = 0; offset < static_cast<std::size_t>(got);) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += sizeof(inotify_event) + event->len;
            const auto found = followed_.find(event->wd);
            if (found == followed_.end())
                continue;
            if ((event->mask & (IN_OPEN | IN_CLOSE)) == 0)
                continue; // IN_IGNORED and the like
            int& openers = found->second.openers;
            if ((event->mask & IN_OPEN) != 0)
                ++openers;
            if ((event->mask & IN_CLOSE) != 0 && openers > 0)
                --openers;
            changed.insert(event->wd);
        }
    }
    for (const int handle : changed) {
        // A listener may forget its own port, or another.
        const auto found = followed_.find(handle);
        if (found == followed_.end())
            continue;
        const Listener listener = found->second.listener;
        listener(found->second.openers);
    }
}

} // namespace Cardsim
