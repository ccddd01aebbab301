// The registration the device derives from the card's reports: the packet-switched
// network state, the EDGE and HSDPA flags, the signal values and the pollers for each
// combination of inputs; the reports as the communicator handles them, with the roaming
// check against a scripted card; and the virtual home networks.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/quelder/support/ScriptedCard.h"

#include "quelder/ModemStates.h"
#include "quelder/Quelder.h"
#include "quelder/registration/VirtualHomeNetworks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::DeviceState;
using GSM::Value;

class RegistrationTest : public DeviceFixture<> {
protected:
    void SetCard(std::uint32_t type, std::uint32_t kind, std::uint32_t capabilities = NkCapApplicationPort,
                 const std::string& port = {})
    {
        host.SetCard(NkCardStarted, type, capabilities, port);
        {
            std::lock_guard lock(host.cardMutex);
            host.card.dataInterfaceKind = kind;
        }
        device.UpdateCardState(NkReasonDeviceChange);
    }
    // An initialised device on a scripted card, whose commands the card answers.
    void OpenCard(std::vector<Exchange> exchanges, std::uint32_t type = kGx750)
    {
        card = std::make_unique<PtyCardLink>(CardScript{std::move(exchanges)});
        SetCard(type, 2, NkCapApplicationPort, card->PortPath());
        ASSERT_EQ(device.Init(0), 1);
        ASSERT_EQ(device.State(), DeviceState::found);
        device.SetDeviceState(DeviceState::initialized, true);
        Drain();
    }
    std::vector<int> Events()
    {
        Drain();
        return client.EventIds();
    }

    std::unique_ptr<PtyCardLink> card;
};

// --- the evaluation ------------------------------------------------------------------------

struct Inputs {
    int cs = 0;
    int attach = 0;
    int technology = 0;
    int cellType2g = 0;
    int cellType3g = 0;
};

struct Outputs {
    int ps = 0;
    int edge = 0;
    int hsdpa = 0;
    bool cellTypePoller = false;
    bool signalPoller = false;
};

struct EvaluationCase {
    const char* name;
    std::uint32_t type;
    std::uint32_t kind;
    DeviceState state;
    Inputs in;
    Outputs out;
    friend void PrintTo(const EvaluationCase& c, std::ostream* out) { *out << c.name; }
};

class Evaluation : public RegistrationTest, public ::testing::WithParamInterface<EvaluationCase> {};

TEST_P(Evaluation, DerivesThePacketSwitchedStateTheFlagsAndThePollers)
{
    const EvaluationCase& c = GetParam();
    SetCard(c.type, c.kind);
    device.SetDeviceState(c.state, true);
    device.Set(Value::csNetworkState, c.in.cs, true);
    device.Set(Value::psAttachState, c.in.attach, true);
    device.Set(Value::accessTechnology, c.in.technology, true);
    device.Set(Value::cellType2g, c.in.cellType2g, true);
    device.Set(Value::cellType3g, c.in.cellType3g, true);
    work.Clear();

    device.Registration().Evaluate();

    EXPECT_EQ(device.Get(Value::psNetworkState), c.out.ps);
    EXPECT_EQ(device.Get(Value::edgeRegistered), c.out.edge);
    EXPECT_EQ(device.Get(Value::hsdpaRegistered), c.out.hsdpa);
    EXPECT_EQ(communicator.PollerSet().IsOn(GSM::Poller::cellType), c.out.cellTypePoller);
    EXPECT_EQ(communicator.PollerSet().IsOn(GSM::Poller::signal), c.out.signalPoller);
    Drain();
    // A poller that starts asks for its poll at once, too.
    EXPECT_EQ(work.Count(GSM::WM_QD_CELL_TYPE_POLL), c.out.cellTypePoller ? 1u : 0u);
    EXPECT_EQ(work.Count(GSM::WM_QD_SIGNAL_POLL), c.out.signalPoller ? 1u : 0u);
}

constexpr DeviceState kFound = DeviceState::found;
constexpr DeviceState kReady = DeviceState::initialized;
constexpr int kGprs = GSM::kTechnologyGprs, kUmts = GSM::kTechnologyUmts;

