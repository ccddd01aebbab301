// Encoding then decoding gives the text back: random texts of 0 to 500 characters in the
// GSM default alphabet, with the extension table, and in UCS2 (outside the basic plane
// too), split into segments and joined again by their headers.

#include "platform/Charset.h"
#include "quelder/at/Utf8.h"
#include "quelder/sms/SmsAddress.h"
#include "quelder/sms/SubmitEncoder.h"
#include "quelder/sms/Tpdu.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace SMS {
namespace {

// Every character of the default alphabet but the escape, as UTF-8, and the extension
// table's.
const char32_t kDefault[] = {
    U'@', U'£', U'$', U'¥', U'è', U'é', U'ù', U'ì', U'ò', U'Ç', U'\n', U'Ø', U'ø', U'\r', U'Å', U'å',
    U'Δ', U'_', U'Φ', U'Γ', U'Λ', U'Ω', U'Π', U'Ψ', U'Σ', U'Θ', U'Ξ', U'Æ', U'æ', U'ß', U'É', U' ',
    U'!', U'"', U'#', U'¤', U'%', U'&', U'\'', U'(', U')', U'*', U'+', U',', U'-', U'.', U'/', U'0',
    U'9', U':', U';', U'<', U'=', U'>', U'?', U'¡', U'A', U'Z', U'Ä', U'Ö', U'Ñ', U'Ü', U'§', U'¿',
    U'a', U'z', U'ä', U'ö', U'ñ', U'ü', U'à'};
const char32_t kExtension[] = {U'\f', U'^', U'{', U'}', U'\\', U'[', U'~', U']', U'|', U'€'};
const char32_t kWide[] = {U'т', U'你', U'\u00E9', U'\U0001F600', U'\U00010348', U'a', U'\u05D0', U' '};

enum class Alphabet { standard, extended, wide };

struct RoundTripCase {
    const char* name;
    Alphabet alphabet;
    int coding;
    unsigned seed;
    const char* replyAddress;
};

std::string randomText(std::mt19937& random, Alphabet alphabet, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c;
        if (alphabet == Alphabet::wide)
            c = kWide[random() % std::size(kWide)];
        else if (alphabet == Alphabet::extended && random() % 4 == 0)
            c = kExtension[random() % std::size(kExtension)];
        else
            c = kDefault[random() % std::size(kDefault)];
        GSM::Utf8::Append(text, c);
    }
    return text;
}

// The decoded parts of one message by sequence number, each checked on the way.
std::string decodeAndJoin(const std::vector<SubmitPdu>& pdus, const std::string& replyAddress)
{
    std::map<int, std::string> parts;
    int reference = -1;
    for (const SubmitPdu& pdu : pdus) {
        EXPECT_TRUE(Validate(pdu.hex, pdu.tpduLength));
        EXPECT_LE(pdu.tpduLength, 1 + 1 + 12 + 3 + 1 + 140);
        Tpdu message;
        EXPECT_EQ(Decode(pdu.hex, pdu.tpduLength, message), kQdSuccess) << pdu.hex;
        EXPECT_EQ(message.messageType, kTypeSubmit);
        EXPECT_STREQ(message.replyAddress.text, replyAddress.c_str());
        if (pdus.size() > 1) {
            EXPECT_EQ(message.concatTotal, static_cast<int>(pdus.size()));
            if (reference >= 0) {
                EXPECT_EQ(message.concatReference, reference);
            }
            reference = message.concatReference;
        }
        parts[message.concatSequence] = message.text;
    }
    std::string joined;
    for (const auto& [sequence, text] : parts)
        joined += text;
    EXPECT_EQ(parts.size(), pdus.size());
    return joined;
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, GivesTheTextBack)
{
    const RoundTripCase& c = GetParam();
    std::mt19937 random(c.seed);
    Tpdu settings;
    ASSERT_EQ(CreateOutgoing("+4917012345678", "", "+4917", 0, c.coding, 0xAF, 0, 0, settings), kQdSuccess);
    if (c.replyAddress) {
        ASSERT_TRUE(ParseNumber(c.replyAddress, settings.replyAddress));
    }
    std::vector<std::size_t> lengths = {0, 1, 500};
    for (int i = 0; i < 60; ++i)
        lengths.push_back(random() % 501);
    for (const std::size_t length : lengths) {
        const std::string text = randomText(random, c.alphabet, length);
        std::vector<SubmitPdu> pdus;
        EncodeSubmitText(settings, text, true, pdus);
        ASSERT_FALSE(pdus.empty());
        if (!c.replyAddress) {
            EXPECT_EQ(CountSegments(text, c.coding), static_cast<int>(pdus.size())) << length;
        }
        EXPECT_EQ(decodeAndJoin(pdus, c.replyAddress ? c.replyAddress : ""), text) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundTrip,
                         ::testing::Values(RoundTripCase{"Gsm7", Alphabet::standard, kCodingGsm7, 1, nullptr},
                                           RoundTripCase{"Gsm7Extension", Alphabet::extended, kCodingGsm7, 2,
                                                         nullptr},
                                           RoundTripCase{"Gsm7ReplyAddress", Alphabet::extended, kCodingGsm7, 3,
                                                         "+12345678901"},
                                           RoundTripCase{"Ucs2", Alphabet::wide, kCodingUcs2, 4, nullptr},
                                           RoundTripCase{"Ucs2ReplyAddress", Alphabet::wide, kCodingUcs2, 5,
                                                         "+4915"},
                                           RoundTripCase{"Ucs2OfGsmText", Alphabet::extended, kCodingUcs2, 6,
                                                         nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundTrip, EightBitKoreanText)
{
    if (!Os::isValidCodePage(949))
        GTEST_SKIP() << "code page 949 is not installed";
    const std::string text = "\xEC\x95\x88\xEB\x85\x95 hello \xED\x95\x9C\xEA\xB5\xAD";
    std::string longText;
    for (int i = 0; i < 30; ++i)
        longText += text;
    Tpdu settings;
    ASSERT_EQ(CreateOutgoing("+821012345678", "", nullptr, 0, kCoding8bit, 0xAF, 0, 0, settings), kQdSuccess);
    for (const std::string& sample : {text, longText}) {
        std::vector<SubmitPdu> pdus;
        EncodeSubmitText(settings, sample, true, pdus);
        EXPECT_EQ(decodeAndJoin(pdus, ""), sample);
    }
}

} // namespace
} // namespace SMS
