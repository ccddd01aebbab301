#pragma once
// A card's serial port, or a port driven as a plain device file, with its receiver thread.
// "Overlapped" I/O is the same poll loop as plain I/O here; the mode is kept for the log
// and for what a pulled card reports.

#include "platform/SerialPort.h"
#include "quelder/at/Channel.h"

#include <atomic>
#include <chrono>
#include <string>

namespace GSM {

class Port final : public Channel {
public:
    explicit Port(ReceiverEvents& events) : Channel(events) {}
    ~Port() override { Close(); }

    // Opens `name` ("/dev/ttyUSB2") for exclusive use, with the card's line settings when
    // `serial`, and starts the receiver. The card gets `settle` before the receiver starts
    // (and on a serial port whatever it sent meanwhile is dropped) and again after.
    // Raises the system error as a result code; nothing stays open on failure.
    void Open(const std::string& name, bool serial, bool overlapped, std::chrono::milliseconds settle);
    void Purge() override;

private:
    Os::ByteStream& Stream() override { return port_; }
    const Os::ByteStream& Stream() const override { return port_; }
    void CloseStreams() override;
    const char* WriteTitle() const override { return "Qd: Port write: "; }
    const char* ReadTitle() const override { return "Qd: Port read: "; }
    void LogWriteFailure(int error) const override;
    // The log line of a failed open, after the step that failed.
    const char* OpenFailureFormat(int error) const;
    void ReceiverEnded(const Os::IoResult& end);
    void LogReceiverEnd();

    Os::SerialPort port_;
    // Set by Open before the receiver starts, read by the receiver.
    std::string name_;
    bool serial_ = true;
    bool overlapped_ = false;
    unsigned receiverId_ = 0;
    std::atomic<bool> receiverLive_{false}; // its end is logged once, by whoever sees it first
};

} // namespace GSM
