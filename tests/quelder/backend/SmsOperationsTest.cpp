// The generic platform's SMS and phonebook operations against a scripted card: the
// commands each sends, what it makes of the answers, the card's errors passed on, and
// the prompt of a message body cancelled with ESC when anything goes wrong after it.

#include "tests/quelder/backend/OperationCase.h"

#include "quelder/Device.h"
#include "quelder/QdResult.h"
#include "quelder/platforms/Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::Value;

// "How are you?" from +15551234567 (3GPP TS 23.040 style, 7-bit).
const std::string kPdu = "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07";
constexpr int kTpduLength = 32;
const std::string kOtherPdu = "0011000B916407281553F80000AA05E8329BFD06";
constexpr int kOtherTpduLength = 19;

constexpr std::string_view kEscape = "\x1b";

Exchange Reply(std::string command, std::string reply) { return {std::move(command), std::move(reply)}; }
Exchange CmsError(std::string command, int error)
{
    return {std::move(command), "\r\n+CMS ERROR: " + std::to_string(error) + "\r\n"};
}

QdPhysicalSms Physical(const std::string& pdu, int tpduLength, int status = QdSmsStoredUnsent)
{
    QdPhysicalSms message{};
    message.index = -1;
    message.status = status;
    message.tpduLength = tpduLength;
    std::memcpy(message.pdu, pdu.data(), std::min(pdu.size(), sizeof message.pdu - 1));
    return message;
}

