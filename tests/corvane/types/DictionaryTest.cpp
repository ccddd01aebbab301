#include "corvane/types/Dictionary.h"

#include "tests/support/Bytes.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace Corvane {
namespace {

using namespace Orvanta::testing;

Bytes bytesOf(const Dictionary& d) { return Bytes(d.data(), d.data() + d.byteSize()); }

void callbackA(const CvParameters*) {}

// --- layout ---------------------------------------------------------------------------

TEST(DictionaryLayout, EmptyDictionaryHasNoBuffer)
{
    const Dictionary d;
    EXPECT_EQ(d.data(), nullptr);
    EXPECT_EQ(d.count(), 0);
    EXPECT_TRUE(d.isEmpty());
    EXPECT_EQ(d.toString(), "(dict)");
}

TEST(DictionaryLayout, OneIntegerIsTwentyTwoBigEndianBytes)
{
    Dictionary d;
    ASSERT_TRUE(d.setInteger("a", 1));
    EXPECT_EQ(toHex(bytesOf(d)), toHex(hex("00000016 0001 0000000C 01 01 61 00 0000000000000001")));
}

TEST(DictionaryLayout, PairLengthsFollowTheirValues)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("key", "value"));
    // entry length = K + strlen(value) + 4
    EXPECT_EQ(d.pairs().entry(0).length, 3u + 5u + 4u);
    ASSERT_TRUE(d.setPointer("p", &d));
    EXPECT_EQ(d.pairs().entry(1).length, 1u + 3u + sizeof(void*));
    ASSERT_TRUE(d.setDictionary("empty", Dictionary{}));
    EXPECT_EQ(d.pairs().entry(2).length, 5u + 3u); // an empty dictionary is no bytes
    EXPECT_TRUE(Dictionary::validate(d.data(), d.byteSize()));
}

// --- writing --------------------------------------------------------------------------

TEST(DictionaryWrite, SameSizeValueIsRewrittenInPlace)
{
    Dictionary d;
    ASSERT_TRUE(d.setInteger("a", 1));
    ASSERT_TRUE(d.setInteger("b", 2));
    const std::uint8_t* buffer = d.data();
    memory::ScopedAllocationFailure noMemory; // in place needs none
    ASSERT_TRUE(d.setInteger("a", -5));
    ASSERT_TRUE(d.setDouble("b", 2.5)); // another tag, same size
    EXPECT_EQ(d.data(), buffer);
    EXPECT_EQ(d.toString(), "(dict (a -5) (b 2.5))");
}

TEST(DictionaryWrite, ReplacedValueKeepsItsPosition)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("first", "x"));
    ASSERT_TRUE(d.setString("second", "y"));
    ASSERT_TRUE(d.setString("third", "z"));
    ASSERT_TRUE(d.setString("second", "a much longer text"));
    EXPECT_EQ(d.toString(), "(dict (first \"x\") (second \"a much longer text\") (third \"z\"))");
    EXPECT_TRUE(Dictionary::validate(d.data(), d.byteSize()));
}

TEST(DictionaryWrite, EmptyStringRemovesInsteadOfStoring)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("a", "x"));
    ASSERT_TRUE(d.setInteger("b", 1));
    EXPECT_TRUE(d.setString("a", ""));
    EXPECT_FALSE(d.hasKey("a"));
    EXPECT_EQ(d.keyAt(0), "b");
    EXPECT_FALSE(d.setString("absent", ""));
    EXPECT_FALSE(d.setString("absent", nullptr));
    EXPECT_EQ(d.count(), 1);
}

TEST(DictionaryWrite, EmptyKeyChangesNothingButSucceeds)
{
    Dictionary d;
    EXPECT_TRUE(d.setInteger("", 1));
    EXPECT_TRUE(d.setString(nullptr, "x"));
    EXPECT_TRUE(d.setArrayItem("", 0, Dictionary{}));
    EXPECT_TRUE(d.isEmpty());
}

TEST(DictionaryWrite, KeyLengthsUpTo255AreStoredAndLongerOnesRefused)
{
    Dictionary d;
    const std::string longest(255, 'k');
    const std::string tooLong(256, 'k');
    EXPECT_TRUE(d.setInteger(longest.c_str(), 7));
    EXPECT_EQ(d.integer(longest.c_str()), 7);
    EXPECT_FALSE(d.setInteger(tooLong.c_str(), 7));
    EXPECT_FALSE(d.setArrayItem(tooLong.c_str(), 0, d));
    EXPECT_EQ(d.count(), 1);
}

