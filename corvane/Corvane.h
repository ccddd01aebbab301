#pragma once
// The middleware's client interface: starting and stopping the library, the client's
// callback tables, commands, the store of last-known values, and the parameter records
// all of them travel in. Every function checks its record first; results are values of
// ErrorCode. Nothing here throws.
//
// Ownership: records from newParameters, copyParameters, getDictionary, getArrayItem
// and getParameters belong to the caller, who releases them with deleteParameters.
// Records handed to callbacks belong to the library and live only during the call.

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"
#include "corvane/ParameterCallback.h"

#include <cstddef>
#include <cstdint>

namespace Corvane {

// --- the library -------------------------------------------------------------------------

// Takes "databasePath" and "disablePthreads" (accepted, no effect here). 22 for an
// invalid record or one that holds neither.
ErrorCode configure(const CvParameters* configuration);
// Installs the callback tables under "clientTrait", "smsTrait" and "gpsTrait" (nested
// records with a context pointer and callbacks). 2 when none of them is there; a table
// left out keeps what it had.
ErrorCode registerClient(const CvParameters* traits);
// Starts the library ("libraryInitMode", an InitMode; absent: cInitModeFullAndGps). The
// client hears "libraryState" 0 and "deviceState" 0 before this returns.
// Calling it again only replaces the parameters.
ErrorCode initialise(const CvParameters* parameters);
// Stops the library; the client hears "libraryState" 3 before this returns. Call it from
// a thread of the client's own: on a thread of the library, which is where every callback
// runs, it is refused with cErrorOperationNotAllowed (it would wait for that very thread)
// and the library goes on. Each piece of the library is waited for at most 10 s; a piece
// stuck in a backend call that never returns is left behind, logged, and closing goes on.
ErrorCode closeLibrary();

// Commands: 22 for an invalid record, 2 when a required key is missing; 0 means only that
// the command is on its way. Results arrive as notifications, failures as
// "clientTraitError" with "lastError" and the command's own parameters.
ErrorCode enterPin(const CvParameters* parameters);       // "pin"
ErrorCode changePin(const CvParameters* parameters);      // "pin", "newPin"
ErrorCode setPinMode(const CvParameters* parameters);     // "pin", "pinMode"
ErrorCode connect(const CvParameters* parameters);
ErrorCode disconnect();
ErrorCode setRadioState(const CvParameters* parameters);  // "radioState"
ErrorCode scanNetworks();
ErrorCode selectNetwork(const CvParameters* parameters);  // "mccmnc" or "networkSelectionMode"
ErrorCode setNetworkTechnology(const CvParameters* parameters); // "networkTechnology"
ErrorCode setGpsMode(const CvParameters* parameters);     // "gpsMode", a GpsMode

// Messages kept in the library's database, those the card received and those the client
// saves to send. Each runs on a database worker of its own; 0 means only that it is on its
// way, and its result arrives through the SMS callback table with "smsResult" (an
// SmsResult) and, on failure, "lastError". cErrorOperationNotAllowed (20) when the
// database is not open (module state smsDatabaseInactive, or before initialise).
// A message travels as a record of the "sms..." keys ("smsRowID", "smsRemotePhoneNo",
// "smsContent", "smsStatus", "smsTimeSent", "smsTimeReceived", ...).
//
// "smsText": smsChecked with "smsCharSet", "smsNumberOfSegments",
// "smsNumberOfCharsInLastSegment" and "smsNumberOfCharsInLastSegmentLeft".
ErrorCode checkSms(const CvParameters* parameters);
// The messages of the current SIM, newest first; "smsStatus" when present keeps only
// messages in that state: smsEnum with "list" (an array of message records) and
// "listCount".
ErrorCode enumSms(const CvParameters* parameters);
// "smsRowID": the message becomes smsMessageStateRecRead; smsSaved with the message.
ErrorCode markSmsRead(const CvParameters* parameters);
// "smsRowID": smsDeleted with "smsRowID".
ErrorCode deleteSms(const CvParameters* parameters);
// "smsRemotePhoneNo", "smsContent": a new message of the current SIM in the outbox
// (smsMessageStateStoredUnsent); smsSaved with the message, then, while the card is
// registered, it goes out at once (smsSent); otherwise at the next registration.
ErrorCode saveSms(const CvParameters* parameters);

// The last known value of each key named in `request`, in its order: "libraryVersion",
// "connectionStatistics", or any reported key the library has seen. Keys it does not know
// are left out. Never null unless memory runs out.
CvParameters* getParameters(const CvParameters* request);

// --- what the GPS trait's "gpsData" callback receives --------------------------------------
//
// While the receiver is read, each line the card's data port sends comes first as a record
// of its own holding only "gpsSentence" (string): the line exactly as received, without its
// line end, whatever its talker or type, also when the parser ignores or rejects it. Then
// come the records the parser builds from it, each with the values of that one sentence:
//
//   $GPGGA  "gpsLatitude", "gpsLongitude" (double, degrees), "gpsAltitude" (double, metres
//           above mean sea level), "gpsSatInUse" (integer)
//   $GPRMC  "gpsLatitude", "gpsLongitude", "gpsSpeed" (double, km/h), "gpsDirection"
//           (double, degrees from true north)
//   $GPVTG  "gpsSpeed"
//   $GPGSV  "gpsSatInView" (integer)
//
// A sentence without a fix leaves its fields empty, and they read as zero.
//
// An extension carries what a client needs to pass positions on to other programs (a
// position server, a track file); clients that look only at the keys above, as the tray
// tool does, see nothing change:
//
//   $GPGGA  "gpsTime" (integer, UTC milliseconds since midnight; absent when the sentence
//           has no time), "gpsQuality" (string, the fix quality digit: "0" no fix, "1" GPS,
//           "2" differential, ...), "gpsFixValid" (integer, 1 when the sentence reports a
//           fix, else 0)
//   $GPRMC  "gpsTime", "gpsDate" (integer, the UTC date as yyyymmdd; absent when the
//           sentence has none), "gpsFixValid" (1 for status A, 0 for V)
//   $GPGSA  a record of its own: "gpsType" (string, the fix type: "1" none, "2" 2D, "3"
//           3D), "gpsPdop", "gpsHdop", "gpsVdop" (strings, decimal; absent when empty),
//           "gpsSatUsed" (array of records with "gpsSatPrn", the satellites in the fix)
//   $GPGSV  "gpsSatMessage", "gpsSatMessages" (integers: this message's number, counted
//           from 1, of how many), "gpsSatellites" (array of up to four records with the
//           integers "gpsSatPrn", "gpsSatElevation" and "gpsSatAzimuth" in degrees, and
//           "gpsSatSnr" in dB-Hz, 0 when the satellite is not tracked)
//
// An array's records are read with getArrayItem from index 0 until it answers other than
// 0.

// --- parameter records -------------------------------------------------------------------

// A new, empty record; null when memory runs out.
CvParameters* newParameters();
// A deep copy of `source` in *copy. 22 for an invalid source, 0 doing nothing when `copy`
// is null, 29 (and *copy = null) when memory runs out.
ErrorCode copyParameters(const CvParameters* source, CvParameters** copy);
// Releases a record. False, touching nothing, for anything that is not a live record.
bool deleteParameters(CvParameters* record);
// The text form "(dict (key value) ...)" in memory from malloc (release it with free);
// null for an invalid record.
char* parametersToString(const CvParameters* record);

ErrorCode keyCount(const CvParameters* record, int* count);
// Copies the key at `index` and its terminator into `buffer`: 25 when there is no such
// index, 26 when the buffer cannot hold key and terminator.
ErrorCode keyAt(const CvParameters* record, int index, char* buffer, std::size_t bufferSize);
// 0 when the key exists, 25 otherwise.
ErrorCode hasKey(const CvParameters* record, const char* key);

// Setters: 22 for an invalid record, 23 for an empty key, 22 for a key longer than 255
// characters or a 65536th key, 29 when memory runs out. An empty or null text removes the
// key (29 when it was absent: an empty string is never stored).
ErrorCode setString(CvParameters* record, const char* key, const char* text);
ErrorCode setInteger(CvParameters* record, const char* key, std::int64_t value);
ErrorCode setDouble(CvParameters* record, const char* key, double value);
ErrorCode setCallback(CvParameters* record, const char* key, ParameterCallback callback);
ErrorCode setPointer(CvParameters* record, const char* key, void* address);
// Stores a copy of `value`'s dictionary; 22 when `value` is not a valid record.
ErrorCode setDictionary(CvParameters* record, const char* key, const CvParameters* value);
// Puts a copy of `value` into slot `index` (0 to 65534) of the array under `key`; a null
// value empties the slot.
ErrorCode setArrayItem(CvParameters* record, const char* key, int index, const CvParameters* value);

// Getters: 22 for an invalid record, 23 for an empty key, 25 when the key is absent.
// They read the stored bytes as the type asked for; out pointers may be null.

// *text points into the record until it next changes or is released. 30 when the value
// bytes hold no terminated string.
ErrorCode getString(const CvParameters* record, const char* key, const char** text);
ErrorCode getInteger(const CvParameters* record, const char* key, std::int64_t* value);
ErrorCode getDouble(const CvParameters* record, const char* key, double* value);
// A new record holding a copy of the nested dictionary; 25 also when it has no pairs.
ErrorCode getDictionary(const CvParameters* record, const char* key, CvParameters** value);
// A new record holding a copy of the dictionary in slot `index`; when the slot holds no
// dictionary with pairs, 31 if the key exists and 25 if not.
ErrorCode getArrayItem(const CvParameters* record, const char* key, int index, CvParameters** value);
// The address stored by setPointer or setCallback.
ErrorCode getPointer(const CvParameters* record, const char* key, void** address);

} // namespace Corvane
