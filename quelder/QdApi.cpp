// The Qd* functions: each works on the library's one backend.

#include "nodekin/CardTraits.h"
#include "platform/SystemError.h"
#include "quelder/Backend.h"
#include "quelder/Quelder.h"

#include <cstdlib>
#include <cstring>
#include <string>

using GSM::Backend;
using GSM::Value;

namespace {

Backend& TheBackend() { return Backend::Instance(); }

// A cached value, checked as every cached-value getter is; `ofCard` for values that need
// the card to be there.
int GetCardValue(int* output, int (*read)(const GSM::Device&), bool ofCard = true)
{
    const GSM::Device& device = TheBackend().TheDevice();
    if (const int rc = device.CheckAccess(ofCard); rc != kQdSuccess)
        return rc;
    if (output == nullptr)
        return kQdNullPointer;
    *output = read(device);
    return kQdSuccess;
}

// A cached text, checked as the cached values are; a buffer too small gets nothing.
int GetCardText(char* output, std::uint32_t size, std::string (*read)(const GSM::Device&))
{
    const GSM::Device& device = TheBackend().TheDevice();
    if (const int rc = device.CheckAccess(true); rc != kQdSuccess)
        return rc;
    if (output == nullptr)
        return kQdNullPointer;
    const std::string text = read(device);
    if (text.size() + 1 > size)
        return qdSystemError(Os::kErrorInsufficientBuffer);
    std::memcpy(output, text.c_str(), text.size() + 1);
    return kQdSuccess;
}

} // namespace

int QdInitialize(void* instance, QdEventCallback eventCallback, QdErrorCallback errorCallback)
{
    return TheBackend().Initialize(instance, eventCallback, errorCallback);
}

int QdShutdown() { return TheBackend().Shutdown(); }

int QdIsInitialized() { return TheBackend().IsInitialized() ? 1 : 0; }

int QdSetCardDetectionLogCallback(NkLogFunction function, void* context)
{
    return NkSetLogFunction(function, context);
}

int QdSetCardDetectionLogLevel(int level) { return NkSetLogLevel(level); }

int QdGetCardInfo(NkCardInfo* record)
{
    if (record == nullptr)
        return kQdNullPointer;
    return qdSystemError(NkGetCardInfo(record));
}

int QdFreeMemory(void* memory)
{
    std::free(memory);
    return kQdSuccess;
}

int QdGetDeviceState(int* state)
{
    return GetCardValue(
        state, [](const GSM::Device& d) { return static_cast<int>(d.State()); }, false);
}

int QdGetConnectionState(int* state)
{
    return GetCardValue(state, [](const GSM::Device& d) { return d.ConnectionState(); });
}

int QdGetCsNetworkState(int* state)
{
    return GetCardValue(state, [](const GSM::Device& d) { return d.Get(Value::csNetworkState); });
}

int QdGetPsNetworkState(int* state)
{
    return GetCardValue(state, [](const GSM::Device& d) { return d.Get(Value::psNetworkState); });
}

int QdIsSimInitialized(int* initialized)
{
    return GetCardValue(initialized, [](const GSM::Device& d) { return d.Get(Value::simInitialized); });
}

int QdGetHighSpeedState(int* registered)
{
    return GetCardValue(registered, [](const GSM::Device& d) {
        return d.Get(Value::edgeRegistered) != 0 || d.Get(Value::hsdpaRegistered) != 0 ? 1 : 0;
    });
}

int QdGetSignalStrength(int* strength, int* quality)
{
    if (const int rc = GetCardValue(strength, [](const GSM::Device& d) { return d.Get(Value::signalStrength); });
        rc != kQdSuccess)
        return rc;
    return GetCardValue(quality, [](const GSM::Device& d) { return d.Get(Value::signalQuality); });
}

int QdGetHwSwitchState(int* state)
{
    return GetCardValue(state, [](const GSM::Device& d) { return d.Get(Value::hwRadioSwitch); });
}

