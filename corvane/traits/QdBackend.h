#pragma once
// The backend calls the device trait and the backend client make, behind one seam, so
// that both can run without a card. The default forwards each call to the backend's
// function of the same name; a test derives, overrides what it plays, and installs its
// fake for the life of a ScopedQdBackend.

#include "quelder/Quelder.h"

#include <cstdint>

namespace Corvane {

// X(name, parameters, arguments) for every backend function used.
#define CORVANE_QD_BACKEND_CALLS(X)                                                                              \
    X(QdInitialize, (void* instance, QdEventCallback eventCallback, QdErrorCallback errorCallback),             \
      (instance, eventCallback, errorCallback))                                                                  \
    X(QdShutdown, (), ())                                                                                        \
    X(QdIsInitialized, (), ())                                                                                   \
    X(QdSetCardDetectionLogCallback, (NkLogFunction function, void* context), (function, context))             \
    X(QdSetCardDetectionLogLevel, (int level), (level))                                                          \
    X(QdFreeMemory, (void* memory), (memory))                                                                    \
    X(QdGetCardInfo, (NkCardInfo* record), (record))                                                             \
    X(QdGetDeviceState, (int* state), (state))                                                                   \
    X(QdGetConnectionState, (int* state), (state))                                                               \
    X(QdGetCsNetworkState, (int* state), (state))                                                                \
    X(QdGetPsNetworkState, (int* state), (state))                                                                \
    X(QdIsSimInitialized, (int* initialized), (initialized))                                                     \
    X(QdGetHighSpeedState, (int* registered), (registered))                                                      \
    X(QdGetSignalStrength, (int* strength, int* quality), (strength, quality))                                  \
    X(QdGetHwSwitchState, (int* state), (state))                                                                 \
    X(QdHasSmartAntenna, (int* present), (present))                                                              \
    X(QdGetSmartAntennaPosition, (int* pulledOut), (pulledOut))                                                  \
    X(QdGetIdleText, (char* text, std::uint32_t size), (text, size))                                            \
    X(QdGetDriverVersion, (std::uint32_t* high, std::uint32_t* low), (high, low))                               \
    X(QdGetDriverPath, (char* path, std::uint32_t size), (path, size))                                          \
    X(QdGetConnectionStatistics, (std::uint64_t* sent, std::uint64_t* received, std::uint64_t* milliseconds),   \
      (sent, received, milliseconds))                                                                           \
    X(QdStartDevice, (int delayMilliseconds), (delayMilliseconds))                                              \
    X(QdGetDeviceName, (char* name, std::uint32_t size), (name, size))                                          \
    X(QdGetProductName, (char* name, std::uint32_t size), (name, size))                                         \
    X(QdGetFirmwareInfo, (char* firmware, std::uint32_t size), (firmware, size))                                \
    X(QdGetHardwareVersion, (char* version, std::uint32_t size), (version, size))                               \
    X(QdGetOwnPhoneNumbers, (char* numbers, std::uint32_t size), (numbers, size))                               \
    X(QdGetImeiNumber, (char* imei, std::uint32_t size), (imei, size))                                          \
    X(QdGetSerialNumber, (char* serial, std::uint32_t size), (serial, size))                                    \
    X(QdGetSimSerialNumber, (char* iccid, std::uint32_t size), (iccid, size))                                   \
    X(QdGetImsiNumber, (char* imsi, std::uint32_t size), (imsi, size))                                          \
    X(QdGetRxCode, (int* code), (code))                                                                          \
    X(QdQueryOisov, (char* answer, std::uint32_t size), (answer, size))                                         \
    X(QdQueryOsrls, (char* answer, std::uint32_t size), (answer, size))                                         \
    X(QdGetPinPukState, (int* state, int* resultCode), (state, resultCode))                                     \
    X(QdInitializeSim, (), ())                                                                                   \
    X(QdInitializeNetwork, (), ())                                                                               \
    X(QdInitializeIndicators, (), ())                                                                            \
    X(QdInitializeDataCall, (), ())                                                                              \
    X(QdSetSmsConcatenationSupport, (int enabled), (enabled))                                                   \
    X(QdSetTechnologySelectionMode, (int mode), (mode))                                                          \
    X(QdGetNetworkInformation, (void* information), (information))                                               \
    X(QdGetServingNetwork, (char* network, std::uint32_t size), (network, size))                                \
    X(QdSetNetworkSelectionMode, (int mode, const char* mccMnc, int technology), (mode, mccMnc, technology))    \
    X(QdScanNetworks, (void** list, int* count), (list, count))                                                 \
    X(QdEnterPinCode, (const char* pin), (pin))                                                                  \
    X(QdEnterPukCode, (const char* puk, const char* newPin), (puk, newPin))                                     \
    X(QdGetPinMode, (int* mode), (mode))                                                                         \
    X(QdSetPinMode, (int enable, const char* pin), (enable, pin))                                               \
    X(QdChangePinCode, (const char* pin, const char* newPin), (pin, newPin))                                    \
    X(QdGetPinPukCounters, (int* pinAttempts, int* pukAttempts), (pinAttempts, pukAttempts))                    \
    X(QdGetCurrentRadioState, (int* on), (on))                                                                   \
    X(QdSetPowerUpRadioState, (int on), (on))                                                                    \
    X(QdInitGps, (), ())                                                                                         \
    X(QdExitGps, (), ())                                                                                         \
    X(QdIsGpsSupported, (int* supported), (supported))                                                           \
    X(QdGetGpsState, (int* on), (on))                                                                            \
    X(QdSetGpsState, (int on), (on))

class QdBackend {
public:
    virtual ~QdBackend() = default;

#define CORVANE_QD_DECLARE_CALL(name, parameters, arguments) virtual int name parameters;
    CORVANE_QD_BACKEND_CALLS(CORVANE_QD_DECLARE_CALL)
#undef CORVANE_QD_DECLARE_CALL
};

// The backend in use: the real one unless a test installed its fake.
QdBackend& qdBackend() noexcept;

// Installs `fake` until the end of its scope. Threads still running afterwards would
// call the real backend again, so a test waits for its threads before the scope ends.
class ScopedQdBackend {
public:
    explicit ScopedQdBackend(QdBackend& fake) noexcept;
    ~ScopedQdBackend();
    ScopedQdBackend(const ScopedQdBackend&) = delete;
    ScopedQdBackend& operator=(const ScopedQdBackend&) = delete;

private:
    QdBackend* previous_;
};

} // namespace Corvane
