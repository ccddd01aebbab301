// What "pdu decode" prints for a record, and how a refusal's reason is taken from the
// codec's log.

#include "CodecMessages.h"
#include "PduJson.h"

#include "nodekin/XLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace Orvanta::modem {
namespace {

template <std::size_t size>
void put(char (&field)[size], const char* text)
{
    std::strncpy(field, text, size - 1);
}

struct RecordCase {
    const char* name;
    std::function<void(SMS::Tpdu&)> fill;
    nlohmann::json expected; // the fields that must be there with these values
    std::vector<const char*> absent = {};
};

class PduJsonOfRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(PduJsonOfRecord, HoldsTheFieldsAsTheUserReadsThem)
{
    SMS::Tpdu message;
    GetParam().fill(message);
    const nlohmann::json json = pduJson(message);
    for (const auto& [key, value] : GetParam().expected.items()) {
        ASSERT_TRUE(json.contains(key)) << key << " in " << json.dump();
        EXPECT_EQ(json.at(key), value) << key;
    }
    for (const char* key : GetParam().absent)
        EXPECT_FALSE(json.contains(key)) << key << " in " << json.dump();
}

INSTANTIATE_TEST_SUITE_P(
    Records, PduJsonOfRecord,
    ::testing::Values(
        RecordCase{"Deliver",
                   [](SMS::Tpdu& m) {
                       m.messageType = SMS::kTypeDeliver;
                       m.serviceCentre.international = 1;
                       put(m.serviceCentre.text, "+12404492164");
                       m.address.international = 1;
                       put(m.address.text, "+16175927198");
                       put(m.text, "hello");
                       put(m.serviceCentreTime, "11/02/28,11:50:50-20");
                       m.protocolIdentifier = 0x39;
                   },
                   {{"type", "deliver"},
                    {"smsc", "+12404492164"},
                    {"number", "+16175927198"},
                    {"text", "hello"},
                    {"coding", "gsm7"},
                    {"class", nullptr},
                    {"timestamp", "11/02/28,11:50:50-20"},
                    {"pid", 57},
                    {"udh", false},
                    {"status_report_request", false}},
                   {"discharge_time", "status", "reply_address", "user_data"}},
        RecordCase{"OnItsOwnIsPartOneOfOne", [](SMS::Tpdu& m) { m.messageType = SMS::kTypeDeliver; },
                   {{"reference", 0}, {"parts", 1}, {"part", 1}}},
        RecordCase{"EightBitDataAsHex",
                   [](SMS::Tpdu& m) {
                       m.coding = SMS::kCoding8bit;
                       m.userDataLength = 3;
                       m.userData[0] = 0x00;
                       m.userData[1] = 0xAB;
                       m.userData[2] = 0x7F;
                   },
                   {{"user_data", "00AB7F"}}},
        // A length beyond the record's room is read no further than its array.
        RecordCase{"EightBitLengthBeyondTheRoom",
                   [](SMS::Tpdu& m) {
                       m.coding = SMS::kCoding8bit;
                       m.userDataLength = 100000;
                   },
                   {{"user_data", std::string(2 * SMS::kUserDataCapacity, '0')}}},
        RecordCase{"Alphanumeric",
                   [](SMS::Tpdu& m) {
                       m.messageType = SMS::kTypeDeliver;
                       put(m.address.text, "InternetSMS");
                       m.coding = SMS::kCodingUcs2;
                   },
                   {{"number", "InternetSMS"}, {"smsc", ""}, {"coding", "ucs2"}, {"timestamp", nullptr}}},
        RecordCase{"ClassesAreCountedFromZero",
                   [](SMS::Tpdu& m) {
                       m.messageType = SMS::kTypeDeliver;
                       m.messageClass = 1;
                       m.coding = SMS::kCoding8bit;
                   },
                   {{"class", 0}, {"coding", "8bit"}}},
        RecordCase{"ClassThree", [](SMS::Tpdu& m) { m.messageClass = 4; }, {{"class", 3}}},
        RecordCase{"SubmitSegment",
                   [](SMS::Tpdu& m) {
                       m.messageType = SMS::kTypeSubmit;
                       m.userDataHeader = 1;
                       m.concatReference = 0x4C;
                       m.concatTotal = 3;
                       m.concatSequence = 2;
                       m.statusReportRequest = 1;
                       m.replyPath = 1;
                       m.replyAddress.international = 1;
                       put(m.replyAddress.text, "+4917");
                   },
                   {{"type", "submit"},
                    {"udh", true},
                    {"reference", 76},
                    {"parts", 3},
                    {"part", 2},
                    {"status_report_request", true},
                    {"reply_path", true},
                    {"reply_address", "+4917"}},
                   {"discharge_time", "status"}},
        RecordCase{"StatusReport",
                   [](SMS::Tpdu& m) {
                       m.messageType = SMS::kTypeOther;
                       m.statusReport = 1;
                       put(m.address.text, "639337937");
                       put(m.serviceCentreTime, "12/09/11,07:40:36+08");
                       put(m.dischargeTime, "12/09/11,07:40:36+08");
                       m.status = 0x30;
                       m.messageReference = 0x5A;
                   },
                   {{"type", "status-report"},
                    {"number", "639337937"},
                    {"discharge_time", "12/09/11,07:40:36+08"},
                    {"status", 48},
                    {"message_reference", 90}}},
        // A field filled to its end without a NUL is read no further than its array.
        RecordCase{"UnterminatedFieldStaysInside",
                   [](SMS::Tpdu& m) {
                       std::memset(m.address.text, '7', sizeof m.address.text);
                       std::memset(m.text, 'x', sizeof m.text);
                   },
                   {{"number", std::string(SMS::kAddressCapacity, '7')},
                    {"text", std::string(SMS::kTextCapacity, 'x')}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SegmentJson, NamesItsPlaceAndItsLength)
{
    const nlohmann::json segment = segmentJson(SMS::SubmitPdu{"0011000A", 3}, 2, 5);
    EXPECT_EQ(segment, (nlohmann::json{{"segment", 2}, {"segments", 5}, {"length", 3}, {"pdu", "0011000A"}}));
}

TEST(CodecMessages, GiveTheLastErrorWithoutTheBackendsPrefix)
{
    CodecMessages messages;
    EXPECT_EQ(messages.reason("nothing logged"), "nothing logged");
    Nodekin::xlog(Nodekin::logError, "Qd: Too big address length (%d), probably corrupted PDU", 40);
    // What the codec only notices is no reason.
    Nodekin::xlog(Nodekin::logVerbose, "Qd: Input 8-bit SMS string (%d chars):", 3);
    Nodekin::xlog(Nodekin::logNormal, "MMS/EMS message detected!");
    Nodekin::xlog(Nodekin::logWarning, "Ignoring unknown UDH Information Element type 0x%x", 0x24);
    EXPECT_EQ(messages.lines().size(), 1u);
    EXPECT_EQ(messages.reason("x"), "Too big address length (40), probably corrupted PDU");
    Nodekin::xlog(Nodekin::logError, "PDU length is invalid\n(its reported size does not match)\n");
    EXPECT_EQ(messages.reason("x"), "PDU length is invalid (its reported size does not match)");
}

TEST(CodecMessages, LetTheLogGoWhenDone)
{
    const int level = Nodekin::logLevel();
    std::size_t seen = 0;
    {
        CodecMessages messages;
        Nodekin::xlog(Nodekin::logError, "Qd: one");
        seen = messages.lines().size();
    }
    EXPECT_EQ(seen, 1u);
    EXPECT_EQ(Nodekin::logLevel(), level);
    // A second collector starts empty: the first one's sink is gone.
    CodecMessages again;
    EXPECT_TRUE(again.lines().empty());
}

} // namespace
} // namespace Orvanta::modem
