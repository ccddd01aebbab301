// The backend's SMS functions against the virtual card: the SIM's messages in the
// device's copy once the SIM is ready, a message the network delivers read into it and
// handed out once, deleting it by its record, and a long text sent in segments.

#include "tests/quelder/backend/CardsimBackendFixture.h"

#include "quelder/Quelder.h"
#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

class CardsimSms : public CardsimBackend {
protected:
    std::vector<std::string> CardArguments() const override { return {"--serial", kSerial, "--sms-capacity", "10"}; }

    std::size_t Count(int id) const
    {
        const auto events = client.Events();
        return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [id](const auto& e) { return e.id == id; }));
    }
    bool WaitForCount(int id, std::size_t count)
    {
        return client.WaitFor([id, count](const auto& events) {
            return static_cast<std::size_t>(std::count_if(events.begin(), events.end(),
                                                          [id](const auto& e) { return e.id == id; })) >= count;
        });
    }
};

TEST_F(CardsimSms, DeliveredMessageReachesTheCopyAndIsHandedOutOnce)
{
    ASSERT_TRUE(WaitForState(QdDeviceFound));
    ASSERT_EQ(QdInitializeDevice(1, 0, 0), 0);
    int initialized = 0;
    ASSERT_EQ(QdIsSimInitialized(&initialized), 0);
    ASSERT_EQ(initialized, 1);
    const std::size_t stored = Count(QdEventStoredSms);

    ASSERT_EQ(card.control("sms deliver +15551234 \"See you at 8\""), "OK delivered");
    ASSERT_TRUE(WaitForCount(QdEventNewSmsIndex, 1));
    ASSERT_TRUE(WaitForCount(QdEventStoredSms, stored + 1));
    EXPECT_EQ(client.Events().back().text, "See you at 8");

    SMS::Tpdu** list = nullptr;
    int count = 0;
    ASSERT_EQ(QdGetNewSmsMessages(&list, &count), 0);
    ASSERT_EQ(static_cast<std::size_t>(count), stored + 1);
    const SMS::Tpdu* delivered = list[count - 1];
    EXPECT_STREQ(delivered->text, "See you at 8");
    EXPECT_STREQ(delivered->address.text, "+15551234");
    EXPECT_EQ(delivered->storage, SMS::kStorageSim);
    EXPECT_EQ(QdDeleteSmsMessage(delivered), 0);
    // Gone from the copy: deleting it again finds nothing.
    EXPECT_EQ(QdDeleteSmsMessage(delivered), kQdNotAvailable);
    EXPECT_EQ(QdFreeSmsList(list, count), 0);

    ASSERT_EQ(QdGetNewSmsMessages(&list, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(CardsimSms, LongTextGoesOutInSegments)
{
    StartDevice();
    char centre[64] = {};
    ASSERT_EQ(QdGetSmsServiceCenterAddress(centre, sizeof centre), 0);
    SMS::Tpdu* message = nullptr;
    const std::string text(200, 'x');
    ASSERT_EQ(QdCreateOutgoingSmsMessage("+15556661234", text.c_str(), centre, 0, SMS::kCodingGsm7, 175, 0, 0, &message),
              0);
    ASSERT_EQ(QdSendSmsMessage(message), 0);
    QdFreeMemory(message);
    EXPECT_EQ(card.control("sms sent").rfind("OK sent=2", 0), 0u) << card.control("sms sent");
}

} // namespace
} // namespace Orvanta::testing
