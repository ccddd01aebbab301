// The device's handling of the results a card sends on its own, line by line: what each
// handler stores, what it moves to the communicator, what it tells the client, and that
// a line it cannot read changes nothing. The communicator records the device work
// instead of running it, so the registration reports show as they are posted.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/backend/SmsTestMessages.h"
#include "tests/quelder/support/BackendLog.h"

#include "quelder/ModemStates.h"
#include "quelder/Quelder.h"
#include "quelder/registration/CellLocation.h"
#include "quelder/unsolicited/UnsolicitedHandlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::Value;

class UnsolicitedTest : public DeviceFixture<> {
protected:
    void SetUp() override
    {
        host.queue = &communicator;
        host.SetCard(NkCardStarted, kGx750, NkCapApplicationPort);
        device.UpdateCardState(NkReasonDeviceChange);
        ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
        device.SetDeviceState(GSM::DeviceState::initialized, true);
        Drain();
        work.Clear();
    }
    // No card port was opened: nothing to exit.
    void TearDown() override { communicator.Stop(); }

    // Hands `text` to the handlers as the engine does, with the line classified.
    void Feed(const std::string& text)
    {
        GSM::AnswerLine line{text};
        ASSERT_TRUE(line.IsUnsolicited()) << text;
        GSM::HandleUnsolicited(line, *line.UnsolicitedType(), device);
    }
    // True when the handler refused the line.
    bool Refused(const std::string& text)
    {
        try {
            Feed(text);
        } catch (const GSM::ResultError& error) {
            return error.code() == kQdNotAvailable;
        }
        return false;
    }
    std::vector<GSM::QueueEntry> Posted()
    {
        Drain();
        std::vector<GSM::QueueEntry> posted;
        for (const GSM::QueueEntry& entry : work.Entries())
            if (entry.message != kMark)
                posted.push_back(entry);
        return posted;
    }
    std::vector<ClientRecorder::Event> EventsOf(int id)
    {
        Drain();
        std::vector<ClientRecorder::Event> events;
        for (const auto& event : client.Events())
            if (event.id == id)
                events.push_back(event);
        return events;
    }

};

// --- what moves to the communicator ------------------------------------------------------

struct PostedCase {
    const char* name;
    const char* line;
    std::vector<GSM::QueueEntry> posted;
    friend void PrintTo(const PostedCase& c, std::ostream* out) { *out << c.name; }
};

class PostedReport : public UnsolicitedTest, public ::testing::WithParamInterface<PostedCase> {};

TEST_P(PostedReport, ReachesTheCommunicatorAsItsMessage)
{
    Feed(GetParam().line);
    EXPECT_EQ(Posted(), GetParam().posted);
}

constexpr std::uintptr_t Cell(int lac, int cellId) { return GSM::PackCellLocation(GSM::CellLocation{lac, cellId}); }

