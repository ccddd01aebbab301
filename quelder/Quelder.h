#pragma once
// The modem backend's flat interface. Every function returns a result code: 0 success,
// 0x84000000 + n the library's own codes, 0x84010000 + n "+CME ERROR: " n,
// 0x84020000 + n "+CMS ERROR: " n, 0x80070000 + e a system error e (quelder/QdResult.h).
//
// Card operations run synchronously on the caller's thread. Everything the card or the
// system reports on its own reaches the client through the event and error callbacks,
// always on the backend's one communicator thread, without any backend lock held.

#include "nodekin/Nodekin.h"
#include "quelder/QdOperations.h"
#include "quelder/QdResult.h"

#include <cstdint>

namespace SMS {
struct Tpdu;
}

// Event ids given to the event callback; `data` is null unless the id says otherwise.
enum QdEvent : int {
    QdEventDeviceState = 0,
    QdEventConnectionState = 1,
    QdEventCsNetworkState = 2,
    QdEventPsNetworkState = 3,
    QdEventEdgeNetworkState = 4,
    QdEventHsdpaNetworkState = 5,
    QdEventSignalQuality = 6,
    QdEventWcdmaSignal = 7,
    QdEventVoiceState = 9,
    QdEventSimState = 10,
    QdEventPinPukState = 11,
    QdEventPinMode = 12,
    QdEventTemperature = 13,
    QdEventStoredSms = 14,      // data: SMS::Tpdu of a message added to the SIM's copy, released with QdFreeMemory
    QdEventNewSmsIndex = 15,    // data: the storage index (cast to a pointer)
    QdEventTemporarySms = 16,   // data: SMS::Tpdu of a message not stored, released with QdFreeMemory
    QdEventSmsStatusReport = 17, // data: QdSmsStatusReport, released with QdFreeMemory
    QdEventHwRadioSwitch = 18,
    QdEventSmartAntenna = 19,
    QdEventIdleText = 20,
    QdEventUssdMessage = 21,    // data: buffer, released with QdFreeMemory
    QdEventPhonebookState = 22,
    QdEventCellLocation = 23,
    QdEventSimFull = 24,
    QdEventGpsData = 25,        // data: NUL-terminated text, released with QdFreeMemory
};
inline constexpr int QdEventCount = 26;

// The data of event 21: a USSD notification. `text` is UTF-8, cut at a character's
// start to fit; the terminator ends a text that fills all 256 bytes.
struct QdUssdMessage {
    std::int32_t status; // as the network gave it: 0 no action needed, 1 an answer is wanted, 2 ended ...
    char text[256];
    std::int32_t terminator; // 0
};
static_assert(sizeof(QdUssdMessage) == 264);

// Device states (QdGetDeviceState).
enum QdDeviceState : int { QdDeviceSearching = 0, QdDeviceNotFound = 1, QdDeviceFound = 2, QdDeviceInitialized = 3 };

// Kinds given to the error callback.
enum QdErrorKind : int {
    QdErrorKindSystem = 0,     // a system error of a dial-up connection
    QdErrorKindConnection = 1, // a data connection failed
    QdErrorKindDevice = 2,     // a card that was found could not be opened (code: why; see the log)
};

using QdEventCallback = void (*)(int event, void* data);
using QdErrorCallback = void (*)(int kind, int code, int extra);

// Library control.
int QdInitialize(void* instance, QdEventCallback eventCallback, QdErrorCallback errorCallback);
// Call it from a thread of the client's own. It waits for the backend's threads, the one
// that runs the callbacks among them: from inside a callback (or on any other thread of
// the backend) it is refused with kQdWrongThread and the library goes on. Each thread is
// waited for at most 10 s; one stuck in a callback that does not return is left running.
int QdShutdown();
int QdIsInitialized();
int QdSetCardDetectionLogCallback(NkLogFunction function, void* context);
int QdSetCardDetectionLogLevel(int level);
// The card-information record; its first field gives the version (size) wanted.
int QdGetCardInfo(NkCardInfo* record);
// Releases an event buffer; null is accepted.
int QdFreeMemory(void* memory);

