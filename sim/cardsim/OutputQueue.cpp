#include "sim/cardsim/OutputQueue.h"

#include "platform/SystemError.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace Cardsim {

Os::IoResult writeWhatFits(int fd, std::span<const std::uint8_t> bytes, bool socket)
{
    for (;;) {
        const ssize_t put = socket ? ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT)
                                   : ::write(fd, bytes.data(), bytes.size());
        if (put >= 0)
            return Os::IoResult::completed(static_cast<std::size_t>(put));
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return Os::IoResult::completed(0);
        return Os::IoResult::failed(Os::lastSystemError());
    }
}

bool OutputQueue::push(std::string_view piece)
{
    if (size() + piece.size() > capacity_) {
        ++dropped_;
        return false;
    }
    if (sent_ > 0 && sent_ == pending_.size()) {
        pending_.clear();
        sent_ = 0;
    }
    pending_ += piece;
    return true;
}

Os::IoResult OutputQueue::flush(const Writer& writer)
{
    Os::IoResult last = Os::IoResult::completed(0);
    while (!empty()) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(pending_.data()) + sent_;
        last = writer(std::span<const std::uint8_t>(data, size()));
        if (last.outcome != Os::IoResult::Outcome::completed || last.count == 0)
            break;
        sent_ += last.count;
    }
    if (empty()) {
        pending_.clear();
        sent_ = 0;
    } else if (sent_ > capacity_) {
        // Keep the buffer from growing by what was sent long ago.
        pending_.erase(0, sent_);
        sent_ = 0;
    }
    return last;
}

void OutputQueue::clear()
{
    pending_.clear();
    sent_ = 0;
}

} // namespace Cardsim