TEST(DictionaryWrite, KeyOfTwoHundredFiftySevenCharactersNeverFindsAShortKey)
{
    // 257 modulo 256 is 1: a comparison of length bytes alone would match key "a".
    Dictionary d;
    ASSERT_TRUE(d.setInteger("a", 1));
    const std::string longKey = "a" + std::string(256, 'b');
    EXPECT_FALSE(d.hasKey(longKey.c_str()));
    EXPECT_EQ(d.integer(longKey.c_str()), 0);
}

TEST(DictionaryWrite, FullDictionaryRefusesANewKeyButAcceptsReplacements)
{
    Bytes buffer = concat({be32(0), be16(65535)});
    for (int i = 0; i < 65535; ++i) {
        const Bytes entry = pair(tagInteger, "k" + std::to_string(i), be64(std::uint64_t(i)));
        const Bytes length = be32(std::uint32_t(entry.size()));
        buffer.insert(buffer.end(), length.begin(), length.end());
        buffer.insert(buffer.end(), entry.begin(), entry.end());
    }
    const Bytes size = be32(std::uint32_t(buffer.size()));
    std::copy(size.begin(), size.end(), buffer.begin());
    Dictionary d = Dictionary::view(buffer.data(), buffer.size());
    ASSERT_EQ(d.count(), 65535);

    EXPECT_FALSE(d.setInteger("new", 1));
    EXPECT_EQ(d.data(), buffer.data());
    EXPECT_TRUE(d.setInteger("k65534", -1));
    EXPECT_EQ(d.integer("k65534"), -1);
}

TEST(DictionaryWrite, FailedAllocationLeavesTheDictionaryAsItWas)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("name", "value"));
    ASSERT_TRUE(d.setInteger("n", 1));
    Dictionary item;
    ASSERT_TRUE(item.setInteger("x", 1));
    const Bytes before = bytesOf(d);

    const std::vector<std::pair<const char*, std::function<bool(Dictionary&)>>> writers = {
        {"NewKey", [](Dictionary& x) { return x.setInteger("other", 1); }},
        {"LongerValue", [](Dictionary& x) { return x.setString("name", "longer value"); }},
        {"Removal", [](Dictionary& x) { return x.setString("name", nullptr); }},
        {"ArrayItem", [&](Dictionary& x) { return x.setArrayItem("list", 2, item); }},
        {"Merge", [&](Dictionary& x) { return x.merge(item); }},
    };
    for (const auto& [name, writer] : writers) {
        SCOPED_TRACE(name);
        Dictionary target = d;
        memory::ScopedAllocationFailure noMemory;
        EXPECT_FALSE(writer(target));
        EXPECT_EQ(bytesOf(target), before);
    }
}

TEST(DictionaryWrite, ValuesMayComeFromTheDictionaryItself)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("a", "text"));
    ASSERT_TRUE(d.setInteger("n", 42));
    ASSERT_TRUE(d.setString("b", d.string("a"))); // the source lives in the buffer being rebuilt
    ASSERT_TRUE(d.setDictionary("self", d));
    ASSERT_TRUE(d.copyKey(d, "n", "m"));
    EXPECT_EQ(d.toString(),
              "(dict (a \"text\") (n 42) (b \"text\") (self (dict (a \"text\") (n 42) (b \"text\"))) (m 42))");
}

// --- reading --------------------------------------------------------------------------

TEST(DictionaryRead, AbsentKeysGiveNeutralValues)
{
    const Dictionary d;
    EXPECT_EQ(d.string("x"), nullptr);
    EXPECT_EQ(d.integer("x"), 0);
    EXPECT_EQ(d.integer32("x"), 0);
    EXPECT_EQ(d.real("x"), 0.0);
    EXPECT_EQ(d.address("x"), nullptr);
    EXPECT_TRUE(d.dictionary("x").isEmpty());
    EXPECT_TRUE(d.array("x").isEmpty());
    EXPECT_TRUE(d.arrayItem("x", 0).isEmpty());
    EXPECT_EQ(d.arrayCount("x"), 0);
    EXPECT_EQ(d.typeOf("x"), tagBytes);
    EXPECT_EQ(d.typeOf(""), tagBytes);
    EXPECT_EQ(d.keyAt(0), "");
}