// Cached values.
int QdGetDeviceState(int* state);
int QdGetConnectionState(int* state);
int QdGetCsNetworkState(int* state);
int QdGetPsNetworkState(int* state);
int QdIsSimInitialized(int* initialized);
int QdGetHighSpeedState(int* registered); // EDGE or HSDPA
int QdGetSignalStrength(int* strength, int* quality);
int QdGetHwSwitchState(int* state);       // 0 Unknown, 1 Unsupported, 2 On, 3 Off
int QdHasSmartAntenna(int* present);
int QdGetSmartAntennaPosition(int* pulledOut);
int QdGetIdleText(char* text, std::uint32_t size);
int QdGetDriverVersion(std::uint32_t* high, std::uint32_t* low);
int QdGetDriverPath(char* path, std::uint32_t size);
// Bytes sent and received and the duration of the current data connection.
int QdGetConnectionStatistics(std::uint64_t* bytesSent, std::uint64_t* bytesReceived, std::uint64_t* milliseconds);
// The values behind events 9, 13 and 23: the voice state (0 NotReady, 1 Disconnected,
// 2 Dialing, 3 Ringing, 4 Connected) and the number of the call that rings (empty when
// not known); the card's temperature in degrees (-1 not known); the cell's LAC and
// CellID (-1 not known).
int QdGetVoiceState(int* state);
int QdGetCallerNumber(char* number, std::uint32_t size);
int QdGetDeviceTemperature(int* temperature);
int QdGetCellLocation(int* lac, int* cellId);

// Switches the card's registration and cell-type reports on, and has it report where it
// stands (events 2 and 3 follow).
int QdEnableRegistrationEvents();

// Short messages. A message is an SMS::Tpdu record (quelder/sms/Tpdu.h), decoded; the
// card's own form of it is a QdPhysicalSms (quelder/sms/SmsRecords.h), which the
// physical operations below exchange. Lists of physical messages and of phonebook entries
// are single blocks released with QdFreeMemory.
//
// The record of an outgoing message, in `*message` (released with QdFreeMemory). `coding`
// is an SMS::Coding; `messageClass` 0 none, 1 to 4 for classes 0 to 3; `validityPeriod`
// the relative TP-VP octet.
int QdCreateOutgoingSmsMessage(const char* destination, const char* text, const char* serviceCentre, int messageClass,
                               int coding, int validityPeriod, int statusReportRequest, int replyPath,
                               SMS::Tpdu** message);
// Encodes the message and sends each of its segments in turn (QdSendPhysicalSmsMessage);
// the first failure ends it and is returned.
int QdSendSmsMessage(const SMS::Tpdu* message);
// Deletes from the SIM the message of the SIM's copy whose record is `message` (a copy of
// one that event 14 or QdGetNewSmsMessages gave); kQdNotAvailable when the copy has none.
int QdDeleteSmsMessage(const SMS::Tpdu* message);
// The messages of the SIM's copy that no call has given before, in storage order: an
// array of `*count` records, null when there are none; released with QdFreeSmsList.
int QdGetNewSmsMessages(SMS::Tpdu*** list, int* count);
// Releases such a list and each record in it.
int QdFreeSmsList(SMS::Tpdu** list, int count);
// How many segments `text` (UTF-8) takes in `coding`, and how many more characters the
// last one holds. `codePage` is the client's, accepted for its 8-bit check and not needed
// otherwise: texts are UTF-8.
int QdCalculateSmsSegments(const char* text, int coding, unsigned codePage, int* segments, int* charactersLeft);

// The card operations, one function per platform operation (quelder/QdOperations.h).
#define QD_DECLARE_OPERATION(slot, name, parameters, arguments) int name parameters;
QD_OPERATIONS(QD_DECLARE_OPERATION)
#undef QD_DECLARE_OPERATION
