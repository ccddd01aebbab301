// The whole backend against orvanta-cardsim, the virtual card in a process of its own:
// detection finds it, the device opens its application port, the start-up and identity
// operations talk to it, the GPS service switches its receiver and hands on its
// sentences, and pulling it lets go of everything.

#include "tests/quelder/backend/CardsimBackendFixture.h"

#include "platform/SimDeviceTree.h"
#include "platform/SystemError.h"
#include "quelder/Backend.h"
#include "quelder/QuelderTesting.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <string>

namespace Orvanta::testing {
namespace {

TEST_F(CardsimBackend, PluggedCardIsFoundOnTheCommunicatorThreadWithItsPortOpen)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    const auto events = client.Events();
    for (const auto& event : events)
        EXPECT_EQ(event.thread, events.front().thread);
    EXPECT_NE(events.front().thread, std::this_thread::get_id());
    const std::string port = card.portOf("Application Interface");
    ASSERT_FALSE(port.empty());
    EXPECT_TRUE(log.Contains("Qd: Port " + port + " opened successfully"));
    EXPECT_TRUE(log.Contains("Qd: ********** CARD DETECTED: Roamex GX750 **********"));
}

TEST_F(CardsimBackend, StartDeviceProbesReadsTheFirmwareAndInitialises)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    const std::size_t before = CommandsWritten().size();
    ASSERT_EQ(QdStartDevice(0), 0);
    ASSERT_TRUE(WaitForState(QdDeviceInitialized));
    EXPECT_EQ(CommandsWritten(before), (std::vector<std::string>{"AT", "ATE0", "AT+CMEE=1", "AT+CGMR", "AT_THSPACAT?"}));
    EXPECT_TRUE(log.Contains("Qd: Detected firmware version is 4.2.17"));
    EXPECT_TRUE(log.Contains("Qd: HSxPA category has been set to download=7200000 bps, upload=5760000 bps"));
    // Once initialised, starting again changes nothing and sends nothing.
    const std::size_t after = CommandsWritten().size();
    EXPECT_EQ(QdStartDevice(0), 0);
    EXPECT_EQ(CommandsWritten().size(), after);
}

