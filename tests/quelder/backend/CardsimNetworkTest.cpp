// The backend's registration, network and call services through the Qd functions,
// against orvanta-cardsim and the network it plays: the reports switched on at start-up,
// registration at home, roaming and on a virtual home network, signal changes, the radio
// going off, scanning and manual selection, calls, USSD, and lines the card garbles.

#include "tests/quelder/backend/CardsimBackendFixture.h"

#include "quelder/platforms/NetworkAnswers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

class CardsimNetwork : public CardsimBackend {
protected:
    std::vector<std::string> CardArguments() const override
    {
        std::vector<std::string> arguments{"--serial", kSerial, "--scan-delay", "200"};
        const std::vector<std::string> more = NetworkArguments();
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }
    virtual std::vector<std::string> NetworkArguments() const { return {}; }

    // The start-up the middleware runs for a card it drives whole, with the network's
    // reports switched on; returns where the commands of the network's start began.
    std::size_t StartNetwork()
    {
        EXPECT_TRUE(WaitForState(QdDeviceFound));
        EXPECT_EQ(QdInitializeDevice(1, 0, 0), 0);
        const std::size_t before = CommandsWritten().size();
        EXPECT_EQ(QdInitializeNetwork(), 0);
        EXPECT_EQ(QdInitializeIndicators(), 0);
        return before;
    }

    std::size_t Count(int event) const
    {
        const auto ids = client.EventIds();
        return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), event));
    }
    // Waits until event `id` has come `count` times.
    bool WaitForEvents(int id, std::size_t count)
    {
        return client.WaitFor([id, count](const auto& events) {
            return static_cast<std::size_t>(std::count_if(events.begin(), events.end(),
                                                          [id](const auto& e) { return e.id == id; })) >= count;
        });
    }
    static int CsState()
    {
        int state = -1;
        EXPECT_EQ(QdGetCsNetworkState(&state), 0);
        return state;
    }
    static int PsState()
    {
        int state = -1;
        EXPECT_EQ(QdGetPsNetworkState(&state), 0);
        return state;
    }
    // Waits until both registration states read `state`.
    bool WaitForRegistration(int state)
    {
        return client.WaitFor([state](const auto&) { return CsState() == state && PsState() == state; });
    }
    void Control(const std::string& command)
    {
        const std::string answer = card.control(command);
        ASSERT_EQ(answer.rfind("OK", 0), 0u) << command << ": " << answer;
    }
};

TEST_F(CardsimNetwork, ReportsAreSwitchedOnAtStartUpAndTellWhereTheCardStands)
{
    const std::size_t before = StartNetwork();
    const std::vector<std::string> sent = CommandsWritten(before);
    for (const char* command : {"AT+CREG=1", "AT+CGREG=2", "AT_TCTI=1", "AT_TUWCTI=1", "AT+CREG?", "AT+CGREG?",
                                "AT_TCTI?", "AT_TUWCTI?", "AT_TPSYS=?", "AT_TWIND=1;_TWIND?"})
        EXPECT_NE(std::find(sent.begin(), sent.end(), command), sent.end()) << command;
    // The card starts registered at home, on a cell whose location the report gives.
    ASSERT_TRUE(WaitForRegistration(1));
    ASSERT_TRUE(WaitForEvents(QdEventCellLocation, 1));
    int lac = -1, cellId = -1;
    ASSERT_EQ(QdGetCellLocation(&lac, &cellId), 0);
    EXPECT_EQ(lac, 0x2F1E);
    EXPECT_EQ(cellId, 0x5A03);
    EXPECT_FALSE(log.Contains("occured during processing the previous unsolicited response"));
}

class CardsimWithoutNetwork : public CardsimNetwork {
protected:
    std::vector<std::string> NetworkArguments() const override { return {"--network", "none"}; }
};

TEST_F(CardsimWithoutNetwork, RegisteringAtHomeTellsBothDomainsWithStateOne)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(0));
    const std::size_t cs = Count(QdEventCsNetworkState), ps = Count(QdEventPsNetworkState);
    Control("register home");
    ASSERT_TRUE(WaitForEvents(QdEventCsNetworkState, cs + 1));
    ASSERT_TRUE(WaitForEvents(QdEventPsNetworkState, ps + 1));
    ASSERT_TRUE(WaitForRegistration(1));
}

TEST_F(CardsimWithoutNetwork, RoamingOnANetworkThatIsNotTheSimsHomeIsRoaming)
{
    StartNetwork();
    Control("register roaming");
    ASSERT_TRUE(WaitForRegistration(5));
    EXPECT_FALSE(log.Contains("hiding roaming"));
}