Outcome Described(QdResult rc, const QdPhysicalSms& m)
{
    return {Code(rc), std::to_string(m.index), std::to_string(m.status), std::to_string(m.tpduLength), m.pdu};
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> ReadMessage(int index)
{
    return [index](GSM::Platform& p, GSM::Device&) {
        QdPhysicalSms message{};
        const QdResult rc = p.QdReadPhysicalSmsMessage(index, &message);
        return Described(rc, message);
    };
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> ReadAll()
{
    return [](GSM::Platform& p, GSM::Device&) {
        QdPhysicalSms* list = nullptr;
        int count = -1;
        const QdResult rc = p.QdReadAllPhysicalSmsMessages(&list, &count);
        Outcome outcome{Code(rc), std::to_string(count)};
        for (int i = 0; i < count; ++i) {
            const Outcome one = Described(rc, list[i]);
            outcome.insert(outcome.end(), one.begin() + 1, one.end());
        }
        std::free(list);
        return outcome;
    };
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> Send(QdPhysicalSms message)
{
    return [message](GSM::Platform& p, GSM::Device&) {
        int reference = -1;
        const QdResult rc = p.QdSendPhysicalSmsMessage(&message, &reference);
        return Outcome{Code(rc), std::to_string(reference)};
    };
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> Write(QdPhysicalSms message)
{
    return [message](GSM::Platform& p, GSM::Device&) {
        int index = -1;
        const QdResult rc = p.QdWritePhysicalSmsMessage(&message, &index);
        return Outcome{Code(rc), std::to_string(index)};
    };
}

// The call's outcome, then whether the SIM reads as full.
template <class Call>
std::function<Outcome(GSM::Platform&, GSM::Device&)> WithSimFull(Call call)
{
    return [call](GSM::Platform& p, GSM::Device& d) {
        Outcome outcome = call(p, d);
        outcome.push_back(std::to_string(d.Get(Value::simFull)));
        return outcome;
    };
}

const std::string kOwnStart = "AT+CNMI=2,1,0,1;+CMGF=0";
const std::string kSelectSim = "AT+CPMS=\"SM\",\"SM\",\"SM\"";
const std::string kCounts = "+CPMS: \"ME\",1,100,\"SM\",3,30,\"SM\",3,30";

class SmsOperation : public CardOperation {};

TEST_P(SmsOperation, SendsItsCommandsAndReadsTheAnswers) { RunsAsItsRowSays(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    StartUp, SmsOperation,
    ::testing::Values(
        OperationCase{"OwnCardsReportStatusReportsDirectly", kGx750,
                      {OkTo(kOwnStart), Ask(kSelectSim, {"+CPMS: 3,30,3,30,3,30"})},
                      WithSimFull(CodeOf([](GSM::Platform& p) { return p.QdInitializeSms(); })),
                      {kDone, "0"}, {kOwnStart, kSelectSim}},
        OperationCase{"HuaweiCardsStoreThem", kHuawei,
                      {OkTo("AT+CNMI=2,1,0,2;+CMGF=0"), Ask(kSelectSim, {"+CPMS: 3,30,3,30,3,30"})},
                      CodeOf([](GSM::Platform& p) { return p.QdInitializeSms(); }), {kDone},
                      {"AT+CNMI=2,1,0,2;+CMGF=0", kSelectSim}},
        OperationCase{"OtherCardsTakeTheStandardRouting", kOtherMaker,
                      {OkTo("AT+CNMI=2,1,0;+CMGF=0"), Ask(kSelectSim, {"+CPMS: 3,30,3,30,3,30"})},
                      CodeOf([](GSM::Platform& p) { return p.QdInitializeSms(); }), {kDone},
                      {"AT+CNMI=2,1,0;+CMGF=0", kSelectSim}},
        OperationCase{"FullSimIsTold", kGx750, {OkTo(kOwnStart), Ask(kSelectSim, {"+CPMS: 30,30,30,30,30,30"})},
                      WithSimFull(CodeOf([](GSM::Platform& p) { return p.QdInitializeSms(); })),
                      {kDone, "1"}, {kOwnStart, kSelectSim}},
        OperationCase{"RefusedRoutingStopsTheStartUp", kGx750, {CmsError(kOwnStart, 303)},
                      CodeOf([](GSM::Platform& p) { return p.QdInitializeSms(); }), {Code(qdCmsError(303))},
                      {kOwnStart}},
        OperationCase{"ServiceCentre", kGx750, {Ask("AT+CSCA?", {"+CSCA: \"+12065550100\",145"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetSmsServiceCenterAddress(t, n); }),
                      {kDone, "+12065550100"}, {"AT+CSCA?"}},
        OperationCase{"NoServiceCentre", kGx750, {Ask("AT+CSCA?", {"+CSCA: \"\",129"})},
                      TextOut([](GSM::Platform& p, char* t, std::uint32_t n) { return p.QdGetSmsServiceCenterAddress(t, n); }),
                      {Code(kQdNotAvailable), ""}, {"AT+CSCA?"}},
        OperationCase{"SimStorageUsedIsTheSimsWhereverItStands", kGx750, {Ask("AT+CPMS?", {kCounts})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSimPhysicalSmsMessageStorageSize(v); }),
                      {kDone, "3"}, {"AT+CPMS?"}},
        OperationCase{"SimStorageTotal", kGx750, {Ask("AT+CPMS?", {kCounts})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSimPhysicalSmsStorageTotalSize(v); }),
                      {kDone, "30"}, {"AT+CPMS?"}},
        OperationCase{"UsedCountIsTheReadingStorages", kGx750, {Ask("AT+CPMS?", {kCounts})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSmsStorageUsedCount(v); }), {kDone, "1"},
                      {"AT+CPMS?"}},
        OperationCase{"CapacityIsTheReadingStorages", kGx750, {Ask("AT+CPMS?", {kCounts})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSmsStorageCapacity(v); }), {kDone, "100"},
                      {"AT+CPMS?"}},
        OperationCase{"CountsThatDoNotAddUp", kGx750, {Ask("AT+CPMS?", {"+CPMS: \"SM\",31,30"})},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSmsStorageCapacity(v); }),
                      {Code(kQdNotAvailable), "-1"}, {"AT+CPMS?"}},
        OperationCase{"StorageStateIsTheCachedFullFlag", kGx750, {},
                      IntOut([](GSM::Platform& p, int* v) { return p.QdGetSmsStorageState(v); }), {kDone, "0"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Messages, SmsOperation,
    ::testing::Values(
        OperationCase{"ReadOne", kGx750, {Ask("AT+CMGR=2", {"+CMGR: 1,,32", kPdu})}, ReadMessage(2),
                      {kDone, "2", "1", "32", kPdu}, {"AT+CMGR=2"}},
        OperationCase{"ReadOneWithAName", kGx750, {Ask("AT+CMGR=2", {"+CMGR: 0,\"Bob, Jr.\",32", kPdu})},
                      ReadMessage(2), {kDone, "2", "0", "32", kPdu}, {"AT+CMGR=2"}},
        OperationCase{"ReadAnEmptyIndex", kGx750, {Ask("AT+CMGR=5", {})}, ReadMessage(5),
                      {Code(kQdNotAvailable), "0", "0", "0", ""}, {"AT+CMGR=5"}},
        OperationCase{"ReadAHeaderWithoutPdu", kGx750, {Ask("AT+CMGR=5", {"+CMGR: 0,,0"})}, ReadMessage(5),
                      {Code(kQdNotAvailable), "0", "0", "0", ""}, {"AT+CMGR=5"}},
        OperationCase{"ReadAnInvalidIndex", kGx750, {CmsError("AT+CMGR=99", 321)}, ReadMessage(99),
                      {Code(qdCmsError(321)), "0", "0", "0", ""}, {"AT+CMGR=99"}},
        OperationCase{"ReadALengthLongerThanThePdu", kGx750, {Ask("AT+CMGR=2", {"+CMGR: 1,,60", kPdu})},
                      ReadMessage(2), {Code(kQdNotAvailable), "0", "0", "0", ""}, {"AT+CMGR=2"}},
        OperationCase{"ReadANegativeIndex", kGx750, {}, ReadMessage(-1), {Code(kQdInvalidParameter), "0", "0", "0", ""},
                      {}},
        OperationCase{"ReadAll", kGx750,
                      {Ask("AT+CMGL=4", {"+CMGL: 1,1,,32", kPdu, "+CMGL: 4,3,,19", kOtherPdu})}, ReadAll(),
                      {kDone, "2", "1", "1", "32", kPdu, "4", "3", "19", kOtherPdu}, {"AT+CMGL=4"}},
        OperationCase{"ReadAllOfAnEmptySim", kGx750, {Ask("AT+CMGL=4", {})}, ReadAll(), {kDone, "0"}, {"AT+CMGL=4"}},
        OperationCase{"ReadAllWhenTheSimIsBusy", kGx750, {CmsError("AT+CMGL=4", 314)}, ReadAll(),
                      {Code(qdCmsError(314)), "0"}, {"AT+CMGL=4"}},
        OperationCase{"DeleteOne", kGx750, {OkTo("AT+CMGD=3")},
                      CodeOf([](GSM::Platform& p) { return p.QdDeletePhysicalSmsMessage(3); }), {kDone}, {"AT+CMGD=3"}},
        OperationCase{"DeleteAnInvalidIndex", kGx750, {CmsError("AT+CMGD=99", 321)},
                      CodeOf([](GSM::Platform& p) { return p.QdDeletePhysicalSmsMessage(99); }),
                      {Code(qdCmsError(321))}, {"AT+CMGD=99"}},
        OperationCase{"SendFromTheSim", kGx750, {Ask("AT+CMSS=3", {"+CMSS: 12"})},
                      IntOut([](GSM::Platform& p, int* r) { return p.QdSendSmsMessageFromSim(3, r); }), {kDone, "12"},
                      {"AT+CMSS=3"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Bodies, SmsOperation,
    ::testing::Values(
        OperationCase{"Send", kGx750,
                      {Reply("AT+CMGS=19", "\r\n> "), Ask(kOtherPdu, {"+CMGS: 5"})},
                      Send(Physical(kOtherPdu, kOtherTpduLength)), {kDone, "5"}, {"AT+CMGS=19", kOtherPdu}},
        OperationCase{"SendRefusedBeforeThePrompt", kGx750,
                      {CmsError("AT+CMGS=19", 500), Reply(std::string(kEscape), "")},
                      Send(Physical(kOtherPdu, kOtherTpduLength)), {Code(qdCmsError(500)), "-1"},
                      {"AT+CMGS=19", std::string(kEscape)}},
        OperationCase{"SendRefusedByTheNetwork", kGx750,
                      {Reply("AT+CMGS=19", "\r\n> "), CmsError(kOtherPdu, 38), Reply(std::string(kEscape), "")},
                      Send(Physical(kOtherPdu, kOtherTpduLength)), {Code(qdCmsError(38)), "-1"},
                      {"AT+CMGS=19", kOtherPdu, std::string(kEscape)}},
        OperationCase{"SendAPduThatIsNoHex", kGx750, {}, Send(Physical("0011ZZ", 2)),
                      {Code(kQdInvalidParameter), "-1"}, {}},
        OperationCase{"SendALengthLongerThanThePdu", kGx750, {}, Send(Physical(kOtherPdu, 40)),
                      {Code(kQdInvalidParameter), "-1"}, {}},
        OperationCase{"Write", kGx750, {Reply("AT+CMGW=19,2", "\r\n> "), Ask(kOtherPdu, {"+CMGW: 7"})},
                      Write(Physical(kOtherPdu, kOtherTpduLength)), {kDone, "7"}, {"AT+CMGW=19,2", kOtherPdu}},
        OperationCase{"WriteASentOne", kGx750, {Reply("AT+CMGW=19,3", "\r\n> "), Ask(kOtherPdu, {"+CMGW: 8"})},
                      Write(Physical(kOtherPdu, kOtherTpduLength, QdSmsStoredSent)), {kDone, "8"},
                      {"AT+CMGW=19,3", kOtherPdu}},
        OperationCase{"WriteToAFullSim", kGx750,
                      {Reply("AT+CMGW=19,2", "\r\n> "), CmsError(kOtherPdu, 322), Reply(std::string(kEscape), "")},
                      Write(Physical(kOtherPdu, kOtherTpduLength)), {Code(qdCmsError(322)), "-1"},
                      {"AT+CMGW=19,2", kOtherPdu, std::string(kEscape)}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- phonebook -------------------------------------------------------------------------------

const std::vector<Exchange> kPhonebookSetUp{OkTo("AT+CPBS=\"SM\""), Ask("AT+CPBS?", {"+CPBS: \"SM\",2,250"}),
                                            Ask("AT+CPBR=?", {"+CPBR: (1-250),40,18"})};
const std::vector<std::string> kPhonebookSetUpCommands{"AT+CPBS=\"SM\"", "AT+CPBS?", "AT+CPBR=?"};

std::vector<Exchange> WithPhonebook(std::vector<Exchange> more)
{
    std::vector<Exchange> script = kPhonebookSetUp;
    script.insert(script.end(), more.begin(), more.end());
    return script;
}
std::vector<std::string> AfterSetUp(std::vector<std::string> more)
{
    std::vector<std::string> commands = kPhonebookSetUpCommands;
    commands.insert(commands.end(), more.begin(), more.end());
    return commands;
}

Outcome DescribedEntry(QdResult rc, const QdPhonebookEntry& e)
{
    return {Code(rc), std::to_string(e.index), e.number, std::to_string(e.type), e.text};
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> ReadEntry(int index)
{
    return [index](GSM::Platform& p, GSM::Device&) {
        QdPhonebookEntry entry{};
        const QdResult rc = p.QdReadPhonebookEntry(index, &entry);
        return DescribedEntry(rc, entry);
    };
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> ReadAllEntries()
{
    return [](GSM::Platform& p, GSM::Device&) {
        QdPhonebookEntry* list = nullptr;
        int count = -1;
        const QdResult rc = p.QdReadAllPhonebookEntries(&list, &count);
        Outcome outcome{Code(rc), std::to_string(count)};
        for (int i = 0; i < count; ++i) {
            const Outcome one = DescribedEntry(rc, list[i]);
            outcome.insert(outcome.end(), one.begin() + 1, one.end());
        }
        std::free(list);
        return outcome;
    };
}

std::function<Outcome(GSM::Platform&, GSM::Device&)> WriteEntry(int index, const char* number, const char* text)
{
    return [=](GSM::Platform& p, GSM::Device&) {
        QdPhonebookEntry entry{};
        entry.index = index;
        std::strncpy(entry.number, number, sizeof entry.number - 1);
        std::strncpy(entry.text, text, sizeof entry.text - 1);
        int written = -1;
        const QdResult rc = p.QdWritePhonebookEntry(&entry, &written);
        return Outcome{Code(rc), std::to_string(written)};
    };
}

INSTANTIATE_TEST_SUITE_P(
    Phonebook, SmsOperation,
    ::testing::Values(
        OperationCase{"InfoSetsThePhonebookUpFirst", kGx750, kPhonebookSetUp,
                      [](GSM::Platform& p, GSM::Device& d) {
                          int used = -1, total = -1;
                          const QdResult rc = p.QdGetPhonebookInfo(&used, &total);
                          return Outcome{Code(rc), std::to_string(used), std::to_string(total),
                                         std::to_string(d.Get(Value::phonebookInitialized))};
                      },
                      {kDone, "2", "250", "1"}, kPhonebookSetUpCommands},
        OperationCase{"InfoOfASimStillBusy", kGx750, {Refuse("AT+CPBS=\"SM\"", 14)},
                      [](GSM::Platform& p, GSM::Device& d) {
                          int used = -1, total = -1;
                          const QdResult rc = p.QdGetPhonebookInfo(&used, &total);
                          return Outcome{Code(rc), std::to_string(d.Get(Value::phonebookInitialized))};
                      },
                      {Code(qdCmeError(14)), "0"}, {"AT+CPBS=\"SM\""}},
        OperationCase{"ReadEntry", kGx750, WithPhonebook({Ask("AT+CPBR=7", {"+CPBR: 7,\"+15551230000\",145,\"Alice\""})}),
                      ReadEntry(7), {kDone, "7", "+15551230000", "145", "Alice"}, AfterSetUp({"AT+CPBR=7"})},
        OperationCase{"ReadEntryWhoseNameHoldsACommaAndAQuote", kGx750,
                      WithPhonebook({Ask("AT+CPBR=7", {"+CPBR: 7,\"5551230\",129,\"Bob, \"Jr\"\""})}), ReadEntry(7),
                      {kDone, "7", "5551230", "129", "Bob, \"Jr\""}, AfterSetUp({"AT+CPBR=7"})},
        OperationCase{"ReadAnEmptyEntry", kGx750, WithPhonebook({Ask("AT+CPBR=8", {})}), ReadEntry(8),
                      {Code(kQdNotAvailable), "0", "", "0", ""}, AfterSetUp({"AT+CPBR=8"})},
        OperationCase{"ReadAnEntryOutsideTheRange", kGx750, kPhonebookSetUp, ReadEntry(251),
                      {Code(kQdInvalidParameter), "0", "", "0", ""}, kPhonebookSetUpCommands},
        OperationCase{"ReadAll", kGx750,
                      WithPhonebook({Ask("AT+CPBR=1,250", {"+CPBR: 1,\"+15551230000\",145,\"Alice\"", "+CPBR: 4,\"112\",129,\"SOS\"",
                                                           "+CPBR: broken"})}),
                      ReadAllEntries(), {kDone, "2", "1", "+15551230000", "145", "Alice", "4", "112", "129", "SOS"},
                      AfterSetUp({"AT+CPBS?", "AT+CPBR=1,250"})},
        OperationCase{"ReadAllOfAnEmptyPhonebook", kGx750,
                      {OkTo("AT+CPBS=\"SM\""), Ask("AT+CPBS?", {"+CPBS: \"SM\",0,250"}),
                       Ask("AT+CPBR=?", {"+CPBR: (1-250),40,18"})},
                      ReadAllEntries(), {kDone, "0"}, AfterSetUp({"AT+CPBS?"})},
        OperationCase{"WriteToTheFirstFreeEntry", kGx750,
                      WithPhonebook({Ask("AT+CPBW=,\"+15551230000\",145,\"Alice\"", {"+CPBW: 5"})}),
                      WriteEntry(0, "+15551230000", "Alice"), {kDone, "5"},
                      AfterSetUp({"AT+CPBW=,\"+15551230000\",145,\"Alice\"", "AT+CPBS?"})},
        OperationCase{"WriteAnEntry", kGx750, WithPhonebook({OkTo("AT+CPBW=9,\"5551230\",129,\"Bob\"")}),
                      WriteEntry(9, "5551230", "Bob"), {kDone, "9"},
                      AfterSetUp({"AT+CPBW=9,\"5551230\",129,\"Bob\"", "AT+CPBS?"})},
        OperationCase{"WriteANumberThatWouldEndTheCommand", kGx750, kPhonebookSetUp,
                      WriteEntry(0, "555\";+CFUN=0", "Eve"), {Code(kQdInvalidParameter), "-1"}, kPhonebookSetUpCommands},
        OperationCase{"WriteANumberLongerThanTheSimTakes", kGx750, kPhonebookSetUp,
                      WriteEntry(0, "12345678901234567890123456789012345678901", "Long"),
                      {Code(kQdInvalidParameter), "-1"}, kPhonebookSetUpCommands},
        OperationCase{"DeleteAnEntry", kGx750, WithPhonebook({OkTo("AT+CPBW=3")}),
                      CodeOf([](GSM::Platform& p) { return p.QdDeletePhonebookEntry(3); }), {kDone},
                      AfterSetUp({"AT+CPBW=3", "AT+CPBS?"})},
        OperationCase{"DeleteOutsideTheRange", kGx750, kPhonebookSetUp,
                      CodeOf([](GSM::Platform& p) { return p.QdDeletePhonebookEntry(0); }), {Code(kQdInvalidParameter)},
                      kPhonebookSetUpCommands}),
    [](const auto& info) { return std::string(info.param.name); });

// A card that is only found takes none of them.
class SmsOperationBeforeStartUp : public CardOperation {};

TEST_P(SmsOperationBeforeStartUp, IsRefused) { NeedsAnInitialisedCard(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Refused, SmsOperationBeforeStartUp,
    ::testing::Values(OperationCase{"Send", kGx750, {}, Send(Physical(kOtherPdu, kOtherTpduLength)), {}, {}},
                      OperationCase{"ReadAll", kGx750, {}, ReadAll(), {}, {}},
                      OperationCase{"ReadEntry", kGx750, {}, ReadEntry(1), {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The UCS2 phonebook of a card whose firmware has UCS2: texts go out as hex once the
// character set is chosen, and come back decoded.
class Ucs2Phonebook : public DeviceFixture<> {};

TEST_F(Ucs2Phonebook, WritesAndReadsTextsInUcs2)
{
    PtyCardLink card{CardScript{WithPhonebook({OkTo("AT"), OkTo("ATE0"), OkTo("AT+CMEE=1"), Ask("AT+CGMR", {"2.0.0"}),
                                               OkTo("AT+CSCS=\"UCS2\""), OkTo("AT+CPBW=2,\"112\",129,\"00C500730061\""),
                                               Ask("AT+CPBR=2", {"+CPBR: 2,\"112\",129,\"00C5007300610020\""})})}};
    ASSERT_NO_FATAL_FAILURE(OpenFound(card.PortPath(), kOtherMaker));
    GSM::Platform& platform = device.CurrentPlatform();
    ASSERT_EQ(platform.QdStartDevice(0), kQdSuccess);

    QdPhonebookEntry entry{};
    entry.index = 2;
    std::strcpy(entry.number, "112");
    std::strcpy(entry.text, "\u00c5sa");
    int written = 0;
    EXPECT_EQ(platform.QdWritePhonebookEntry(&entry, &written), kQdSuccess);
    EXPECT_EQ(written, 2);
    QdPhonebookEntry read{};
    EXPECT_EQ(platform.QdReadPhonebookEntry(2, &read), kQdSuccess);
    EXPECT_STREQ(read.text, "\u00c5sa ");
}

} // namespace
} // namespace Orvanta::testing