TEST(DictionaryRead, ReadersInterpretBytesWhateverTheTag)
{
    Dictionary d;
    ASSERT_TRUE(d.setString("s", "AB"));
    ASSERT_TRUE(d.setInteger("big", 0x0102030405060708));
    ASSERT_TRUE(d.setCallback("cb", &callbackA));
    ASSERT_TRUE(d.setInteger("wide", 0x1'0000'0005));

    EXPECT_EQ(d.integer("s"), 0x414200); // "AB" and its terminator, big-endian
    EXPECT_EQ(d.address("cb"), reinterpret_cast<void*>(&callbackA));
    EXPECT_EQ(d.integer32("wide"), 5);
    EXPECT_EQ(d.typeOf("cb"), tagCallback);
    // Eight bytes with no zero among them are no string: reading one would overrun.
    EXPECT_EQ(d.string("big"), nullptr);
}

TEST(DictionaryRead, NestedDictionaryIsACopy)
{
    Dictionary inner;
    ASSERT_TRUE(inner.setInteger("x", 1));
    Dictionary outer;
    ASSERT_TRUE(outer.setDictionary("in", inner));
    Dictionary copy = outer.dictionary("in");
    EXPECT_EQ(copy, inner);
    ASSERT_TRUE(copy.setInteger("x", 2));
    EXPECT_EQ(outer.dictionary("in").integer("x"), 1);
}

// --- arrays ---------------------------------------------------------------------------

TEST(DictionaryArray, SlotThreeOfAMissingKeyHasThreeEmptySlotsBeforeIt)
{
    Dictionary item;
    ASSERT_TRUE(item.setInteger("x", 1));
    Dictionary d;
    ASSERT_TRUE(d.setArrayItem("list", 3, item));
    EXPECT_EQ(d.typeOf("list"), tagArray);
    EXPECT_EQ(d.arrayCount("list"), 4);
    EXPECT_EQ(d.toString(), "(dict (list #4(#f #f #f (dict (x 1)))))");
    EXPECT_EQ(d.arrayItem("list", 3), item);
    EXPECT_TRUE(d.arrayItem("list", 0).isEmpty());
}

TEST(DictionaryArray, ClearingTheLastSlotDropsItAndTheEmptySlotsBeforeIt)
{
    Dictionary item;
    ASSERT_TRUE(item.setInteger("x", 1));
    Dictionary d;
    ASSERT_TRUE(d.setArrayItem("list", 0, item));
    ASSERT_TRUE(d.setArrayItem("list", 4, item));
    ASSERT_TRUE(d.setArrayItem("list", 4, Dictionary{}));
    EXPECT_EQ(d.toString(), "(dict (list #1((dict (x 1)))))");
    ASSERT_TRUE(d.setArrayItem("list", 0, Dictionary{}));
    EXPECT_EQ(d.toString(), "(dict (list #0()))");
    EXPECT_TRUE(Dictionary::validate(d.data(), d.byteSize()));
}

TEST(DictionaryArray, IndexBeyondTheFormatIsRefused)
{
    Dictionary d;
    EXPECT_FALSE(d.setArrayItem("list", 65535, d));
    EXPECT_TRUE(d.isEmpty());
}

TEST(DictionaryArray, ItemOverAnotherTagTurnsThePairIntoAnArray)
{
    Dictionary item;
    ASSERT_TRUE(item.setInteger("x", 1));
    Dictionary d;
    ASSERT_TRUE(d.setInteger("list", 5));
    ASSERT_TRUE(d.setArrayItem("list", 0, item));
    EXPECT_EQ(d.toString(), "(dict (list #1((dict (x 1)))))");
}

// --- copyKey and merge ----------------------------------------------------------------

TEST(DictionaryCopyKey, CopiesUnderTheNewKeyOrTheSameOne)
{
    Dictionary source;
    ASSERT_TRUE(source.setString("s", "v"));
    ASSERT_TRUE(source.setDouble("d", 0.5));
    Dictionary target;
    EXPECT_TRUE(target.copyKey(source, "s", "renamed"));
    EXPECT_TRUE(target.copyKey(source, "d"));
    EXPECT_FALSE(target.copyKey(source, "absent"));
    EXPECT_EQ(target.toString(), "(dict (renamed \"v\") (d 0.5))");
}

