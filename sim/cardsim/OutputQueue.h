#pragma once
// What the card has to send on one port and the port has not taken yet. The card never
// waits for a slow host: what does not fit into the queue is dropped in whole pieces (a
// line, an answer), as a receiver's output is lost when nobody reads it, and never cut,
// which would leave half a sentence on the line.

#include "platform/IoResult.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace Cardsim {

// Writes what `fd` takes now without waiting: completed with the count (0 when full), or
// failed. On a socket it never raises SIGPIPE.
Os::IoResult writeWhatFits(int fd, std::span<const std::uint8_t> bytes, bool socket);

class OutputQueue {
public:
    using Writer = std::function<Os::IoResult(std::span<const std::uint8_t> bytes)>;

    static constexpr std::size_t kDefaultCapacity = 64 * 1024;
    explicit OutputQueue(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // Queues `piece` whole; false (and counted) when it does not fit.
    bool push(std::string_view piece);
    // Hands the queued bytes to `writer` until it takes no more; answers its last result.
    Os::IoResult flush(const Writer& writer);
    bool empty() const { return pending_.size() == sent_; }
    std::size_t size() const { return pending_.size() - sent_; }
    std::size_t dropped() const { return dropped_; }
    void clear();

private:
    const std::size_t capacity_;
    std::string pending_;
    std::size_t sent_ = 0; // bytes at the front of pending_ already written
    std::size_t dropped_ = 0;
};

} // namespace Cardsim
