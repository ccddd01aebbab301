#include "corvane/traits/QdDeviceTrait.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "corvane/Logging.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/patterns/NoDestructor.h"
#include "corvane/threads/ShutdownPatience.h"
#include "corvane/traits/QdErrorMap.h"
#include "corvane/traits/QdInformation.h"

#include <array>
#include <cstdio>
#include <optional>
#include <cstring>
#include <string>

namespace Corvane {

namespace {

log4cplus::Logger traitLogger() { return logging::logger(logging::category::deviceTrait); }

// The mode the library was started with, read while the controller surely exists.
std::uint32_t libraryInitMode()
{
    const CorvaneController::InUse controller;
    if (!controller)
        return cInitModeFullAndGps;
    const Dictionary parameters = controller->initialParameters();
    if (!parameters.hasKey(key::libraryInitMode))
        return cInitModeFullAndGps;
    // Compared as an unsigned number: -1 is a mode nobody knows.
    return static_cast<std::uint32_t>(parameters.integer(key::libraryInitMode));
}

// A zero-filled copy of at most N - 1 characters.
template <std::size_t N>
std::array<char, N> boundedCopy(const char* text)
{
    std::array<char, N> copy{};
    if (text != nullptr)
        std::strncpy(copy.data(), text, N - 1);
    return copy;
}

// The backend takes a network's code as the card writes it: three digits of country and
// two or three of network. As a number it has lost its leading zeros, so the test
// network 001 01 arrives as 101 and must go out as "00101", not "101", which no card
// knows; a number of six digits has a three-digit network.
std::optional<std::string> networkCodeText(std::int64_t mccmnc)
{
    if (mccmnc < 0 || mccmnc > 999999)
        return std::nullopt;
    char text[8];
    std::snprintf(text, sizeof text, mccmnc < 100000 ? "%05lld" : "%06lld", static_cast<long long>(mccmnc));
    return std::string(text);
}

// A PIN entry's own reading of the backend's answer.
ErrorCode pinEntryError(int backendCode, bool withPuk) noexcept
{
    switch (static_cast<std::uint32_t>(backendCode)) {
    case 0x8401000C: return cErrorPukRequired;
    case 0x84010010: return withPuk ? cErrorPukWrong : cErrorPinWrong;
    default: return cErrorUnknown;
    }
}


} // namespace

QdDeviceTrait& QdDeviceTrait::instance()
{
    // Never destroyed: at exit a thread of the trait may still be in a backend call that
    // never returns, and destroying the trait would wait for it without end.
    static NoDestructor<QdDeviceTrait> trait;
    return trait.get();
}

QdDeviceTrait::QdDeviceTrait(QdClient& client, SignalPublisher& publisher) : client_(client), publisher_(publisher) {}

int QdDeviceTrait::startThread(std::function<void()> work)
{
    return threads_.start(std::move(work)) ? cNoError : cErrorInitFailed;
}

int QdDeviceTrait::initialise(Dictionary&)
{
    return starting_.start([this] {
        QdBackend& backend = qdBackend();
        backend.QdSetCardDetectionLogCallback(&QdClient::logSink, nullptr);
        backend.QdSetCardDetectionLogLevel(1);
        if (backend.QdIsInitialized() != 0)
            return;
        client_.holdErrors();
        // No module handle on this system: the backend needs none.
        const int result = backend.QdInitialize(nullptr, &QdClient::eventCallback, &QdClient::errorCallback);
        if (result < 0)
            publishQdFailure(publisher_, result);
        else
            publisher_.publish(sigLibInitialised, {});
        client_.releaseErrors();
    }) ? cNoError : cErrorInitFailed;
}

int QdDeviceTrait::shutdown(Dictionary&)
{
    // A start still under way would bring the backend up behind this shutdown and leave
    // it running with nobody to stop it; starting takes well under a second.
    if (!starting_.waitUntilIdleFor(shutdownPatience()))
        LOG4CPLUS_ERROR(traitLogger(), "shutdown() - the backend's start did not end in time; going on without it");
    const int result = qdBackend().QdShutdown();
    // With the backend down the card operations of the other threads fail at once. None
    // may outlive the library: a thread still in the backend when the process ends
    // would meet objects the exit has already destroyed.
    if (!threads_.waitUntilIdleFor(shutdownPatience()))
        LOG4CPLUS_ERROR(traitLogger(), "shutdown() - a thread of the trait did not end in time; it is left behind");
    return result < 0 ? publishQdFailure(publisher_, result) : cNoError;
}

int QdDeviceTrait::initDevice(Dictionary&)
{
    const std::uint32_t mode = libraryInitMode();
    return startThread([this, mode] { runInitDevice(mode); });
}

void QdDeviceTrait::runInitDevice(std::uint32_t mode)
{
    LOG4CPLUS_DEBUG(traitLogger(), "initDeviceThread()");
    switch (mode) {
    case cInitModeFull:
    case cInitModeFullAlias: fullDeviceInitialisation(); break;
    case cInitModeGpsOnly: gpsCheck(); break;
    case cInitModeFullAndGps:
        fullDeviceInitialisation();
        gpsCheck();
        break;
    default: LOG4CPLUS_ERROR(traitLogger(), "Unknown initialisation mode: " << mode); break;
    }
    publisher_.publish(sigDone, {});
    Dictionary information;
    client_.readDeviceInfo(information);
    publisher_.publish(sigUpdate, information);
}

void QdDeviceTrait::fullDeviceInitialisation()
{
    Dictionary none;
    initSms(none); // its failure is no backend code and goes unreported
    if (const int result = qdBackend().QdStartDevice(1000); result < 0)
        publishQdFailure(publisher_, result);
    publisher_.publish(sigDone, {});
}

void QdDeviceTrait::gpsCheck()
{
    int supported = 0;
    if (qdBackend().QdIsGpsSupported(&supported) < 0)
        return;
    publisher_.publish(supported != 0 ? sigGpsEnabled : sigGpsDisabled, {});
}

int QdDeviceTrait::initSms(Dictionary&)
{
    return qdBackend().QdSetSmsConcatenationSupport(1) != 0 ? cErrorInitFailed : cNoError;
}

int QdDeviceTrait::initGps(Dictionary&)
{
    {
        // A new receiver: whatever a client asked of the last one is over.
        std::lock_guard lock(gpsMutex_);
        serviceKeptForReading_ = false;
    }
    return startThread([this] { runInitGps(); });
}

void QdDeviceTrait::runInitGps()
{
    // The query opens and closes the GPS service. A client may already have asked to read
    // (configureGps runs on the device machine's thread while this one is still starting);
    // closing the service behind it would stop the positions without anyone noticing.
    std::lock_guard lock(gpsMutex_);
    QdBackend& backend = qdBackend();
    if (const int result = backend.QdInitGps(); result < 0)
        publishQdFailure(publisher_, result);
    int on = 0;
    if (const int result = backend.QdGetGpsState(&on); result < 0)
        publishQdFailure(publisher_, result);
    else
        publisher_.publish(on == 1 ? sigActivateGps : sigDeactivateGps, {});
    if (serviceKeptForReading_)
        return;
    if (const int result = backend.QdExitGps(); result < 0)
        publishQdFailure(publisher_, result);
}

void QdDeviceTrait::runBackendInitialisation(int (QdBackend::*initialisation)(), bool publishDone,
                                             void (QdClient::*collect)(Dictionary&))
{
    if (const int result = (qdBackend().*initialisation)(); result < 0)
        publishQdFailure(publisher_, result);
    if (publishDone)
        publisher_.publish(sigDone, {});
    if (collect != nullptr) {
        Dictionary information;
        (client_.*collect)(information);
        publisher_.publish(sigUpdate, information);
    }
}

int QdDeviceTrait::initSim(Dictionary&)
{
    return startThread([this] { runBackendInitialisation(&QdBackend::QdInitializeSim, false, &QdClient::readSimInfo); });
}

int QdDeviceTrait::initRadio(Dictionary&)
{
    return startThread(
        [this] { runBackendInitialisation(&QdBackend::QdInitializeIndicators, true, &QdClient::readRadioInfo); });
}

int QdDeviceTrait::initNetwork(Dictionary&)
{
    return startThread(
        [this] { runBackendInitialisation(&QdBackend::QdInitializeNetwork, true, &QdClient::readNetworkInfo); });
}

int QdDeviceTrait::initConnection(Dictionary&)
{
    return startThread([this] { runBackendInitialisation(&QdBackend::QdInitializeDataCall, true, nullptr); });
}

int QdDeviceTrait::readDeviceInfo(Dictionary& parameters)
{
    client_.readDeviceInfo(parameters);
    publisher_.publish(sigUpdate, parameters);
    return cNoError;
}

int QdDeviceTrait::readRadioInfo(Dictionary& parameters)
{
    client_.readRadioInfo(parameters);
    publisher_.publish(sigUpdate, parameters);
    return cNoError;
}

int QdDeviceTrait::readSimInfo(Dictionary& parameters)
{
    client_.readSimInfo(parameters);
    publisher_.publish(sigUpdate, parameters);
    return cNoError;
}

int QdDeviceTrait::readNetworkInfo(Dictionary& parameters)
{
    client_.readNetworkInfo(parameters);
    publisher_.publish(sigUpdate, parameters);
    return cNoError;
}

int QdDeviceTrait::enterPin(Dictionary& parameters)
{
    if (!parameters.hasKey(key::pin))
        return cErrorParameterMissing;
    const auto pin = boundedCopy<16>(parameters.string(key::pin));
    const auto puk = boundedCopy<16>(parameters.string(key::puk));
    return startThread([this, pin, puk] { runEnterPin(pin, puk); });
}

void QdDeviceTrait::runEnterPin(const std::array<char, 16>& pin, const std::array<char, 16>& puk)
{
    LOG4CPLUS_DEBUG(logging::logger(logging::category::worker), "PinThread::run()");
    const bool withPuk = puk[0] != '\0';
    const int result = withPuk ? qdBackend().QdEnterPukCode(puk.data(), pin.data()) : qdBackend().QdEnterPinCode(pin.data());
    if (result < 0)
        publishErrorValue(publisher_, pinEntryError(result, withPuk));
}

int QdDeviceTrait::changePin(Dictionary& parameters)
{
    const char* pin = parameters.string(key::pin);
    if (pin == nullptr)
        return cErrorParameterMissing;
    const char* newPin = parameters.string(key::newPin);
    return client_.changePin(pin, newPin != nullptr ? newPin : "");
}

int QdDeviceTrait::setPinMode(Dictionary& parameters)
{
    const char* pin = parameters.string(key::pin);
    if (pin == nullptr) {
        publishErrorValue(publisher_, cErrorParameterMissing);
        return cErrorParameterMissing;
    }
    return client_.setPinMode(parameters.integer(key::pinMode) != 0, pin);
}

int QdDeviceTrait::setNetworkTechnology(Dictionary& parameters)
{
    const std::int64_t technology = parameters.integer(key::networkTechnology);
    const int mode = technology == 1 ? 0 : technology == 2 ? 1 : 3;
    return client_.setTechnologySelectionMode(mode);
}

int QdDeviceTrait::selectNetwork(Dictionary& parameters)
{
    // The +COPS modes: automatic, manual, manual then automatic; 99 for anything else.
    const std::int64_t selection = parameters.integer(key::networkSelectionMode);
    const int mode = selection == 0 ? 0 : selection == 1 ? 1 : selection == 2 ? 4 : 99;
    if (mode == 0)
        return client_.setNetworkSelectionMode(0, "0", 0);
    const std::optional<std::string> mccmnc = networkCodeText(parameters.integer(key::mccmnc));
    if (!mccmnc) {
        publishErrorValue(publisher_, cErrorValueInvalid);
        return cErrorValueInvalid;
    }
    return client_.setNetworkSelectionMode(mode, mccmnc->c_str(),
                                           static_cast<int>(parameters.integer(key::networkTechnology)));
}

int QdDeviceTrait::scanNetworks(Dictionary&)
{
    return startThread([this] { runScan(); });
}

void QdDeviceTrait::runScan()
{
    publisher_.publish(sigDeviceBusy, {});
    void* list = nullptr;
    int count = 0;
    const int result = qdBackend().QdScanNetworks(&list, &count);
    publisher_.publish(sigDeviceDone, {});
    Dictionary networks;
    if (result < 0) {
        publishQdFailure(publisher_, result);
    } else if (list != nullptr) {
        const auto* entries = static_cast<const unsigned char*>(list);
        for (int i = 0; i < count; ++i)
            networks.setArrayItem(key::list, static_cast<std::uint32_t>(i),
                                  networkEntryRecord(entries + i * networkEntrySize));
    }
    if (list != nullptr)
        qdBackend().QdFreeMemory(list);
    networks.setInteger(key::listCount, networks.arrayCount(key::list));
    publisher_.publish(sigScanFinished, networks);
}

int QdDeviceTrait::setRadioState(Dictionary& parameters)
{
    const bool radioOff = parameters.integer(key::radioState) == 2;
    return startThread([this, radioOff] { runSetRadioState(radioOff); });
}

void QdDeviceTrait::runSetRadioState(bool radioOff)
{
    QdBackend& backend = qdBackend();
    publisher_.publish(sigDeviceBusy, {});
    int smartAntenna = 0;
    const int question = backend.QdHasSmartAntenna(&smartAntenna);
    publisher_.publish(sigDeviceDone, {});
    if (question < 0)
        publishQdFailure(publisher_, question);
    // A card with a smart antenna switches its radio with the antenna.
    if (smartAntenna != 0)
        return;
    publisher_.publish(sigDeviceBusy, {});
    const int result = backend.QdSetPowerUpRadioState(radioOff ? 0 : 1);
    publisher_.publish(sigDeviceDone, {});
    if (result < 0) {
        publishQdFailure(publisher_, result);
        return;
    }
    // The radio machine waits for this done among the other workers' ones: the state
    // switched to tells it apart.
    Dictionary done;
    done.setInteger(key::radioState, radioOff ? cRadioOff : cRadioOn);
    publisher_.publish(sigDone, done);
}

int QdDeviceTrait::readConnectionStatistics(Dictionary& parameters)
{
    client_.readConnectionStatistics(parameters);
    return cNoError;
}

int QdDeviceTrait::finishGps(int backendResult)
{
    return backendResult < 0 ? publishQdFailure(publisher_, backendResult) : cNoError;
}

int QdDeviceTrait::configureGps(Dictionary& parameters)
{
    if (!parameters.hasKey(key::gpsMode))
        return cNoError;
    const std::int64_t requested = parameters.integer(key::gpsMode);
    // An unknown mode must not open the GPS ports nobody would close again.
    if (requested != cGpsModeOff && requested != cGpsModeOn && requested != cGpsModeStopReading &&
        requested != cGpsModeRead)
        return cErrorNotSupported;
    const auto mode = static_cast<GpsMode>(requested);

    std::lock_guard lock(gpsMutex_);
    QdBackend& backend = qdBackend();
    if (const int opened = backend.QdInitGps(); opened < 0)
        return publishQdFailure(publisher_, opened);
    // Reading leaves the service open; every other mode closes it.
    serviceKeptForReading_ = mode == cGpsModeRead;
    int state = 0;
    const int query = backend.QdGetGpsState(&state);
    const bool on = query >= 0 && state == 1;

    switch (mode) {
    case cGpsModeOff: {
        const bool switchedOff = on && backend.QdSetGpsState(0) >= 0;
        const int result = backend.QdExitGps();
        if (switchedOff)
            publisher_.publish(sigDeactivateGps, {});
        return finishGps(result);
    }
    case cGpsModeOn: {
        const bool switchedOn = backend.QdSetGpsState(1) >= 0;
        const int result = backend.QdExitGps();
        if (switchedOn)
            publisher_.publish(sigActivateGps, {});
        return finishGps(result);
    }
    case cGpsModeStopReading: {
        const int result = backend.QdExitGps();
        if (result >= 0)
            publisher_.publish(sigStopGps, {});
        return finishGps(result);
    }
    case cGpsModeRead: break;
    }
    // Reading: the service stays open and NMEA flows.
    const int result = on ? query : backend.QdSetGpsState(1);
    if (result >= 0)
        publisher_.publish(sigReadGps, {});
    return finishGps(result);
}

} // namespace Corvane