INSTANTIATE_TEST_SUITE_P(
    Inputs, Evaluation,
    ::testing::Values(
        EvaluationCase{"NothingRegistered", kGx750, 0, kReady, {}, {}},
        EvaluationCase{"AttachedIsRegistered", kGx750, 0, kReady, {0, 1, kGprs, 1, 0}, {1}},
        EvaluationCase{"AttachedRoamingIsRoaming", kGx750, 0, kReady, {0, 5, kGprs, 1, 0}, {5}},
        EvaluationCase{"CircuitSwitchedOnAGprsCell", kGx750, 0, kReady, {1, 0, kGprs, 2, 0}, {1}},
        EvaluationCase{"CircuitSwitchedOnAGsmCellAlone", kGx750, 0, kReady, {1, 0, kGprs, 1, 0}, {0}},
        EvaluationCase{"CircuitSwitchedRoamingOnAWcdmaCell", kGx750, 0, kReady, {5, 0, kUmts, 0, 1}, {5}},
        EvaluationCase{"CircuitSwitchedOnUmtsWithoutCellType", kGx750, 0, kReady, {1, 0, kUmts, 0, 0}, {0}},
        EvaluationCase{"AttachSearchingWhileNotRegistered", kGx750, 0, kReady, {0, 2, 0, 0, 0}, {2}},
        EvaluationCase{"AttachSearchingWhileDenied", kGx750, 0, kReady, {3, 2, 0, 0, 0}, {0}},
        EvaluationCase{"EdgeCell", kGx750, 0, kReady, {1, 0, kGprs, 3, 0}, {1, 1, 0}},
        EvaluationCase{"EdgeCellOfAFoundCard", kGx750, 0, kFound, {1, 0, kGprs, 3, 0}, {1, 1, 0}},
        EvaluationCase{"HsdpaCell", kGx750, 0, kReady, {1, 1, kUmts, 0, 2}, {1, 0, 1}},
        EvaluationCase{"WcdmaCellIsNoHsdpa", kGx750, 0, kReady, {1, 1, kUmts, 0, 1}, {1, 0, 0}},
        EvaluationCase{"HighSpeedNotToldBelowTheFirstStick", 0x0700, 0, kReady, {1, 0, kGprs, 3, 0}, {1, 0, 0}},
        EvaluationCase{"HighSpeedNotToldWhileNotFound", kGx750, 0, DeviceState::notFound, {1, 0, kGprs, 3, 0},
                       {1, 0, 0}},
        EvaluationCase{"OtherVendorsCardsTellHighSpeed", 0x8800, 0, kReady, {1, 1, kUmts, 0, 4}, {1, 0, 1}},
        EvaluationCase{"KindTwoPollsItsCellTypeOnUmts", kGx750, 2, kReady, {1, 0, kUmts, 0, 0},
                       {0, 0, 0, true, false}},
        EvaluationCase{"KindFivePollsItsCellTypeWhenAttached", 0x1400, 5, kReady, {0, 1, kUmts, 0, 0},
                       {1, 0, 0, true, false}},
        EvaluationCase{"KindTwoOnGprsDoesNotPoll", kGx750, 2, kReady, {1, 1, kGprs, 2, 0}, {1}},
        EvaluationCase{"KindThreeDoesNotPoll", 0x0B00, 3, kReady, {1, 1, kUmts, 0, 0}, {1}},
        EvaluationCase{"OtherMakersModuleDoesNotPoll", 0x6000, 2, kReady, {1, 1, kUmts, 0, 0}, {1}},
        EvaluationCase{"ZtePollsItsSignalWhileRegistered", 0x8900, 2, kReady, {1, 0, 0, 0, 0},
                       {0, 0, 0, false, true}},
        EvaluationCase{"ZteDoesNotPollWhileNotRegistered", 0x8900, 2, kReady, {2, 2, 0, 0, 0}, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistrationTest, CellTypePollerOfAMobileBroadbandCardStaysOff)
{
    SetCard(kGx750, 2, NkCapApplicationPort | NkCapMobileBroadband);
    device.Set(Value::csNetworkState, GSM::kRegistered, true);
    device.Set(Value::accessTechnology, kUmts, true);
    device.Registration().Evaluate();
    EXPECT_FALSE(communicator.PollerSet().IsOn(GSM::Poller::cellType));
}

TEST_F(RegistrationTest, PollersStopWhenTheRegistrationGoes)
{
    SetCard(0x8900, 2);
    device.Registration().SetCellTypes(0, 1, kUmts);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered);
    ASSERT_TRUE(communicator.PollerSet().IsOn(GSM::Poller::signal));
    device.Registration().ReportCircuitSwitched(GSM::kNotRegistered);
    EXPECT_FALSE(communicator.PollerSet().IsOn(GSM::Poller::signal));
}

TEST_F(RegistrationTest, LosingTheRegistrationClearsTheSignalValuesWithTheirEvents)
{
    SetCard(kGx750, 0);
    device.SetDeviceState(kReady, true);
    device.Registration().SetCellTypes(3, 0, kGprs);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered);
    device.Registration().ReportPacketSwitched(GSM::kRegistered, GSM::kNoCellLocation);
    device.Registration().SetSignal(18, 3);
    device.Registration().SetWcdmaSignal(40);
    ASSERT_EQ(device.Get(Value::edgeRegistered), 1);
    ASSERT_EQ(device.Get(Value::wcdmaSignal), 40);
    const std::size_t before = Events().size();

    device.Registration().ReportPacketSwitched(GSM::kNotRegistered, GSM::kNoCellLocation);
    device.Registration().ReportCircuitSwitched(GSM::kNotRegistered);

    EXPECT_EQ(device.Get(Value::signalStrength), 0);
    EXPECT_EQ(device.Get(Value::signalQuality), 0);
    EXPECT_EQ(device.Get(Value::wcdmaSignal), 0);
    EXPECT_EQ(device.Get(Value::edgeRegistered), 0);
    const std::vector<int> all = Events();
    const std::vector<int> after(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    for (const int event : {QdEventCsNetworkState, QdEventPsNetworkState, QdEventSignalQuality, QdEventWcdmaSignal,
                            QdEventEdgeNetworkState})
        EXPECT_NE(std::find(after.begin(), after.end(), event), after.end()) << "event " << event;
    EXPECT_TRUE(log.Contains("Qd: Circuit switched network state changed to NotRegistered"));
    EXPECT_TRUE(log.Contains("Qd: Packet switched attach state changed to NotRegistered"));
    EXPECT_TRUE(log.Contains("Qd: Packet switched network state changed to NotRegistered"));
    EXPECT_TRUE(log.Contains("Qd: EDGE network state changed to not registered"));
}

// --- the reports ---------------------------------------------------------------------------

TEST_F(RegistrationTest, PacketSwitchedReportStoresTheCellWhileRegistered)
{
    SetCard(kGx750, 0);
    device.Registration().ReportPacketSwitched(GSM::kRegistered,
                                               GSM::PackCellLocation(GSM::CellLocation{0x1A2B, 0x00C3}));
    EXPECT_EQ(device.Get(Value::psAttachState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::lac), 0x1A2B);
    EXPECT_EQ(device.Get(Value::cellId), 0x00C3);
    EXPECT_TRUE(log.Contains("Qd: New cell location information: LAC=0x1a2b CellID=0xc3"));
    device.Registration().ReportPacketSwitched(GSM::kRegistering,
                                               GSM::PackCellLocation(GSM::CellLocation{0x1A2B, 0x00C3}));
    EXPECT_EQ(device.Get(Value::lac), -1);
    EXPECT_EQ(device.Get(Value::cellId), -1);
    const std::vector<int> events = Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), QdEventCellLocation), 2);
}

