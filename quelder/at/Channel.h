#pragma once
// What the AT engine needs of a line to the card, serial port or local socket alike:
// writes with the going-down and sensitive rules, hex dumps of the traffic, a receiver
// thread that reports to the owner, and a close that may come from any thread.

#include "platform/ByteStream.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

namespace GSM {

// What a channel's receiver thread reports, on that thread.
class ReceiverEvents {
public:
    virtual void ReceivedBytes(std::span<const std::uint8_t> bytes) = 0;
    // The receiver has stopped for good on a failure: `error` is a system error number
    // (platform/SystemError.h); kErrorDeviceRemoved when the card was pulled.
    virtual void ReceiverFailed(int error) = 0;
    // The peer ended the connection in order; nothing more will come.
    virtual void PeerClosed() = 0;

protected:
    ~ReceiverEvents() = default;
};

class Channel {
public:
    explicit Channel(ReceiverEvents& events) : events_(events) {}
    virtual ~Channel() = default;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    bool IsOpen() const { return Stream().isOpen(); }
    // Writes all of `bytes`. Raises kQdNoDevice when the channel is closed, or going down
    // and the write does not ignore that; kQdNullPointer when there is nothing to write;
    // the system error of a write that fails or does not finish in time. A sensitive
    // write is not dumped.
    void Write(std::span<const std::uint8_t> bytes, bool sensitive, bool ignoreGoingDown);
    // Drops what waits to be sent or read, where the channel can.
    virtual void Purge() {}
    // Refuses writes from now on, stops the receiver and lets go of the channel. Safe
    // from any thread, the receiver's own included, and when already closed.
    void Close();
    // While set, nothing that passes the channel is dumped to the log: a PIN is on its way.
    void SetSensitiveTraffic(bool on) noexcept { sensitive_ = on; }
    bool SensitiveTraffic() const noexcept { return sensitive_; }

protected:
    virtual Os::ByteStream& Stream() = 0;
    virtual const Os::ByteStream& Stream() const = 0;
    virtual void CloseStreams() = 0;
    virtual const char* WriteTitle() const = 0;
    virtual const char* ReadTitle() const = 0;
    virtual void LogWriteFailure(int error) const = 0;

    // A receiver that dumps each block and hands it to the events; `onEnd` says how the
    // stream ended, on the receiver thread.
    Os::ByteStream::Receiver MakeReceiver(std::function<void(const Os::IoResult&)> onEnd);
    // A number for the log to tell receivers and sockets apart.
    static unsigned NextLogId() noexcept;

    ReceiverEvents& events_;
    std::atomic<bool> goingDown_{false};

private:
    std::atomic<bool> sensitive_{false};
};

} // namespace GSM
