#include "corvane/Corvane.h"

#include "corvane/ParameterRecord.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Publish.h"
#include "tests/corvane/support/ClientJournal.h"
#include "tests/corvane/support/RecordingDeviceTrait.h"
#include "tests/corvane/support/SignalRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace Corvane::testing {
namespace {

using Summary = std::vector<std::string>;

struct RecordDeleter {
    void operator()(CvParameters* record) const { deleteParameters(record); }
};
using Record = std::unique_ptr<CvParameters, RecordDeleter>;

Record recordOf(const Dictionary& values) { return Record{record::allocate(values)}; }

class Facade : public ::testing::Test {
protected:
    void SetUp() override { CorvaneController::instance().setDeviceTrait(trait); }
    void TearDown() override { closeLibrary(); }

    // The client's side: the journal's callbacks under "clientTrait" and "gpsTrait".
    ErrorCode registerJournal()
    {
        Dictionary traits;
        traits.setDictionary(key::clientTrait, ClientJournal::clientTrait(&clientContext));
        traits.setDictionary(key::gpsTrait, ClientJournal::gpsTrait(&gpsContext));
        return registerClient(recordOf(traits).get());
    }
    ErrorCode start(std::int64_t mode = 2)
    {
        return initialise(recordOf(buildDictionary("I", key::libraryInitMode, mode)).get());
    }
    // A library whose backend starts at once; true once the client heard it.
    bool startInitialised(std::int64_t mode = 2)
    {
        trait.react("initialise", [](Dictionary&) {
            publish(sigLibInitialised);
            return 0;
        });
        return registerJournal() == cNoError && start(mode) == cNoError &&
               journal.waitForSummary({"library 0", "device 0", "trait:initialise", "library 1"});
    }

    ClientJournal journal;
    RecordingDeviceTrait trait;
    int clientContext = 0;
    int gpsContext = 0;
};

// --- commands ----------------------------------------------------------------------------

using Command = std::function<ErrorCode(const CvParameters*)>;

struct CommandCase {
    const char* name;
    Command command;
    Dictionary parameters;
    ErrorCode result;
    int signal; // published signal, or -1 for none
};

class Commands : public Facade, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Commands, ValidateThenPublishTheirSignal)
{
    const CommandCase& c = GetParam();
    SignalRecorder signals(CorvaneController::instance().hub());
    EXPECT_EQ(c.command(recordOf(c.parameters).get()), c.result);

    const auto events = signals.events();
    if (c.signal < 0) {
        EXPECT_TRUE(events.empty());
        return;
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->sig, c.signal);
    EXPECT_EQ(events[0]->parameters, c.parameters);
}

