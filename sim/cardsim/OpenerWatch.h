#pragma once
// Counts who has the card's ports open, through inotify's open and close events on the
// port files. The card's own descriptor is opened before the watch starts and closed
// after it ends, so it is never counted. After each batch of events a port's listener
// hears its count, once, so a close followed at once by the next open is not mistaken
// for a free port.

#include "sim/cardsim/Reactor.h"

#include "platform/UniqueFd.h"

#include <functional>
#include <map>
#include <string>

namespace Cardsim {

class OpenerWatch {
public:
    using Listener = std::function<void(int openers)>;

    explicit OpenerWatch(Reactor& reactor);
    // 0, or the system error that kept inotify from starting.
    int error() const { return error_; }

    // Starts counting the openers of `path`; answers a handle for forget(), or -1 with
    // errno set.
    int follow(const std::string& path, Listener listener);
    void forget(int handle);

private:
    void readEvents();

    struct Followed {
        int openers = 0;
        Listener listener;
    };

    Os::UniqueFd fd_;
    int error_ = 0;
    std::map<int, Followed> followed_;
    Reactor::Watch watch_;
};

} // namespace Cardsim
