// The device trait's operations that work on the caller's thread.

#include "corvane/traits/QdDeviceTrait.h"

#include "corvane/Keys.h"
#include "tests/corvane/traits/QdTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using testing::FakeQdBackend;
using testing::SignalLog;

constexpr int notSupported = static_cast<int>(0x84000007);
constexpr int noDevice = static_cast<int>(0x84000009);

class QdDeviceTraitCalls : public ::testing::Test {
protected:
    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    SignalLog log;
    QdConnectionStatistics statistics;
    QdClient client{log, statistics};
    QdDeviceTrait trait{client, log};
};

TEST_F(QdDeviceTraitCalls, ConfigureGpsSwitchesReadsAndStops)
{
    struct Row {
        const char* name;
        std::optional<int> gpsMode;
        int receiver; // what QdGetGpsState answers
        std::vector<std::pair<const char*, int>> results;
        std::vector<std::string> calls;
        std::vector<Signal> signals;
        int returned;
    };
    const std::vector<Row> rows = {
        {"no mode", std::nullopt, 1, {}, {}, {}, cNoError},
        {"off while on", 0, 1, {}, {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(0)", "QdExitGps()"}, {sigDeactivateGps}, cNoError},
        {"off while off", 0, 0, {}, {"QdInitGps()", "QdGetGpsState()", "QdExitGps()"}, {}, cNoError},
        {"off, switch fails, close works", 0, 1, {{"QdSetGpsState", noDevice}},
         {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(0)", "QdExitGps()"}, {}, cNoError},
        {"off, close fails", 0, 0, {{"QdExitGps", noDevice}}, {"QdInitGps()", "QdGetGpsState()", "QdExitGps()"},
         {sigError}, cErrorDeviceNotFound},
        {"on", 1, 0, {}, {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(1)", "QdExitGps()"}, {sigActivateGps}, cNoError},
        {"on, switch fails", 1, 0, {{"QdSetGpsState", noDevice}},
         {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(1)", "QdExitGps()"}, {}, cNoError},
        {"stop", 2, 1, {}, {"QdInitGps()", "QdGetGpsState()", "QdExitGps()"}, {sigStopGps}, cNoError},
        {"stop, close fails", 2, 1, {{"QdExitGps", notSupported}}, {"QdInitGps()", "QdGetGpsState()", "QdExitGps()"},
         {sigError}, cErrorNotSupported},
        {"read while on", 4, 1, {}, {"QdInitGps()", "QdGetGpsState()"}, {sigReadGps}, cNoError},
        {"read while off", 4, 0, {}, {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(1)"}, {sigReadGps}, cNoError},
        {"read, switch fails", 4, 0, {{"QdSetGpsState", noDevice}}, {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(1)"},
         {sigError}, cErrorDeviceNotFound},
        {"read, state unknown", 4, 1, {{"QdGetGpsState", noDevice}},
         {"QdInitGps()", "QdGetGpsState()", "QdSetGpsState(1)"}, {sigReadGps}, cNoError},
        {"open fails", 1, 0, {{"QdInitGps", noDevice}}, {"QdInitGps()"}, {sigError}, cErrorDeviceNotFound},
        {"mode 3", 3, 0, {}, {}, {}, cErrorNotSupported},
        {"mode 7", 7, 0, {}, {}, {}, cErrorNotSupported},
        {"mode -1", -1, 0, {}, {}, {}, cErrorNotSupported},
    };
    for (const Row& row : rows) {
        FakeQdBackend fresh;
        ScopedQdBackend scoped(fresh);
        SignalLog signals;
        QdDeviceTrait rowTrait(client, signals);
        fresh.setOutput("QdGetGpsState", row.receiver);
        for (const auto& [call, result] : row.results)
            fresh.setResult(call, result);
        Dictionary parameters;
        if (row.gpsMode)
            parameters.setInteger(key::gpsMode, *row.gpsMode);

        EXPECT_EQ(rowTrait.configureGps(parameters), row.returned) << row.name;
        EXPECT_EQ(fresh.calls(), row.calls) << row.name;
        EXPECT_EQ(signals.signals(), row.signals) << row.name;
    }
}

TEST_F(QdDeviceTraitCalls, SelectNetworkPassesTheCopsModeAndTheCodeAsText)
{
    struct Row {
        int selectionMode;
        const char* call;
    };
    const Row rows[] = {
        {0, "QdSetNetworkSelectionMode(0, \"0\", 0)"},
        {1, "QdSetNetworkSelectionMode(1, \"26201\", 2)"},
        {2, "QdSetNetworkSelectionMode(4, \"26201\", 2)"},
        {3, "QdSetNetworkSelectionMode(99, \"26201\", 2)"},
        {-5, "QdSetNetworkSelectionMode(99, \"26201\", 2)"},
    };
    for (const Row& row : rows) {
        backend.clearCalls();
        Dictionary parameters;
        parameters.setInteger(key::networkSelectionMode, row.selectionMode);
        parameters.setInteger(key::mccmnc, 26201);
        parameters.setInteger(key::networkTechnology, 2);
        EXPECT_EQ(trait.selectNetwork(parameters), cNoError);
        EXPECT_EQ(backend.calls(), std::vector<std::string>{row.call});
    }
    EXPECT_TRUE(log.published().empty());
}

TEST_F(QdDeviceTraitCalls, SelectNetworkWritesTheCodeWithItsLeadingZeros)
{
    const std::pair<std::int64_t, const char*> rows[] = {
        {101, "QdSetNetworkSelectionMode(1, \"00101\", 0)"},
        {1001, "QdSetNetworkSelectionMode(1, \"01001\", 0)"},
        {26201, "QdSetNetworkSelectionMode(1, \"26201\", 0)"},
        {302720, "QdSetNetworkSelectionMode(1, \"302720\", 0)"},
    };
    for (const auto& [mccmnc, call] : rows) {
        backend.clearCalls();
        Dictionary parameters;
        parameters.setInteger(key::networkSelectionMode, 1);
        parameters.setInteger(key::mccmnc, mccmnc);
        EXPECT_EQ(trait.selectNetwork(parameters), cNoError);
        EXPECT_EQ(backend.calls(), std::vector<std::string>{call});
    }
    // No card knows a code of seven digits or a negative one: refused before the backend.
    for (const std::int64_t wrong : {std::int64_t{-1}, std::int64_t{1000000}}) {
        backend.clearCalls();
        Dictionary parameters;
        parameters.setInteger(key::networkSelectionMode, 1);
        parameters.setInteger(key::mccmnc, wrong);
        EXPECT_EQ(trait.selectNetwork(parameters), cErrorValueInvalid);
        EXPECT_TRUE(backend.calls().empty());
    }
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigError, sigError}));
}

TEST_F(QdDeviceTraitCalls, SetNetworkTechnologyMapsTheModes)
{
    const std::pair<int, const char*> rows[] = {
        {1, "QdSetTechnologySelectionMode(0)"},
        {2, "QdSetTechnologySelectionMode(1)"},
        {0, "QdSetTechnologySelectionMode(3)"},
        {9, "QdSetTechnologySelectionMode(3)"},
    };
    for (const auto& [technology, call] : rows) {
        backend.clearCalls();
        Dictionary parameters;
        parameters.setInteger(key::networkTechnology, technology);
        EXPECT_EQ(trait.setNetworkTechnology(parameters), cNoError);
        EXPECT_EQ(backend.calls(), std::vector<std::string>{call});
    }
}

TEST_F(QdDeviceTraitCalls, SettersReportFailuresAndMissingKeys)
{
    Dictionary none;
    EXPECT_EQ(trait.changePin(none), cErrorParameterMissing);
    EXPECT_TRUE(log.published().empty());
    EXPECT_EQ(trait.setPinMode(none), cErrorParameterMissing);
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigError});
    EXPECT_EQ(log.published()[0].record.integer(key::lastError), cErrorParameterMissing);
    EXPECT_TRUE(backend.calls().empty());
    log.clear();

    Dictionary pin;
    pin.setString(key::pin, "1234");
    EXPECT_EQ(trait.changePin(pin), cNoError);
    pin.setInteger(key::pinMode, 5);
    EXPECT_EQ(trait.setPinMode(pin), cNoError);
    EXPECT_EQ(backend.calls(), (std::vector<std::string>{"QdChangePinCode(\"1234\", \"\")", "QdSetPinMode(1, \"1234\")"}));
    EXPECT_TRUE(log.published().empty());

    backend.setResult("QdChangePinCode", static_cast<int>(0x84010010));
    pin.setString(key::newPin, "4321");
    EXPECT_EQ(trait.changePin(pin), cErrorIncorrectPassword);
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigError});
    EXPECT_EQ(log.published()[0].record.integer(key::lastError), cErrorIncorrectPassword);
}

TEST_F(QdDeviceTraitCalls, InitSmsAndShutdown)
{
    Dictionary none;
    EXPECT_EQ(trait.initSms(none), cNoError);
    backend.setResult("QdSetSmsConcatenationSupport", notSupported);
    EXPECT_EQ(trait.initSms(none), cErrorInitFailed);
    EXPECT_EQ(trait.shutdown(none), cNoError);
    backend.setResult("QdShutdown", noDevice);
    EXPECT_EQ(trait.shutdown(none), cErrorDeviceNotFound);
    EXPECT_EQ(backend.calls(), (std::vector<std::string>{"QdSetSmsConcatenationSupport(1)", "QdSetSmsConcatenationSupport(1)",
                                                         "QdShutdown()", "QdShutdown()"}));
    EXPECT_EQ(log.signals(), std::vector<Signal>{sigError});
}

TEST_F(QdDeviceTraitCalls, ReadRadioInfoTellsWhatTheCardHas)
{
    backend.setOutput("QdGetCurrentRadioState", 1);
    backend.setOutput("QdHasSmartAntenna", 1);
    backend.setOutput("QdGetSmartAntennaPosition", 1);
    backend.setOutput("QdGetHwSwitchState", 3);
    Dictionary record;
    EXPECT_EQ(trait.readRadioInfo(record), cNoError);
    EXPECT_EQ(record.integer(key::radioState), 1);
    EXPECT_EQ(record.integer(key::smartAntennaPosition), 0);
    EXPECT_EQ(record.integer(key::hwSwitchState), 0);
    EXPECT_EQ(record.integer(key::radioSupport), 2);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigRadioSupport, sigRadioOn, sigAntennaOut, sigRadioOff, sigUpdate}));
}

// The hardware switch next to the radio's own state: a switch that is on lets the radio
// be off (flight mode chosen by the user), one that is off holds it off.
struct RadioSwitchCase {
    const char* name;
    int radioState; // QdGetCurrentRadioState: 1 on, 0 off
    int hwSwitch;   // QdGetHwSwitchState: 1 none, 2 on, 3 off
    std::vector<Signal> published;
};

class RadioSwitchCalls : public QdDeviceTraitCalls, public ::testing::WithParamInterface<RadioSwitchCase> {};

TEST_P(RadioSwitchCalls, SwitchNeverTellsTheRadioOnWhenItIsOff)
{
    const RadioSwitchCase& c = GetParam();
    backend.setOutput("QdGetCurrentRadioState", c.radioState);
    backend.setOutput("QdGetHwSwitchState", c.hwSwitch);
    Dictionary record;
    EXPECT_EQ(trait.readRadioInfo(record), cNoError);
    EXPECT_EQ(log.signals(), c.published);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadioSwitchCalls,
    ::testing::Values(
        RadioSwitchCase{"OnWithTheSwitchOn", 1, 2, {sigRadioSupport, sigRadioOn, sigRadioOn, sigUpdate}},
        RadioSwitchCase{"OffWithTheSwitchOn", 0, 2, {sigRadioSupport, sigRadioOff, sigUpdate}},
        RadioSwitchCase{"OnWithTheSwitchOff", 1, 3, {sigRadioSupport, sigRadioOn, sigRadioOff, sigUpdate}},
        RadioSwitchCase{"OffWithoutASwitch", 0, 1, {sigRadioSupport, sigRadioOff, sigUpdate}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(QdDeviceTraitCalls, ReadNetworkInfoPublishesTheCurrentNetwork)
{
    backend.networkInformation = testing::scanEntry(26201, 2, "Telekom.de", "TDG", 2);
    Dictionary record;
    EXPECT_EQ(trait.readNetworkInfo(record), cNoError);
    EXPECT_EQ(record.integer(key::mccmnc), 26201);
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigUpdate});
    EXPECT_STREQ(log.published()[0].record.string(key::shortNetworkName), "TDG");

    // A card that cannot tell still answers with an update, only without the network.
    log.clear();
    backend.setResult("QdGetNetworkInformation", noDevice);
    Dictionary unknown;
    EXPECT_EQ(trait.readNetworkInfo(unknown), cNoError);
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigUpdate});
    EXPECT_FALSE(log.published()[0].record.hasKey(key::mccmnc));
}

} // namespace
} // namespace Corvane
