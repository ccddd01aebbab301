// The serial platform's GPS service against scripted cards on pseudo-terminals: one for
// the application port, one for the GPS control port and one for the GPS data port.
// Card detection is played by the test; the communicator hands the data port's lines to
// a recording client.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/quelder/support/ScriptedCard.h"

#include "quelder/Quelder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>

namespace Orvanta::testing {
namespace {

using GSM::DeviceState;

constexpr const char* kOk = "\r\nOK\r\n";

CardScript ControlScript(int reportedState = 0, std::string probeReply = kOk)
{
    const std::string state = "\r\n_TGPS: " + std::to_string(reportedState) + "\r\n\r\nOK\r\n";
    return CardScript{{{"ATE0", std::move(probeReply)},
                       {"AT_TGPSP=7,2", kOk},
                       {"AT_TGPS=2", kOk},
                       {"AT_TGPS=0", kOk},
                       {"AT_TGPS?", state}}};
}

class SerialGpsTest : public DeviceFixture<> {
protected:
    // The card as detection reports it, found and with its application port open.
    void Plug(CardScript control = ControlScript(), std::uint32_t capabilities = NkCapApplicationPort | NkCapGps)
    {
        controlLink = std::make_unique<PtyCardLink>(std::move(control));
        host.SetCard(NkCardStarted, kGx750, capabilities, app.PortPath());
        {
            std::lock_guard lock(host.cardMutex);
            std::strcpy(host.card.gpsControlPort, controlLink->PortPath().c_str());
            std::strcpy(host.card.gpsDataPort, data.PortPath().c_str());
        }
        device.UpdateCardState(NkReasonDeviceChange);
        // What the communicator runs for a found card: the application port opens.
        ASSERT_EQ(device.Init(0), 1);
        ASSERT_EQ(device.State(), DeviceState::found);
    }

    GSM::Platform& Platform() { return device.CurrentPlatform(); }
    std::vector<std::string> ControlCommands() const { return controlLink->card.Commands(); }

    bool WaitForGpsLines(std::size_t count)
    {
        return client.WaitFor([count](const auto& events) {
            return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [](const auto& e) {
                       return e.id == QdEventGpsData;
                   })) >= count;
        });
    }
    std::vector<std::string> GpsLines() const
    {
        std::vector<std::string> lines;
        for (const auto& event : client.Events())
            if (event.id == QdEventGpsData)
                lines.push_back(event.text);
        return lines;
    }

    PtyCardLink app{CardScript{}};
    PtyCardLink data{CardScript{{}, 0, ""}}; // the data port takes no commands
    std::unique_ptr<PtyCardLink> controlLink;
};

TEST_F(SerialGpsTest, ChecksComeInTheirOrderBeforeAnythingIsSent)
{
    int value = -1;
    host.initialized = false;
    EXPECT_EQ(Platform().QdIsGpsSupported(&value), kQdNotInitialized);
    host.initialized = true;
    EXPECT_EQ(Platform().QdIsGpsSupported(&value), kQdNoDevice); // no card yet
    EXPECT_EQ(Platform().QdInitGps(), kQdNoDevice);

    Plug(ControlScript(), NkCapApplicationPort);
    EXPECT_EQ(Platform().QdIsGpsSupported(nullptr), kQdNullPointer);
    EXPECT_EQ(Platform().QdGetGpsState(nullptr), kQdNullPointer);
    EXPECT_EQ(Platform().QdIsGpsSupported(&value), kQdSuccess);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Platform().QdInitGps(), kQdNotSupported);
    EXPECT_EQ(Platform().QdGetGpsState(&value), kQdNotSupported);
    EXPECT_EQ(Platform().QdSetGpsState(1), kQdNotSupported);
    EXPECT_EQ(Platform().QdExitGps(), kQdSuccess);
    EXPECT_TRUE(ControlCommands().empty());
}

TEST_F(SerialGpsTest, ReceiverOperationsBeforeInitAnswerNotRunningAndSendNothing)
{
    Plug();
    int value = -1;
    EXPECT_EQ(Platform().QdIsGpsSupported(&value), kQdSuccess);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(Platform().QdSetGpsState(1), kQdGpsNotRunning);
    EXPECT_EQ(Platform().QdGetGpsState(&value), kQdGpsNotRunning);
    EXPECT_TRUE(ControlCommands().empty());
}