TEST_F(CardsimBackend, FullInitialisationSwitchesOnTheCardsReportsAndReadsTheSim)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    const std::size_t before = CommandsWritten().size();
    ASSERT_EQ(QdInitializeDevice(1, 0, 0), 0);
    EXPECT_EQ(CommandsWritten(before),
              (std::vector<std::string>{"AT", "ATE0", "AT+CMEE=1", "AT+CGMR", "AT_TPSYS=?", "AT_TSSYS=1", "AT_TSSYS?",
                                        "AT_TSQI=1", "AT_TEANT=1", "AT_TGACT=1", "AT_TPCMENABLE?", "AT+CIMI",
                                        "AT_TWIND=1;_TWIND?", "AT_TIDLETEXT=1", "AT_TIDLETEXT?", "AT_THSPACAT?",
                                        "AT+CPIN?", "AT_TBLS", "AT+CNUM", "AT+CPMS?", "AT+CNMI=2,1,0,1;+CMGF=0",
                                        "AT+CPMS=\"SM\",\"SM\",\"SM\"", "AT+CMGL=4", "AT+CPBS=\"SM\"", "AT+CPBS?",
                                        "AT+CPBR=?"}));
    int initialized = 0;
    ASSERT_EQ(QdIsSimInitialized(&initialized), 0);
    EXPECT_EQ(initialized, 1);
    ASSERT_TRUE(client.WaitFor([](const auto& events) {
        return std::any_of(events.begin(), events.end(), [](const auto& e) { return e.id == QdEventSimState; });
    }));
    int state = 0, result = -1;
    ASSERT_EQ(QdGetPinPukState(&state, &result), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(result, 0);

    // What the reports said, kept for the getters.
    int value = -1;
    EXPECT_EQ(QdGetHwSwitchState(&value), 0);
    EXPECT_EQ(value, 2); // On
    EXPECT_EQ(QdHasSmartAntenna(&value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(log.Contains("during initialization")); // every report was switched on
    EXPECT_EQ(QdGetSignalStrength(&value, nullptr), kQdNullPointer);
}

struct IdentityCase {
    const char* name;
    std::function<int(char*, std::uint32_t)> read;
    std::function<std::string(const Cardsim::CardFacts&)> expected;
};

TEST_F(CardsimBackend, IdentityOperationsReturnTheCardsValues)
{
    StartDevice();
    const Cardsim::CardFacts facts = Cardsim::factsFor(*Cardsim::findProfile(Cardsim::kDefaultProfile), kSerial);
    const IdentityCase cases[] = {
        {"QdGetDeviceName", QdGetDeviceName, [](const auto& f) { return f.model; }},
        {"QdGetProductName", QdGetProductName, [](const auto& f) { return f.productName; }},
        {"QdGetFirmwareInfo", QdGetFirmwareInfo, [](const auto& f) { return f.firmware; }},
        {"QdGetHardwareVersion", QdGetHardwareVersion, [](const auto& f) { return f.hardware; }},
        {"QdGetImeiNumber", QdGetImeiNumber, [](const auto& f) { return f.imei; }},
        {"QdGetSerialNumber", QdGetSerialNumber, [](const auto& f) { return f.serial; }},
        {"QdGetImsiNumber", QdGetImsiNumber, [](const auto& f) { return f.imsi; }},
        {"QdGetSimSerialNumber", QdGetSimSerialNumber, [](const auto& f) { return f.iccid; }},
        {"QdGetOwnPhoneNumbers", QdGetOwnPhoneNumbers, [](const auto& f) { return f.phoneNumber; }},
        {"QdQueryOisov", QdQueryOisov, [](const auto& f) { return f.firmware; }},
        {"QdQueryOsrls", QdQueryOsrls, [](const auto&) { return std::string("2009-06-30"); }},
        {"QdGetExtendedErrorReport", QdGetExtendedErrorReport, [](const auto&) { return std::string("No cause"); }},
        {"QdSendAtCommand AT+CGMI", [](char* b, std::uint32_t s) { return QdSendAtCommand("AT+CGMI", b, s); },
         [](const auto& f) { return f.manufacturer; }},
    };
    for (const IdentityCase& c : cases) {
        char buffer[128] = {};
        EXPECT_EQ(c.read(buffer, sizeof buffer), 0) << c.name;
        EXPECT_EQ(std::string(buffer), c.expected(facts)) << c.name;
        // A buffer too small gets nothing rather than a cut value.
        char small[3] = {'x', 'x', 'x'};
        EXPECT_EQ(c.read(small, sizeof small), qdSystemError(Os::kErrorInsufficientBuffer)) << c.name;
        EXPECT_EQ(c.read(nullptr, 16), kQdNullPointer) << c.name;
    }

    int value = -1;
    EXPECT_EQ(QdGetRxCode(&value), 0);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(QdGetSimReadyState(&value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(QdGetDirectPinPukState(&value), 0);
    EXPECT_EQ(value, 1);
    for (const auto& [name, operation] : std::initializer_list<std::pair<const char*, int (*)()>>{
             {"QdSendOspds", QdSendOspds},
             {"QdSendOsudl", QdSendOsudl},
             {"QdEnableExtendedErrorReporting", QdEnableExtendedErrorReporting},
             {"QdResetDevice", QdResetDevice}})
        EXPECT_EQ(operation(), 0) << name;
    EXPECT_EQ(QdInitializeVoice(), qdLibraryError(3)); // the card does not know AT_TDO?
}

// A client that quits when it hears of the card closes the backend from inside the
// callback: that would wait for the very thread it runs on.
TEST_F(CardsimBackend, ShutdownFromAnEventCallbackIsRefusedAndWorksFromTheClientsThread)
{
    std::promise<int> fromCallback;
    std::atomic<bool> asked{false};
    client.SetHook([&](int event) {
        if (event == QdEventDeviceState && !asked.exchange(true))
            fromCallback.set_value(QdShutdown());
    });
    auto result = fromCallback.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), kQdWrongThread);
    EXPECT_TRUE(log.Contains("Qd: QdShutdown(): refused on one of the backend's own threads"));
    EXPECT_EQ(QdIsInitialized(), 1);
    client.SetHook(nullptr);
    EXPECT_EQ(QdShutdown(), 0);
    EXPECT_EQ(QdIsInitialized(), 0);
}

// The library is closed while its communicator opens the card that detection just found:
// the port must not stay open behind a device left Found, nor keep the next start from
// opening the card.
TEST_F(CardsimBackend, ShutdownWhileTheCardIsBeingOpenedLeavesItClosedForTheNextStart)
{
    GSM::Device& device = GSM::Backend::Instance().TheDevice();
    ASSERT_TRUE(waitUntil([&] { return device.Initialising() || device.HoldsChannel(); }, std::chrono::seconds(10)));
    ASSERT_EQ(QdShutdown(), 0);
    EXPECT_FALSE(device.HoldsChannel());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_NE(device.State(), GSM::DeviceState::found);
    EXPECT_NE(device.State(), GSM::DeviceState::initialized);

    StartLibrary();
    EXPECT_TRUE(WaitForState(QdDeviceFound));
    EXPECT_TRUE(device.IsOpen());
}

TEST_F(CardsimBackend, CardErrorsComeBackAsResultCodes)
{
    StartDevice();
    ASSERT_EQ(card.control("fail AT+CGSN 10"), "OK");
    char buffer[64];
    EXPECT_EQ(QdGetImeiNumber(buffer, sizeof buffer), qdCmeError(10));
}

TEST_F(CardsimBackend, UnplugWhileIdleEndsInNotFoundThroughASafeExit)
{
    StartDevice();
    ASSERT_TRUE(WaitForState(QdDeviceInitialized));
    const std::thread::id communicator = client.Events().front().thread;
    ASSERT_EQ(card.control("unplug"), "OK");
    ASSERT_TRUE(WaitForState(QdDeviceNotFound));
    EXPECT_EQ(client.Events().back().thread, communicator);
    EXPECT_EQ(log.Count("Qd: Device::Exit request arrived"), 1u);
    EXPECT_TRUE(log.Contains("Qd: Device has been successfully released"));
    char buffer[32];
    EXPECT_EQ(QdGetImeiNumber(buffer, sizeof buffer), kQdNoDevice);
}

TEST_F(CardsimBackend, UnplugDuringACommandFailsItAtOnceAndEndsInNotFound)
{
    StartDevice();
    ASSERT_EQ(card.control("silence"), "OK");
    auto pending = std::async(std::launch::async, [] {
        char buffer[32];
        return QdGetImeiNumber(buffer, sizeof buffer);
    });
    ASSERT_TRUE(log.WaitFor("Qd: Modem write: [AT+CGSN]"));
    ASSERT_EQ(card.control("unplug"), "OK");
    // Well within the command's own 30 s.
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(pending.get(), kQdNoDevice);
    ASSERT_TRUE(WaitForState(QdDeviceNotFound));
    EXPECT_EQ(log.Count("Qd: Device::Exit request arrived"), 1u);
}

TEST_F(CardsimBackend, SecondInitializeAnswersZeroAndShutdownTwiceToo)
{
    EXPECT_EQ(QdInitialize(nullptr, &ClientRecorder::OnEvent, &ClientRecorder::OnError), 0);
    EXPECT_EQ(log.Count("Qd: Library has been initialized"), 1u);
    EXPECT_EQ(QdIsInitialized(), 1);
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    EXPECT_EQ(QdShutdown(), 0);
    EXPECT_EQ(QdIsInitialized(), 0);
    int state = 0;
    EXPECT_EQ(QdGetDeviceState(&state), kQdNotInitialized);
    char buffer[32];
    EXPECT_EQ(QdGetImeiNumber(buffer, sizeof buffer), kQdNotInitialized);
}

// ---------------------------------------------------------------------------------------
// The GPS service

// An NMEA sentence whose checksum matches: "$" body "*" two hex digits.
bool IsWholeSentence(const std::string& line)
{
    const std::size_t star = line.rfind('*');
    if (line.size() < 4 || line.front() != '$' || star == std::string::npos || star + 3 != line.size())
        return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    return std::stoul(line.substr(star + 1), nullptr, 16) == sum;
}

std::size_t GpsEventCount(const std::vector<ClientRecorder::Event>& events)
{
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [](const auto& e) { return e.id == QdEventGpsData; }));
}