INSTANTIATE_TEST_SUITE_P(
    Lines, PostedReport,
    ::testing::Values(
        PostedCase{"CircuitSwitchedReport", "+CREG: 1", {{GSM::WM_QD_CS_REGISTRATION, 1, 0}}},
        PostedCase{"CircuitSwitchedQueryAnswerModeFirst", "+CREG: 2,5", {{GSM::WM_QD_CS_REGISTRATION, 5, 0}}},
        PostedCase{"CircuitSwitchedReportWithLocation", "+CREG: 5,\"1A2B\",\"00C3\"", {{GSM::WM_QD_CS_REGISTRATION, 5, 0}}},
        PostedCase{"PacketSwitchedSingleValue", "+CGREG: 1", {{GSM::WM_QD_PS_REGISTRATION, 1, GSM::kNoCellLocation}}},
        PostedCase{"PacketSwitchedQueryAnswerWithLocation", "+CGREG: 2,1,\"1A2B\",\"00C3\"",
                   {{GSM::WM_QD_PS_REGISTRATION, 1, Cell(0x1A2B, 0x00C3)}}},
        PostedCase{"PacketSwitchedReportWithLocation", "+CGREG: 1,\"1A2B\",\"00C3\"",
                   {{GSM::WM_QD_PS_REGISTRATION, 1, Cell(0x1A2B, 0x00C3)}}},
        PostedCase{"PacketSwitchedModeAndState", "+CGREG: 2,0", {{GSM::WM_QD_PS_REGISTRATION, 0, GSM::kNoCellLocation}}},
        PostedCase{"PacketSwitchedBareHexAndBlanks", "+CGREG: 5, 1a2b, 4C3F01",
                   {{GSM::WM_QD_PS_REGISTRATION, 5, Cell(0x1A2B, 0x4C3F01)}}},
        PostedCase{"PacketSwitchedWithTechnologyAndRoutingArea", "+CGREG: 1,\"1A2B\",\"00C3\",2,\"01\"",
                   {{GSM::WM_QD_PS_REGISTRATION, 1, Cell(0x1A2B, 0x00C3)}}},
        PostedCase{"PdpContextActivated", "_TGACT: 1,1", {{GSM::WM_QD_PDP_CONTEXT, 1, 1}}},
        PostedCase{"PdpContextDeactivated", "_TGACT: 2,0", {{GSM::WM_QD_PDP_CONTEXT, 2, 0}}},
        PostedCase{"DataCallOfContextOneEnded", "_TWANCALL: 1,0", {{GSM::WM_QD_DATA_CALL_POLL, 0, 0}}},
        PostedCase{"DataCallOfAnotherContextEnded", "_TWANCALL: 2,0", {}},
        PostedCase{"DataCallUp", "_TWANCALL: 1,1", {}},
        PostedCase{"RingAlone", "RING", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- what a line that cannot be read does: nothing ----------------------------------------

class GarbledLine : public UnsolicitedTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GarbledLine, IsRefusedAndChangesNothing)
{
    device.Set(Value::csNetworkState, 1, true);
    device.Set(Value::signalStrength, 7, Value::signalQuality, 1, true);
    device.Set(Value::voiceState, GSM::kVoiceDisconnected, true);
    device.Set(Value::temperature, 30, true);
    EXPECT_TRUE(Refused(GetParam()));
    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(device.Get(Value::signalStrength), 7);
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceDisconnected);
    EXPECT_EQ(device.Get(Value::temperature), 30);
    EXPECT_EQ(device.Get(Value::cellType2g), 0);
    EXPECT_TRUE(client.Events().empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, GarbledLine,
                         ::testing::Values("+CREG: ", "+CREG: 9", "+CREG:x", "+CGREG: 1,\"1A2", "+CGREG: 1,\"1A2B\"",
                                           "+CGREG: 1,\"12345\",\"00C3\"", "+CGREG: 2,1,\"1A2B\",\"FFFFFFFF\"",
                                           "+CGREG: 7", "_TSIGQ: 5", "_TSIGQ: 5;3", "^MODE: 5", "+CUSD: ,\"x\"",
                                           "+CUSD: 0,Hello", "+CLIP: 555,129", "_TPATEMP: 41", "_TCTI: ",
                                           "_TGACT: 1", "+CMTI: \"SM\"", "_TIDLETEXT: 0,Text", "*MRINFO: 2"));

// --- what is stored on the spot ------------------------------------------------------------

struct StoredCase {
    const char* name;
    std::function<void(GSM::Device&)> before;
    const char* line;
    std::vector<std::pair<Value, int>> after;
    friend void PrintTo(const StoredCase& c, std::ostream* out) { *out << c.name; }
};

class StoredValue : public UnsolicitedTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValue, IsWhatTheLineSays)
{
    const StoredCase& c = GetParam();
    if (c.before)
        c.before(device);
    Feed(c.line);
    for (const auto& [value, expected] : c.after)
        EXPECT_EQ(device.Get(value), expected) << GSM::InfoOf(value).name;
}

void CircuitSwitched(GSM::Device& d) { d.Set(Value::csNetworkState, GSM::kRegistered, true); }
void PacketSwitched(GSM::Device& d) { d.Set(Value::psNetworkState, GSM::kRegistered, true); }
std::function<void(GSM::Device&)> Voice(int state)
{
    return [state](GSM::Device& d) { d.Set(Value::voiceState, state, true); };
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StoredValue,
    ::testing::Values(
        StoredCase{"SignalWhileRegistered", CircuitSwitched, "_TSIGQ: 18,3",
                   {{Value::signalStrength, 18}, {Value::signalQuality, 3}}},
        StoredCase{"SignalWhileNotRegisteredReadsZero", nullptr, "_TSIGQ: 18,3",
                   {{Value::signalStrength, 0}, {Value::signalQuality, 0}}},
        StoredCase{"NdisKindSignal", PacketSwitched, "*MCSQ: 20,4",
                   {{Value::signalStrength, 20}, {Value::signalQuality, 4}}},
        StoredCase{"HuaweiSignal", CircuitSwitched, "^RSSI: 17", {{Value::signalStrength, 17}, {Value::signalQuality, 0}}},
        StoredCase{"WcdmaSignalWhilePacketSwitchedRegistered", PacketSwitched, "_TEANT: 42", {{Value::wcdmaSignal, 42}}},
        StoredCase{"WcdmaSignalKeptZeroOnCircuitSwitchedAlone", CircuitSwitched, "_TEANT: 42", {{Value::wcdmaSignal, 0}}},
        StoredCase{"SystemGsmIsGprs", nullptr, "_TSSYSI: 0", {{Value::accessTechnology, GSM::kTechnologyGprs}}},
        StoredCase{"SystemWcdmaIsUmts", nullptr, "_TSSYSI: 2", {{Value::accessTechnology, GSM::kTechnologyUmts}}},
        StoredCase{"OtherSystemIsNone",
                   [](GSM::Device& d) { d.Set(Value::accessTechnology, GSM::kTechnologyUmts, true); }, "_TSSYSI: 7",
                   {{Value::accessTechnology, GSM::kTechnologyNone}}},
        StoredCase{"CellType", nullptr, "_TCTI: 3", {{Value::cellType2g, 3}}},
        StoredCase{"CellTypeQueryAnswer", nullptr, "_TCTI: 1,2", {{Value::cellType2g, 2}}},
        StoredCase{"CellType3g", nullptr, "_TUWCTI: 2", {{Value::cellType3g, 2}}},
        StoredCase{"ModeHspaIsUmts", nullptr, "^MODE: 5,7",
                   {{Value::cellType3g, 4}, {Value::cellType2g, 0}, {Value::accessTechnology, GSM::kTechnologyUmts}}},
        StoredCase{"ModeHsdpa", nullptr, "^MODE: 5,5", {{Value::cellType3g, 2}, {Value::accessTechnology, 2}}},
        StoredCase{"ModeEdgeIsGprs", nullptr, "^MODE: 3,3",
                   {{Value::cellType2g, 3}, {Value::cellType3g, 0}, {Value::accessTechnology, GSM::kTechnologyGprs}}},
        StoredCase{"ModeWithoutServiceKeepsTheTechnology",
                   [](GSM::Device& d) {
                       d.Set(Value::accessTechnology, GSM::kTechnologyUmts, true);
                       d.Set(Value::cellType3g, 2, true);
                   },
                   "^MODE: 0,0",
                   {{Value::cellType2g, 0}, {Value::cellType3g, 0}, {Value::accessTechnology, GSM::kTechnologyUmts}}},
        StoredCase{"RadioSwitchOff", nullptr, "_TWSTAT: 1", {{Value::hwRadioSwitch, GSM::kSwitchOff}}},
        StoredCase{"RadioSwitchOn", nullptr, "_TWSTAT: 0", {{Value::hwRadioSwitch, GSM::kSwitchOn}}},
        StoredCase{"Temperature", nullptr, "_TPATEMP: 0,41", {{Value::temperature, 41}}},
        StoredCase{"TemperatureBelowZeroIsZero", nullptr, "_TPATEMP: 0,-5", {{Value::temperature, 0}}},
        StoredCase{"TemperatureLastOfThree", nullptr, "_TPATEMP: 0,1,38", {{Value::temperature, 38}}},
        StoredCase{"AntennaOfACardWithout", nullptr, "_TANTPOSI: 1", {{Value::antennaPulledOut, 0}}},
        StoredCase{"EdgeBitOfTheRadioInformation", nullptr, "*MRINFO: 2,1", {{Value::edgeRegistered, 1}}},
        StoredCase{"NoEdgeBit", [](GSM::Device& d) { d.Set(Value::edgeRegistered, 1, true); }, "*MRINFO: 1,1",
                   {{Value::edgeRegistered, 0}}},
        StoredCase{"ConnectedLineWhileDialing", Voice(GSM::kVoiceDialing), "+COLP: \"+15551230000\",145",
                   {{Value::voiceState, GSM::kVoiceConnected}}},
        StoredCase{"ConnectedLineWithoutACall", Voice(GSM::kVoiceDisconnected), "+COLP: \"+15551230000\",145",
                   {{Value::voiceState, GSM::kVoiceDisconnected}}},
        StoredCase{"BusyEndsTheCall", Voice(GSM::kVoiceConnected), "BUSY", {{Value::voiceState, GSM::kVoiceDisconnected}}},
        StoredCase{"NoCarrierEndsRinging", Voice(GSM::kVoiceRinging), "NO CARRIER",
                   {{Value::voiceState, GSM::kVoiceDisconnected}}},
        StoredCase{"NoCarrierWithoutVoice", Voice(GSM::kVoiceNotReady), "NO CARRIER",
                   {{Value::voiceState, GSM::kVoiceNotReady}}},
        StoredCase{"RingAloneChangesNothing", Voice(GSM::kVoiceDisconnected), "RING",
                   {{Value::voiceState, GSM::kVoiceDisconnected}}},
        StoredCase{"CallerWhileInACall", Voice(GSM::kVoiceConnected), "+CLIP: \"+15551230000\",145",
                   {{Value::voiceState, GSM::kVoiceConnected}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnsolicitedTest, EachHandledTypeLogsItsNameFirstAndOthersAreIgnored)
{
    Feed("_TWSTAT: 1");
    Feed("+STC: 0");
    const auto messages = log.Messages();
    const auto name = std::find(messages.begin(), messages.end(), "Qd: Unsolicited::cHwRadioSwitch");
    ASSERT_NE(name, messages.end());
    EXPECT_TRUE(log.Contains("Qd: Hardware radio switch has changed to Off"));
    EXPECT_EQ(log.Count("Qd: Ignored the unsupported unsolicited input..."), 1u);
    for (const GSM::UnsolicitedRow& row : GSM::UnsolicitedRows())
        EXPECT_TRUE(std::string_view(row.logName).starts_with("Qd: Unsolicited::c")) << row.logName;
}

TEST_F(UnsolicitedTest, RingThenCallerIdRingsWithTheNumber)
{
    device.Set(Value::voiceState, GSM::kVoiceDisconnected, true);
    Feed("RING");
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceDisconnected);
    Feed("+CLIP: \"+15551230000\",145");
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceRinging);
    EXPECT_EQ(device.CallerNumber(), "+15551230000");
    EXPECT_EQ(EventsOf(QdEventVoiceState).size(), 1u);
}

TEST_F(UnsolicitedTest, CallerWithoutAUsableNumberRingsWithoutOne)
{
    device.Set(Value::voiceState, GSM::kVoiceDisconnected, true);
    Feed("+CLIP: \"Private\",128");
    EXPECT_EQ(device.Get(Value::voiceState), GSM::kVoiceRinging);
    EXPECT_EQ(device.CallerNumber(), "");
    EXPECT_TRUE(log.Contains("Qd: Caller's phone number is unknown"));
}

TEST_F(UnsolicitedTest, AntennaOfASmartAntennaCard)
{
    host.SetCard(NkCardStarted, 0x1C01, NkCapApplicationPort);
    device.UpdateCardState(NkReasonDeviceChange);
    Feed("_TANTPOSI: 1");
    EXPECT_EQ(device.Get(Value::antennaPulledOut), 1);
    Feed("_TANTPOSI: 0");
    EXPECT_EQ(device.Get(Value::antennaPulledOut), 0);
    EXPECT_EQ(EventsOf(QdEventSmartAntenna).size(), 2u);
}

TEST_F(UnsolicitedTest, IdleTextWithAndWithoutItsNumber)
{
    Feed("_TIDLETEXT: 0,\"Test Network\"");
    EXPECT_EQ(device.IdleText(), "Test Network");
    Feed("_TIDLETEXT: \"Other Network\"");
    EXPECT_EQ(device.IdleText(), "Other Network");
    EXPECT_EQ(EventsOf(QdEventIdleText).size(), 2u);
}

TEST_F(UnsolicitedTest, NewMessageOnTheSimTellsItsIndex)
{
    Feed("+CMTI: \"SM\",3");
    Feed("+CMTI: \"ME\",4");
    const auto events = EventsOf(QdEventNewSmsIndex);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].value, 3);
}

