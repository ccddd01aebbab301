#pragma once
// Card detection: which supported card is plugged in, what state it is in, and where its
// modem, ports, network adapter and GPS ports are. Functions return NkSuccess or a system
// error number: the NkResult values below, or what the system reported (opening a port).

#include <bit>
#include <cstddef>
#include <cstdint>

// What the functions return: system error numbers, the same as platform/SystemError.h's.
enum NkResult : int {
    NkSuccess = 0,
    NkErrorWindowGone = 6,           // the registered message loop no longer exists
    NkErrorNotInitialized = 21,
    NkErrorSharingViolation = 32,    // the port is held by another opener
    NkErrorNotSupported = 50,
    NkErrorNoCard = 55,
    NkErrorInvalidParameter = 87,
    NkErrorInsufficientBuffer = 122, // also: a record of no known size
    NkErrorBusy = 170,               // NkUninitialize called from a notification
    NkErrorTimeout = 258,            // a thread did not start, the exclusive mutex was not had in time
    NkErrorClaimedElsewhere = 5023,  // another program holds exclusive access
};

// Why the client is told (the `reason` of a notification).
enum NkReason : int {
    NkReasonStartup = 0,         // the check of the system at start-up
    NkReasonRegistered = 1,      // the client has just registered
    NkReasonStandby = 2,         // the system goes to standby
    NkReasonResumed = 3,         // the system has resumed
    NkReasonDeviceChange = 4,    // arrival, removal, polling, time-outs, another program's suspension request
    NkReasonSuspensionEnded = 5, // or exclusive access released
};

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

namespace Os {
class MessageLoop;
}

// Line settings of a serial port, laid out as the port settings block clients know
// (28 bytes; `length` must say so).
struct NkPortSettings {
    std::uint32_t length;
    std::uint32_t baudRate;
    std::uint32_t flags; // NkPort* bits below
    std::uint16_t reserved;
    std::uint16_t xonLimit;
    std::uint16_t xoffLimit;
    std::uint8_t byteSize;
    std::uint8_t parity;   // 0 none
    std::uint8_t stopBits; // 0 one stop bit
    char xonChar;
    char xoffChar;
    char errorChar;
    char eofChar;
    char eventChar;
    std::uint16_t reserved1;
};
static_assert(sizeof(NkPortSettings) == 28);

enum NkPortFlag : std::uint32_t {
    NkPortBinary = 0x1,
    NkPortParityCheck = 0x2,
    NkPortCtsFlow = 0x4,
    NkPortDsrFlow = 0x8,
    NkPortDtrEnabled = 0x10, // DTR control 1
    NkPortDsrSensitive = 0x40,
    NkPortTxContinueOnXoff = 0x80,
    NkPortXonXoffOut = 0x100,
    NkPortXonXoffIn = 0x200,
    NkPortErrorReplace = 0x400,
    NkPortNullStrip = 0x800,
    NkPortRtsEnabled = 0x1000, // RTS control 1
    NkPortAbortOnError = 0x4000,
};

// Read and write time-outs of a port, in milliseconds.
struct NkPortTimeouts {
    std::uint32_t readInterval;
    std::uint32_t readMultiplier;
    std::uint32_t readConstant;
    std::uint32_t writeMultiplier;
    std::uint32_t writeConstant;
};

using NkCallback = void (*)(int reason);
using NkLogFunction = void (*)(const char* message, void* context);

// Lifecycle: starts the notifier and listener threads and checks the system (the
// client hears nothing of that first check). NkUninitialize must not be called from a
// notification.
int NkInitialize(void* instance);
int NkUninitialize();

// The client is told of every card state change with an NkReason. Callbacks always run
// on the notifier thread.
int NkRegisterCallback(NkCallback callback);
int NkUnregisterCallback();
// Or by a message posted to a message loop (wParam = reason); NkErrorWindowGone when the
// loop is gone.
int NkRegisterWindow(Os::MessageLoop* window, std::uint32_t message);
int NkUnregisterWindow();

// Copies the record in the version whose size the record's first field gives.
int NkGetCardInfo(void* record);

// True at most once per process: the first insertion of a card whose smart card reader
// reports "not configured", which looks like a removal to a port holder.
bool NkIsFirstInsertionsFakeRemoval();

// The suspension protocol between programs that use the card.
int NkAcknowledgeSuspension();
int NkRequestExclusiveAccess(std::uint32_t timeoutMilliseconds);
int NkReleaseExclusiveAccess();
bool NkIsCardClaimedElsewhere();

int NkSetLogLevel(int level);
int NkGetLogLevel();
int NkSetLogFunction(NkLogFunction function, void* context);

// Ports of the card.
int NkGetDefaultPortSettings(const NkCardInfo* cardInfo, NkPortSettings* settings, NkPortTimeouts* timeouts);
// Opens the record's application port (open(2) flags; O_NOCTTY is added) for this
// process alone and applies the default settings; *handle is the file descriptor.
int NkOpenApplicationPortEx(const NkCardInfo* cardInfo, int openFlags, int* handle);
int NkOpenApplicationPort(const NkCardInfo* cardInfo, int* handle);
int NkClosePort(int handle);
int NkGetDriverFileName(char* buffer, std::uint32_t size);
int NkChangeDeviceState(const char* deviceInstanceId, std::uint32_t change);
