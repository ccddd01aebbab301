#include "corvane/fsm/DeviceFSM.h"

#include "corvane/ClientNotifications.h"
#include "corvane/Keys.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/Publish.h"
#include "tests/corvane/support/LibraryFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Summary = std::vector<std::string>;

class DeviceMachine : public LibraryFixture {
protected:
    // "libraryInitMode" as initialise() would have kept it; none when absent.
    void startWith(std::optional<std::int64_t> mode)
    {
        Dictionary parameters;
        if (mode)
            parameters.setInteger(key::libraryInitMode, *mode);
        controller->setInitialParameters(parameters);
    }
};

// Paths from the initial state, with the full initialisation (mode 3).
const std::vector<Signal> toInitialising{sigArrival};
const std::vector<Signal> toInitFailure{sigArrival, sigError};
const std::vector<Signal> toSimInitialising{sigArrival, sigDone};
const std::vector<Signal> toNoSim{sigArrival, sigDone, sigSimMissing};
const std::vector<Signal> toBusyWithoutSim{sigArrival, sigDone, sigSimMissing, sigDeviceBusy};
const std::vector<Signal> toSimInserted{sigArrival, sigDone, sigInitialised};
const std::vector<Signal> toBusyWithSim{sigArrival, sigDone, sigInitialised, sigDeviceBusy};
const std::vector<Signal> toSimBlocked{sigArrival, sigDone, sigInitialised, sigSimBlocked};
const std::vector<Signal> toBusyWithBlockedSim{sigArrival, sigDone, sigInitialised, sigSimBlocked, sigDeviceBusy};

// The PIN/PUK machine starts quietly in "idle", the radio machine initialises the radio,
// then the SIM initialisation starts.
const std::vector<std::string> simMachinesStarted{"device 4", "trait:initRadio", "trait:initSim"};

struct DeviceCase {
    const char* name;
    std::optional<std::int64_t> mode;
    std::vector<Signal> path;
    Signal signal;
    Summary seen; // client notifications and trait operations, in order
    const char* end;
};

class DeviceTransitions : public DeviceMachine, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceTransitions, ClientAndTraitSeeExactlyThis)
{
    const DeviceCase& c = GetParam();
    startWith(c.mode);
    DeviceFSM device(*controller);
    device.init();
    for (Signal s : c.path)
        send(device, s);
    journal.clear();