TEST_F(UnsolicitedTest, NewMessageOfAGobiCardIsLeftToItsLibrary)
{
    host.SetCard(NkCardStarted, 0x8400, 0);
    device.UpdateCardState(NkReasonDeviceChange);
    Feed("+CMTI: \"SM\",3");
    EXPECT_TRUE(EventsOf(QdEventNewSmsIndex).empty());
}

TEST_F(UnsolicitedTest, NewMessageOnTheSimIsQueuedForReadingIntoTheCopy)
{
    Feed("+CMTI: \"SM\",3");
    Feed("+CMTI: \"ME\",4");
    EXPECT_TRUE(Refused("+CMTI: \"SM\",-2"));
    const std::vector<GSM::QueueEntry> posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, GSM::WM_QD_NEW_SMS);
    EXPECT_EQ(posted[0].wParam, 3u);
}

TEST_F(UnsolicitedTest, NewMessageIsNotReadWhenTheCopyIsNotKept)
{
    device.SmsShadowCopy().SetKept(false);
    Feed("+CMTI: \"SM\",3");
    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(EventsOf(QdEventNewSmsIndex).size(), 1u);
    device.SmsShadowCopy().SetKept(true);
}

// --- messages handed over with their PDU ---------------------------------------------------

struct TemporaryCase {
    const char* name;
    std::string line; // as the engine joins it: the report, ";", the PDU
    int event;        // -1: none
    std::string text; // the message's text, or the report's recipient
    int value;        // -1 for a message, the report's status
    const char* logLine;
    friend void PrintTo(const TemporaryCase& c, std::ostream* out) { *out << c.name; }
};