class CardsimGps : public CardsimBackend {
protected:
    // Ten sentence groups a second, so that a test sees many lines soon.
    std::vector<std::string> CardArguments() const override { return {"--serial", kSerial, "--rate", "10"}; }

    void StartReceiver()
    {
        ASSERT_TRUE(WaitForState(QdDeviceFound));
        ASSERT_EQ(QdInitGps(), 0);
        ASSERT_EQ(QdSetGpsState(1), 0);
    }
};

TEST_F(CardsimGps, ServiceSwitchesTheReceiverAndHandsOnItsSentencesInOrder)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    int value = -1;
    ASSERT_EQ(QdIsGpsSupported(&value), 0);
    EXPECT_EQ(value, 1);
    const std::size_t before = CommandsWritten().size();
    ASSERT_EQ(QdInitGps(), 0);
    EXPECT_TRUE(log.Contains("Qd: Port " + card.portOf("GPS Control") + " opened successfully"));
    EXPECT_TRUE(log.Contains("Qd: Port " + card.portOf("GPS Data") + " opened successfully"));
    ASSERT_EQ(QdGetGpsState(&value), 0);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(QdSetGpsState(1), 0);
    ASSERT_EQ(QdGetGpsState(&value), 0);
    EXPECT_EQ(value, 1);

    ASSERT_TRUE(client.WaitFor([](const auto& events) { return GpsEventCount(events) >= 14; }));
    const auto events = client.Events();
    std::vector<std::string> sentences;
    for (const auto& event : events) {
        if (event.id != QdEventGpsData)
            continue;
        EXPECT_TRUE(IsWholeSentence(event.text)) << event.text;
        EXPECT_EQ(event.thread, events.front().thread); // the communicator's
        sentences.push_back(event.text);
    }
    // Whole groups of the track, in the order the card wrote them.
    const auto gga = std::find_if(sentences.begin(), sentences.end(),
                                  [](const std::string& s) { return s.compare(3, 3, "GGA") == 0; });
    ASSERT_LE(gga - sentences.begin() + 7, static_cast<std::ptrdiff_t>(sentences.size()));
    std::vector<std::string> types;
    for (auto it = gga; it != gga + 7; ++it)
        types.push_back(it->substr(3, 3));
    EXPECT_EQ(types, (std::vector<std::string>{"GGA", "GSA", "GSV", "GSV", "GSV", "RMC", "VTG"}));

    ASSERT_EQ(QdSetGpsState(0), 0);
    ASSERT_EQ(QdGetGpsState(&value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(CommandsWritten(before), (std::vector<std::string>{"ATE0", "AT_TGPS?", "AT_TGPSP=7,2", "AT_TGPS=2",
                                                                 "AT_TGPS?", "AT_TGPS=0", "AT_TGPS?"}));
    EXPECT_EQ(QdExitGps(), 0);
    EXPECT_TRUE(log.Contains("Qd: GPS service has been shut down"));
    EXPECT_EQ(QdGetGpsState(&value), kQdGpsNotRunning);
}

TEST_F(CardsimGps, ControlPortErrorFailsInitAndLeavesThePortsFree)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    ASSERT_EQ(card.control("fail ATE0 error 3"), "OK");
    EXPECT_EQ(QdInitGps(), kQdModemError);
    EXPECT_TRUE(log.Contains("Qd: GPS service failed to initialize with 0x84000003"));
    // Both ports were let go, so the next attempt can open them again.
    EXPECT_EQ(QdInitGps(), 0);
}