TEST(DictionaryCopyKey, ReservedTagIsNotCopied)
{
    const Bytes bytes = varArray({pair(tagBytes, "raw", hex("0102")), pair(tagInteger, "n", be64(3))});
    const Dictionary source = Dictionary::view(bytes.data(), bytes.size());
    ASSERT_EQ(source.count(), 2);
    Dictionary target;
    EXPECT_FALSE(target.copyKey(source, "raw"));
    EXPECT_FALSE(target.merge(source));
    EXPECT_EQ(target.toString(), "(dict (n 3))");
}

TEST(DictionaryMerge, AddsNewKeysInSourceOrderAndReplacesInPlace)
{
    Dictionary target = buildDictionary("Is", "a", std::int64_t{1}, "b", "old");
    const Dictionary source = buildDictionary("sII", "b", "new", "c", std::int64_t{3}, "a", std::int64_t{9});
    EXPECT_TRUE(target.merge(source));
    EXPECT_EQ(target.toString(), "(dict (a 9) (b \"new\") (c 3))");
    EXPECT_TRUE(target.merge(target));
    EXPECT_EQ(target.toString(), "(dict (a 9) (b \"new\") (c 3))");
}

// --- building -------------------------------------------------------------------------

TEST(DictionaryBuild, FormatLettersTakeKeyAndValue)
{
    const Dictionary d = buildDictionary("Iisx", "big", std::int64_t{1} << 40, "small", -3, "text", "t", "skipped");
    EXPECT_EQ(d.toString(), "(dict (big 1099511627776) (small -3) (text \"t\"))");
    EXPECT_TRUE(buildDictionary(nullptr).isEmpty());
    EXPECT_TRUE(buildDictionary("").isEmpty());
}

// --- text form ------------------------------------------------------------------------

struct TextCase {
    const char* name;
    std::function<void(Dictionary&)> fill;
    std::string text;
};

class DictionaryText : public ::testing::TestWithParam<TextCase> {};

TEST_P(DictionaryText, MatchesTheLogForm)
{
    Dictionary d;
    GetParam().fill(d);
    EXPECT_EQ(d.toString(), GetParam().text);
}

std::string addressText(const char* prefix, const void* address)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s%08lX", prefix, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DictionaryText,
    ::testing::Values(
        TextCase{"StringIsQuotedUnescaped", [](Dictionary& d) { d.setString("s", "say \"hi\""); }, "(dict (s \"say \"hi\"\"))"},
        TextCase{"NegativeInteger", [](Dictionary& d) { d.setInteger("i", INT64_MIN); }, "(dict (i -9223372036854775808))"},
        TextCase{"DoubleHasSixSignificantDigits", [](Dictionary& d) { d.setDouble("lat", 48.1173456); },
                 "(dict (lat 48.1173))"},
        TextCase{"SmallDoubleUsesExponent", [](Dictionary& d) { d.setDouble("x", 0.00001234); }, "(dict (x 1.234e-05))"},
        TextCase{"WholeDouble", [](Dictionary& d) { d.setDouble("x", 100.0); }, "(dict (x 100))"},
        TextCase{"NullPointerHasEightDigits", [](Dictionary& d) { d.setPointer("p", nullptr); }, "(dict (p void@00000000))"},
        TextCase{"Pointer", [](Dictionary& d) { d.setPointer("p", reinterpret_cast<void*>(0xab12)); },
                 "(dict (p void@0000AB12))"},
        TextCase{"Callback", [](Dictionary& d) { d.setCallback("cb", &callbackA); },
                 "(dict (cb " + addressText("callback@", reinterpret_cast<void*>(&callbackA)) + "))"},
        TextCase{"NestedDictionary",
                 [](Dictionary& d) {
                     Dictionary inner = buildDictionary("I", "x", std::int64_t{1});
                     d.setDictionary("in", inner);
                     d.setDictionary("none", Dictionary{});
                 },
                 "(dict (in (dict (x 1))) (none (dict)))"}),
    [](const auto& info) { return info.param.name; });

TEST(DictionaryTextForm, ReservedTagPrintsQuestionMarks)
{
    const Bytes bytes = varArray({pair(tagBytes, "raw", hex("0102"))});
    EXPECT_EQ(Dictionary::view(bytes.data(), bytes.size()).toString(), "(dict (raw ???" "))");
}