TEST_F(RegistrationTest, PacketSwitchedReportWithoutALocationLeavesItUnknown)
{
    SetCard(kGx750, 0);
    device.Registration().ReportPacketSwitched(GSM::kRegistered, GSM::kNoCellLocation);
    EXPECT_EQ(device.Get(Value::psNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::lac), -1);
    EXPECT_EQ(device.Get(Value::cellId), -1);
}

TEST_F(RegistrationTest, CircuitSwitchedReportMovesTheVoiceStateOfAVoiceCard)
{
    SetCard(kGx750, 0);
    GSM::CardFeatures voice;
    voice.voice = true;
    device.SetFeatures(voice);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceDisconnected);
    device.Set(Value::voiceState, GSM::kVoiceConnected, true);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered); // a call keeps its state
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceConnected);
    device.Set(Value::voiceState, GSM::kVoiceDisconnected, true);
    device.Registration().ReportCircuitSwitched(GSM::kNotRegistered);
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceNotReady);
}

TEST_F(RegistrationTest, CircuitSwitchedReportLeavesTheVoiceOfADataCardAlone)
{
    SetCard(kGx750, 0);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceNotReady);
}

const Exchange kOnVirtualHome{"AT+COPS=3,2;+COPS?", OkAnswer({"+COPS: 0,2,\"302720\",2"})};

