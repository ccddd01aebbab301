#pragma once
// What waits to be sent to one client of the position server, within a bound: a client
// that stops reading must not make the server hold ever more for it.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace Orvanta::gps {

inline constexpr std::size_t kMostQueuedBytes = 256 * 1024;

class ClientOutput {
public:
    explicit ClientOutput(std::size_t limit = kMostQueuedBytes) : limit_(limit) {}

    // False, and nothing queued, when `bytes` would take the queue past its bound.
    bool push(std::string_view bytes);

    enum class Flush { done, blocked, failed };
    // Sends what waits on the non-blocking socket `fd` until it is all sent (done), the
    // socket takes no more (blocked) or it failed (failed).
    Flush flush(int fd);

    bool empty() const noexcept { return queued_ == 0; }
    std::size_t queued() const noexcept { return queued_; }

private:
    std::size_t limit_;
    std::deque<std::string> chunks_;
    std::size_t sentOfFront_ = 0; // bytes of the first chunk already sent
    std::size_t queued_ = 0;      // bytes not yet sent
};

} // namespace Orvanta::gps
