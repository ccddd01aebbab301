#include "app/QtCvWrapper.h"

#include "app/CallbackRegistry.h"
#include "app/DictionaryAccessor.h"
#include "app/DictionaryInstance.h"
#include "corvane/Corvane.h"
#include "corvane/Keys.h"

namespace Orvanta {

namespace {

QString key(const char* name) { return QString::fromLatin1(name); }

// Calls `emitValue` with the record's value under `name`, if the record holds one.
template <class Emit>
void emitIfPresent(const Corvane::CvParameters* record, const char* name, Emit emitValue)
{
    const QMap<QString, QVariant> values = DictionaryAccessor(record).cubeDictionary();
    const auto found = values.find(key(name));
    if (found != values.end())
        emitValue(found.value());
}

} // namespace

QtCvWrapper& QtCvWrapper::instance()
{
    static QtCvWrapper wrapper;
    return wrapper;
}

QtCvWrapper::QtCvWrapper()
{
    callbackRegistry::add(&libraryStateCallback, key(Corvane::key::clientLibraryState));
    callbackRegistry::add(&deviceStateCallback, key(Corvane::key::clientDeviceState));
    callbackRegistry::add(&updateCallback, key(Corvane::key::clientUpdate));
    callbackRegistry::add(&gpsSupportCallback, key(Corvane::key::gpsSupport));
    callbackRegistry::add(&gpsStateCallback, key(Corvane::key::gpsState));
    callbackRegistry::add(&gpsDataCallback, key(Corvane::key::gpsData));
}

bool QtCvWrapper::initialise()
{
    std::lock_guard lock(lifecycleMutex_); // a close under way finishes first
    if (initialised_)
        return true;
    DictionaryInstance clientTrait;
    clientTrait.registerCallback(&libraryStateCallback);
    clientTrait.registerCallback(&deviceStateCallback);
    clientTrait.registerCallback(&updateCallback);
    DictionaryInstance gpsTrait;
    gpsTrait.registerCallback(&gpsSupportCallback);
    gpsTrait.registerCallback(&gpsStateCallback);
    gpsTrait.registerCallback(&gpsDataCallback);
    DictionaryInstance traits;
    traits.setValue(key(Corvane::key::clientTrait), clientTrait);
    traits.setValue(key(Corvane::key::gpsTrait), gpsTrait);
    initialised_ = Corvane::registerClient(traits.dictionary()) == Corvane::cNoError;

    // Started even when the registration failed: the library then runs without a client,
    // as it would for any other caller. Failures show as the states that never arrive.
    DictionaryInstance parameters;
    parameters.setValue(key(Corvane::key::libraryInitMode), Corvane::cInitModeGpsOnly);
    Corvane::initialise(parameters.dictionary());
    return initialised_;
}

void QtCvWrapper::shutdown()
{
    std::lock_guard lock(lifecycleMutex_);
    if (!initialised_)
        return;
    closing_ = true;
    Corvane::closeLibrary();
    // A library that was closed can be started again, and closing twice (a quit that
    // races a "Stop" message, or main() after the loop) does not run the closing steps
    // twice.
    initialised_ = false;
    closing_ = false;
}

void QtCvWrapper::setGpsMode(int mode)
{
    // The shell asks nothing more once it has started a close; this only keeps a caller
    // that forgot from reaching a library in pieces.
    if (closing_)
        return;
    DictionaryInstance parameters;
    parameters.setValue(key(Corvane::key::gpsMode), mode);
    Corvane::setGpsMode(parameters.dictionary());
}

void QtCvWrapper::libraryStateCallback(const Corvane::CvParameters* record)
{
    emitIfPresent(record, Corvane::key::libraryState,
                  [](const QVariant& v) { emit instance().libraryStateChanged(v.toInt()); });
}

void QtCvWrapper::deviceStateCallback(const Corvane::CvParameters* record)
{
    emitIfPresent(record, Corvane::key::deviceState,
                  [](const QVariant& v) { emit instance().deviceStateChanged(v.toInt()); });
}

void QtCvWrapper::updateCallback(const Corvane::CvParameters* record)
{
    emitIfPresent(record, Corvane::key::gpsDataPort,
                  [](const QVariant& v) { emit instance().gpsPortNameChanged(v.toString()); });
}

void QtCvWrapper::gpsSupportCallback(const Corvane::CvParameters* record)
{
    emitIfPresent(record, Corvane::key::gpsSupport,
                  [](const QVariant& v) { emit instance().gpsSupportedChanged(v.toBool()); });
}

void QtCvWrapper::gpsStateCallback(const Corvane::CvParameters* record)
{
    emitIfPresent(record, Corvane::key::gpsState,
                  [](const QVariant& v) { emit instance().gpsStateChanged(v.toInt()); });
}

void QtCvWrapper::gpsDataCallback(const Corvane::CvParameters* record)
{
    // Map order puts "gpsLatitude" before "gpsLongitude": latitude is emitted first.
    const QMap<QString, QVariant> values = DictionaryAccessor(record).cubeDictionary();
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key() == key(Corvane::key::gpsLatitude))
            emit instance().latitudeChanged(it.value().toDouble());
        else if (it.key() == key(Corvane::key::gpsLongitude))
            emit instance().longitudeChanged(it.value().toDouble());
    }
}

} // namespace Orvanta
