#pragma once
// What a serial port and a local socket have in common: an open descriptor, writes with a
// time-out, and a receiver thread on poll() that hands over bytes as they come and then,
// once, how the stream ended. Serial and socket I/O, plain or "overlapped", are all this
// one loop.
//
// A stream may be closed from any thread, its own receiver's callbacks included. An
// operation in progress keeps the descriptor open until it returns, so close() never
// pulls a descriptor from under a read or a write, and never waits for a write.

#include "platform/IoResult.h"
#include "platform/PollThread.h"
#include "platform/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

namespace Os {

class ByteStream {
public:
    static constexpr std::size_t kReadBlock = 2048;
    // Waits without end when given as a time-out.
    static constexpr std::chrono::milliseconds kNoTimeout{-1};

    struct Receiver {
        // The bytes of one read, on the receiver thread.
        std::function<void(std::span<const std::uint8_t> bytes)> onData;
        // Once, on the receiver thread, when the stream ends by itself: closed by the peer,
        // or failed (kErrorDeviceRemoved for a pulled device). Not called after stop or close.
        std::function<void(const IoResult& end)> onEnd;
    };

    virtual ~ByteStream() { close(); }
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    bool isOpen() const;
    // Writes all bytes, unless the time-out passes first (timedOut with the count written)
    // or the stream fails. A closed stream answers kErrorInvalidHandle.
    IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout);
    // Starts the receiver thread; one runs at a time. Returns 0 or a system error number.
    int startReceiver(Receiver receiver);
    void stopReceiver() { receiver_.stop(); }
    // False once the receiver thread has ended (or was never started).
    bool receiving() const { return receiver_.running(); }
    // Stops the receiver and lets go of the descriptor.
    virtual void close();

protected:
    enum class Kind { tty, socket };
    explicit ByteStream(Kind kind) : kind_(kind) {}
    void adopt(UniqueFd fd);
    std::shared_ptr<const UniqueFd> descriptor() const;

private:
    const Kind kind_;
    mutable std::mutex mutex_; // guards fd_ (the pointer; the descriptor itself is shared)
    std::shared_ptr<const UniqueFd> fd_;
    PollThread receiver_;
};

} // namespace Os
