// The backend client: its error map and operator names, what each backend event
// publishes, and the records it reads from the card.

#include "corvane/traits/QdClient.h"

#include "corvane/Keys.h"
#include "corvane/traits/OperatorNames.h"
#include "corvane/traits/QdErrorMap.h"
#include "corvane/traits/QdInformation.h"
#include "tests/corvane/traits/QdTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace Corvane {
namespace {

using testing::FakeQdBackend;
using testing::SignalLog;

TEST(QdErrorMap, ConvertsByTheWholeCodeNotItsNumberAlone)
{
    // One row of each family, and the same numbers in the families that have no row: a
    // conversion that looked only at the low bits would mistake them.
    const std::pair<std::uint32_t, ErrorCode> rows[] = {
        {0x84000002, cErrorInternalTimeout},   // the library's own code
        {0x84010010, cErrorIncorrectPassword}, // "+CME ERROR: 16"
        {0x84010385, cErrorSimBlocked},        // "+CME ERROR: 901", beyond one byte
        {0x84020010, cErrorUnknown},           // "+CMS ERROR: 16"
        {0x80070002, cErrorUnknown},           // system error 2
        {0x84000010, cErrorUnknown},           // library code 16
        {0x8401000E, cErrorUnknown},           // a CME code between two rows
        {0, cErrorUnknown},                    // success has no error value of its own
    };
    for (const auto& [code, error] : rows)
        EXPECT_EQ(convertQdError(static_cast<int>(code)), error) << std::hex << code;
}

TEST(QdErrorMap, SuccessIsNoErrorOnlyThroughTheResultConversion)
{
    EXPECT_EQ(qdResultToError(0), cNoError);
    EXPECT_EQ(qdResultToError(5), cNoError);
    EXPECT_EQ(qdResultToError(static_cast<int>(0x8401000B)), cErrorPinRequired);
}

TEST(OperatorNames, ReportedNamesBecomeTheirKnownForms)
{
    struct Row {
        const char* reported;
        std::optional<std::string_view> shortName;
        std::optional<std::string_view> longName;
    };
    const Row rows[] = {
        {"Cingular", "AT&T", "AT&T"},
        {"CINGULAR", "AT&T", "AT&T"},
        {"cInGuLaR", "AT&T", "AT&T"},
        {"----", "--", std::nullopt},
        {"emobile@", "EMOBILE", "EMOBILE"},
        {"JPN EMOBILE - eMobile", "EMOBILE", "EMOBILE"},
        {"Cingular ", std::nullopt, std::nullopt},
        {"Cingula", std::nullopt, std::nullopt},
        {"Vodafone", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(operatorNames::shortForm(row.reported), row.shortName) << row.reported;
        EXPECT_EQ(operatorNames::longForm(row.reported), row.longName) << row.reported;
    }
}

class QdClientEvents : public ::testing::Test {
protected:
    // The device state the event finds, as event 0 leaves it.
    void startIn(int deviceState)
    {
        backend.setOutput("QdGetDeviceState", deviceState);
        client.handleEvent(QdEventDeviceState, nullptr);
        log.clear();
        backend.clearCalls();
    }

    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    SignalLog log;
    QdConnectionStatistics statistics;
    QdClient client{log, statistics};
};

TEST_F(QdClientEvents, EachEventPublishesItsSignals)
{
    constexpr int failure = static_cast<int>(0x84000002);
    constexpr int noCard = static_cast<int>(0x84000009);
    struct Row {
        const char* name;
        int deviceState;
        int event;
        std::vector<std::pair<const char*, int>> outputs;
        std::vector<std::pair<const char*, int>> results;
        std::vector<Signal> expected;
    };
    const std::vector<Row> rows = {
        {"searching", 3, 0, {{"QdGetDeviceState", 0}}, {}, {sigDeparture}},
        {"not found", 3, 0, {{"QdGetDeviceState", 1}}, {}, {sigDeparture}},
        {"found", 1, 0, {{"QdGetDeviceState", 2}}, {}, {sigArrival}},
        {"initialised", 2, 0, {{"QdGetDeviceState", 3}}, {}, {}},
        {"device state unreadable", 3, 0, {}, {{"QdGetDeviceState", failure}}, {sigError}},
        {"connecting", 3, 1, {{"QdGetConnectionState", 1}}, {}, {sigConnecting}},
        {"connected", 3, 1, {{"QdGetConnectionState", 2}}, {}, {sigConnectConf}},
        {"disconnecting", 3, 1, {{"QdGetConnectionState", 3}}, {}, {sigDiscConf}},
        {"disconnected", 3, 1, {{"QdGetConnectionState", 0}}, {}, {sigDiscInd}},
        {"connection state past the list", 3, 1, {{"QdGetConnectionState", 4}}, {}, {}},
        {"connection state positive result", 3, 1, {}, {{"QdGetConnectionState", 1}}, {sigError}},
        {"cs home", 3, 2, {{"QdGetCsNetworkState", 1}}, {}, {sigRegister}},
        {"cs searching", 3, 2, {{"QdGetCsNetworkState", 2}}, {}, {sigSearch}},
        {"cs denied", 3, 2, {{"QdGetCsNetworkState", 3}}, {}, {sigDenied}},
        {"cs roaming", 3, 2, {{"QdGetCsNetworkState", 5}}, {}, {sigRoaming}},
        {"cs not registered", 3, 2, {{"QdGetCsNetworkState", 0}}, {}, {sigDeregister}},
        {"cs unknown", 3, 2, {{"QdGetCsNetworkState", 4}}, {}, {sigDeregister}},
        {"cs past the list", 3, 2, {{"QdGetCsNetworkState", 6}}, {}, {}},
        {"ps roaming", 3, 3, {{"QdGetPsNetworkState", 5}}, {}, {sigRoaming}},
        {"ps unreadable", 3, 3, {}, {{"QdGetPsNetworkState", failure}}, {sigError}},
        // The values that went with a card that is not there are no error.
        {"cs without a card", 1, 2, {}, {{"QdGetCsNetworkState", noCard}}, {}},
        {"connection state without a card", 1, 1, {}, {{"QdGetConnectionState", noCard}}, {}},
        {"high speed without a card", 1, 4, {}, {{"QdGetHighSpeedState", noCard}}, {}},
        {"sim state without a card", 1, 10, {}, {{"QdIsSimInitialized", noCard}}, {}},
        {"hardware switch without a card", 1, 18, {}, {{"QdGetHwSwitchState", noCard}}, {}},
        {"edge", 3, 4, {{"QdGetHighSpeedState", 1}}, {}, {sigTechnologyChange}},
        {"hsdpa", 3, 5, {{"QdGetHighSpeedState", 0}}, {}, {sigTechnologyChange}},
        {"signal when initialised", 3, 6, {{"QdGetSignalStrength", 17}}, {}, {sigUpdate}},
        {"signal while found only", 2, 6, {{"QdGetSignalStrength", 17}}, {}, {}},
        {"wcdma signal", 3, 7, {}, {}, {sigUpdate}},
        {"wcdma signal before initialised", 1, 7, {}, {}, {}},
        {"sim initialised", 3, 10, {{"QdIsSimInitialized", 1}}, {}, {sigInitialised}},
        {"sim not yet", 3, 10, {{"QdIsSimInitialized", 0}}, {}, {}},
        {"pin accepted", 3, 11, {{"QdGetPinPukState", 1}}, {}, {sigAccept}},
        {"pin needed", 3, 11, {{"QdGetPinPukState", 2}}, {}, {sigNeedPin}},
        {"puk needed", 3, 11, {{"QdGetPinPukState", 3}}, {}, {sigNeedPin}},
        {"pin counters unreadable", 3, 11, {{"QdGetPinPukState", 2}}, {{"pinCount", failure}}, {sigError}},
        {"pin state while found only", 2, 11, {{"QdGetPinPukState", 1}}, {}, {}},
        {"pin state without sim", 3, 11, {}, {{"QdGetPinPukState", static_cast<int>(0x8401000A)}}, {sigSimMissing, sigError}},
        {"pin state failure", 3, 11, {}, {{"QdGetPinPukState", failure}}, {sigError}},
        {"pin mode", 3, 12, {{"QdGetPinMode", 1}}, {}, {sigUpdate}},
        {"pin mode before initialised", 0, 12, {{"QdGetPinMode", 1}}, {}, {}},
        {"pin mode without sim", 3, 12, {}, {{"QdGetPinMode", static_cast<int>(0x8401000A)}}, {sigSimMissing, sigError}},
        {"hardware switch", 3, 18, {{"QdGetHwSwitchState", 3}}, {}, {}},
        {"hardware switch unreadable", 3, 18, {}, {{"QdGetHwSwitchState", failure}}, {sigError}},
        {"antenna out", 3, 19, {{"QdGetSmartAntennaPosition", 1}}, {}, {sigRadioOff}},
        {"antenna in", 3, 19, {{"QdGetSmartAntennaPosition", 0}}, {}, {sigRadioOn}},
        {"antenna unreadable", 3, 19, {}, {{"QdGetSmartAntennaPosition", failure}}, {sigError}},
        {"ignored 8", 3, 8, {}, {}, {}},
        {"ignored 9", 3, 9, {}, {}, {}},
        {"ignored 13", 3, 13, {}, {}, {}},
        {"ignored 20", 3, 20, {}, {}, {}},
        {"ignored 24", 3, 24, {}, {}, {}},
        {"past the table", 3, 26, {}, {}, {}},
        {"negative", 3, -1, {}, {}, {}},
    };
    for (const Row& row : rows) {
        FakeQdBackend fresh;
        ScopedQdBackend scoped(fresh);
        SignalLog signals;
        QdClient rowClient(signals, statistics);
        fresh.setOutput("QdGetDeviceState", row.deviceState);
        rowClient.handleEvent(QdEventDeviceState, nullptr);
        signals.clear();
        for (const auto& [call, value] : row.outputs)
            fresh.setOutput(call, value);
        for (const auto& [call, value] : row.results)
            fresh.setResult(call, value);
        rowClient.handleEvent(row.event, nullptr);
        EXPECT_EQ(signals.signals(), row.expected) << row.name;
    }
}

TEST_F(QdClientEvents, TheRecordsCarryTheValues)
{
    startIn(QdDeviceInitialized);
    backend.setOutput("QdGetSignalStrength", 21);
    backend.setText("QdGetServingNetwork", "-87 dBm");
    client.handleEvent(QdEventSignalQuality, nullptr);
    client.handleEvent(QdEventWcdmaSignal, nullptr);
    backend.setOutput("QdGetPinPukState", 3);
    backend.setOutput("pinCount", 0);
    backend.setOutput("pukCount", 10);
    client.handleEvent(QdEventPinPukState, nullptr);
    backend.setOutput("QdGetPinMode", 7);
    client.handleEvent(QdEventPinMode, nullptr);
    backend.setResult("QdGetDeviceState", static_cast<int>(0x8401000B));
    client.handleEvent(QdEventDeviceState, nullptr);

    const auto published = log.published();
    ASSERT_EQ(published.size(), 5u);
    EXPECT_EQ(published[0].record.integer(key::signalStrength), 21);
    EXPECT_EQ(published[0].record.integer(key::wcdmaSignalStrength), 0);
    EXPECT_EQ(published[1].record.integer(key::signalStrength), 21);
    EXPECT_EQ(published[1].record.integer(key::wcdmaSignalStrength), -87);
    EXPECT_EQ(published[2].record.integer(key::pinKind), 3);
    EXPECT_EQ(published[2].record.integer(key::pinCount), 0);
    EXPECT_EQ(published[2].record.integer(key::pukCount), 10);
    EXPECT_EQ(published[3].record.integer(key::pinMode), 1);
    EXPECT_EQ(published[4].signal, sigError);
    EXPECT_EQ(published[4].record.integer(key::lastError), cErrorPinRequired);
    // A failed reading keeps the state: events of an initialised card still count.
    EXPECT_EQ(client.deviceState(), QdDeviceInitialized);
}

TEST_F(QdClientEvents, BuffersGoBackToTheBackend)
{
    char buffers[4][8] = {};
    client.handleEvent(QdEventStoredSms, buffers[0]);
    client.handleEvent(QdEventTemporarySms, buffers[1]);
    client.handleEvent(QdEventSmsStatusReport, buffers[2]);
    client.handleEvent(QdEventUssdMessage, buffers[3]);
    EXPECT_EQ(backend.freed(), (std::vector<void*>{buffers[0], buffers[1], buffers[2], buffers[3]}));
    EXPECT_TRUE(log.published().empty());
}

TEST_F(QdClientEvents, GpsDataIsParsedLoggedAndReleased)
{
    Orvanta::testing::LogCapture capture("corvane.quelder.client");
    char sentence[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07";
    client.handleEvent(QdEventGpsData, sentence);

    // The sentence itself first, then the fix signal and the position parsed from it.
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigGpsUpdate, sigReadGps, sigGpsUpdate}));
    EXPECT_STREQ(log.published()[0].record.string(key::gpsSentence), sentence);
    EXPECT_EQ(log.published()[0].record.count(), 1u);
    EXPECT_NEAR(log.published()[2].record.real(key::gpsLatitude), 48.1173, 1e-9);
    // The library's parser gives the records their extension.
    EXPECT_EQ(log.published()[2].record.integer(key::gpsDate), 19940323);
    EXPECT_EQ(backend.freed(), std::vector<void*>{sentence});
    EXPECT_EQ(capture.messages(log4cplus::DEBUG_LOG_LEVEL), std::vector<std::string>{sentence});
}

