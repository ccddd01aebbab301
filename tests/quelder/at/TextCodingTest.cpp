// Text on its way to and from the card: the GSM 7-bit alphabet, quoted strings in their
// three codings, commands as they go on the wire, and the SMS character checks.

#include "quelder/at/CommandText.h"
#include "quelder/at/Gsm7.h"
#include "quelder/at/LogText.h"
#include "quelder/at/QuotedString.h"
#include "quelder/at/SmsCharacters.h"
#include "tests/quelder/support/BackendLog.h"

#include <gtest/gtest.h>

#include <string>

namespace GSM {
namespace {

using Orvanta::testing::BackendLog;

// 3GPP TS 23.038, 6.2.1, row by row (septet 0x00 to 0x7F); "·" stands for the escape.
const char* const kDefaultAlphabet[] = {
    "@", "£", "$", "¥", "è", "é", "ù", "ì", "ò", "Ç", "\n", "Ø", "ø", "\r", "Å", "å",
    "Δ", "_", "Φ", "Γ", "Λ", "Ω", "Π", "Ψ", "Σ", "Θ", "Ξ", "·", "Æ", "æ", "ß", "É",
    " ", "!", "\"", "#", "¤", "%", "&", "'", "(", ")", "*", "+", ",", "-", ".", "/",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", ";", "<", "=", ">", "?",
    "¡", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "Ä", "Ö", "Ñ", "Ü", "§",
    "¿", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "ä", "ö", "ñ", "ü", "à",
};

// 6.2.1.1: the characters reached through the escape.
const std::pair<std::uint8_t, const char*> kExtensionTable[] = {
    {0x0A, "\f"}, {0x14, "^"}, {0x28, "{"}, {0x29, "}"}, {0x2F, "\\"},
    {0x3C, "["},  {0x3D, "~"}, {0x3E, "]"}, {0x40, "|"}, {0x65, "€"},
};

TEST(Gsm7, EveryCharacterOfTheDefaultAlphabetConvertsBothWays)
{
    ASSERT_EQ(std::size(kDefaultAlphabet), 128u);
    for (unsigned septet = 0; septet < 128; ++septet) {
        if (septet == Gsm7::kEscape)
            continue;
        const std::string character = kDefaultAlphabet[septet];
        const std::string expected(1, static_cast<char>(septet));
        SCOPED_TRACE(septet);
        EXPECT_EQ(Gsm7::FromUtf8(character), expected);
        EXPECT_EQ(Gsm7::ToUtf8(expected), character);
        EXPECT_EQ(QdIsValidSmsChar(Gsm7::StandardCharacter(static_cast<std::uint8_t>(septet)), 0, 0), 1);
    }
}

TEST(Gsm7, EveryCharacterOfTheExtensionTableTakesTheEscape)
{
    for (const auto& [septet, character] : kExtensionTable) {
        const std::string expected{static_cast<char>(Gsm7::kEscape), static_cast<char>(septet)};
        SCOPED_TRACE(character);
        EXPECT_EQ(Gsm7::FromUtf8(character), expected);
        EXPECT_EQ(Gsm7::ToUtf8(expected), character);
        EXPECT_EQ(QdIsValidSmsChar(Gsm7::ExtensionCharacter(septet), 0, 0), 2) << "two septets";
    }
}

TEST(Gsm7, CharactersWithoutMappingAreLeftOut)
{
    EXPECT_EQ(Gsm7::FromUtf8("a`b€c\xff" "d\xe4\xb8\xad"), std::string("a") + "b\x1b\x65" "cd");
    EXPECT_EQ(QdIsValidSmsChar(U'`', 0, 0), 0);
    EXPECT_EQ(QdIsValidSmsChar(U'中', 0, 0), 0);
}

TEST(Gsm7, EscapeBeforeAnUnknownSeptetReadsAsTheDefaultCharacter)
{
    EXPECT_EQ(Gsm7::ToUtf8("\x1b" "A"), "A");
    EXPECT_EQ(Gsm7::ToUtf8("ab\x1b"), "ab") << "a trailing escape is dropped";
    EXPECT_EQ(Gsm7::ToUtf8("a\x80" "b"), "ab") << "not a septet";
}

struct RoundTrip {
    const char* name;
    std::string text;
};

class QuotedStringRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(QuotedStringRoundTrip, DecodesToWhatWasEncodedInEveryMode)
{
    for (const auto mode : {QuotedString::Mode::plain, QuotedString::Mode::ucs2, QuotedString::Mode::simAlpha}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const std::string encoded = QuotedString(GetParam().text, mode).Encode();
        ASSERT_GE(encoded.size(), 2u);
        ASSERT_EQ(encoded.front(), '"');
        ASSERT_EQ(encoded.back(), '"');
        bool ok = false;
        const QuotedString decoded = QuotedString::Decode(encoded.substr(1, encoded.size() - 2), mode, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(decoded.Text(), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, QuotedStringRoundTrip,
                         ::testing::Values(RoundTrip{"Empty", ""}, RoundTrip{"Ascii", "Tarnwell 24/7"},
                                           RoundTrip{"GsmOnly", "Øre @ 5€ [ok]"},
                                           RoundTrip{"OneHalfPage", "Привет Мир"},
                                           RoundTrip{"OneWindowAnywhere", "ひらがなカ"},
                                           RoundTrip{"WideSpread", "中文 and Ελληνικά"},
                                           RoundTrip{"BeyondTheBasicPlane", "map 🗺"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QuotedString, Ucs2IsFourHexDigitsPerCharacter)
{
    EXPECT_EQ(QuotedString("A€", QuotedString::Mode::ucs2).Encode(), "\"004120AC\"");
    EXPECT_EQ(QuotedString::Decode("004120ac", QuotedString::Mode::ucs2).Text(), "A€");
}

struct SimAlphaCase {
    const char* name;
    const char* hex;
    std::string text;
};

class SimAlphaDecoding : public ::testing::TestWithParam<SimAlphaCase> {};

TEST_P(SimAlphaDecoding, ReadsEachForm)
{
    bool ok = false;
    EXPECT_EQ(QuotedString::Decode(GetParam().hex, QuotedString::Mode::simAlpha, &ok).Text(), GetParam().text);
    EXPECT_TRUE(ok);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SimAlphaDecoding,
    ::testing::Values(SimAlphaCase{"SeptetsPaddedWithFF", "54617276FFFF", "Tarv"},
                      SimAlphaCase{"Ucs2AfterX80", "80041F0440FFFF", "Пр"},
                      SimAlphaCase{"Ucs2WithOddPadding", "800041FF", "A"},
                      // 31.102 annex A: base 0x0400 (0x08 << 7), two Cyrillic and a GSM "1".
                      SimAlphaCase{"HalfPageAfterX81", "8103089F8031FFFF", "П\xd0\x80" "1"},
                      SimAlphaCase{"SixteenBitBaseAfterX82", "8202040B8081", "ЋЌ"},
                      SimAlphaCase{"EscapeInsideAOneByteForm", "8103001B6541", "€A"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuotedString, CompactFormsAreChosenWhenTheyFit)
{
    EXPECT_EQ(QuotedString::ToSimAlphaHex("Tarv"), "54617276");
    EXPECT_EQ(QuotedString::ToSimAlphaHex("Пр1"), "8103089FC031") << "one half page: 0x81";
    EXPECT_EQ(QuotedString::ToSimAlphaHex("中Ω"), "81029CAD15") << "Ω is in the default alphabet";
    EXPECT_EQ(QuotedString::ToSimAlphaHex("ひら"), "820230728097") << "one window across half pages: 0x82";
    EXPECT_EQ(QuotedString::ToSimAlphaHex("中a文"), "804E2D00616587") << "too far apart: UCS2";
}

struct BadHex {
    const char* name;
    const char* quoted;
    QuotedString::Mode mode;
};

class QuotedStringDecodingFailure : public ::testing::TestWithParam<BadHex> {};

TEST_P(QuotedStringDecodingFailure, LogsAndYieldsAnEmptyText)
{
    BackendLog log;
    bool ok = true;
    EXPECT_EQ(QuotedString::Decode(GetParam().quoted, GetParam().mode, &ok).Text(), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log.Contains("Qd: QuotedString::Decode(): Could not decode UCS2 string "));
}

INSTANTIATE_TEST_SUITE_P(Inputs, QuotedStringDecodingFailure,
                         ::testing::Values(BadHex{"OddNumberOfDigits", "00410", QuotedString::Mode::ucs2},
                                           BadHex{"NotHex", "00G1", QuotedString::Mode::ucs2},
                                           BadHex{"HalfACharacter", "004100", QuotedString::Mode::ucs2},
                                           BadHex{"PlainTextInHexMode", "Tarnwell", QuotedString::Mode::simAlpha},
                                           BadHex{"OneByteFormCutShort", "810508414243", QuotedString::Mode::simAlpha},
                                           BadHex{"OneByteFormWithoutBase", "8201", QuotedString::Mode::simAlpha}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QuotedString, TextThatIsNotUtf8IsSentEmptyAndLogged)
{
    BackendLog log;
    EXPECT_EQ(QuotedString("a\xff", QuotedString::Mode::ucs2).Encode(), "\"\"");
    EXPECT_TRUE(log.Contains("Qd: QuotedString::Encode(): Could not encode string a\\xff to UCS2"));
}

TEST(QuotedString, PlainTextCannotCloseItsQuotesOrEndTheCommand)
{
    EXPECT_EQ(QuotedString("Bob\";+CFUN=0;\"\r\nAT+CPWD").Encode(), "\"Bob;+CFUN=0;AT+CPWD\"");
    EXPECT_EQ(QuotedString("Ünal\x1a\x1b").Encode(), "\"Ünal\"");
}

struct WireCase {
    const char* name;
    std::string command;
    std::string wire;
};

class CommandOnTheWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(CommandOnTheWire, ConvertsOnlyBetweenQuotes)
{
    EXPECT_EQ(ToCardCharacters(GetParam().command), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandOnTheWire,
    ::testing::Values(WireCase{"NothingQuoted", "AT+CGMM", "AT+CGMM"},
                      WireCase{"UnderscoreOutsideQuotesStays", "AT_TGPS=2", "AT_TGPS=2"},
                      WireCase{"DefaultAlphabet", "AT+CPBW=1,\"_@é\"", std::string("AT+CPBW=1,\"\x11\0\x05\"", 15)},
                      WireCase{"ExtensionAfterEscape", "AT+CUSD=1,\"{5€}\"", "AT+CUSD=1,\"\x1b\x28" "5\x1b\x65\x1b\x29\""},
                      WireCase{"WithoutMappingLeftOut", "AT+CPBW=1,\"a中b\"", "AT+CPBW=1,\"ab\""},
                      WireCase{"LineEndsLeftOut", "AT+CPBW=1,\"a\rb\nc\fd\"", "AT+CPBW=1,\"abcd\""},
                      WireCase{"SecondQuotedField", "AT+CPMS=\"SM\",\"ME_1\"", "AT+CPMS=\"SM\",\"ME\x11" "1\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandText, SecretsAreFoundWhereverTheyStand)
{
    EXPECT_TRUE(CarriesSecret("AT+CPIN=\"1234\""));
    EXPECT_TRUE(CarriesSecret("at+cpin=\"1234\""));
    EXPECT_TRUE(CarriesSecret("AT+CLCK=\"SC\",1,\"1234\""));
    EXPECT_TRUE(CarriesSecret("AT+CPWD=\"SC\",\"1234\",\"4321\""));
    EXPECT_TRUE(CarriesSecret("AT_TPDPP=1,1,\"pass\",\"user\""));
    EXPECT_TRUE(CarriesSecret("AT+CFUN=1;+CPIN=\"1234\""));
    EXPECT_FALSE(CarriesSecret("AT+CPIN?"));
    EXPECT_FALSE(CarriesSecret("AT+CGMM"));
}

TEST(CommandText, MaskingHidesWhatStandsBetweenQuotes)
{
    EXPECT_EQ(MaskQuoted("AT+CLCK=\"SC\",1,\"1234\""), "AT+CLCK=\"XX\",1,\"XXXX\"");
    EXPECT_EQ(MaskQuoted("AT+CPIN=\"12345678\",\"1234"), "AT+CPIN=\"XXXXXXXX\",\"XXXX") << "unclosed: hidden to the end";
}

TEST(CommandText, PrintableEscapesEverythingButPrintableAscii)
{
    EXPECT_EQ(Printable(std::string("AT\r\0\x1b\\é", 8)), "AT\\x0d\\x00\\x1b\\x5c\\xc3\\xa9");
}

TEST(SmsCharacters, EachAlphabetAnswersForItself)
{
    EXPECT_EQ(QdIsValidSmsChar(U'中', 2, 0), 1) << "UCS2 carries everything";
    EXPECT_EQ(QdIsValidSmsChar(U'中', 1, 949), 1) << "CP949 has it";
    EXPECT_EQ(QdIsValidSmsChar(U'中', 1, 28591), 0) << "Latin-1 has not";
    EXPECT_EQ(QdIsValid8BitChar(U'é', 28591), 1);
    EXPECT_EQ(QdIsValid8BitChar(0xD800, 0), 0) << "a lone surrogate is no character";
}

TEST(SmsCharacters, UnknownCodePageIsLogged)
{
    BackendLog log;
    EXPECT_EQ(QdIsValid8BitChar(U'a', 12345), 0);
    EXPECT_TRUE(log.Contains("QdIsValid8BitChar: Code page 12345 is not valid on this system! (Probably not installed?)"));
}

} // namespace
} // namespace GSM