Dictionary with(const char* format, const char* key1, std::int64_t value1)
{
    return buildDictionary(format, key1, value1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Commands,
    ::testing::Values(
        CommandCase{"EnterPin", enterPin, buildDictionary("s", "pin", "1234"), cNoError, sigEnter},
        CommandCase{"EnterPinWithoutPin", enterPin, buildDictionary("s", "puk", "1"), cErrorParameterMissing, -1},
        CommandCase{"ChangePin", changePin, buildDictionary("ss", "pin", "1", "newPin", "2"), cNoError, sigChangePin},
        CommandCase{"ChangePinWithoutNewPin", changePin, buildDictionary("s", "pin", "1"), cErrorParameterMissing, -1},
        CommandCase{"SetPinMode", setPinMode, buildDictionary("sI", "pin", "1", "pinMode", std::int64_t{1}), cNoError,
                    sigActivatePin},
        CommandCase{"SetPinModeWithoutMode", setPinMode, buildDictionary("s", "pin", "1"), cErrorParameterMissing, -1},
        CommandCase{"ConnectNeedsNoKeys", connect, Dictionary{}, cNoError, sigConnect},
        CommandCase{"RadioOn", setRadioState, with("I", "radioState", 1), cNoError, sigRadioOn},
        CommandCase{"RadioOff", setRadioState, with("I", "radioState", 2), cNoError, sigRadioOff},
        CommandCase{"RadioUnknownCountsAsOn", setRadioState, with("I", "radioState", 0), cNoError, sigRadioOn},
        CommandCase{"RadioWithoutState", setRadioState, Dictionary{}, cErrorParameterMissing, -1},
        CommandCase{"SelectNetworkByModeOnly", selectNetwork, with("I", "networkSelectionMode", 0), cNoError,
                    sigSelectNetwork},
        CommandCase{"SelectNetworkByOperatorOnly", selectNetwork, with("I", "mccmnc", 26201), cNoError,
                    sigSelectNetwork},
        CommandCase{"SelectNetworkWithNeither", selectNetwork, with("I", "networkTechnology", 1),
                    cErrorParameterMissing, -1},
        CommandCase{"SetNetworkTechnology", setNetworkTechnology, with("I", "networkTechnology", 2), cNoError,
                    sigSwitchTechnology},
        CommandCase{"SetGpsMode", setGpsMode, with("I", "gpsMode", 4), cNoError, sigConfigureGps},
        CommandCase{"SetGpsModeWithoutMode", setGpsMode, with("I", "gpsState", 4), cErrorParameterMissing, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Facade, CommandsRefuseWhatIsNoRecord)
{
    const Command all[] = {enterPin, changePin, setPinMode, connect, setRadioState, selectNetwork, setNetworkTechnology,
                           setGpsMode, configure, registerClient};
    int foreign = 42;
    for (const Command& command : all) {
        EXPECT_EQ(command(nullptr), cErrorInvalidParameters);
        EXPECT_EQ(command(reinterpret_cast<const CvParameters*>(&foreign)), cErrorInvalidParameters);
    }
}

TEST_F(Facade, CommandsWithoutRecordPublishEmptyParameters)
{
    SignalRecorder signals(CorvaneController::instance().hub());
    EXPECT_EQ(disconnect(), cNoError);
    EXPECT_EQ(scanNetworks(), cNoError);
    const auto events = signals.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->sig, sigDiscReq);
    EXPECT_EQ(events[1]->sig, sigScan);
    EXPECT_TRUE(events[0]->parameters.isEmpty());
}

// --- client tables -----------------------------------------------------------------------

TEST_F(Facade, RegisterClientNeedsOneOfTheTables)
{
    EXPECT_EQ(registerJournal(), cNoError);
    EXPECT_EQ(registerClient(recordOf(buildDictionary("I", "unrelated", std::int64_t{1})).get()),
              cErrorParameterMissing);
    // An empty table changes nothing either.
    Dictionary emptyClient;
    emptyClient.setDictionary(key::clientTrait, Dictionary{});
    EXPECT_EQ(registerClient(recordOf(emptyClient).get()), cNoError);

    ASSERT_EQ(start(), cNoError); // libraryState 0 must still reach the journal's callback
    EXPECT_TRUE(journal.waitForSummary({"library 0"}));
    EXPECT_EQ(journal.entries()[0].record.address(key::clientContext), &clientContext);
}

TEST_F(Facade, ConfigureTakesDatabasePathAndThreadSwitch)
{
    EXPECT_EQ(configure(recordOf(buildDictionary("I", "other", std::int64_t{1})).get()), cErrorInvalidParameters);
    EXPECT_EQ(configure(recordOf(buildDictionary("I", key::disablePthreads, std::int64_t{1})).get()), cNoError);
    EXPECT_EQ(configure(recordOf(buildDictionary("s", key::databasePath, "/tmp/orvanta-test.db")).get()), cNoError);
    ASSERT_EQ(start(), cNoError);
    EXPECT_EQ(CorvaneController::instance().databasePath(), "/tmp/orvanta-test.db");
}

// --- queries -----------------------------------------------------------------------------

TEST_F(Facade, GetParametersAnswersKnownKeysInTheRequestsOrder)
{
    trait.react("readConnectionStatistics", [](Dictionary& statistics) {
        statistics.setInteger(key::volumeDown, 1024);
        return 0;
    });
    registerJournal();
    ASSERT_EQ(start(), cNoError);
    ASSERT_TRUE(journal.waitForSummary({"library 0", "device 0"}));

    Dictionary request;
    request.setInteger("unknownKey", 0);
    request.setInteger(key::libraryVersion, 0);
    request.setInteger(key::libraryState, 0);
    request.setInteger(key::connectionStatistics, 0);
    Record answer{getParameters(recordOf(request).get())};
    ASSERT_NE(answer, nullptr);
    const Dictionary& values = record::checked(answer.get())->dictionary;
    EXPECT_EQ(values.toString(), "(dict (libraryVersion \"0.0d0-00\") (libraryState 0) "
                                 "(connectionStatistics (dict (volumeDown 1024))))");

    Record nothing{getParameters(nullptr)};
    ASSERT_NE(nothing, nullptr);
    EXPECT_TRUE(record::checked(nothing.get())->dictionary.isEmpty());
}

TEST_F(Facade, GetParametersBeforeTheLibraryKnowsTheVersionOnly)
{
    CorvaneController::destroyInstance();
    Record answer{getParameters(recordOf(buildDictionary("II", "libraryVersion", std::int64_t{0}, "gpsState",
                                                         std::int64_t{0}))
                                    .get())};
    EXPECT_EQ(record::checked(answer.get())->dictionary.toString(), "(dict (libraryVersion \"0.0d0-00\"))");
}

// --- the library machine -----------------------------------------------------------------

TEST_F(Facade, StartReportsInitialisingThenInitialised)
{
    trait.react("initialise", [](Dictionary&) {
        publish(sigLibInitialised);
        return 0;
    });
    registerJournal();
    const std::thread::id client = std::this_thread::get_id();
    ASSERT_EQ(start(), cNoError);
    // Raised inside initialise: on the client's own thread, before it returned.
    const auto early = journal.entries();
    ASSERT_GE(early.size(), 3u);
    EXPECT_EQ(early[0].what, key::clientLibraryState);
    EXPECT_EQ(early[0].thread, client);
    EXPECT_EQ(early[1].what, key::clientDeviceState);
    EXPECT_EQ(early[1].thread, client);
    EXPECT_EQ(early[2].what, "trait:initialise");

    ASSERT_TRUE(journal.waitForSummary({"library 0", "device 0", "trait:initialise", "library 1"}));
    EXPECT_NE(journal.entries()[3].thread, client);
}

TEST_F(Facade, StartFailureReportsTheErrorWithTheCommandThenInitFailure)
{
    trait.react("initialise", [](Dictionary&) {
        publishError(cErrorInitFailed);
        return 0;
    });
    registerJournal();
    ASSERT_EQ(start(), cNoError);
    ASSERT_TRUE(journal.waitForSummary({"library 0", "device 0", "trait:initialise", "error 6", "library 2",
                                        "trait:shutdown"}));
}

TEST_F(Facade, LaterErrorCarriesTheFailedCommandsParameters)
{
    ASSERT_TRUE(startInitialised());

    ASSERT_EQ(setGpsMode(recordOf(buildDictionary("I", key::gpsMode, std::int64_t{4})).get()), cNoError);
    publish(sigError); // no "lastError": reported as 0
    ASSERT_TRUE(journal.waitUntil([](const auto& entries) {
        return std::any_of(entries.begin(), entries.end(),
                           [](const JournalEntry& e) { return e.what == key::clientTraitError; });
    }));
    for (const JournalEntry& entry : journal.entries()) {
        if (entry.what != key::clientTraitError)
            continue;
        EXPECT_EQ(entry.record.integer(key::lastError), cNoError);
        EXPECT_EQ(entry.record.dictionary(key::functionParameters).integer(key::gpsMode), 4);
    }
}

TEST_F(Facade, UpdatesReachTheClientOnTheControllersThread)
{
    ASSERT_TRUE(startInitialised());
    publishUpdate(buildDictionary("s", key::gpsDataPort, "ttyUSB3"));
    ASSERT_TRUE(journal.waitForSummary({"library 0", "device 0", "trait:initialise", "library 1", "update"}));
    EXPECT_EQ(std::string(journal.entries()[4].record.string(key::gpsDataPort)), "ttyUSB3");

    Record answer{getParameters(recordOf(buildDictionary("I", key::gpsDataPort, std::int64_t{0})).get())};
    EXPECT_EQ(std::string(record::checked(answer.get())->dictionary.string(key::gpsDataPort)), "ttyUSB3");
}

TEST_F(Facade, InitialiseTwiceOnlyReplacesTheParameters)
{
    registerJournal();
    ASSERT_EQ(start(2), cNoError);
    ASSERT_EQ(start(3), cNoError);
    EXPECT_EQ(CorvaneController::instance().initialParameters().integer(key::libraryInitMode), 3);
    EXPECT_EQ(journal.summary(), (Summary{"library 0", "device 0", "trait:initialise"}));
}

TEST_F(Facade, CloseReportsClosedOnTheCallersThreadBeforeReturning)
{
    registerJournal();
    ASSERT_EQ(start(), cNoError);
    journal.clear();
    EXPECT_EQ(closeLibrary(), cNoError);
    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].what, "trait:shutdown");
    EXPECT_EQ(entries[1].what, key::clientLibraryState);
    EXPECT_EQ(entries[1].record.integer(key::libraryState), lmClosed);
    EXPECT_EQ(entries[1].thread, std::this_thread::get_id());
    EXPECT_EQ(CorvaneController::existing(), nullptr);
    EXPECT_EQ(closeLibrary(), cNoError); // nothing left to close
}

