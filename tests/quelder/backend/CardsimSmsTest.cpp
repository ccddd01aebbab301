// The backend's short messages through the Qd functions, against orvanta-cardsim and the
// message store on its SIM: a delivered message announced and read into the SIM's copy, a
// class-0 message handed over without being stored, deleting a message by its record, a
// long text sent as concatenated parts, and the card's refusals reaching the caller as
// their CMS codes.

#include "tests/quelder/backend/CardsimBackendFixture.h"

#include "quelder/QdResult.h"
#include "quelder/sms/SmsRecords.h"
#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

class CardsimSms : public CardsimBackend {
protected:
    // The start-up the middleware runs for a card it drives whole; the SIM has no PIN, so
    // its messages are set up at once.
    void StartSms()
    {
        ASSERT_TRUE(WaitForState(QdDeviceFound));
        ASSERT_EQ(QdInitializeDevice(1, 0, 0), 0);
        ASSERT_EQ(QdInitializeNetwork(), 0);
        ASSERT_EQ(QdInitializeSim(), 0);
        ASSERT_TRUE(client.WaitFor([](const auto&) {
            int used = -1;
            return QdGetSmsStorageUsedCount(&used) == 0 && used >= 0;
        })) << "the SIM's messages were not set up";
    }

    void Control(const std::string& command)
    {
        const std::string answer = card.control(command);
        ASSERT_EQ(answer.rfind("OK", 0), 0u) << command << ": " << answer;
    }

    // The first event `id` from `from` on, waiting for it.
    std::optional<ClientRecorder::Event> NextEvent(int id, std::size_t from)
    {
        std::optional<ClientRecorder::Event> found;
        client.WaitFor([&](const std::vector<ClientRecorder::Event>& events) {
            for (std::size_t i = from; i < events.size(); ++i)
                if (events[i].id == id) {
                    found = events[i];
                    return true;
                }
            return false;
        });
        return found;
    }

    std::size_t EventCount() const { return client.Events().size(); }

    // The texts of what the host sent, as the card's own decoder read them, in order.
    std::vector<std::string> SentTexts()
    {
        const std::string answer = card.control("sms sent");
        std::vector<std::string> texts;
        for (std::size_t at = answer.find(" text=\""); at != std::string::npos; at = answer.find(" text=\"", at)) {
            at += 7;
            const std::size_t end = answer.find("\" pdu=", at);
            if (end == std::string::npos)
                break;
            texts.push_back(answer.substr(at, end - at));
            at = end;
        }
        return texts;
    }
};

struct OutgoingMessage {
    SMS::Tpdu* record = nullptr;
    ~OutgoingMessage() { QdFreeMemory(record); }
};