int QdHasSmartAntenna(int* present)
{
    return GetCardValue(present, [](const GSM::Device& d) { return Nodekin::hasSmartAntenna(d.Card()) ? 1 : 0; });
}

int QdGetSmartAntennaPosition(int* pulledOut)
{
    return GetCardValue(pulledOut, [](const GSM::Device& d) { return d.Get(Value::antennaPulledOut); });
}

int QdGetIdleText(char* text, std::uint32_t size)
{
    return GetCardText(text, size, [](const GSM::Device& d) { return d.IdleText(); });
}

int QdGetVoiceState(int* state)
{
    return GetCardValue(state, [](const GSM::Device& d) { return d.Get(Value::voiceState); });
}

int QdGetCallerNumber(char* number, std::uint32_t size)
{
    return GetCardText(number, size, [](const GSM::Device& d) { return d.CallerNumber(); });
}

int QdGetDeviceTemperature(int* temperature)
{
    return GetCardValue(temperature, [](const GSM::Device& d) { return d.Get(Value::temperature); });
}

int QdGetCellLocation(int* lac, int* cellId)
{
    if (const int rc = GetCardValue(lac, [](const GSM::Device& d) { return d.Get(Value::lac); }); rc != kQdSuccess)
        return rc;
    return GetCardValue(cellId, [](const GSM::Device& d) { return d.Get(Value::cellId); });
}

int QdEnableRegistrationEvents()
{
    constexpr int kOutsideTheTable = -1;
    return TheBackend().Operate(kOutsideTheTable,
                                [](GSM::Platform& platform) { return platform.QdEnableRegistrationEvents(); });
}

int QdGetDriverPath(char* path, std::uint32_t size)
{
    if (!TheBackend().IsInitialized())
        return kQdNotInitialized;
    if (path == nullptr)
        return kQdNullPointer;
    return qdSystemError(NkGetDriverFileName(path, size));
}

int QdGetDriverVersion(std::uint32_t* high, std::uint32_t* low)
{
    const GSM::Device& device = TheBackend().TheDevice();
    if (const int rc = device.CheckAccess(true, true); rc != kQdSuccess)
        return rc;
    if (high == nullptr || low == nullptr)
        return kQdNullPointer;
    const NkCardInfo card = device.Card();
    *high = card.driverVersion[0];
    *low = card.driverVersion[1];
    return kQdSuccess;
}

int QdGetConnectionStatistics(std::uint64_t* bytesSent, std::uint64_t* bytesReceived, std::uint64_t* milliseconds)
{
    const GSM::Device& device = TheBackend().TheDevice();
    if (const int rc = device.CheckAccess(true, true); rc != kQdSuccess)
        return rc;
    if (bytesSent == nullptr || bytesReceived == nullptr || milliseconds == nullptr)
        return kQdNullPointer;
    // No data connection can be made yet, so there is never a current one to count.
    *bytesSent = 0;
    *bytesReceived = 0;
    *milliseconds = 0;
    return kQdSuccess;
}

#define QD_DEFINE_OPERATION(slot, name, parameters, arguments) \
    int name parameters                                         \
    {                                                           \
        return TheBackend().Operate(slot, [&](GSM::Platform& platform) { return platform.name arguments; }); \
    }
// The message store's operations are defined with the SMS functions (QdSmsApi.cpp).
QD_OPERATIONS_STARTUP_AND_IDENTITY(QD_DEFINE_OPERATION)
QD_OPERATIONS_NETWORK_SERVICES(QD_DEFINE_OPERATION)
QD_OPERATIONS_SIM_AND_RADIO(QD_DEFINE_OPERATION)
QD_OPERATIONS_DATA_CALLS(QD_DEFINE_OPERATION)
QD_OPERATIONS_SMS(QD_DEFINE_OPERATION)
QD_OPERATIONS_PHONEBOOK(QD_DEFINE_OPERATION)
QD_OPERATIONS_GPS(QD_DEFINE_OPERATION)
#undef QD_DEFINE_OPERATION