TEST_F(Facade, CardArrivalInGpsOnlyModeReachesTheClient)
{
    trait.react("initDevice", [](Dictionary& parameters) {
        EXPECT_EQ(parameters.integer(key::libraryInitMode), 2);
        publish(sigGpsEnabled);
        publish(sigDone);
        return 0;
    });
    ASSERT_TRUE(startInitialised(2));
    journal.clear();
    publish(sigArrival);
    ASSERT_TRUE(journal.waitForSummary(
        {"device 1", "device 2", "trait:initDevice", "support 1", "gps 0", "trait:initGps", "device 4"}));
    publish(sigReadGps);
    ASSERT_TRUE(journal.waitForSummary({"device 1", "device 2", "trait:initDevice", "support 1", "gps 0",
                                        "trait:initGps", "device 4", "gps 1", "gps 2"}));
}

TEST(EnumerationNames, ComeFromTheirTables)
{
    EXPECT_EQ(enumName(lmClosed), "lmClosed");
    EXPECT_EQ(enumName(devmBusy), "devmBusy");
    EXPECT_EQ(enumName(cNone), "cNone(AUTO?)");
    EXPECT_EQ(enumName(cPinKindCorpPersPukRequired), "cPinKindCorpPersPukRequired");
    EXPECT_EQ(enumName(static_cast<LibraryState>(4)), "???");
    EXPECT_EQ(enumName(static_cast<ConnectionState>(-1)), "???");
}