TEST_F(CardsimSms, ADeliveredMessageIsAnnouncedAndReadIntoTheSimsCopy)
{
    StartSms();
    const std::size_t before = EventCount();
    Control("sms deliver +15551234 \"See you at 8, at the usual place\"");

    const auto announced = NextEvent(QdEventNewSmsIndex, before);
    ASSERT_TRUE(announced) << "no new-message event";
    EXPECT_GT(announced->value, 0);
    const auto stored = NextEvent(QdEventStoredSms, before);
    ASSERT_TRUE(stored) << "the message did not reach the SIM's copy";
    EXPECT_EQ(stored->text, "See you at 8, at the usual place");
    EXPECT_EQ(stored->value, announced->value);

    // The client gets it once among the new ones, with its sender.
    SMS::Tpdu** list = nullptr;
    int count = 0;
    ASSERT_EQ(QdGetNewSmsMessages(&list, &count), 0);
    const auto last = std::find_if(list, list + count, [&](const SMS::Tpdu* message) {
        return message->storageIndex == announced->value;
    });
    ASSERT_NE(last, list + count);
    EXPECT_STREQ((*last)->address.text, "+15551234");
    EXPECT_STREQ((*last)->text, "See you at 8, at the usual place");
    EXPECT_EQ((*last)->storage, SMS::kStorageSim);

    // Deleted by its record, it is gone from the SIM and from the copy.
    const std::string onTheSim = card.control("sms store");
    EXPECT_NE(onTheSim.find("See you at 8"), std::string::npos) << onTheSim;
    EXPECT_EQ(QdDeleteSmsMessage(*last), 0);
    EXPECT_EQ(QdDeleteSmsMessage(*last), kQdNotAvailable);
    const std::string after = card.control("sms store");
    EXPECT_EQ(after.find("See you at 8"), std::string::npos) << after;
    EXPECT_EQ(QdFreeSmsList(list, count), 0);

    // Handed out once: the next call has nothing new.
    ASSERT_EQ(QdGetNewSmsMessages(&list, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(CardsimSms, AClassZeroMessageArrivesAsATemporaryMessageAndIsNotStored)
{
    StartSms();
    int usedBefore = -1;
    ASSERT_EQ(QdGetSmsStorageUsedCount(&usedBefore), 0);
    const std::size_t before = EventCount();
    Control("sms deliver +15551234 \"Flash news\" class=0");

    const auto temporary = NextEvent(QdEventTemporarySms, before);
    ASSERT_TRUE(temporary) << "no temporary message";
    EXPECT_EQ(temporary->text, "Flash news");
    EXPECT_EQ(temporary->value, -1);
    const std::vector<int> ids = client.EventIds();
    EXPECT_EQ(std::count(ids.begin() + static_cast<std::ptrdiff_t>(before), ids.end(), QdEventNewSmsIndex), 0);
    int usedAfter = -1;
    ASSERT_EQ(QdGetSmsStorageUsedCount(&usedAfter), 0);
    EXPECT_EQ(usedAfter, usedBefore);
}

TEST_F(CardsimSms, ALongTextReachesTheCardAsConcatenatedPartsThatJoinToIt)
{
    StartSms();
    std::string text;
    while (text.size() < 300)
        text += "The quick brown fox jumps over the lazy dog " + std::to_string(text.size()) + ". ";
    text.resize(300);

    OutgoingMessage message;
    ASSERT_EQ(QdCreateOutgoingSmsMessage("+4915112345678", text.c_str(), "", 0, SMS::kCodingGsm7, 167, 0, 0,
                                         &message.record),
              0);
    int segments = 0, left = 0;
    ASSERT_EQ(QdCalculateSmsSegments(text.c_str(), SMS::kCodingGsm7, 0, &segments, &left), 0);
    EXPECT_EQ(segments, 2); // 153 septets a part
    ASSERT_EQ(QdSendSmsMessage(message.record), 0);

    const std::vector<std::string> sent = SentTexts();
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(segments)) << card.control("sms sent");
    std::string joined;
    for (const std::string& part : sent)
        joined += part;
    EXPECT_EQ(joined, text);
}

TEST_F(CardsimSms, AFailedSendAndAFullStoreGiveTheCardsCmsCodes)
{
    StartSms();
    OutgoingMessage message;
    ASSERT_EQ(QdCreateOutgoingSmsMessage("+4915112345678", "Hello", "", 0, SMS::kCodingGsm7, 167, 0, 0,
                                         &message.record),
              0);
    Control("sms fail-send 500 1");
    EXPECT_EQ(QdSendSmsMessage(message.record), qdCmsError(500));
    EXPECT_TRUE(SentTexts().empty());
    EXPECT_EQ(QdSendSmsMessage(message.record), 0); // the failure was for one send
    EXPECT_EQ(SentTexts(), std::vector<std::string>{"Hello"});

    // A message written to a full store.
    Control("sms fill");
    int used = 0, capacity = 0;
    ASSERT_EQ(QdGetSmsStorageUsedCount(&used), 0);
    ASSERT_EQ(QdGetSmsStorageCapacity(&capacity), 0);
    EXPECT_EQ(used, capacity);
    QdPhysicalSms physical{};
    physical.index = -1;
    physical.status = QdSmsStoredUnsent;
    // SMS-SUBMIT to +15551234, "hi" in GSM 7-bit, no service centre given.
    const char pdu[] = "0011000891515521430000A702E834";
    std::copy(std::begin(pdu), std::end(pdu), physical.pdu);
    physical.tpduLength = static_cast<int>(sizeof pdu - 1) / 2 - 1;
    int index = -1;
    EXPECT_EQ(QdWritePhysicalSmsMessage(&physical, &index), qdCmsError(322));
}

} // namespace
} // namespace Orvanta::testing
