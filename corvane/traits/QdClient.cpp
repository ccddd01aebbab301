#include "corvane/traits/QdClient.h"

#include "corvane/patterns/NoDestructor.h"
#include "corvane/threads/LibraryThread.h"

#include "corvane/Keys.h"
#include "corvane/Logging.h"
#include "corvane/traits/QdErrorMap.h"
#include "corvane/traits/QdInformation.h"

#include <array>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace Corvane {

namespace {

log4cplus::Logger clientLogger() { return logging::logger(logging::category::backendClient); }

// The +CREG status values: 1 home, 2 searching, 3 denied, 5 roaming, 0 and 4 not
// registered; anything else says nothing.
bool registrationSignal(int networkState, Signal& signal) noexcept
{
    switch (networkState) {
    case 0:
    case 4: signal = sigDeregister; return true;
    case 1: signal = sigRegister; return true;
    case 2: signal = sigSearch; return true;
    case 3: signal = sigDenied; return true;
    case 5: signal = sigRoaming; return true;
    default: return false;
    }
}

} // namespace

const QdClient::Handler QdClient::handlers_[QdEventCount] = {
    &QdClient::onDeviceState,     // 0
    &QdClient::onConnectionState, // 1
    &QdClient::onCsNetworkState,  // 2
    &QdClient::onPsNetworkState,  // 3
    &QdClient::onHighSpeedState,  // 4 EDGE
    &QdClient::onHighSpeedState,  // 5 HSDPA
    &QdClient::onSignalQuality,   // 6
    &QdClient::onWcdmaSignal,     // 7
    nullptr,                      // 8
    nullptr,                      // 9 voice
    &QdClient::onSimState,        // 10
    &QdClient::onPinPukState,     // 11
    &QdClient::onPinMode,         // 12
    nullptr,                      // 13 temperature
    &QdClient::onStoredSms,       // 14
    nullptr,                      // 15 new message index: no buffer
    &QdClient::releaseBuffer,     // 16
    &QdClient::releaseBuffer,     // 17
    &QdClient::onHwRadioSwitch,   // 18
    &QdClient::onSmartAntenna,    // 19
    nullptr,                      // 20 idle text
    &QdClient::releaseBuffer,     // 21 USSD
    nullptr,                      // 22 phone book
    nullptr,                      // 23 cell location
    nullptr,                      // 24 SIM full
    &QdClient::onGpsData,         // 25
};

QdClient& QdClient::instance()
{
    // The device trait's threads use the client; they may outlive the exit (see there).
    static NoDestructor<QdClient> client;
    return client.get();
}

QdClient::QdClient(SignalPublisher& publisher, QdConnectionStatistics& statistics, std::FILE* nmeaMessages)
    : publisher_(publisher), statistics_(statistics), parser_(publisher, nmeaMessages, NmeaRecordDetail::extended)
{
}

// The backend's thread is the library's own while it is in here: a client callback it
// leads to must not close the library, which would wait for this very thread.
void QdClient::eventCallback(int event, void* data)
{
    const LibraryThreadMark mark;
    instance().handleEvent(event, data);
}

void QdClient::errorCallback(int kind, int primaryCode, int secondaryCode)
{
    const LibraryThreadMark mark;
    instance().handleError(kind, primaryCode, secondaryCode);
}

void QdClient::logSink(const char* text, void*)
{
    if (text != nullptr)
        LOG4CPLUS_DEBUG(clientLogger(), text);
}

void QdClient::handleEvent(int event, void* data)
{
    if (event < 0 || event >= QdEventCount)
        return;
    const Handler handler = handlers_[event];
    if (handler != nullptr)
        (this->*handler)(data);
}

void QdClient::handleError(int kind, int primaryCode, int secondaryCode)
{
    std::ostringstream message;
    message << "handleError() - " << "Error type: " << kind << "\n"
            << "Primary code: " << primaryCode << "\n"
            << "Secondary code: " << secondaryCode << ".";
    LOG4CPLUS_ERROR(clientLogger(), message.str());
    std::lock_guard lock(heldErrorsMutex_);
    if (holdingErrors_)
        heldErrors_.push_back(primaryCode);
    else
        publishQdFailure(publisher_, primaryCode);
}

void QdClient::holdErrors()
{
    std::lock_guard lock(heldErrorsMutex_);
    holdingErrors_ = true;
}