class CardsimOnVirtualHome : public CardsimNetwork {
protected:
    std::vector<std::string> NetworkArguments() const override
    {
        return {"--network", "none", "--operator", "302720 \"Orvanta Partner North\" OPN roaming", "--imsi",
                "302370123456789"};
    }
};

TEST_F(CardsimOnVirtualHome, RoamingOnAVirtualHomeNetworkOfTheSimStaysRegistered)
{
    StartNetwork();
    Control("register roaming");
    ASSERT_TRUE(client.WaitFor([](const auto&) { return CsState() == 1 && PsState() == 1; }));
    EXPECT_TRUE(log.Contains("Qd: Network and SIM pair seems to belong to a virtual home network, hiding roaming..."));
    char id[16] = {};
    ASSERT_EQ(QdGetNetworkId(id, sizeof id), 0);
    EXPECT_STREQ(id, "302720");
}

TEST_F(CardsimNetwork, SignalChangesRaiseTheSignalEvent)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    const std::size_t before = Count(QdEventSignalQuality);
    Control("signal 12");
    ASSERT_TRUE(WaitForEvents(QdEventSignalQuality, before + 1));
    ASSERT_TRUE(client.WaitFor([](const auto&) {
        int strength = -1, quality = -1;
        return QdGetSignalStrength(&strength, &quality) == 0 && strength == 12;
    }));
    int strength = -1, quality = -1;
    ASSERT_EQ(QdGetSignalQuality(&strength, &quality), 0);
    EXPECT_EQ(strength, 12);
}

TEST_F(CardsimNetwork, RadioOffDropsTheRegistrationAndOnBringsItBack)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    char answer[64] = {};
    ASSERT_EQ(QdSendAtCommand("AT+CFUN=0", answer, sizeof answer), 0);
    ASSERT_TRUE(WaitForRegistration(0));
    // No network, no signal; its report may follow the registration's.
    EXPECT_TRUE(client.WaitFor([](const auto&) {
        int strength = -1, quality = -1;
        return QdGetSignalStrength(&strength, &quality) == 0 && strength == 0;
    }));
    ASSERT_EQ(QdSendAtCommand("AT+CFUN=1", answer, sizeof answer), 0);
    ASSERT_TRUE(WaitForRegistration(1));
}

// The networks of a scan as the client reads the list.
std::vector<GSM::NetworkEntry> ReadList(const void* list, int count)
{
    std::vector<GSM::NetworkEntry> entries;
    for (int i = 0; i < count; ++i) {
        const auto* entry = static_cast<const unsigned char*>(list) + i * 64;
        GSM::NetworkEntry e;
        std::memcpy(&e.mccMnc, entry, 4);
        std::memcpy(&e.state, entry + 4, 4);
        e.longName = reinterpret_cast<const char*>(entry + 8);
        e.shortName = reinterpret_cast<const char*>(entry + 41);
        std::memcpy(&e.technology, entry + 60, 4);
        entries.push_back(e);
    }
    return entries;
}

TEST_F(CardsimNetwork, ScanListsTheCardsOperatorsAndManualSelectionRegistersThere)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    void* list = nullptr;
    int count = 0;
    ASSERT_EQ(QdScanNetworks(&list, &count), 0);
    const std::vector<GSM::NetworkEntry> networks = ReadList(list, count);
    QdFreeMemory(list);
    ASSERT_EQ(networks.size(), 3u);
    EXPECT_EQ(networks[0].mccMnc, 101);
    EXPECT_EQ(networks[0].longName, "Orvanta Test Net");
    EXPECT_EQ(networks[0].state, 2); // the one the card is on
    const auto roamingPartner = std::find_if(networks.begin(), networks.end(),
                                             [](const GSM::NetworkEntry& n) { return n.mccMnc == 102; });
    ASSERT_NE(roamingPartner, networks.end());
    EXPECT_EQ(roamingPartner->longName, "Orvanta Roaming Partner");

    ASSERT_EQ(QdSetNetworkSelectionMode(1, "00102", 0), 0);
    ASSERT_TRUE(WaitForRegistration(5));
    char id[16] = {};
    ASSERT_EQ(QdGetNetworkId(id, sizeof id), 0);
    EXPECT_STREQ(id, "00102");
    int mode = -1;
    ASSERT_EQ(QdGetNetworkSelectionMode(&mode), 0);
    EXPECT_EQ(mode, 1);
    unsigned char information[64] = {};
    ASSERT_EQ(QdGetNetworkInformation(information), 0);
    EXPECT_EQ(ReadList(information, 1).front().longName, "Orvanta Roaming Partner");
    EXPECT_EQ(QdSetNetworkSelectionMode(1, "99999", 0), qdCmeError(30)); // a network the card does not see
}

