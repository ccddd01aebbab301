// The device's copy of the SIM's messages: what a sync, an added message and a removed
// one leave in it, which messages count as new (told once), finding a message by its
// record, and the log dump.

#include "tests/quelder/backend/SmsTestMessages.h"
#include "tests/quelder/support/BackendLog.h"

#include "quelder/sms/SmsStorage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

class SmsStorageTest : public ::testing::Test {
protected:
    std::vector<std::string> Texts(const std::vector<SMS::Tpdu>& messages)
    {
        std::vector<std::string> texts;
        for (const SMS::Tpdu& m : messages)
            texts.emplace_back(m.text);
        return texts;
    }

    BackendLog log;
    std::vector<std::string> added;
    GSM::SmsStorage storage{[this](const SMS::Tpdu& m) { added.push_back(std::to_string(m.storageIndex) + ":" + m.text); }};
};

TEST_F(SmsStorageTest, SyncKeepsWhatDecodesAndTellsWhatIsNew)
{
    const std::vector<QdPhysicalSms> first{StoredAt(1, kHelloPdu, kHelloLength), StoredAt(9, kBrokenPdu, kBrokenLength)};
    storage.Sync(first, false);
    EXPECT_EQ(added, (std::vector<std::string>{"1:hello"}));
    EXPECT_TRUE(log.Contains("Qd: SmsStorage::AddMessage(): Could not convert physical message at index #9 to logical"));

    // Index 1 now holds another message, index 4 is new, nothing else is left.
    added.clear();
    const std::vector<QdPhysicalSms> second{StoredAt(1, kHiPdu, kHiLength), StoredAt(4, kHelloPdu, kHelloLength)};
    storage.Sync(second, false);
    EXPECT_EQ(added, (std::vector<std::string>{"1:hi", "4:hello"}));
    EXPECT_EQ(storage.Size(), 2u);

    // The same list again adds nothing.
    added.clear();
    storage.Sync(second, false);
    EXPECT_TRUE(added.empty());
}

TEST_F(SmsStorageTest, NewMessagesAreGivenOnceEvenAcrossASync)
{
    storage.Sync(std::vector<QdPhysicalSms>{StoredAt(1, kHelloPdu, kHelloLength)}, false);
    EXPECT_EQ(Texts(storage.TakeNew()), (std::vector<std::string>{"hello"}));
    EXPECT_TRUE(storage.TakeNew().empty());

    storage.Sync(std::vector<QdPhysicalSms>{StoredAt(1, kHelloPdu, kHelloLength), StoredAt(2, kHiPdu, kHiLength)},
                 false);
    EXPECT_EQ(Texts(storage.TakeNew()), (std::vector<std::string>{"hi"}));
}

TEST_F(SmsStorageTest, AddReplacesTheIndexAndRefusesWhatDoesNotDecode)
{
    EXPECT_EQ(storage.Add(StoredAt(3, kHelloPdu, kHelloLength), false), kQdSuccess);
    EXPECT_EQ(storage.Add(StoredAt(3, kHiPdu, kHiLength), false), kQdSuccess);
    EXPECT_NE(storage.Add(StoredAt(5, kBrokenPdu, kBrokenLength), false), kQdSuccess);
    EXPECT_EQ(added, (std::vector<std::string>{"3:hello", "3:hi"}));
    EXPECT_EQ(storage.Size(), 1u);
    EXPECT_FALSE(storage.Contains(5));
}

TEST_F(SmsStorageTest, FindsAMessageByItsRecordWhileItIsThere)
{
    storage.Add(StoredAt(3, kHelloPdu, kHelloLength), false);
    storage.Add(StoredAt(6, kHiPdu, kHiLength), false);
    std::vector<SMS::Tpdu> records = storage.TakeNew();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(storage.IndexOf(records[0]), 3);
    EXPECT_EQ(storage.IndexOf(records[1]), 6);

    SMS::Tpdu altered = records[1];
    altered.storageIndex = 3; // names another message's index
    EXPECT_EQ(storage.IndexOf(altered), std::nullopt);
    SMS::Tpdu outgoing{};
    EXPECT_EQ(storage.IndexOf(outgoing), std::nullopt);

    storage.Remove(3);
    EXPECT_EQ(storage.IndexOf(records[0]), std::nullopt);
    // A new message at the index is not the one deleted.
    storage.Add(StoredAt(3, kHiPdu, kHiLength), false);
    EXPECT_EQ(storage.IndexOf(records[0]), std::nullopt);
}

TEST_F(SmsStorageTest, CopyNotKeptHoldsNothing)
{
    storage.Add(StoredAt(3, kHelloPdu, kHelloLength), false);
    storage.SetKept(false);
    EXPECT_EQ(storage.Size(), 0u);
    storage.Add(StoredAt(4, kHelloPdu, kHelloLength), false);
    storage.Sync(std::vector<QdPhysicalSms>{StoredAt(1, kHelloPdu, kHelloLength)}, false);
    EXPECT_EQ(storage.Size(), 0u);
    EXPECT_EQ(added.size(), 1u);
}

TEST_F(SmsStorageTest, LogDumpsEveryMessage)
{
    storage.Log();
    EXPECT_TRUE(log.Contains("*** SmsStorage::Log ***"));
    EXPECT_TRUE(log.Contains("storage is empty"));
    storage.Add(StoredAt(2, kHelloPdu, kHelloLength), false);
    storage.Add(StoredAt(7, kHiPdu, kHiLength), false);
    storage.Log();
    EXPECT_TRUE(log.Contains("storage has 2 members:"));
    EXPECT_TRUE(log.Contains(
        "#0: index=2 type=1 conc=0 condId=0 phone#=[+15551234567] sca=[+31624000000] text=[hello]"));
    EXPECT_TRUE(log.Contains("#1: index=7 type=1 conc=0 condId=0 phone#=[+15551234567] sca=[+31624000000] text=[hi]"));
}

} // namespace
} // namespace Orvanta::testing
