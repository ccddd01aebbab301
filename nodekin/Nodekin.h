#pragma once
// Card detection: which supported card is plugged in, what state it is in, and where its
// modem, ports, network adapter and GPS ports are. Functions return 0 or a system error
// number: 21 not initialised, 87 invalid parameter, 122 buffer too small, 55 no card,
// 50 not supported, 5023 exclusive access held elsewhere, 6 client gone, 258 time-out.

#include <bit>
#include <cstddef>
#include <cstdint>

// Card states (the record's `state`).
enum NkCardState : std::uint32_t {
    NkCardStopped = 0,
    NkCardStopping = 1, // named, never entered
    NkCardStarting = 2,
    NkCardStarted = 3,
    NkCardSuspended = 4,
};

// Capability bits (the record's `capabilities` and the card rows' driver capabilities).
enum NkCapability : std::uint32_t {
    NkCapOwnApplicationPort = 0x1,     // the modem's port is not the application port
    NkCapWwanAdapter = 0x2,            // a WWAN network adapter
    NkCapWwanNdisPort = 0x4,           // the adapter has an NDIS control port
    NkCapSmartCardReader = 0x8,
    NkCapNdisDataInterface = 0x10,
    NkCapPersistentApn = 0x20,
    NkCapInsertionEvents = 0x40,
    NkCapModem = 0x80,
    NkCapDataCallPolling = 0x200,      // subdevices carry "_MDM\" and "_NET\"
    NkCapApplicationPort = 0x400,
    NkCapSecondApplicationPort = 0x800,
    NkCapMobileBroadband = 0x1000,
    NkCapGps = 0x2000,                 // GPS control and data ports
};

inline constexpr std::size_t NkNameSize = 260;

// The card-information record: little-endian, zero-terminated names in fixed arrays.
// Clients give its size in the first field; older, shorter versions end after a field.
struct NkCardInfo {
    std::uint32_t size;
    std::uint32_t state;
    std::uint32_t typeCode;
    std::uint32_t platform;
    std::uint32_t dataInterfaceKind;
    std::uint32_t insertionEventMask;
    std::uint32_t reserved;
    std::uint32_t capabilities;
    std::uint32_t nonSerialPorts;
    char applicationPort[NkNameSize]; // "/dev/ttyUSB1"
    char modemName[NkNameSize];
    char wwanAdapterName[NkNameSize];
    char wwanAdapterId[NkNameSize];
    char smartCardReaderName[NkNameSize];
    char ndisPort[NkNameSize]; // or a Mobile Broadband card's interface id
    char diagnosticsPort[NkNameSize];
    char application2Port[NkNameSize];
    char busDevice[NkNameSize];
    std::uint32_t deviceNode;
    char deviceInstanceId[NkNameSize];
    std::uint32_t driverVersion[2]; // most significant half first
    std::uint32_t vendorId;
    std::uint32_t productId;
    char gpsControlPort[NkNameSize];
    char gpsDataPort[NkNameSize];
};

static_assert(std::endian::native == std::endian::little, "the record is little-endian, as its readers expect");
static_assert(offsetof(NkCardInfo, applicationPort) == 36);
static_assert(offsetof(NkCardInfo, wwanAdapterId) == 816);
static_assert(offsetof(NkCardInfo, busDevice) == 2116);
static_assert(offsetof(NkCardInfo, deviceNode) == 2376);
static_assert(offsetof(NkCardInfo, driverVersion) == 2640);
static_assert(offsetof(NkCardInfo, gpsControlPort) == 2656);
static_assert(sizeof(NkCardInfo) == 3176);

// The sizes of every version of the record.
inline constexpr std::uint32_t NkCardInfoSizes[] = {816, 1336, 1596, 1856, 2116, 2376, 2640, 2656, 3176};