TEST_F(CardsimNetwork, RingingOnACardWithoutVoiceLeavesTheVoiceStateAlone)
{
    // The virtual card says it carries no voice ("_TPCMENABLE: 0"): its calls reach the
    // handlers, and the voice state stays NotReady.
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    char answer[64] = {};
    ASSERT_EQ(QdSendAtCommand("AT+CLIP=1", answer, sizeof answer), 0);
    Control("ring +15551234");
    ASSERT_TRUE(log.WaitFor("Qd: Unsolicited::cClip"));
    int voice = -1;
    ASSERT_EQ(QdGetVoiceState(&voice), 0);
    EXPECT_EQ(voice, 0);
    EXPECT_EQ(Count(QdEventVoiceState), 0u);
    EXPECT_EQ(QdDial("+15551234"), kQdNotSupported);
}

class CardsimWithVoice : public CardsimNetwork {
protected:
    std::vector<std::string> NetworkArguments() const override { return {"--voice"}; }

    static int VoiceState()
    {
        int voice = -1;
        EXPECT_EQ(QdGetVoiceState(&voice), 0);
        return voice;
    }
    bool WaitForVoiceState(int state)
    {
        return client.WaitFor([state](const auto&) { return VoiceState() == state; });
    }
};

TEST_F(CardsimWithVoice, AnIncomingCallRingsWithTheCallersNumberUntilTheOtherSideHangsUp)
{
    StartNetwork();
    const std::vector<std::string> sent = CommandsWritten();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "AT+CLIP=1;+COLP=1"), sent.end()) << "caller ids on at start-up";
    ASSERT_TRUE(WaitForRegistration(1));
    ASSERT_TRUE(WaitForVoiceState(1)) << "registered, a voice card is ready for calls";

    Control("ring +15551234");
    ASSERT_TRUE(WaitForVoiceState(3));
    char number[32] = {};
    ASSERT_EQ(QdGetCallerNumber(number, sizeof number), 0);
    EXPECT_STREQ(number, "+15551234");

    Control("hangup");
    EXPECT_TRUE(WaitForVoiceState(1));
    // The events come through the client's queue, after the state they tell of: at least
    // the ringing's and the hang-up's.
    EXPECT_TRUE(WaitForEvents(QdEventVoiceState, 2)) << Count(QdEventVoiceState) << " voice state events";
}

TEST_F(CardsimNetwork, UssdAnswersAndNetworkMessagesReachTheClientWithTheirText)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    ASSERT_EQ(QdSendUssdCommand("*100#"), 0);
    ASSERT_TRUE(WaitForEvents(QdEventUssdMessage, 1));
    EXPECT_FALSE(client.Events().empty());
    Control("ussd Your bonus is waiting");
    ASSERT_TRUE(client.WaitFor([](const auto& events) {
        return std::any_of(events.begin(), events.end(), [](const auto& e) {
            return e.id == QdEventUssdMessage && e.text == "Your bonus is waiting" && e.value == 0;
        });
    }));
    EXPECT_EQ(QdCancelUssdCommand(), 0);
}

TEST_F(CardsimNetwork, GarbledAndCutReportsChangeNothingAndBreakNothing)
{
    StartNetwork();
    ASSERT_TRUE(WaitForRegistration(1));
    // The location comes with the packet-switched report, which may follow the states.
    ASSERT_TRUE(WaitForEvents(QdEventCellLocation, 1));
    int lac = -1, cellId = -1;
    ASSERT_EQ(QdGetCellLocation(&lac, &cellId), 0);
    Control("urc app +CGREG: 1,\"1A2");
    Control("urc app +CREG: 9");
    Control("urc app _TSIGQ: x,3");
    Control("urc app ^MODE: 5");
    ASSERT_TRUE(log.WaitForCount("occured during processing the previous unsolicited response", 4, 10s));
    EXPECT_EQ(CsState(), 1);
    EXPECT_EQ(PsState(), 1);
    int after = -1, afterCell = -1;
    ASSERT_EQ(QdGetCellLocation(&after, &afterCell), 0);
    EXPECT_EQ(after, lac);
    EXPECT_EQ(afterCell, cellId);
    // The card goes on being heard and answered.
    const std::size_t before = Count(QdEventSignalQuality);
    Control("signal 7");
    ASSERT_TRUE(WaitForEvents(QdEventSignalQuality, before + 1));
    int strength = -1, quality = -1;
    EXPECT_EQ(QdGetSignalQuality(&strength, &quality), 0);
    EXPECT_EQ(strength, 7);
}

} // namespace
} // namespace Orvanta::testing
