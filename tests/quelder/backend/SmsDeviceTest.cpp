// The device's SMS work with a scripted card behind it: SMS and the phonebook set up when
// the SIM becomes ready, the SIM's messages read into the device's copy (and told to the
// client as event 14), a new message announced by the card read into it once, and the
// flat functions that hand the client its records.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/backend/OperationCase.h"
#include "tests/quelder/backend/SmsTestMessages.h"

#include "quelder/Device.h"
#include "quelder/Quelder.h"
#include "quelder/QueueMessages.h"
#include "quelder/sms/HeapRecord.h"
#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using GSM::Value;

const std::string kOwnSmsStart = "AT+CNMI=2,1,0,1;+CMGF=0";
const std::string kSelectSimStorage = "AT+CPMS=\"SM\",\"SM\",\"SM\"";

std::vector<Exchange> SmsAndPhonebookStartUp(std::initializer_list<std::string_view> list)
{
    return {OkTo(kOwnSmsStart),
            Ask(kSelectSimStorage, {"+CPMS: 2,20,2,20,2,20"}),
            Ask("AT+CMGL=4", list),
            OkTo("AT+CPBS=\"SM\""),
            Ask("AT+CPBS?", {"+CPBS: \"SM\",0,250"}),
            Ask("AT+CPBR=?", {"+CPBR: (1-250),40,18"})};
}

class SmsDeviceTest : public DeviceFixture<> {
protected:
    void Open(std::vector<Exchange> script)
    {
        card = std::make_unique<PtyCardLink>(CardScript{std::move(script)});
        ASSERT_NO_FATAL_FAILURE(OpenFound(card->PortPath()));
        device.SetDeviceState(GSM::DeviceState::initialized, true);
    }
    // The client's events after the card was found, with the texts and values of those
    // that carry a message ("14:1:hello"), once `count` came.
    std::vector<std::string> Told(std::size_t count)
    {
        const auto after = [](const auto& events) {
            return std::count_if(events.begin(), events.end(), [](const auto& e) { return e.id != QdEventDeviceState; });
        };
        EXPECT_TRUE(client.WaitFor([&](const auto& events) { return static_cast<std::size_t>(after(events)) >= count; }));
        std::vector<std::string> told;
        for (const auto& e : client.Events()) {
            if (e.id == QdEventDeviceState)
                continue;
            const bool carries = e.id == QdEventStoredSms || e.id == QdEventTemporarySms || e.id == QdEventSmsStatusReport;
            told.push_back(std::to_string(e.id) + (carries ? ":" + std::to_string(e.value) + ":" + e.text : ""));
        }
        return told;
    }

    std::unique_ptr<PtyCardLink> card;
};

TEST_F(SmsDeviceTest, ReadySimSetsUpSmsAndThePhonebookAndFillsTheCopy)
{
    ASSERT_NO_FATAL_FAILURE(Open(SmsAndPhonebookStartUp(
        {"+CMGL: 1,0,,24", kHelloPdu, "+CMGL: 4,1,,21", kHiPdu, "+CMGL: 9,1,,1", kBrokenPdu})));
    device.SetSimState(true, false, true);
    EXPECT_EQ(device.Get(Value::simInitialized), 1);
    EXPECT_EQ(device.Get(Value::phonebookInitialized), 1);
    EXPECT_FALSE(communicator.PollerSet().IsOn(GSM::Poller::sim));
    EXPECT_EQ(device.SmsShadowCopy().Size(), 2u);
    EXPECT_EQ(Told(4), (std::vector<std::string>{"14:1:hello", "14:4:hi", "10", "22"}));
    EXPECT_TRUE(log.Contains("Qd: Syncing with the SIM SMSs..."));
    EXPECT_TRUE(log.Contains("storage has 2 members:"));
}

TEST_F(SmsDeviceTest, SimThatStaysReadyIsNotSetUpAgain)
{
    ASSERT_NO_FATAL_FAILURE(Open(SmsAndPhonebookStartUp({})));
    device.SetSimState(true, false, true);
    const std::size_t commands = card->card.Commands().size();
    device.SetSimState(true, false, true);
    EXPECT_EQ(card->card.Commands().size(), commands);
}

struct StartUpFailureCase {
    const char* name;
    std::vector<Exchange> script;
    const char* logLine;
    friend void PrintTo(const StartUpFailureCase& c, std::ostream* out) { *out << c.name; }
};

class SmsStartUpFailure : public SmsDeviceTest, public ::testing::WithParamInterface<StartUpFailureCase> {};