TEST_F(CardsimGps, UnplugWhileRunningStopsTheServiceWithTheDevice)
{
    StartReceiver();
    ASSERT_TRUE(client.WaitFor([](const auto& events) { return GpsEventCount(events) >= 3; }));
    ASSERT_EQ(card.control("unplug"), "OK");
    ASSERT_TRUE(WaitForState(QdDeviceNotFound));
    // Whichever sees the card go first ends the service: its own failing ports, or the
    // device's release.
    EXPECT_TRUE(log.Contains("Qd: GPS service has been shut down") ||
                log.Contains("the GPS service has stopped"));
    EXPECT_EQ(QdSetGpsState(1), kQdNoDevice);
    EXPECT_EQ(QdInitGps(), kQdNoDevice);
}

class CardsimWithoutGps : public CardsimBackend {
protected:
    std::vector<std::string> CardArguments() const override { return {"--serial", kSerial, "--profile", "no-gps"}; }
};

TEST_F(CardsimWithoutGps, CardWithoutReceiverAnswersNotSupported)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    int value = -1;
    ASSERT_EQ(QdIsGpsSupported(&value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(QdInitGps(), kQdNotSupported);
    EXPECT_EQ(QdGetGpsState(&value), kQdNotSupported);
    EXPECT_EQ(QdSetGpsState(1), kQdNotSupported);
    EXPECT_EQ(QdExitGps(), 0);
}

TEST(BackendLibrary, ShutdownBeforeInitializeAnswersZero)
{
    EXPECT_EQ(QdIsInitialized(), 0);
    EXPECT_EQ(QdShutdown(), 0);
    int state = 0;
    EXPECT_EQ(QdGetDeviceState(&state), kQdNotInitialized);
    EXPECT_EQ(QdFreeMemory(nullptr), 0);
}

} // namespace
} // namespace Orvanta::testing