TEST_F(SerialGpsTest, SwitchingOnSendsTheParametersFirstAndOffSendsOneCommand)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    EXPECT_TRUE(log.Contains("Qd: GPS service has been initialized"));
    ASSERT_EQ(Platform().QdSetGpsState(1), kQdSuccess);
    ASSERT_EQ(Platform().QdSetGpsState(0), kQdSuccess);
    ASSERT_EQ(Platform().QdSetGpsState(7), kQdSuccess); // any non-zero flag means on
    EXPECT_EQ(ControlCommands(), (std::vector<std::string>{"ATE0", "AT_TGPSP=7,2", "AT_TGPS=2", "AT_TGPS=0",
                                                           "AT_TGPSP=7,2", "AT_TGPS=2"}));
}

TEST_F(SerialGpsTest, SecondInitWhileRunningTouchesNoPort)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    const std::size_t opened = log.Count("opened successfully");
    EXPECT_EQ(Platform().QdInitGps(), kQdSuccess);
    EXPECT_EQ(log.Count("opened successfully"), opened);
    EXPECT_EQ(ControlCommands(), std::vector<std::string>{"ATE0"});
}

class ReportedState : public SerialGpsTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ReportedState, OnlyStateTwoReadsAsOn)
{
    const auto [reported, expected] = GetParam();
    Plug(ControlScript(reported));
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    int on = -1;
    ASSERT_EQ(Platform().QdGetGpsState(&on), kQdSuccess);
    EXPECT_EQ(on, expected);
    EXPECT_EQ(ControlCommands().back(), "AT_TGPS?");
}

INSTANTIATE_TEST_SUITE_P(States, ReportedState,
                         ::testing::Values(std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 1}, std::pair{3, 0}));

TEST_F(SerialGpsTest, ControlPortFailuresAreReturnedUnchanged)
{
    CardScript script = ControlScript();
    script.exchanges[2].reply = "\r\n+CME ERROR: 3\r\n"; // AT_TGPS=2
    Plug(std::move(script));
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    EXPECT_EQ(Platform().QdSetGpsState(1), qdCmeError(3));
    EXPECT_EQ(Platform().QdSetGpsState(0), kQdSuccess);
}

TEST_F(SerialGpsTest, EveryNonEmptyDataLineReachesTheClientInOrder)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    const std::vector<std::string> sentences = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
        "OK", // no answer here: the data port's lines are the receiver's, whatever they say
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48",
    };
    data.Send(sentences[0] + "\r\n\r\n" + sentences[1] + "\r\n");
    data.Send(sentences[2] + "\r\n\r\n\r\n" + sentences[3].substr(0, 10));
    data.Send(sentences[3].substr(10) + "\r\n");
    ASSERT_TRUE(WaitForGpsLines(4));
    Drain();
    EXPECT_EQ(GpsLines(), sentences);
    for (const auto& event : client.Events())
        EXPECT_NE(event.thread, std::this_thread::get_id());
}

TEST_F(SerialGpsTest, ExitStopsTheLinesAndClosesBothPorts)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    data.Send("$GPGGA,1*00\r\n");
    ASSERT_TRUE(WaitForGpsLines(1));
    const std::size_t closed = log.Count("Qd: Port closed successfully");
    EXPECT_EQ(Platform().QdExitGps(), kQdSuccess);
    EXPECT_EQ(log.Count("Qd: Port closed successfully"), closed + 2);
    EXPECT_TRUE(log.Contains("Qd: GPS service has been shut down"));
    data.Send("$GPGGA,2*00\r\n");
    Drain();
    EXPECT_EQ(GpsLines(), std::vector<std::string>{"$GPGGA,1*00"});
    int on = -1;
    EXPECT_EQ(Platform().QdGetGpsState(&on), kQdGpsNotRunning);
    EXPECT_EQ(Platform().QdExitGps(), kQdSuccess); // stopped already
    EXPECT_EQ(log.Count("Qd: GPS service has been shut down"), 1u);
}

struct ProbeFailure {
    const char* name;
    std::string reply;
    QdResult code;
};

class FailingProbe : public SerialGpsTest, public ::testing::WithParamInterface<ProbeFailure> {};