TEST_F(RegistrationTest, RoamingOnAVirtualHomeNetworkOfTheSimIsStoredAsRegistered)
{
    OpenCard({kOnVirtualHome});
    device.Registration().SetHomeNumbers(GSM::HomeNumbersOf("302370123456789"));
    device.Registration().ReportCircuitSwitched(GSM::kRegisteredRoaming);
    device.Registration().ReportPacketSwitched(GSM::kRegisteredRoaming, GSM::kNoCellLocation);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::psAttachState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::psNetworkState), GSM::kRegistered);
    EXPECT_EQ(log.Count("Qd: Network and SIM pair seems to belong to a virtual home network, hiding roaming..."), 2u);
}

TEST_F(RegistrationTest, RoamingElsewhereStaysRoaming)
{
    OpenCard({{"AT+COPS=3,2;+COPS?", OkAnswer({"+COPS: 0,2,\"26201\",2"})}});
    device.Registration().SetHomeNumbers(GSM::HomeNumbersOf("302370123456789"));
    device.Registration().ReportCircuitSwitched(GSM::kRegisteredRoaming);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegisteredRoaming);
}

TEST_F(RegistrationTest, RoamingOfASimWithAnotherHomeStaysRoaming)
{
    OpenCard({kOnVirtualHome});
    device.Registration().SetHomeNumbers(GSM::HomeNumbersOf("262011234567890"));
    device.Registration().ReportCircuitSwitched(GSM::kRegisteredRoaming);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegisteredRoaming);
}

TEST_F(RegistrationTest, RoamingCheckReadsTheImsiOfASimUnlockedAfterTheStartUp)
{
    OpenCard({kOnVirtualHome, {"AT+CPIN?", OkAnswer({"+CPIN: READY"})}, {"AT+CIMI", OkAnswer({"302370123456789"})}});
    device.Registration().ReportCircuitSwitched(GSM::kRegisteredRoaming);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Registration().HomeNumbers(), (GSM::SimHomeNumbers{30237, 302370}));
}

TEST_F(RegistrationTest, RoamingCheckThatCannotAskTheCardKeepsRoaming)
{
    SetCard(kGx750, 0); // no port open
    device.Registration().SetHomeNumbers(GSM::HomeNumbersOf("302370123456789"));
    device.Registration().ReportCircuitSwitched(GSM::kRegisteredRoaming);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegisteredRoaming);
}

// --- the device's queued work for the registration -------------------------------------------

TEST_F(RegistrationTest, EnableErrorsRequestSwitchesTheRegistrationReportsOnAgain)
{
    OpenCard({{"ATE0", "\r\nOK\r\n"},
              {"AT+CMEE=1", "\r\nOK\r\n"},
              {"AT+CREG=1", "\r\nOK\r\n"},
              {"AT+CGREG=2", "\r\nOK\r\n"},
              {"AT_TCTI=1", "\r\nOK\r\n"},
              {"AT+CREG?", OkAnswer({"+CREG: 1,1"})},
              {"AT+CGREG?", OkAnswer({"+CGREG: 2,1,\"1A2B\",\"00C3\""})},
              {"AT_TCTI?", OkAnswer({"_TCTI: 1,2"})}});
    work.Clear();
    device.Run({GSM::WM_ENABLE_EX_ERRORS, 0, 0});
    EXPECT_EQ(card->card.Commands(), (std::vector<std::string>{"ATE0", "AT+CMEE=1", "AT+CREG=1", "AT+CGREG=2",
                                                               "AT_TCTI=1", "AT+CREG?", "AT+CGREG?", "AT_TCTI?"}));
    // The answers of the queries came as reports, moved to the communicator.
    Drain();
    EXPECT_EQ(work.Count(GSM::WM_QD_CS_REGISTRATION), 1u);
    EXPECT_EQ(work.Count(GSM::WM_QD_PS_REGISTRATION), 1u);
    EXPECT_EQ(device.Get(Value::cellType2g), 2);
    EXPECT_FALSE(log.Contains("initiated by WM_ENABLE_EX_ERRORS failed"));
}

TEST_F(RegistrationTest, EnableErrorsRequestThatFailsIsLogged)
{
    OpenCard({{"ATE0", "\r\nOK\r\n"}, {"AT+CMEE=1", "\r\nOK\r\n"}});
    device.Run({GSM::WM_ENABLE_EX_ERRORS, 0, 0});
    EXPECT_TRUE(log.Contains("Qd: QdEnableRegistrationEvents() initiated by WM_ENABLE_EX_ERRORS failed with 0x84000003"));
}