// Clients send and receive these as plain numbers; a value that moved would switch the
// receiver the wrong way or show the wrong state without any compiler noticing.
struct ClientValue {
    long long number;
    std::string_view name;
    long long expectedNumber;
    std::string_view expectedName;
};

template <class Enumeration>
ClientValue clientValue(Enumeration value, long long expectedNumber, std::string_view expectedName)
{
    return {value, enumName(value), expectedNumber, expectedName};
}

TEST(EnumerationNames, GpsAndInitialisationModesKeepTheirNumbers)
{
    const ClientValue rows[] = {
        clientValue(cGpsModeOff, 0, "cGpsModeOff"),
        clientValue(cGpsModeOn, 1, "cGpsModeOn"),
        clientValue(cGpsModeStopReading, 2, "cGpsModeStopReading"),
        clientValue(cGpsModeRead, 4, "cGpsModeRead"),
        clientValue(static_cast<GpsMode>(3), 3, "???"),
        clientValue(static_cast<GpsMode>(5), 5, "???"),
        clientValue(gpsOff, 0, "gpsOff"),
        clientValue(gpsActive, 1, "gpsActive"),
        clientValue(gpsReading, 2, "gpsReading"),
        clientValue(gpsSearching, 3, "gpsSearching"),
        clientValue(static_cast<GpsState>(4), 4, "???"),
        clientValue(static_cast<GpsState>(-1), -1, "???"),
        clientValue(cInitModeFull, 0, "cInitModeFull"),
        clientValue(cInitModeFullAlias, 1, "cInitModeFullAlias"),
        clientValue(cInitModeGpsOnly, 2, "cInitModeGpsOnly"),
        clientValue(cInitModeFullAndGps, 3, "cInitModeFullAndGps"),
        clientValue(static_cast<InitMode>(4), 4, "???"),
    };
    for (const ClientValue& row : rows) {
        SCOPED_TRACE(std::string(row.expectedName) + " " + std::to_string(row.expectedNumber));
        EXPECT_EQ(row.number, row.expectedNumber);
        EXPECT_EQ(row.name, row.expectedName);
    }
}

} // namespace
} // namespace Corvane::testing
