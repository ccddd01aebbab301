#include "ClientOutput.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <array>
#include <cerrno>

namespace Orvanta::gps {
namespace {

// How many chunks one send takes at most.
constexpr std::size_t kChunksPerSend = 16;

} // namespace

bool ClientOutput::push(std::string_view bytes)
{
    if (bytes.size() > limit_ - queued_)
        return false;
    chunks_.emplace_back(bytes);
    queued_ += bytes.size();
    return true;
}

ClientOutput::Flush ClientOutput::flush(int fd)
{
    while (!chunks_.empty()) {
        std::array<iovec, kChunksPerSend> pieces{};
        std::size_t count = 0;
        for (auto chunk = chunks_.begin(); chunk != chunks_.end() && count < pieces.size(); ++chunk, ++count) {
            const std::size_t skip = count == 0 ? sentOfFront_ : 0;
            pieces[count].iov_base = chunk->data() + skip;
            pieces[count].iov_len = chunk->size() - skip;
        }
        msghdr message{};
        message.msg_iov = pieces.data();
        message.msg_iovlen = count;
        const ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Flush::blocked : Flush::failed;
        }
        auto left = static_cast<std::size_t>(sent);
        queued_ -= left;
        while (left > 0) {
            const std::size_t front = chunks_.front().size() - sentOfFront_;
            if (left < front) {
                sentOfFront_ += left;
                left = 0;
            } else {
                left -= front;
                chunks_.pop_front();
                sentOfFront_ = 0;
            }
        }
    }
    return Flush::done;
}

} // namespace Orvanta::gps