TEST_F(RegistrationTest, SignalPollOfAZteCardStoresSignalCellTypesAndTechnology)
{
    OpenCard({{"AT+CSQ", OkAnswer({"+CSQ: 21,0"})}, {"AT+ZPAS?", OkAnswer({"+ZPAS: \"HSDPA\",\"CS_PS\""})}}, 0x8900);
    device.Set(Value::csNetworkState, GSM::kRegistered, true);
    device.Run({GSM::WM_QD_SIGNAL_POLL, 0, 0});
    EXPECT_EQ(device.Get(Value::signalStrength), 21);
    EXPECT_EQ(device.Get(Value::cellType3g), 2);
    EXPECT_EQ(device.Get(Value::accessTechnology), kUmts);
    EXPECT_EQ(device.Get(Value::psNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::hsdpaRegistered), 1);
}

TEST_F(RegistrationTest, CellTypePollStoresTheWcdmaCellTypeOrLogsItsFailure)
{
    OpenCard({{"AT_TWCTI?", OkAnswer({"_TWCTI: 3"})}});
    device.Run({GSM::WM_QD_CELL_TYPE_POLL, 0, 0});
    EXPECT_EQ(device.Get(Value::cellType3g), 3);
    card->HangUp();
    device.Run({GSM::WM_QD_CELL_TYPE_POLL, 0, 0});
    EXPECT_TRUE(log.Contains("Qd: Querying WCDMA cell type failed with 0x"));
}

TEST_F(RegistrationTest, PollsWaitForAnInitialisedCard)
{
    OpenCard({});
    device.SetDeviceState(DeviceState::found, true);
    device.Run({GSM::WM_QD_CELL_TYPE_POLL, 0, 0});
    device.Run({GSM::WM_QD_SIGNAL_POLL, 0, 0});
    EXPECT_TRUE(card->card.Commands().empty());
}

// What the data connections are told, recorded.
class RecordingPacketData final : public GSM::PacketDataEvents {
public:
    void UpdateTcpWindow(int technology) override
    {
        std::lock_guard lock(mutex_);
        technologies_.push_back(technology);
    }
    void PdpContextChanged(int context, bool activated) override
    {
        std::lock_guard lock(mutex_);
        contexts_.emplace_back(context, activated);
    }
    std::vector<int> Technologies() const
    {
        std::lock_guard lock(mutex_);
        return technologies_;
    }
    std::vector<std::pair<int, bool>> Contexts() const
    {
        std::lock_guard lock(mutex_);
        return contexts_;
    }

private:
    mutable std::mutex mutex_; // guards both lists: the device's threads write, the test reads
    std::vector<int> technologies_;
    std::vector<std::pair<int, bool>> contexts_;
};

TEST_F(RegistrationTest, DataConnectionsHearTheTechnologyAndTheContexts)
{
    RecordingPacketData packetData;
    device.SetPacketDataEvents(&packetData);
    SetCard(kGx750, 0);
    device.Registration().SetAccessTechnology(kUmts);
    device.Registration().ReportCircuitSwitched(GSM::kRegistered);
    device.Run({GSM::WM_QD_PDP_CONTEXT, 1, 1});
    device.Run({GSM::WM_QD_PDP_CONTEXT, 1, 0});
    EXPECT_EQ(packetData.Technologies(), (std::vector<int>{kUmts, kUmts}));
    EXPECT_EQ(packetData.Contexts(), (std::vector<std::pair<int, bool>>{{1, true}, {1, false}}));
    device.SetPacketDataEvents(nullptr);
    device.Registration().SetAccessTechnology(kGprs);
    EXPECT_TRUE(log.Contains("Qd: UpdateTcpWindowSize(): no data connection to tune for PacketSwitchedTechnologyGprs"));
}

// The whole way of a report: the card's line, the receiver's handler, the communicator,
// the roaming check on the card, and the client's events.
class RegistrationPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        card = std::make_unique<PtyCardLink>(CardScript{{kOnVirtualHome}});
        host.queue = &communicator;
        ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
        host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort, card->PortPath());
        device.UpdateCardState(NkReasonDeviceChange); // the communicator opens the card
        ASSERT_TRUE(client.WaitFor([](const auto& events) { return !events.empty(); }));
        device.SetDeviceState(DeviceState::initialized, true);
    }
    void TearDown() override
    {
        device.Exit(0);
        communicator.Stop();
    }

    BackendLog log;
    Os::ManualClock clock;
    FakeHost host;
    ClientRecorder client;
    std::unique_ptr<PtyCardLink> card;
    GSM::Device device{host};
    GSM::Communicator communicator{device, clock};
};