    send(device, c.signal, buildDictionary("I", key::gpsMode, std::int64_t{4}));
    EXPECT_EQ(journal.summary(), c.seen);
    EXPECT_EQ(device.currentStateName(), std::string("DeviceFSM::") + c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceTransitions,
    ::testing::Values(
        DeviceCase{"ArrivalStartsTheDeviceInitialisation", 3, {}, sigArrival,
                   {"device 1", "device 2", "trait:initDevice"}, "deviceInitialising"},
        DeviceCase{"DepartureWithoutACardIsDropped", 3, {}, sigDeparture, {}, "noDevice"},
        DeviceCase{"InitialisationError", 3, toInitialising, sigError, {"device 3"}, "deviceInitFailure"},
        DeviceCase{"FullInitialisationGoesOnToTheSim", 3, toInitialising, sigDone, simMachinesStarted,
                   "simInitialising"},
        DeviceCase{"ModeZeroGoesOnToTheSim", 0, toInitialising, sigDone, simMachinesStarted,
                   "simInitialising"},
        DeviceCase{"ModeOneGoesOnToTheSim", 1, toInitialising, sigDone, simMachinesStarted,
                   "simInitialising"},
        DeviceCase{"NoModeGoesOnToTheSim", std::nullopt, toInitialising, sigDone, simMachinesStarted,
                   "simInitialising"},
        DeviceCase{"GpsOnlyModeStaysInitialising", 2, toInitialising, sigDone, {"device 4"}, "deviceInitialising"},
        DeviceCase{"SimReady", 3, toSimInitialising, sigInitialised, {"trait:readSimInfo"}, "simInserted"},
        DeviceCase{"SimMissing", 3, toSimInitialising, sigSimMissing, {"device 5"}, "noSimInserted"},
        DeviceCase{"SimBlockedDuringSimInitialisation", 3, toSimInitialising, sigSimBlocked,
                   {"trait:readSimInfo", "device 6"}, "simBlocked"},
        DeviceCase{"RadioOnRestartsTheSimInitialisation", 3, toSimInitialising, sigRadioOn, {"trait:initSim"},
                   "simInitialising"},
        DeviceCase{"BusyWithoutSim", 3, toNoSim, sigDeviceBusy, {"device 7"}, "busyWithoutSim"},
        DeviceCase{"DoneWithoutSim", 3, toBusyWithoutSim, sigDeviceDone, {"device 5"}, "noSimInserted"},
        DeviceCase{"SimBlockedWhileInserted", 3, toSimInserted, sigSimBlocked, {"device 6"}, "simBlocked"},
        DeviceCase{"BusyWithSim", 3, toSimInserted, sigDeviceBusy, {"device 7"}, "busyWithSimInserted"},
        DeviceCase{"DoneWithSimDoesNotReenterTheSimState", 3, toBusyWithSim, sigDeviceDone, {"device 4"},
                   "simInserted"},
        DeviceCase{"BusyWithBlockedSim", 3, toSimBlocked, sigDeviceBusy, {"device 7"}, "busyWithBlockedSim"},
        DeviceCase{"DoneWithBlockedSim", 3, toBusyWithBlockedSim, sigDeviceDone, {"device 6"}, "simBlocked"},
        DeviceCase{"DepartureWhileBusyLeavesInOrder", 3, toBusyWithSim, sigDeparture,
                   {"gps 0", "support 0", "device 4", "device 0"}, "noDevice"},
        DeviceCase{"DepartureAfterAFailure", 3, toInitFailure, sigDeparture, {"gps 0", "support 0", "device 0"},
                   "noDevice"},
        DeviceCase{"ResetStartsTheInitialisationAgain", 3, toSimInserted, sigReset, {"device 2", "trait:initDevice"},
                   "deviceInitialising"},
        DeviceCase{"ErrorOutsideTheInitialisationChangesNothing", 3, toSimInserted, sigError, {}, "simInserted"},
        DeviceCase{"GpsConfigurationGoesToTheTrait", 2, toInitialising, sigConfigureGps, {"trait:configureGps"},
                   "deviceInitialising"},
        DeviceCase{"GpsEnabledStartsTheGpsMachine", 2, toInitialising, sigGpsEnabled,
                   {"support 1", "gps 0", "trait:initGps"}, "deviceInitialising"},
        DeviceCase{"GpsDisabled", 2, toInitialising, sigGpsDisabled, {"gps 0", "support 0"}, "deviceInitialising"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceMachine, GpsConfigurationCarriesTheClientsRecord)
{
    DeviceFSM device(*controller);
    device.init();
    send(device, sigArrival);
    journal.clear();
    send(device, sigConfigureGps, buildDictionary("I", key::gpsMode, std::int64_t{4}));
    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].record.integer(key::gpsMode), 4);
}

TEST_F(DeviceMachine, TwoGpsEnabledMakeOneGpsMachine)
{
    startWith(2);
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigDone});
    journal.clear();
    send(device, {sigGpsEnabled, sigGpsEnabled});
    EXPECT_EQ(journal.summary(), (Summary{"support 1", "gps 0", "trait:initGps", "support 1"}));
    EXPECT_TRUE(device.hasGpsMachine());
    send(device, sigGpsDisabled);
    EXPECT_FALSE(device.hasGpsMachine());
}

TEST_F(DeviceMachine, GpsOnlyModeStillServesGps)
{
    startWith(2);
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigDone, sigGpsEnabled, sigConfigureGps});
    EXPECT_EQ(device.currentStateName(), "DeviceFSM::deviceInitialising");
    EXPECT_TRUE(device.hasGpsMachine());
    const Summary seen = journal.summary();
    EXPECT_EQ(seen.back(), "trait:configureGps");
}

TEST_F(DeviceMachine, LeavingThePresentCardEndsTheGpsMachine)
{
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigGpsEnabled});
    ASSERT_TRUE(device.hasGpsMachine());
    send(device, sigDeparture);
    EXPECT_FALSE(device.hasGpsMachine());
}

TEST_F(DeviceMachine, EachArrivalNumbersTheDevice)
{
    const std::int64_t before = currentDeviceId();
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigDeparture, sigArrival});

    std::vector<std::int64_t> ids;
    for (const JournalEntry& entry : journal.entries())
        if (entry.what == key::clientDeviceState)
            ids.push_back(entry.record.integer(key::deviceId) - before);
    // removed (before any card), arrived and initialising (first card), removed, the second card
    EXPECT_EQ(ids, (std::vector<std::int64_t>{0, 1, 1, 1, 2, 2}));
}

class DeviceSimMachines : public DeviceMachine, public ::testing::WithParamInterface<std::optional<std::int64_t>> {};

TEST_P(DeviceSimMachines, FullModesCreateThePinPukAndRadioMachinesOnce)
{
    startWith(GetParam());
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigDone});
    EXPECT_TRUE(device.hasPinPukMachine());
    EXPECT_TRUE(device.hasRadioMachine());
    // The full initialisation's second sigDone, then a reset that initialises again.
    send(device, {sigDone, sigReset, sigDone});
    const Summary seen = journal.summary();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "trait:initRadio"), 1);
    EXPECT_EQ(device.currentStateName(), "DeviceFSM::simInitialising");
}