class TemporaryMessage : public UnsolicitedTest, public ::testing::WithParamInterface<TemporaryCase> {};

TEST_P(TemporaryMessage, ReachesTheClientAsItsRecord)
{
    const TemporaryCase& c = GetParam();
    Feed(c.line);
    Drain();
    std::vector<ClientRecorder::Event> told;
    for (const auto& event : client.Events())
        if (event.id == QdEventTemporarySms || event.id == QdEventSmsStatusReport)
            told.push_back(event);
    if (c.event < 0) {
        EXPECT_TRUE(told.empty());
    } else {
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].id, c.event);
        EXPECT_EQ(told[0].text, c.text);
        EXPECT_EQ(told[0].value, c.value);
    }
    if (c.logLine != nullptr) {
        EXPECT_TRUE(log.Contains(c.logLine));
    }
}

constexpr const char* kTemporaryFailed = "Qd: Unsolicited::HandleUnsolicited(): Processing temporary message failed with 0x84000011";

INSTANTIATE_TEST_SUITE_P(
    Lines, TemporaryMessage,
    ::testing::Values(
        TemporaryCase{"Delivered", "+CMT: ,24;" + kHelloPdu, QdEventTemporarySms, "hello", -1, nullptr},
        TemporaryCase{"DeliveredWithAName", "+CMT: \"Bob, Jr.\",24;" + kHelloPdu, QdEventTemporarySms, "hello", -1,
                      nullptr},
        TemporaryCase{"StatusReport", "+CDS: 25;" + kReportPdu, QdEventSmsStatusReport, "+15551234567", 0x41, nullptr},
        TemporaryCase{"StatusReportHandedOverAsAMessage", "+CMT: ,25;" + kReportPdu, QdEventSmsStatusReport,
                      "+15551234567", 0x41, nullptr},
        TemporaryCase{"PduThatIsNoHex", "+CMT: ,24;07911326040000F0ZZ", -1, "", 0, kTemporaryFailed},
        TemporaryCase{"LengthThatDoesNotMatch", "+CMT: ,30;" + kHelloPdu, -1, "", 0, kTemporaryFailed},
        TemporaryCase{"BrokenPdu", "+CDS: 1;" + kBrokenPdu, -1, "", 0,
                      "Qd: Unsolicited::HandleUnsolicited(): Processing temporary message failed with 0x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnsolicitedTest, MessageReportWithoutItsPduIsRefused)
{
    EXPECT_TRUE(Refused("+CMT: ,24"));
    EXPECT_TRUE(Refused("+CDS: x;00"));
}

TEST_F(UnsolicitedTest, AccessTechnologyReportRaisesTheStandingRegistrationsAgain)
{
    device.Set(Value::csNetworkState, GSM::kRegistered, true);
    Feed("_TSSYSI: 2");
    const std::vector<int> ids = (Drain(), client.EventIds());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), QdEventCsNetworkState), 1);
    // The packet-switched state came with the UMTS cell, and is told by its own event.
    EXPECT_EQ(device.Get(Value::psNetworkState), GSM::kNotRegistered);
}