TEST_F(RegistrationPath, ReportsOfTheCardReachTheClientAsTheirEvents)
{
    device.Registration().SetHomeNumbers(GSM::HomeNumbersOf("302370123456789"));
    card->Send("\r\n+CREG: 5\r\n\r\n+CGREG: 2,5,\"1A2B\",\"00C3\"\r\n");
    ASSERT_TRUE(client.WaitFor([](const auto& events) {
        return std::any_of(events.begin(), events.end(), [](const auto& e) { return e.id == QdEventCellLocation; });
    }));
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::psNetworkState), GSM::kRegistered);
    EXPECT_EQ(device.Get(Value::lac), 0x1A2B);
    const std::vector<int> ids = client.EventIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), QdEventCsNetworkState), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), QdEventPsNetworkState), ids.end());
    for (const auto& event : client.Events())
        EXPECT_NE(event.thread, std::this_thread::get_id()) << "event " << event.id;
}

TEST_F(RegistrationPath, GarbledAndCutLinesChangeNothingAndTheNextLineIsRead)
{
    card->Send("\r\n+CGREG: 1,\"1A2\r\n\r\n+CREG: \r\n\r\n_TSIGQ: x,y\r\n\r\n+CREG: 1\r\n");
    ASSERT_TRUE(client.WaitFor([](const auto& events) {
        return std::any_of(events.begin(), events.end(), [](const auto& e) { return e.id == QdEventCsNetworkState; });
    }));
    EXPECT_EQ(device.Get(Value::psAttachState), GSM::kNotRegistered);
    EXPECT_EQ(device.Get(Value::csNetworkState), GSM::kRegistered);
    EXPECT_EQ(log.Count("occured during processing the previous unsolicited response"), 3u);
}

// --- the virtual home networks ---------------------------------------------------------------

TEST(VirtualHomeNetworks, StartWithOneRowAndTakeTenAtMost)
{
    GSM::VirtualHomeNetworks table;
    EXPECT_TRUE(table.IsVirtualHome(302720, {30237, 302370}));
    EXPECT_FALSE(table.IsVirtualHome(302720, {30272, 302720}));
    EXPECT_FALSE(table.IsVirtualHome(302370, {30237, 302370}));
    const int networks[] = {26202, 26207, 0, 26201};
    const int sims[] = {26201};
    for (int row = 2; row <= 10; ++row)
        EXPECT_EQ(table.Add(networks, sims), kQdSuccess) << "row " << row;
    EXPECT_EQ(table.Add(networks, sims), kQdNotAvailable); // the eleventh
    EXPECT_EQ(kQdNotAvailable, static_cast<QdResult>(0x84000008));
    EXPECT_TRUE(table.IsVirtualHome(26207, {26201, 262011}));
    EXPECT_FALSE(table.IsVirtualHome(26201, {26201, 262011})) << "a 0 ends the list";
    EXPECT_FALSE(table.IsVirtualHome(0, {0, 0}));
}

TEST(VirtualHomeNetworks, ListsOfMoreThanTenNumbersAreRefused)
{
    GSM::VirtualHomeNetworks table;
    const std::vector<int> eleven(11, 26201);
    const int sims[] = {26201};
    EXPECT_NE(table.Add(eleven, sims), kQdSuccess);
    EXPECT_FALSE(table.IsVirtualHome(26201, {26201, 0}));
}

struct ImsiCase {
    const char* imsi;
    GSM::SimHomeNumbers numbers;
};

TEST(VirtualHomeNetworks, HomeNumbersAreTheImsisFirstFiveAndSixDigits)
{
    const ImsiCase cases[] = {
        {"302370123456789", {30237, 302370}}, {"262011234567890", {26201, 262011}}, {"302370", {30237, 0}},
        {"30237", {0, 0}}, {"", {0, 0}}, {"30A370123", {0, 0}}, {"30237X123", {30237, 0}},
    };
    for (const ImsiCase& c : cases)
        EXPECT_EQ(GSM::HomeNumbersOf(c.imsi), c.numbers) << c.imsi;
    EXPECT_EQ(GSM::NetworkNumberOf("302720"), 302720);
    EXPECT_EQ(GSM::NetworkNumberOf("00101"), 101);
    EXPECT_EQ(GSM::NetworkNumberOf("3027"), 0);
    EXPECT_EQ(GSM::NetworkNumberOf("30272x"), 0);
}

} // namespace
} // namespace Orvanta::testing