TEST(DictionaryTextForm, DeepNestingFromOutsideDoesNotExhaustTheStack)
{
    // 100000 dictionaries, each the only value of the one before.
    constexpr std::uint32_t depth = 100000;
    constexpr std::uint32_t perLevel = 6 + 4 + 4; // header, entry length, tag/len/"k"/0
    Bytes buffer(std::size_t{depth} * perLevel);
    for (std::uint32_t level = 0; level < depth; ++level) {
        const std::uint32_t size = (depth - level) * perLevel;
        const Bytes head = concat({be32(size), be16(1), be32(size - 10), pair(tagDictionary, "k", {})});
        std::copy(head.begin(), head.end(), buffer.begin() + std::ptrdiff_t{level} * perLevel);
    }
    const Dictionary d = Dictionary::view(buffer.data(), buffer.size());
    ASSERT_EQ(d.count(), 1);
    const std::string text = d.toString();
    EXPECT_EQ(text.rfind("(dict (k (dict (k ", 0), 0u);
    EXPECT_NE(text.find("(dict ...)"), std::string::npos);
}

TEST(DictionaryTextForm, InvalidNestedValuesPrintEmpty)
{
    // Validation checks pairs, not values: a broken nested buffer is only found on reading.
    const Bytes bytes = varArray({pair(tagDictionary, "d", hex("FFFF")), pair(tagArray, "a", hex("00000009"))});
    LogCapture log("corvane.type.vararray");
    const Dictionary d = Dictionary::view(bytes.data(), bytes.size());
    EXPECT_EQ(d.toString(), "(dict (d (dict)) (a #0()))");
    EXPECT_EQ(log.messages().size(), 2u);
}

// --- validation of pairs --------------------------------------------------------------

struct PairCase {
    const char* name;
    Bytes entry;
    const char* complaint; // null: valid
};

class DictionaryPairValidation : public ::testing::TestWithParam<PairCase> {};

TEST_P(DictionaryPairValidation, AcceptsOrRefusesWithTheLoggedReason)
{
    LogCapture log("corvane.type.dictionary");
    const Bytes bytes = varArray({pair(tagInteger, "ok", be64(1)), GetParam().entry});
    const Dictionary d = Dictionary::view(bytes.data(), bytes.size());
    if (GetParam().complaint == nullptr) {
        EXPECT_EQ(d.count(), 2);
        EXPECT_TRUE(log.messages().empty());
    } else {
        EXPECT_TRUE(d.isEmpty());
        EXPECT_EQ(log.messages(log4cplus::ERROR_LOG_LEVEL), std::vector<std::string>{GetParam().complaint});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DictionaryPairValidation,
    ::testing::Values(PairCase{"Minimal", hex("00 00 00"), nullptr},
                      PairCase{"ReservedTag", pair(tagBytes, "b", {}), nullptr},
                      PairCase{"ValueIsNotChecked", pair(tagInteger, "short", hex("01")), nullptr},
                      PairCase{"EmptyEntry", {}, "Pair too small"},
                      PairCase{"OneByte", hex("01"), "Pair too small"},
                      PairCase{"TagEight", hex("08 01 61 00"), "Illegal type in pair"},
                      PairCase{"TagFF", hex("FF 00 00"), "Illegal type in pair"},
                      PairCase{"KeyLongerThanEntry", hex("01 05 61 62 00"), "Pair too small"},
                      PairCase{"KeyFillsEntryWithoutTerminator", hex("01 02 61 62"), "Pair too small"},
                      PairCase{"KeyNotTerminated", hex("01 01 61 62 00"), "In correct key length"}),
    [](const auto& info) { return info.param.name; });

// --- equality -------------------------------------------------------------------------

TEST(DictionaryEquality, ComparesBuffersByteForByte)
{
    const Bytes headerOnly = hex("00000006 0000");
    EXPECT_EQ(Dictionary{}, Dictionary::view(headerOnly.data(), headerOnly.size()));
    const Dictionary ab = buildDictionary("II", "a", std::int64_t{1}, "b", std::int64_t{2});
    const Dictionary ba = buildDictionary("II", "b", std::int64_t{2}, "a", std::int64_t{1});
    EXPECT_EQ(ab, Dictionary{ab});
    EXPECT_FALSE(ab == ba); // order is part of the dictionary
    EXPECT_FALSE(ab == Dictionary{});
}

TEST(DictionaryTags, NamesComeFromTheTagList)
{
    EXPECT_EQ(tagName(tagString), "tagString");
    EXPECT_EQ(tagName(tagBytes), "tagBytes");
    EXPECT_EQ(tagName(8), "");
}

} // namespace
} // namespace Corvane