// --- USSD ----------------------------------------------------------------------------------

struct UssdCase {
    const char* name;
    bool ucs2;
    std::string line;
    int status;
    std::string text;
    friend void PrintTo(const UssdCase& c, std::ostream* out) { *out << c.name; }
};

class UssdNotification : public UnsolicitedTest, public ::testing::WithParamInterface<UssdCase> {};

TEST_P(UssdNotification, ReachesTheClientAsItsRecord)
{
    const UssdCase& c = GetParam();
    GSM::CardFeatures features;
    features.ucs2 = c.ucs2;
    device.SetFeatures(features);
    Feed(c.line);
    const auto events = EventsOf(QdEventUssdMessage);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].value, c.status);
    EXPECT_EQ(events[0].text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UssdNotification,
    ::testing::Values(UssdCase{"Text", false, "+CUSD: 0,\"Balance 5.00\",15", 0, "Balance 5.00"},
                      UssdCase{"WithoutComma", false, "+CUSD: 2", 2, ""},
                      UssdCase{"WithoutCodingScheme", false, "+CUSD: 1,\"Reply 1 or 2\"", 1, "Reply 1 or 2"},
                      UssdCase{"Ucs2Card", true, "+CUSD: 0,\"004800E9\",72", 0, "H\xC3\xA9"},
                      UssdCase{"Ucs2CardSendingPlainText", true, "+CUSD: 0,\"Hello there\",15", 0, "Hello there"},
                      UssdCase{"LongTextIsCutAtTheRecord", false, "+CUSD: 0,\"" + std::string(300, 'x') + "\",15", 0,
                               std::string(256, 'x')},
                      UssdCase{"LongTextIsCutAtACharacter", false,
                               "+CUSD: 0,\"" + std::string(255, 'x') + "\xC3\xA9\",15", 0, std::string(255, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnsolicitedTest, UssdWithItsEventDisabledIsDropped)
{
    device.EnableEvent(QdEventUssdMessage, false);
    Feed("+CUSD: 0,\"Balance 5.00\",15");
    EXPECT_TRUE(EventsOf(QdEventUssdMessage).empty());
    EXPECT_TRUE(log.Contains("Qd: USSD notification ignored since its Qd event is disabled"));
}

} // namespace
} // namespace Orvanta::testing