TEST_F(QdClientEvents, SentencesTheParserDoesNotReadStillReachTheClient)
{
    for (std::string text : {"$GPGLL,4916.45,N,12311.12,W,225444,A,*1D", "$BDGSV,1,1,01,07,40,083,46*6A",
                             "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*00", "@#garbage"}) {
        SCOPED_TRACE(text);
        log.clear();
        client.handleEvent(QdEventGpsData, text.data());
        ASSERT_EQ(log.signals(), std::vector<Signal>{sigGpsUpdate});
        EXPECT_EQ(std::string(log.published()[0].record.string(key::gpsSentence)), text);
    }
}

TEST_F(QdClientEvents, BackendErrorsAreLoggedAndPublished)
{
    Orvanta::testing::LogCapture capture("corvane.quelder.client");
    client.handleError(2, static_cast<int>(0x8401000A), 7);

    EXPECT_EQ(capture.messages(log4cplus::ERROR_LOG_LEVEL),
              std::vector<std::string>{"handleError() - Error type: 2\nPrimary code: -2080309238\nSecondary code: 7."});
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigError});
    EXPECT_EQ(log.published()[0].record.integer(key::lastError), cErrorSimMissing);
}

TEST(QdClientLogSink, BackendLinesGoToTheClientCategoryAtDebugLevel)
{
    Orvanta::testing::LogCapture capture("corvane.quelder.client");
    QdClient::logSink("Qd: port opened", nullptr);
    EXPECT_EQ(capture.messages(log4cplus::DEBUG_LOG_LEVEL), std::vector<std::string>{"Qd: port opened"});
}

