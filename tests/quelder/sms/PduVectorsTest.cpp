// Every row of tests/data/sms/pdus.tsv: decoded, checked against its expected values, and
// for the encoder rows encoded back octet for octet.

#include "quelder/sms/Tpdu.h"
#include "tests/quelder/sms/SmsVectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace SMS {
namespace {

using testing::LoadPduVectors;
using testing::PduVector;
using testing::TpduLengthOf;

// "2011-03-29T19:20:04+04:00" as a time stamp's text: "11/03/29,19:20:04+16".
std::string timeStampTextOf(const std::string& iso)
{
    if (iso.size() != 25)
        return {};
    const int offsetMinutes = std::stoi(iso.substr(20, 2)) * 60 + std::stoi(iso.substr(23, 2));
    const std::string quarters = std::to_string(100 + offsetMinutes / 15).substr(1);
    return iso.substr(2, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(8, 2) + "," + iso.substr(11, 8) + iso[19] +
           quarters;
}

bool isCleared(const Tpdu& message)
{
    static const Tpdu cleared{};
    return std::memcmp(&message, &cleared, sizeof message) == 0;
}

class PduVectors : public ::testing::TestWithParam<PduVector> {};

TEST_P(PduVectors, DecodesAsExpected)
{
    const PduVector& vector = GetParam();
    Tpdu message;
    const QdResult rc = Decode(vector.pdu, TpduLengthOf(vector.pdu), message);
    if (vector.negative) {
        EXPECT_EQ(rc, kQdMalformedPdu);
        EXPECT_TRUE(isCleared(message));
        return;
    }
    ASSERT_EQ(rc, kQdSuccess);
    EXPECT_EQ(std::string(message.address.text), vector.number);
    if (!vector.Note("expected_data_hex").empty()) {
        EXPECT_EQ(message.coding, kCoding8bit);
        EXPECT_EQ(testing::Hex({message.userData, message.userData + message.userDataLength}),
                  [&] {
                      std::string upper = vector.Note("expected_data_hex");
                      for (char& c : upper)
                          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                      return upper;
                  }());
    } else {
        EXPECT_EQ(std::string(message.text), vector.text);
    }
    if (!vector.Note("smsc").empty()) {
        EXPECT_EQ(std::string(message.serviceCentre.text), vector.Note("smsc"));
    }
    if (!vector.Note("ts").empty()) {
        EXPECT_EQ(std::string(message.serviceCentreTime), timeStampTextOf(vector.Note("ts")));
    }
    if (vector.Note("multipart") == "1") {
        EXPECT_GE(message.concatTotal, 2);
        EXPECT_GE(message.concatSequence, 1);
        EXPECT_LE(message.concatSequence, message.concatTotal);
        EXPECT_NE(message.concatReference, 0);
    } else if (vector.Note("multipart") == "0") {
        EXPECT_EQ(message.concatTotal, 0);
    }
}

TEST_P(PduVectors, EveryShorterPduFailsCleanly)
{
    // A card that cuts a PDU short, with a length that matches what is left: each read
    // past the end is caught and the record stays cleared.
    const PduVector& vector = GetParam();
    for (std::size_t size = 0; size + 2 <= vector.pdu.size(); size += 2) {
        const std::string cut = vector.pdu.substr(0, size);
        Tpdu message;
        const QdResult rc = Decode(cut, TpduLengthOf(cut), message);
        if (rc != kQdSuccess) {
            EXPECT_EQ(rc, kQdMalformedPdu) << size;
            EXPECT_TRUE(isCleared(message)) << size;
        }
    }
}

std::string vectorName(const ::testing::TestParamInfo<PduVector>& info)
{
    std::string name = info.param.id;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, PduVectors, ::testing::ValuesIn(LoadPduVectors()), vectorName);

// The encoder rows: a number, a text, a service centre and the relative validity octet 0
// (the rows say "validity=5"); the rows without a validity period need a first octet this
// encoder never sends.
class EncoderVectors : public ::testing::TestWithParam<PduVector> {};

TEST_P(EncoderVectors, EncodeOctetForOctet)
{
    const PduVector& vector = GetParam();
    Tpdu decoded;
    ASSERT_EQ(Decode(vector.pdu, TpduLengthOf(vector.pdu), decoded), kQdSuccess);
    const std::string serviceCentre = vector.Note("smsc");
    Tpdu message;
    ASSERT_EQ(CreateOutgoing(vector.number.c_str(), vector.text.c_str(),
                             serviceCentre.empty() ? nullptr : serviceCentre.c_str(), 0, decoded.coding, 0, 0, 0,
                             message),
              kQdSuccess);
    std::vector<SubmitPdu> pdus;
    ASSERT_EQ(EncodeSubmit(message, pdus), kQdSuccess);
    ASSERT_EQ(pdus.size(), 1u);
    EXPECT_EQ(pdus[0].hex, vector.pdu);
    EXPECT_EQ(pdus[0].tpduLength, TpduLengthOf(vector.pdu));
}

std::vector<PduVector> encoderRows()
{
    std::vector<PduVector> rows;
    for (PduVector& vector : LoadPduVectors())
        if (vector.encoderVector && vector.id != "create-gsm-no-validity")
            rows.push_back(std::move(vector));
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, EncoderVectors, ::testing::ValuesIn(encoderRows()), vectorName);

} // namespace
} // namespace SMS