INSTANTIATE_TEST_SUITE_P(Modes, DeviceSimMachines,
                         ::testing::Values(std::optional<std::int64_t>{0}, std::optional<std::int64_t>{1},
                                           std::optional<std::int64_t>{3}, std::optional<std::int64_t>{}),
                         [](const auto& info) {
                             return info.param ? "Mode" + std::to_string(*info.param) : std::string("NoMode");
                         });

TEST_F(DeviceMachine, GpsOnlyModeCreatesNoSimMachines)
{
    startWith(2);
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigDone});
    EXPECT_FALSE(device.hasPinPukMachine());
    EXPECT_FALSE(device.hasRadioMachine());
}

TEST_F(DeviceMachine, TheCardLeavingEndsPinPukRadioAndGpsInThatOrder)
{
    LogCapture log("corvane.fsm");
    DeviceFSM device(*controller);
    device.init();
    send(device, {sigArrival, sigGpsEnabled, sigDone, sigInitialised});
    ASSERT_TRUE(device.hasPinPukMachine() && device.hasRadioMachine() && device.hasGpsMachine());
    send(device, sigDeparture);
    EXPECT_FALSE(device.hasPinPukMachine() || device.hasRadioMachine() || device.hasGpsMachine());

    std::vector<std::string> ends;
    for (const std::string& line : log.messages(log4cplus::DEBUG_LOG_LEVEL))
        if (line.rfind("~", 0) == 0)
            ends.push_back(line);
    EXPECT_EQ(ends, (std::vector<std::string>{"~PinPukFSM() - Exit", "~RadioFSM() - Exit", "~GpsFSM() - Exit"}));
}

TEST_F(DeviceMachine, TheMachineGoingEndsItsChildren)
{
    LogCapture log("corvane.fsm");
    {
        DeviceFSM device(*controller);
        device.init();
        send(device, {sigArrival, sigDone, sigGpsEnabled});
    }
    std::vector<std::string> ends;
    for (const std::string& line : log.messages(log4cplus::DEBUG_LOG_LEVEL))
        if (line.rfind("~", 0) == 0)
            ends.push_back(line);
    EXPECT_EQ(ends, (std::vector<std::string>{"~PinPukFSM() - Exit", "~RadioFSM() - Exit", "~GpsFSM() - Exit",
                                              "~DeviceFSM() - Exit"}));
}

// The machines as they run: each on its thread, reached only through the hub, so that
// each hears the signals it subscribed to.
TEST_F(DeviceMachine, TheSimMachinesHearTheirSignalsThroughTheHub)
{
    ActiveObjectPtr<DeviceFSM> device = makeActiveObject<DeviceFSM>(controller->hub(), *controller);
    device->subscribe();
    device->start();
    publish(sigArrival);
    publish(sigDone);
    ASSERT_TRUE(journal.waitForInOrder({"device 4", "trait:initRadio", "trait:initSim"}));

    publish(sigNeedPin, buildDictionary("III", key::pinKind, std::int64_t{2}, key::pinCount, std::int64_t{3},
                                        key::pukCount, std::int64_t{10}));
    EXPECT_TRUE(journal.waitForInOrder({"pin 3", "enterPin"}));

    publish(sigRadioSupport);
    ASSERT_TRUE(journal.waitForInOrder({"trait:initNetwork", "registration 0"}));
    publish(sigRadioOn);
    EXPECT_TRUE(journal.waitForInOrder({"radio 1", "trait:readNetworkInfo"}));
    publish(sigRoaming);
    EXPECT_TRUE(journal.waitForInOrder({"registration 4", "connection:create", "smsModule 2"}));

    publish(sigDeparture);
    EXPECT_TRUE(journal.waitForInOrder({"gps 0", "support 0", "device 0"}));
    EXPECT_TRUE(journal.waitForInOrder({"connection:delete", "smsModule 3"}));
}

TEST_F(DeviceMachine, TracesAndDestructorLine)
{
    LogCapture log("corvane.fsm.device");
    {
        DeviceFSM device(*controller);
        device.init();
        send(device, sigArrival);
    }
    const std::vector<std::string> expected = {
        "DeviceFSM::Corvane::DeviceFSM::initial",        "Corvane::DeviceFSM::noDevice: entry",
        "Corvane::DeviceFSM::noDevice: arrival",         "Corvane::DeviceFSM::noDevice: exit",
        "Corvane::DeviceFSM::devicePresent: entry",      "Corvane::DeviceFSM::devicePresent: init",
        "Corvane::DeviceFSM::deviceInitialising: entry", "~DeviceFSM() - Exit"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
}

} // namespace
} // namespace Corvane::testing