TEST(QdDeviceInformation, EachKeyComesFromItsCallAndFailedCallsAreLeftOut)
{
    FakeQdBackend backend;
    backend.card.typeCode = 42;
    backend.card.vendorId = 0x1234;
    backend.card.productId = 0x5678;
    std::strcpy(backend.card.modemName, "/dev/ttyUSB0");
    std::strcpy(backend.card.applicationPort, "/dev/ttyUSB1");
    std::strcpy(backend.card.application2Port, "/dev/ttyUSB3");
    std::strcpy(backend.card.wwanAdapterName, "wwan0");
    std::strcpy(backend.card.gpsControlPort, "/dev/ttyUSB4");
    std::memset(backend.card.gpsDataPort, 'g', sizeof backend.card.gpsDataPort); // not terminated
    backend.setText("QdGetDeviceName", "Card");
    backend.setText("QdGetProductName", "Orvanta 7");
    backend.setText("QdGetFirmwareInfo", std::string(300, 'f')); // longer than the buffer
    backend.setResult("QdGetHardwareVersion", static_cast<int>(0x84000007));
    backend.setText("QdGetDriverPath", "/lib/modules/x");
    backend.setText("QdGetSerialNumber", "SN1");
    backend.setOutput("QdGetRxCode", 77);
    backend.setText("QdQueryOisov", "1.2");
    backend.setOutput("driverVersionHigh", 0x00020001);
    backend.setOutput("driverVersionLow", 0x0003FFFF);

    Dictionary record;
    readDeviceInformation(backend, record);

    EXPECT_STREQ(record.string(key::deviceModel), "42");
    EXPECT_EQ(record.integer(key::vendorId), 0x1234);
    EXPECT_EQ(record.integer(key::productId), 0x5678);
    EXPECT_STREQ(record.string(key::modemPort), "/dev/ttyUSB0");
    EXPECT_STREQ(record.string(key::appPort), "/dev/ttyUSB1");
    EXPECT_STREQ(record.string(key::app2Port), "/dev/ttyUSB3");
    EXPECT_STREQ(record.string(key::wwanName), "wwan0");
    EXPECT_STREQ(record.string(key::gpsControlPort), "/dev/ttyUSB4");
    EXPECT_EQ(std::string(record.string(key::gpsDataPort)), std::string(NkNameSize, 'g'));
    EXPECT_STREQ(record.string(key::deviceName), "Card");
    EXPECT_STREQ(record.string(key::marketingName), "Orvanta 7");
    EXPECT_EQ(std::string(record.string(key::firmwareVersion)), std::string(255, 'f'));
    EXPECT_FALSE(record.hasKey(key::hardwareVersion));
    EXPECT_STREQ(record.string(key::driverPath), "/lib/modules/x");
    EXPECT_STREQ(record.string(key::deviceSerial), "SN1");
    EXPECT_STREQ(record.string(key::rxCode), "77");
    EXPECT_STREQ(record.string(key::isoVersion), "1.2");
    EXPECT_STREQ(record.string(key::driverVersion), "2.1.3.65535");
}

