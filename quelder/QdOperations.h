#pragma once
// The card operations behind the Qd* device functions, in slot order, as one list that
// the platform classes, the Qd* functions and the tests expand: each entry is
// X(slot, name, parameters, arguments). Slots 0 and 1 (Init, Exit) are not client
// functions and are declared by Platform itself.
//
// Groups follow who carries them: the start-up and identity operations of the generic
// platform; its network services (registration and indicator reports, settings,
// network and technology selection, bands, voice calls, USSD); its SIM, PIN and radio
// operations; the modem's other services: data calls, which the generic platform answers
// as not supported until they are built, SMS and the SIM phonebook; the GPS operations
// that each platform carries on its own.

#include "quelder/sms/SmsRecords.h"

#include <cstdint>

#define QD_OPERATIONS_STARTUP_AND_IDENTITY(X)                                                                   \
    X(2, QdStartDevice, (int delayMilliseconds), (delayMilliseconds))                                           \
    X(9, QdInitializeVoice, (), ())                                                                              \
    X(10, QdInitializeDevice, (int full, int delayMilliseconds, int reserved), (full, delayMilliseconds, reserved)) \
    X(11, QdSendOspds, (), ())                                                                                   \
    X(12, QdEnableExtendedErrorReporting, (), ())                                                                \
    X(13, QdSendAtCommand, (const char* command, char* answer, std::uint32_t answerSize), (command, answer, answerSize)) \
    X(14, QdGetExtendedErrorReport, (char* report, std::uint32_t size), (report, size))                         \
    X(19, QdResetDevice, (), ())                                                                                 \
    X(20, QdGetDeviceName, (char* name, std::uint32_t size), (name, size))                                      \
    X(21, QdGetProductName, (char* name, std::uint32_t size), (name, size))                                     \
    X(22, QdGetFirmwareInfo, (char* firmware, std::uint32_t size), (firmware, size))                            \
    X(23, QdGetHardwareVersion, (char* version, std::uint32_t size), (version, size))                           \
    X(24, QdGetOwnPhoneNumbers, (char* numbers, std::uint32_t size), (numbers, size))                           \
    X(25, QdGetImeiNumber, (char* imei, std::uint32_t size), (imei, size))                                      \
    X(26, QdGetSerialNumber, (char* serial, std::uint32_t size), (serial, size))                                \
    X(27, QdGetSimSerialNumber, (char* iccid, std::uint32_t size), (iccid, size))                               \
    X(28, QdGetImsiNumber, (char* imsi, std::uint32_t size), (imsi, size))                                      \
    X(29, QdGetRxCode, (int* code), (code))                                                                      \
    X(30, QdQueryOisov, (char* answer, std::uint32_t size), (answer, size))                                     \
    X(31, QdGetSimReadyState, (int* ready), (ready))                                                             \
    X(32, QdQueryOsrls, (char* answer, std::uint32_t size), (answer, size))                                     \
    X(33, QdSendOsudl, (), ())

#define QD_OPERATIONS_NETWORK_SERVICES(X)                                                                      \
    X(4, QdInitializeNetwork, (), ())                                                                          \
    X(5, QdInitializeIndicators, (), ())                                                                       \
    X(15, QdSetConfigurationValue, (int item, int value), (item, value))                                       \
    X(16, QdGetConfigurationValue, (int item, int* value), (item, value))                                      \
    X(17, QdGetLedState, (int* state), (state))                                                                \
    X(18, QdSetLedState, (int state), (state))                                                                 \
    X(34, QdGetNetworkInformation, (void* information), (information))                                         \
    X(35, QdGetTechnologySelectionMode, (int* mode), (mode))                                                   \
    X(36, QdSetTechnologySelectionMode, (int mode), (mode))                                                    \
    X(37, QdGetSignalQuality, (int* strength, int* quality), (strength, quality))                              \
    X(38, QdGetServingNetwork, (char* network, std::uint32_t size), (network, size))                           \
    X(39, QdGetNetworkSelectionMode, (int* mode), (mode))                                                      \
    X(40, QdSetNetworkSelectionMode, (int mode, const char* mccMnc, int technology), (mode, mccMnc, technology)) \
    X(41, QdScanNetworks, (void** list, int* count), (list, count))                                            \
    X(42, QdGetPsAttachState, (int* attached), (attached))                                                     \
    X(43, QdGetNetworkId, (char* id, std::uint32_t size), (id, size))                                          \
    X(44, QdResetBandStates, (), ())                                                                           \
    X(45, QdSetBandStates, (const char* bands), (bands))                                                       \
    X(46, QdGetBandList, (char* bands, std::uint32_t size), (bands, size))                                     \
    X(47, QdSetBandOption, (int first, int second), (first, second))                                           \
    X(48, QdGetBandStates, (char* states, std::uint32_t size), (states, size))                                 \
    X(60, QdDial, (const char* number), (number))                                                              \
    X(61, QdAnswerCall, (), ())                                                                                \
    X(62, QdHangUp, (), ())                                                                                    \
    X(79, QdSendUssdCommand, (const char* command), (command))                                                 \
    X(80, QdCancelUssdCommand, (), ())