void QdClient::releaseErrors()
{
    // Published under the lock, so that an error reported meanwhile comes after these.
    std::lock_guard lock(heldErrorsMutex_);
    holdingErrors_ = false;
    for (const int code : heldErrors_)
        publishQdFailure(publisher_, code);
    heldErrors_.clear();
}

void QdClient::reportEventFailure(int backendResult)
{
    // The backend tells of the values that went with a card when it goes, and before one
    // comes; asking for them then finds no card. That is no error: it would reach the
    // client as one, and a library still starting would take it as its start failing.
    if (backendResult == static_cast<int>(kQdNoDevice))
        return;
    publishQdFailure(publisher_, backendResult);
}

std::optional<int> QdClient::readValue(int (QdBackend::*getter)(int*))
{
    int value = 0;
    if (const int result = (qdBackend().*getter)(&value); result < 0) {
        reportEventFailure(result);
        return std::nullopt;
    }
    return value;
}

void QdClient::onDeviceState(void*)
{
    const std::optional<int> read = readValue(&QdBackend::QdGetDeviceState);
    if (!read)
        return;
    const int state = *read;
    deviceState_.store(state, std::memory_order_relaxed);
    if (state == QdDeviceSearching || state == QdDeviceNotFound)
        publisher_.publish(sigDeparture, {});
    else if (state == QdDeviceFound)
        publisher_.publish(sigArrival, {});
}

void QdClient::onConnectionState(void*)
{
    int state = 0;
    const int result = qdBackend().QdGetConnectionState(&state);
    if (result != 0) {
        reportEventFailure(result);
        return;
    }
    connectionState_.store(state, std::memory_order_relaxed);
    static constexpr Signal signals[] = {sigDiscInd, sigConnecting, sigConnectConf, sigDiscConf};
    if (state >= 0 && state <= 3)
        publisher_.publish(signals[state], {});
}

void QdClient::onNetworkState(int (QdBackend::*getter)(int*), std::atomic<int>& field)
{
    const std::optional<int> state = readValue(getter);
    if (!state)
        return;
    field.store(*state, std::memory_order_relaxed);
    if (Signal signal; registrationSignal(*state, signal))
        publisher_.publish(signal, {});
}

void QdClient::onCsNetworkState(void*) { onNetworkState(&QdBackend::QdGetCsNetworkState, csNetworkState_); }
void QdClient::onPsNetworkState(void*) { onNetworkState(&QdBackend::QdGetPsNetworkState, psNetworkState_); }

void QdClient::onHighSpeedState(void*)
{
    const std::optional<int> registered = readValue(&QdBackend::QdGetHighSpeedState);
    if (!registered)
        return;
    highSpeed_.store(*registered != 0, std::memory_order_relaxed);
    publisher_.publish(sigTechnologyChange, {});
}

void QdClient::onSignalQuality(void*)
{
    if (!initialised())
        return;
    int strength = 0;
    int quality = 0;
    const int result = qdBackend().QdGetSignalStrength(&strength, &quality);
    if (result < 0) {
        reportEventFailure(result);
        return;
    }
    signalStrength_.store(strength, std::memory_order_relaxed);
    publishSignalUpdate();
}

void QdClient::onWcdmaSignal(void*)
{
    if (!initialised())
        return;
    // The backend answers this value as text; its leading number is the value.
    std::array<char, 64> text{};
    const int result = qdBackend().QdGetServingNetwork(text.data(), text.size());
    if (result < 0) {
        reportEventFailure(result);
        return;
    }
    text.back() = '\0';
    wcdmaSignalStrength_.store(static_cast<int>(std::strtol(text.data(), nullptr, 10)), std::memory_order_relaxed);
    publishSignalUpdate();
}

void QdClient::publishSignalUpdate()
{
    Dictionary values;
    values.setInteger(key::signalStrength, signalStrength_.load(std::memory_order_relaxed));
    values.setInteger(key::wcdmaSignalStrength, wcdmaSignalStrength_.load(std::memory_order_relaxed));
    publisher_.publish(sigUpdate, values);
}

void QdClient::onSimState(void*)
{
    const std::optional<int> initialisedSim = readValue(&QdBackend::QdIsSimInitialized);
    if (initialisedSim && *initialisedSim != 0)
        publisher_.publish(sigInitialised, {});
}

void QdClient::publishPinFailure(int backendCode)
{
    const ErrorCode error = convertQdError(backendCode);
    if (error == cErrorSimMissing)
        publisher_.publish(sigSimMissing, {});
    publishErrorValue(publisher_, error);
}

