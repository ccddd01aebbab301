// The facade: the library's lifecycle, the client's tables, commands and queries.

#include "corvane/Corvane.h"

#include "corvane/Logging.h"
#include "corvane/LoggingConfiguration.h"
#include "corvane/ParameterRecord.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/LibraryFSM.h"
#include "corvane/fsm/Publish.h"
#include "corvane/threads/LibraryThread.h"
#include "corvane/traits/DeviceTrait.h"

#include <mutex>

namespace Corvane {

namespace {

constexpr const char* libraryVersion = "0.0d0-00";

// What configure() was given; read by initialise().
std::mutex configurationMutex; // guards configuration
Dictionary configuration;

// Validates a command, keeps its parameters for a later error report and publishes it.
template <class HasRequiredKeys, class SignalFor>
ErrorCode command(const CvParameters* record, HasRequiredKeys hasRequiredKeys, SignalFor signalFor)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    const Dictionary& parameters = checked->dictionary;
    if (!hasRequiredKeys(parameters))
        return cErrorParameterMissing;
    CorvaneController& controller = CorvaneController::instance();
    if (LibraryFSM* library = controller.libraryMachine())
        library->setFunctionParameters(parameters);
    publish(signalFor(parameters), parameters);
    return cNoError;
}

// A command that takes no record publishes an empty one.
ErrorCode commandWithoutParameters(Signal signal)
{
    CorvaneController& controller = CorvaneController::instance();
    if (LibraryFSM* library = controller.libraryMachine())
        library->setFunctionParameters({});
    publish(signal);
    return cNoError;
}

template <Signal signal>
Signal always(const Dictionary&)
{
    return signal;
}

auto requires_(std::initializer_list<const char*> keys)
{
    return [keys = std::vector<const char*>(keys)](const Dictionary& parameters) {
        for (const char* k : keys)
            if (!parameters.hasKey(k))
                return false;
        return true;
    };
}

} // namespace

ErrorCode configure(const CvParameters* record)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    const Dictionary& given = checked->dictionary;
    if (!given.hasKey(key::disablePthreads) && !given.hasKey(key::databasePath))
        return cErrorInvalidParameters;
    std::lock_guard lock(configurationMutex);
    configuration.copyKey(given, key::databasePath);
    configuration.copyKey(given, key::disablePthreads);
    return cNoError;
}

ErrorCode registerClient(const CvParameters* record)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    const Dictionary& traits = checked->dictionary;
    const struct {
        const char* key;
        TraitKind kind;
    } tables[] = {{key::clientTrait, TraitKind::client}, {key::smsTrait, TraitKind::sms}, {key::gpsTrait, TraitKind::gps}};
    bool any = false;
    for (const auto& table : tables)
        any = any || traits.hasKey(table.key);
    if (!any)
        return cErrorParameterMissing;
    CorvaneController& controller = CorvaneController::instance();
    for (const auto& table : tables)
        if (traits.hasKey(table.key))
            controller.traits().install(table.kind, traits.dictionaryView(table.key));
    return cNoError;
}

ErrorCode initialise(const CvParameters* record)
{
    logging::configure();
    LOG4CPLUS_INFO(logging::logger(logging::category::facade), "Corvane::initialise()");
    CorvaneController& controller = CorvaneController::instance();
    {
        std::lock_guard lock(configurationMutex);
        if (const char* path = configuration.string(key::databasePath))
            controller.setDatabasePath(path);
    }
    const CvParameters* checked = record::checked(record);
    const Dictionary parameters = checked != nullptr ? checked->dictionary : Dictionary{};
    return controller.init(parameters) ? cNoError : cErrorInitFailed;
}

ErrorCode closeLibrary()
{
    // Closing waits for every thread of the library to end; on one of them it would wait
    // for itself (a client callback that closes the library when the card goes).
    if (onLibraryThread()) {
        LOG4CPLUS_ERROR(logging::logger(logging::category::facade),
                        "closeLibrary() - refused: called on one of the library's own threads, from inside a "
                        "callback; call it from a thread of the client's own");
        return cErrorOperationNotAllowed;
    }
    CorvaneController::close();
    return cNoError;
}

ErrorCode enterPin(const CvParameters* p) { return command(p, requires_({key::pin}), always<sigEnter>); }

ErrorCode changePin(const CvParameters* p)
{
    return command(p, requires_({key::pin, key::newPin}), always<sigChangePin>);
}

ErrorCode setPinMode(const CvParameters* p)
{
    return command(p, requires_({key::pin, key::pinMode}), always<sigActivatePin>);
}

ErrorCode connect(const CvParameters* p) { return command(p, requires_({}), always<sigConnect>); }

ErrorCode disconnect() { return commandWithoutParameters(sigDiscReq); }

ErrorCode setRadioState(const CvParameters* p)
{
    return command(p, requires_({key::radioState}), [](const Dictionary& d) {
        return d.integer(key::radioState) == cRadioOff ? sigRadioOff : sigRadioOn;
    });
}

ErrorCode scanNetworks() { return commandWithoutParameters(sigScan); }

ErrorCode selectNetwork(const CvParameters* p)
{
    const auto eitherKey = [](const Dictionary& d) {
        return d.hasKey(key::mccmnc) || d.hasKey(key::networkSelectionMode);
    };
    return command(p, eitherKey, always<sigSelectNetwork>);
}

ErrorCode setNetworkTechnology(const CvParameters* p)
{
    return command(p, requires_({key::networkTechnology}), always<sigSwitchTechnology>);
}

ErrorCode setGpsMode(const CvParameters* p) { return command(p, requires_({key::gpsMode}), always<sigConfigureGps>); }

CvParameters* getParameters(const CvParameters* request)
{
    Dictionary answer;
    if (const CvParameters* checked = record::checked(request)) {
        CorvaneController* controller = CorvaneController::existing();
        for (VarEntry entry : checked->dictionary.pairs()) {
            const std::string wanted(Dictionary::pairOf(entry).key);
            if (wanted == key::connectionStatistics) {
                Dictionary statistics;
                (controller != nullptr ? controller->deviceTrait() : defaultDeviceTrait())
                    .readConnectionStatistics(statistics);
                answer.setDictionary(key::connectionStatistics, statistics);
            } else if (wanted == key::libraryVersion) {
                answer.setString(key::libraryVersion, libraryVersion);
            } else if (controller != nullptr) {
                controller->store().copyTo(answer, wanted.c_str());
            }
        }
    }
    return record::allocate(std::move(answer));
}

} // namespace Corvane