TEST(QdSimInformation, EveryCallIsBracketedAndTheOwnNumberIsCutOut)
{
    FakeQdBackend backend;
    SignalLog log;
    backend.setOutput("QdIsSimInitialized", 1);
    backend.setText("QdGetImsiNumber", "262011234567890");
    backend.setResult("QdGetImeiNumber", static_cast<int>(0x84000007));
    backend.setText("QdGetOwnPhoneNumbers", "+CNUM: ,\"+4917012345\",145");
    Dictionary record;
    readSimInformation(backend, log, record);

    EXPECT_EQ(record.integer(key::simState), 1);
    EXPECT_STREQ(record.string(key::imsi), "262011234567890");
    EXPECT_FALSE(record.hasKey(key::imei));
    EXPECT_STREQ(record.string(key::ownPhoneNr), "\"+4917012345\"");
    const auto signals = log.signals();
    ASSERT_EQ(signals.size(), 16u); // eight calls
    for (std::size_t i = 0; i < signals.size(); ++i)
        EXPECT_EQ(signals[i], i % 2 == 0 ? sigDeviceBusy : sigDeviceDone) << i;
}

struct NetworkInformationCase {
    const char* name;
    std::vector<unsigned char> entry;
    int result;
    std::int64_t mccmnc; // -1: no keys at all
    const char* longName; // null: left out, as an empty text always is
    const char* shortName;
    std::int64_t state;
    std::int64_t technology;
};

