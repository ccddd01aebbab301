#pragma once
// What the registration and the card's reports tell the data connections: the access
// technology the receive window of a connection is tuned for, and the card's PDP context
// changes. The data connection work plugs its own in; until then the device logs them.

#include <atomic>

namespace GSM {

class PacketDataEvents {
public:
    // Told after every evaluation of the registration, on the thread that ran it, with no
    // lock of the registration held (the receiver of the card's port, or the communicator).
    virtual void UpdateTcpWindow(int accessTechnology) = 0;
    // A context went up or down (WM_QD_PDP_CONTEXT), on the communicator thread.
    virtual void PdpContextChanged(int context, bool activated) = 0;

protected:
    ~PacketDataEvents() = default;
};

// The stand-in that only logs; it logs a technology only when it differs from the last.
class LoggedPacketDataEvents final : public PacketDataEvents {
public:
    void UpdateTcpWindow(int accessTechnology) override;
    void PdpContextChanged(int context, bool activated) override;

private:
    std::atomic<int> lastTechnology_{-1}; // told from the receiver and the communicator
};

} // namespace GSM