TEST_P(FailingProbe, InitTriesThreeTimesThenClosesBothPortsAndReturnsTheCode)
{
    Plug(ControlScript(0, GetParam().reply));
    const std::size_t closed = log.Count("Qd: Port closed successfully");
    EXPECT_EQ(Platform().QdInitGps(), GetParam().code);
    EXPECT_EQ(ControlCommands(), (std::vector<std::string>{"ATE0", "ATE0", "ATE0"}));
    EXPECT_EQ(log.Count("Qd: Port closed successfully"), closed + 2);
    char expected[80];
    std::snprintf(expected, sizeof expected, "Qd: GPS service failed to initialize with 0x%x",
                  static_cast<unsigned>(GetParam().code));
    EXPECT_TRUE(log.Contains(expected));
    EXPECT_EQ(Platform().QdSetGpsState(1), kQdGpsNotRunning);
}

INSTANTIATE_TEST_SUITE_P(Replies, FailingProbe,
                         ::testing::Values(ProbeFailure{"Error", "\r\nERROR\r\n", kQdModemError},
                                           ProbeFailure{"Silent", "", kQdTimeout}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialGpsTest, DeviceGoingDownBetweenProbesEndsInitAtOnce)
{
    Plug(ControlScript(0, "\r\nERROR\r\n"));
    auto init = std::async(std::launch::async, [this] { return Platform().QdInitGps(); });
    ASSERT_TRUE(controlLink->card.WaitForCommands(1));
    device.Exit(0); // waits for the library lock that init holds
    ASSERT_EQ(init.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_EQ(init.get(), kQdNoDevice);
    EXPECT_EQ(ControlCommands().size(), 1u);
    EXPECT_EQ(device.State(), DeviceState::notFound);
}

TEST_F(SerialGpsTest, DeviceExitStopsARunningService)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    ASSERT_EQ(device.Exit(0), 1);
    EXPECT_TRUE(log.Contains("Qd: GPS service has been shut down"));
    data.Send("$GPGGA,2*00\r\n");
    Drain();
    EXPECT_TRUE(GpsLines().empty());
}

enum class FailingPort { data, control };

class GpsPortFailure : public SerialGpsTest, public ::testing::WithParamInterface<FailingPort> {};

// The GPS ports can go without the card (and so without a device exit): the service must
// end with them, or it reports itself running on dead ports and never opens new ones.
TEST_P(GpsPortFailure, EndsTheServiceAndTheNextInitOpensTheNewPorts)
{
    Plug();
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    const bool dataFails = GetParam() == FailingPort::data;
    (dataFails ? data : *controlLink).HangUp();
    ASSERT_TRUE(log.WaitFor(dataFails ? "Qd: The GPS data port failed" : "Qd: The GPS control port failed"));
    int on = -1;
    EXPECT_EQ(Platform().QdGetGpsState(&on), kQdGpsNotRunning);

    PtyCardLink newData{CardScript{{}, 0, ""}};
    PtyCardLink newControl{ControlScript(2)};
    {
        std::lock_guard lock(host.cardMutex);
        std::strcpy(host.card.gpsControlPort, newControl.PortPath().c_str());
        std::strcpy(host.card.gpsDataPort, newData.PortPath().c_str());
    }
    device.UpdateCardState(NkReasonDeviceChange);
    ASSERT_EQ(Platform().QdInitGps(), kQdSuccess);
    EXPECT_EQ(Platform().QdGetGpsState(&on), kQdSuccess);
    EXPECT_EQ(on, 1) << "asked on the new control port";
    newData.Send("$GPGGA,3*00\r\n");
    ASSERT_TRUE(WaitForGpsLines(1));
    EXPECT_EQ(GpsLines(), std::vector<std::string>{"$GPGGA,3*00"});
    EXPECT_EQ(host.Watched(), (std::set<std::string>{app.PortPath(), newData.PortPath(), newControl.PortPath()}));
    device.Exit(0); // before the new ports go with this scope
}

INSTANTIATE_TEST_SUITE_P(Ports, GpsPortFailure, ::testing::Values(FailingPort::data, FailingPort::control),
                         [](const auto& info) { return info.param == FailingPort::data ? "Data" : "Control"; });

} // namespace
} // namespace Orvanta::testing
