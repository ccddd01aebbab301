#pragma once
// The messages of the communicator's queue, and what travels with them.

#include <cstdint>

namespace GSM {

enum QueueMessage : std::uint32_t {
    WM_QD_CLIENT_EVENT = 0x8001,    // event id, data
    WM_QD_CLIENT_ERROR = 0x8002,    // kind, pointer to two ints (freed after the call)
    WM_QD_DEVICE_INIT = 0x8003,     // -
    WM_QD_DEVICE_EXIT = 0x8004,     // exit kind
    WM_ENABLE_EX_ERRORS = 0x8005,   // -
    WM_QD_PDP_CONTEXT = 0x8006,     // context id, activated flag
    WM_QD_CS_REGISTRATION = 0x8007, // network state
    WM_QD_PS_REGISTRATION = 0x8008, // network state, (CellID << 16) + LAC
    WM_QD_NEW_SMS = 0x8009,         // storage index
    WM_QD_SIM_STATE = 0x800A,       // SIM initialised flag
    WM_QD_DATA_CALL_POLL = 0x800B,  // -
    WM_QD_SIM_POLL = 0x8064,
    WM_QD_CELL_TYPE_POLL = 0x8065,
    WM_QD_GOBI_POLL = 0x8066,
    WM_QD_SIGNAL_POLL = 0x8067,
};

struct QueueEntry {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0; // host width: an event's data is a pointer
    std::uintptr_t lParam = 0;
    bool operator==(const QueueEntry&) const = default;
};

// Events whose data is a buffer that the receiver releases with QdFreeMemory.
constexpr bool EventCarriesBuffer(int event) noexcept
{
    return event == 14 || event == 16 || event == 17 || event == 21 || event == 25;
}

// The device work that the communicator runs for the messages it does not handle itself
// (everything but client events and errors), on the communicator thread.
class DeviceWork {
public:
    virtual void Run(const QueueEntry& entry) = 0;

protected:
    ~DeviceWork() = default;
};

} // namespace GSM
