// What "pdu decode" prints for a damaged record, and how a refusal's reason is taken from
// the codec's log.

#include "CodecMessages.h"
#include "PduJson.h"

#include "nodekin/XLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace Orvanta::modem {
namespace {

struct RecordCase {
    const char* name;
    std::function<void(SMS::Tpdu&)> fill;
    nlohmann::json expected; // the fields that must be there with these values
};

// Decoded records are checked through the program on real PDUs; these are records no
// decoder should leave, which are still read no further than their arrays.
class PduJsonOfRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(PduJsonOfRecord, StaysWithinTheRecord)
{
    SMS::Tpdu message;
    GetParam().fill(message);
    const nlohmann::json json = pduJson(message);
    for (const auto& [key, value] : GetParam().expected.items()) {
        ASSERT_TRUE(json.contains(key)) << key << " in " << json.dump();
        EXPECT_EQ(json.at(key), value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, PduJsonOfRecord,
    ::testing::Values(
        // A length beyond the record's room is read no further than its array.
        RecordCase{"EightBitLengthBeyondTheRoom",
                   [](SMS::Tpdu& m) {
                       m.coding = SMS::kCoding8bit;
                       m.userDataLength = 100000;
                   },
                   {{"user_data", std::string(2 * SMS::kUserDataCapacity, '0')}}},
        // A field filled to its end without a NUL is read no further than its array.
        RecordCase{"UnterminatedFieldStaysInside",
                   [](SMS::Tpdu& m) {
                       std::memset(m.address.text, '7', sizeof m.address.text);
                       std::memset(m.text, 'x', sizeof m.text);
                   },
                   {{"number", std::string(SMS::kAddressCapacity, '7')},
                    {"text", std::string(SMS::kTextCapacity, 'x')}}}),
    [](const auto& info) { return std::string(info.param.name); });

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

} // namespace
} // namespace Orvanta::modem