// The SIM is ready only once SMS works on it: until then it reads as not initialised and
// is asked again by the SIM poller.
TEST_P(SmsStartUpFailure, LeavesTheSimUninitialisedAndPolled)
{
    ASSERT_NO_FATAL_FAILURE(Open(GetParam().script));
    device.SetSimState(true, false, false);
    EXPECT_EQ(device.Get(Value::simInitialized), 0);
    EXPECT_EQ(device.Get(Value::phonebookInitialized), 0);
    EXPECT_TRUE(communicator.PollerSet().IsOn(GSM::Poller::sim));
    EXPECT_TRUE(log.Contains(GetParam().logLine));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SmsStartUpFailure,
    ::testing::Values(StartUpFailureCase{"Routing", {{kOwnSmsStart, "\r\n+CMS ERROR: 500\r\n"}},
                                         "Qd: Initializing SMS failed with 0x840201f4"},
                      StartUpFailureCase{"List",
                                         {OkTo(kOwnSmsStart), Ask(kSelectSimStorage, {"+CPMS: 2,20,2,20,2,20"}),
                                          {"AT+CMGL=4", "\r\n+CMS ERROR: 314\r\n"}},
                                         "Qd: Syncing the SIM SMSs failed with 0x8402013a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SmsDeviceTest, PhonebookThatFailsLeavesTheSimReady)
{
    ASSERT_NO_FATAL_FAILURE(
        Open({OkTo(kOwnSmsStart), Ask(kSelectSimStorage, {"+CPMS: 2,20,2,20,2,20"}), Ask("AT+CMGL=4", {})}));
    device.SetSimState(true, false, true);
    EXPECT_EQ(device.Get(Value::simInitialized), 1);
    EXPECT_EQ(device.Get(Value::phonebookInitialized), 0);
    EXPECT_TRUE(log.Contains("Qd: Initializing SIM phonebook failed with 0x84000003"));
}

TEST_F(SmsDeviceTest, AnnouncedMessageIsReadIntoTheCopyOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open({Ask("AT+CMGR=4", {"+CMGR: 0,,21", kHiPdu}), Ask("AT+CPMS?", {"+CPMS: \"SM\",20,20"})}));
    device.Run({GSM::WM_QD_NEW_SMS, 4, 0});
    EXPECT_TRUE(device.SmsShadowCopy().Contains(4));
    // The last free place is taken.
    EXPECT_EQ(device.Get(Value::simFull), 1);
    device.Run({GSM::WM_QD_NEW_SMS, 4, 0});
    EXPECT_EQ(card->card.Commands(), (std::vector<std::string>{"AT+CMGR=4", "AT+CPMS?"}));
    EXPECT_EQ(Told(2), (std::vector<std::string>{"14:4:hi", "24"}));
}

TEST_F(SmsDeviceTest, AnnouncedMessageAlreadyGoneIsLogged)
{
    ASSERT_NO_FATAL_FAILURE(Open({{"AT+CMGR=4", "\r\n+CMS ERROR: 321\r\n"}}));
    device.Run({GSM::WM_QD_NEW_SMS, 4, 0});
    EXPECT_FALSE(device.SmsShadowCopy().Contains(4));
    EXPECT_TRUE(log.Contains(
        "Qd: Failed to read the new physical SMS message at index #4 with 0x84020141 - already deleted?"));
}

TEST_F(SmsDeviceTest, ResetDropsTheCopy)
{
    ASSERT_NO_FATAL_FAILURE(Open({}));
    device.SmsShadowCopy().Add(StoredAt(2, kHelloPdu, kHelloLength), false);
    device.Exit(0);
    EXPECT_EQ(device.SmsShadowCopy().Size(), 0u);
}

// --- the flat functions that need no card ----------------------------------------------------

TEST(SmsList, NullEntryIsLoggedAndTheRestReleased)
{
    BackendLog log;
    auto** list = static_cast<SMS::Tpdu**>(std::calloc(3, sizeof(SMS::Tpdu*)));
    list[0] = GSM::HeapRecord(SMS::Tpdu{});
    list[2] = GSM::HeapRecord(SMS::Tpdu{});
    EXPECT_EQ(QdFreeSmsList(list, 3), kQdSuccess);
    EXPECT_EQ(log.Count("Qd: QdFreeSmsList(): NULL pointer detected in the input array, corrupted data?"), 1u);
    EXPECT_EQ(QdFreeSmsList(nullptr, 0), kQdSuccess);
}

struct SegmentCase {
    const char* name;
    std::string text;
    int coding;
    int result;
    int segments;
    int left;
    friend void PrintTo(const SegmentCase& c, std::ostream* out) { *out << c.name; }
};

class SmsSegments : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SmsSegments, CountsTheSegmentsAndTheRoomLeft)
{
    const SegmentCase& c = GetParam();
    int segments = -1, left = -1;
    EXPECT_EQ(QdCalculateSmsSegments(c.text.c_str(), c.coding, 65001, &segments, &left), c.result);
    if (c.result == kQdSuccess) {
        EXPECT_EQ(segments, c.segments);
        EXPECT_EQ(left, c.left);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SmsSegments,
    ::testing::Values(SegmentCase{"Short", "hello", SMS::kCodingGsm7, kQdSuccess, 1, 155},
                      SegmentCase{"Full", std::string(160, 'a'), SMS::kCodingGsm7, kQdSuccess, 1, 0},
                      SegmentCase{"TwoSegments", std::string(200, 'a'), SMS::kCodingGsm7, kQdSuccess, 2, 104},
                      // The euro sign takes two septets (escape and its own).
                      SegmentCase{"ExtensionCharacters", "\xe2\x82\xac\xe2\x82\xac", SMS::kCodingGsm7, kQdSuccess, 1, 156},
                      SegmentCase{"Ucs2", "\xc3\x85sa", SMS::kCodingUcs2, kQdSuccess, 1, 67},
                      SegmentCase{"UnknownCoding", "hello", 7, kQdInvalidParameter, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::testing