void QdClient::onPinPukState(void*)
{
    if (!initialised())
        return;
    int state = 0;
    int resultCode = 0;
    const int result = qdBackend().QdGetPinPukState(&state, &resultCode);
    if (result < 0) {
        publishPinFailure(result);
        return;
    }
    pinPukState_.store(state, std::memory_order_relaxed);
    if (state == 1) {
        publisher_.publish(sigAccept, {});
    } else if (state == 2 || state == 3) {
        int pinCount = 0;
        int pukCount = 0;
        const int counters = qdBackend().QdGetPinPukCounters(&pinCount, &pukCount);
        if (counters < 0) {
            reportEventFailure(counters);
            return;
        }
        Dictionary request;
        request.setInteger(key::pinKind, state);
        request.setInteger(key::pinCount, pinCount);
        request.setInteger(key::pukCount, pukCount);
        publisher_.publish(sigNeedPin, request);
    }
}

void QdClient::onPinMode(void*)
{
    if (!initialised())
        return;
    int mode = 1;
    const int result = qdBackend().QdGetPinMode(&mode);
    if (result < 0) {
        publishPinFailure(result);
        return;
    }
    pinMode_.store(mode, std::memory_order_relaxed);
    Dictionary values;
    values.setInteger(key::pinMode, mode != 0 ? 1 : 0);
    publisher_.publish(sigUpdate, values);
}

// The SMS trait takes new messages from here once it exists; until then the record is
// only released.
void QdClient::onStoredSms(void* data) { releaseBuffer(data); }

void QdClient::releaseBuffer(void* data)
{
    if (data != nullptr)
        qdBackend().QdFreeMemory(data);
}

void QdClient::onHwRadioSwitch(void*)
{
    if (const std::optional<int> state = readValue(&QdBackend::QdGetHwSwitchState))
        hwSwitchState_.store(*state, std::memory_order_relaxed);
}

void QdClient::onSmartAntenna(void*)
{
    const std::optional<int> pulledOut = readValue(&QdBackend::QdGetSmartAntennaPosition);
    if (!pulledOut)
        return;
    smartAntennaOut_.store(*pulledOut != 0, std::memory_order_relaxed);
    publisher_.publish(*pulledOut != 0 ? sigRadioOff : sigRadioOn, {});
}

void QdClient::onGpsData(void* data)
{
    if (data == nullptr)
        return;
    const char* text = static_cast<const char*>(data);
    LOG4CPLUS_DEBUG(clientLogger(), text);
    // The line as the card wrote it goes first, so that a client relaying sentences sends
    // each before anything made of it, and also those the parser does not read.
    Dictionary sentence;
    if (sentence.setString(key::gpsSentence, text))
        publisher_.publish(sigGpsUpdate, sentence);
    parser_.parseSentence(text);
    qdBackend().QdFreeMemory(data);
}

void QdClient::readDeviceInfo(Dictionary& record) { readDeviceInformation(qdBackend(), record); }
void QdClient::readRadioInfo(Dictionary& record) { readRadioInformation(qdBackend(), publisher_, record); }
void QdClient::readSimInfo(Dictionary& record) { readSimInformation(qdBackend(), publisher_, record); }
void QdClient::readNetworkInfo(Dictionary& record) { readNetworkInformation(qdBackend(), record); }

void QdClient::readConnectionStatistics(Dictionary& record)
{
    statistics_.read(qdBackend(), connectionState(), record);
}

ErrorCode QdClient::report(int backendResult)
{
    const ErrorCode error = qdResultToError(backendResult);
    if (error != cNoError)
        publishErrorValue(publisher_, error);
    return error;
}

ErrorCode QdClient::changePin(const char* pin, const char* newPin)
{
    return report(qdBackend().QdChangePinCode(pin, newPin));
}

ErrorCode QdClient::setPinMode(bool enable, const char* pin) { return report(qdBackend().QdSetPinMode(enable ? 1 : 0, pin)); }

ErrorCode QdClient::setTechnologySelectionMode(int mode) { return report(qdBackend().QdSetTechnologySelectionMode(mode)); }

ErrorCode QdClient::setNetworkSelectionMode(int mode, const char* mccmnc, int technology)
{
    return report(qdBackend().QdSetNetworkSelectionMode(mode, mccmnc, technology));
}

} // namespace Corvane
