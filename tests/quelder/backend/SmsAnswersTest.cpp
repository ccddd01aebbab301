// What the SMS and phonebook operations make of the card's answers, on odd answers
// above all: list entries without their PDU, stray lines, fields that do not read.

#include "tests/quelder/backend/SmsTestMessages.h"
#include "tests/quelder/support/BackendLog.h"

#include "quelder/QdResult.h"
#include "quelder/sms/SmsAnswers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

struct ListCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> read; // "index/status/length" of each entry kept
    friend void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }
};

class MessageList : public ::testing::TestWithParam<ListCase> {};

TEST_P(MessageList, KeepsTheEntriesThatRead)
{
    BackendLog log;
    std::vector<std::string> read;
    for (const QdPhysicalSms& m : GSM::PhysicalMessageListOf(GetParam().lines)) {
        read.push_back(std::to_string(m.index) + "/" + std::to_string(m.status) + "/" + std::to_string(m.tpduLength));
        EXPECT_TRUE(m.pdu == kHelloPdu || m.pdu == kHiPdu) << m.pdu;
    }
    EXPECT_EQ(read, GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MessageList,
    ::testing::Values(
        ListCase{"Two", {"+CMGL: 1,0,,24", kHelloPdu, "+CMGL: 3,1,,21", kHiPdu}, {"1/0/24", "3/1/21"}},
        ListCase{"NamesWithCommas", {"+CMGL: 1,0,\"Bob, Jr.\",24", kHelloPdu}, {"1/0/24"}},
        ListCase{"NoAlphaField", {"+CMGL: 2,1,21", kHiPdu}, {"2/1/21"}},
        ListCase{"EntryWithoutItsPduBeforeTheNext", {"+CMGL: 1,0,,24", "+CMGL: 3,1,,21", kHiPdu}, {"3/1/21"}},
        ListCase{"LastEntryWithoutItsPdu", {"+CMGL: 1,0,,24", kHelloPdu, "+CMGL: 3,1,,21"}, {"1/0/24"}},
        ListCase{"StrayLinesAround", {"AT+CMGL=4", "+CMGL: 1,0,,24", kHelloPdu, "garbage"}, {"1/0/24"}},
        ListCase{"StatusOutOfRange", {"+CMGL: 1,7,,24", kHelloPdu, "+CMGL: 3,1,,21", kHiPdu}, {"3/1/21"}},
        ListCase{"NegativeIndex", {"+CMGL: -1,0,,24", kHelloPdu}, {}},
        ListCase{"StatusAsText", {"+CMGL: 1,\"REC UNREAD\",,24", kHelloPdu}, {}},
        ListCase{"PduOfOddLength", {"+CMGL: 1,0,,24", kHelloPdu + "0"}, {}},
        ListCase{"PduThatIsNoHex", {"+CMGL: 1,0,,2", "0011ZZ"}, {}},
        ListCase{"LengthLongerThanThePdu", {"+CMGL: 1,0,,99", kHelloPdu}, {}},
        ListCase{"LengthThatIsNoNumber", {"+CMGL: 1,0,,2x", kHelloPdu}, {}},
        ListCase{"NameThatNeverCloses", {"+CMGL: 1,0,\"Bob,24", kHelloPdu}, {}},
        ListCase{"PduTooLongForTheRecord", {"+CMGL: 1,0,,24", std::string(804, 'A')}, {}},
        ListCase{"Nothing", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageAnswers, StorageCountsNamedOrNot)
{
    EXPECT_EQ(GSM::StorageCountsOf("\"ME\",1,100,\"SM\",3,30"),
              (std::vector<GSM::StorageCount>{{"ME", 1, 100}, {"SM", 3, 30}}));
    EXPECT_EQ(GSM::StorageCountsOf("3,30,3,30"), (std::vector<GSM::StorageCount>{{"", 3, 30}, {"", 3, 30}}));
    for (const char* odd : {"", "\"SM\",3", "\"SM\",-1,30", "\"SM\",31,30", "\"SM\",3,x"}) {
        EXPECT_THROW(GSM::StorageCountsOf(odd), GSM::ResultError) << odd;
    }
}

TEST(MessageAnswers, PhonebookFigures)
{
    EXPECT_EQ(GSM::PhonebookRangeOf("(1-250),40,18"), (GSM::PhonebookRange{1, 250, 40, 18}));
    EXPECT_EQ(GSM::PhonebookCountOf("\"SM\",12,250"), (GSM::PhonebookCount{12, 250}));
    for (const char* odd : {"(250-1),40,18", "1-250,40,18", "(1-250),40", "(-250),40,18"}) {
        EXPECT_THROW(GSM::PhonebookRangeOf(odd), GSM::ResultError) << odd;
    }
    const GSM::PhonebookLine entry = GSM::PhonebookLineOf("7,\"+15551230000\",145,\"Alice\",0");
    EXPECT_EQ(entry.index, 7);
    EXPECT_EQ(entry.number, "+15551230000");
    EXPECT_EQ(entry.type, 145);
    EXPECT_EQ(entry.text, "Alice"); // the fields behind the text are not its own
    EXPECT_THROW(GSM::PhonebookLineOf("0,\"1\",129,\"x\""), GSM::ResultError);
    EXPECT_THROW(GSM::PhonebookLineOf("1,\"1\",129,x"), GSM::ResultError);
}

} // namespace
} // namespace Orvanta::testing