class QdNetworkInformation : public ::testing::TestWithParam<NetworkInformationCase> {};

TEST_P(QdNetworkInformation, TheCurrentNetworkUnderTheLibrarysKeys)
{
    const NetworkInformationCase& c = GetParam();
    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    backend.networkInformation = c.entry;
    backend.setResult("QdGetNetworkInformation", c.result);
    SignalLog log;
    QdConnectionStatistics statistics;
    QdClient client{log, statistics};
    Dictionary record;
    record.setInteger(key::signalStrength, 17); // what the caller had stays
    client.readNetworkInfo(record);

    EXPECT_EQ(record.integer(key::signalStrength), 17);
    EXPECT_TRUE(log.signals().empty());
    if (c.mccmnc < 0) {
        for (const char* k : {key::mccmnc, key::networkState, key::longNetworkName, key::shortNetworkName,
                              key::networkTechnology})
            EXPECT_FALSE(record.hasKey(k)) << k;
        return;
    }
    EXPECT_EQ(record.integer(key::mccmnc), c.mccmnc);
    EXPECT_EQ(record.integer(key::networkState), c.state);
    EXPECT_STREQ(record.string(key::longNetworkName), c.longName);
    EXPECT_STREQ(record.string(key::shortNetworkName), c.shortName);
    EXPECT_EQ(record.hasKey(key::longNetworkName), c.longName != nullptr);
    EXPECT_EQ(record.integer(key::networkTechnology), c.technology);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QdNetworkInformation,
    ::testing::Values(
        NetworkInformationCase{"HomeNetwork", testing::scanEntry(26201, 2, "Telekom.de", "TDG", 2), 0, 26201,
                               "Telekom.de", "TDG", 2, 2},
        NetworkInformationCase{"KnownNamesBecomeTheirForms", testing::scanEntry(310410, 2, "CINGULAR", "cingular", 1),
                               0, 310410, "AT&T", "AT&T", 2, 1},
        NetworkInformationCase{"NoNameKeepsTheLongFormAndShortensTheShort",
                               testing::scanEntry(26202, 1, "----", "----", 0), 0, 26202, "----", "--", 1, 0},
        NetworkInformationCase{"EmptyNamesAreLeftOut", testing::scanEntry(1, 0, "", "", 0), 0, 1, nullptr, nullptr, 0,
                               0},
        NetworkInformationCase{"LongestNamesFillTheirFields",
                               testing::scanEntry(26203, 2, "A very long operator name beyond", "ShortNameTooLongXX",
                                                  2),
                               0, 26203, "A very long operator name beyond", "ShortNameTooLongXX", 2, 2},
        NetworkInformationCase{"FailedCallWritesNothing", testing::scanEntry(26201, 2, "Telekom.de", "TDG", 2),
                               static_cast<int>(0x84000009), -1, "", "", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QdConnectionStatistics, SpeedsAreTheChangeSinceTheLastReading)
{
    FakeQdBackend backend;
    QdConnectionStatistics statistics;
    const auto read = [&](int connectionState) {
        Dictionary record;
        record.setString("kept", "yes");
        statistics.read(backend, connectionState, record);
        EXPECT_STREQ(record.string("kept"), "yes");
        return record;
    };

    backend.statistics[0] = 1000;
    backend.statistics[1] = 5000;
    backend.statistics[2] = 10'500; // 10 s
    Dictionary first = read(2);
    EXPECT_EQ(first.integer(key::speedUp), 100);
    EXPECT_EQ(first.integer(key::speedDown), 500);
    EXPECT_EQ(first.integer(key::duration), 10);

    // Within the same second: divided by 1, not by 0.
    backend.statistics[0] = 1300;
    backend.statistics[1] = 5900;
    backend.statistics[2] = 10'900;
    Dictionary second = read(2);
    EXPECT_EQ(second.integer(key::speedUp), 300);
    EXPECT_EQ(second.integer(key::speedDown), 900);
    EXPECT_EQ(second.integer(key::volumeUp), 1300);
    EXPECT_EQ(second.integer(key::volumeDown), 5900);

    // Not connected: the last values, no speed, and the backend is not asked.
    backend.clearCalls();
    Dictionary idle = read(0);
    EXPECT_TRUE(backend.calls().empty());
    EXPECT_EQ(idle.integer(key::volumeUp), 1300);
    EXPECT_EQ(idle.integer(key::duration), 10);
    EXPECT_EQ(idle.integer(key::speedUp), 0);

    // A new connection counts from zero again: no wrapped-around speeds.
    backend.statistics[0] = 10;
    backend.statistics[1] = 20;
    backend.statistics[2] = 2000;
    Dictionary restarted = read(2);
    EXPECT_EQ(restarted.integer(key::speedUp), 0);
    EXPECT_EQ(restarted.integer(key::speedDown), 0);
    EXPECT_EQ(restarted.integer(key::volumeUp), 10);
}

} // namespace
} // namespace Corvane