#define QD_OPERATIONS_SIM_AND_RADIO(X)                                                                                \
    X(3, QdInitializeSim, (), ())                                                                                     \
    X(49, QdGetDirectPinPukState, (int* state), (state))                                                              \
    X(50, QdEnterPinCode, (const char* pin), (pin))                                                                   \
    X(51, QdEnterPukCode, (const char* puk, const char* newPin), (puk, newPin))                                       \
    X(52, QdGetPinMode, (int* mode), (mode))                                                                          \
    X(53, QdSetPinMode, (int enable, const char* pin), (enable, pin))                                                 \
    X(54, QdChangePinCode, (const char* pin, const char* newPin), (pin, newPin))                                      \
    X(55, QdGetPinPukCounters, (int* pinAttempts, int* pukAttempts), (pinAttempts, pukAttempts))                      \
    X(56, QdGetPinPukState, (int* state, int* resultCode), (state, resultCode))                                       \
    X(57, QdSetFacilityState, (const char* facility, int enable, const char* password), (facility, enable, password)) \
    X(63, QdGetCurrentRadioState, (int* on), (on))                                                                    \
    X(64, QdSetCurrentRadioState, (int on), (on))                                                                     \
    X(65, QdGetPowerUpRadioState, (int* on), (on))                                                                    \
    X(66, QdSetPowerUpRadioState, (int on), (on))

#define QD_OPERATIONS_DATA_CALLS(X)                                                            \
    X(6, QdInitializeDataCall, (), ())                                                                   \
    X(58, QdGetPdpContext, (int context, char* apn, std::uint32_t size), (context, apn, size))           \
    X(59, QdSetPdpContext, (int context, const char* apn), (context, apn))

#define QD_OPERATIONS_SMS(X)                                                                             \
    X(7, QdInitializeSms, (), ())                                                                        \
    X(8, QdSetSmsConcatenationSupport, (int enabled), (enabled))                                         \
    X(67, QdGetSmsServiceCenterAddress, (char* address, std::uint32_t size), (address, size))            \
    X(68, QdGetSimPhysicalSmsMessageStorageSize, (int* size), (size))                                    \
    X(69, QdGetSimPhysicalSmsStorageTotalSize, (int* size), (size))                                      \
    X(70, QdGetSmsStorageState, (int* state), (state))                                                   \
    X(71, QdGetSmsStorageUsedCount, (int* count), (count))                                               \
    X(72, QdGetSmsStorageCapacity, (int* capacity), (capacity))                                          \
    X(75, QdWritePhysicalSmsMessage, (const QdPhysicalSms* message, int* index), (message, index))       \
    X(77, QdSendPhysicalSmsMessage, (const QdPhysicalSms* message, int* reference), (message, reference)) \
    X(78, QdSendSmsMessageFromSim, (int index, int* reference), (index, reference))

// The operations on the SIM's message store whose Qd* functions also keep the device's
// copy of it up to date.
#define QD_OPERATIONS_SMS_STORE(X)                                                                       \
    X(73, QdReadPhysicalSmsMessage, (int index, QdPhysicalSms* message), (index, message))               \
    X(74, QdReadAllPhysicalSmsMessages, (QdPhysicalSms** list, int* count), (list, count))               \
    X(76, QdDeletePhysicalSmsMessage, (int index), (index))

#define QD_OPERATIONS_PHONEBOOK(X)                                                                       \
    X(81, QdGetPhonebookInfo, (int* used, int* total), (used, total))                                    \
    X(82, QdReadPhonebookEntry, (int index, QdPhonebookEntry* entry), (index, entry))                    \
    X(83, QdReadAllPhonebookEntries, (QdPhonebookEntry** list, int* count), (list, count))               \
    X(84, QdWritePhonebookEntry, (const QdPhonebookEntry* entry, int* index), (entry, index))            \
    X(85, QdDeletePhonebookEntry, (int index), (index))

#define QD_OPERATIONS_MODEM_SERVICES(X) \
    QD_OPERATIONS_DATA_CALLS(X)         \
    QD_OPERATIONS_SMS(X)                \
    QD_OPERATIONS_SMS_STORE(X)          \
    QD_OPERATIONS_PHONEBOOK(X)

#define QD_OPERATIONS_GPS(X)                                                                                    \
    X(86, QdInitGps, (), ())                                                                                     \
    X(87, QdExitGps, (), ())                                                                                     \
    X(88, QdIsGpsSupported, (int* supported), (supported))                                                       \
    X(89, QdGetGpsState, (int* on), (on))                                                                        \
    X(90, QdSetGpsState, (int on), (on))

// Every client operation, slots 2 to 90.
#define QD_OPERATIONS(X)                     \
    QD_OPERATIONS_STARTUP_AND_IDENTITY(X)    \
    QD_OPERATIONS_NETWORK_SERVICES(X)        \
    QD_OPERATIONS_SIM_AND_RADIO(X)           \
    QD_OPERATIONS_MODEM_SERVICES(X)          \
    QD_OPERATIONS_GPS(X)
