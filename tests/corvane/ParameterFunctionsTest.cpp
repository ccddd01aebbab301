#include "corvane/Corvane.h"

#include "corvane/ParameterRecord.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace Corvane {
namespace {

using namespace Orvanta::testing;

struct RecordDeleter {
    void operator()(CvParameters* record) const { deleteParameters(record); }
};
using Record = std::unique_ptr<CvParameters, RecordDeleter>;

Record makeRecord()
{
    Record record{newParameters()};
    EXPECT_NE(record, nullptr);
    return record;
}

std::string textOf(const CvParameters* record)
{
    std::unique_ptr<char, decltype(&std::free)> text{parametersToString(record), &std::free};
    return text ? text.get() : "<null>";
}

void someCallback(const CvParameters*) {}

// A pointer that is not a record: right size, wrong magic.
struct Foreign {
    char bytes[64] = "dicX and then some";
};

// --- the record check comes first -----------------------------------------------------

using RecordCall = std::function<int(CvParameters*)>;

struct RecordCallCase {
    const char* name;
    RecordCall call;
};

class InvalidRecord : public ::testing::TestWithParam<RecordCallCase> {};

TEST_P(InvalidRecord, NullAndForeignPointersGiveInvalidParameters)
{
    Foreign foreign;
    EXPECT_EQ(GetParam().call(nullptr), cErrorInvalidParameters);
    EXPECT_EQ(GetParam().call(reinterpret_cast<CvParameters*>(&foreign)), cErrorInvalidParameters);
}

// Every client function that takes a record and a key; the key is empty, so these also
// show that the record is checked before the key.
INSTANTIATE_TEST_SUITE_P(
    Functions, InvalidRecord,
    ::testing::Values(
        RecordCallCase{"copyParameters", [](CvParameters* r) { CvParameters* c = nullptr; return copyParameters(r, &c); }},
        RecordCallCase{"keyCount", [](CvParameters* r) { return keyCount(r, nullptr); }},
        RecordCallCase{"keyAt", [](CvParameters* r) { return keyAt(r, 0, nullptr, 0); }},
        RecordCallCase{"hasKey", [](CvParameters* r) { return hasKey(r, "k"); }},
        RecordCallCase{"setString", [](CvParameters* r) { return setString(r, "", "v"); }},
        RecordCallCase{"setInteger", [](CvParameters* r) { return setInteger(r, "", 1); }},
        RecordCallCase{"setDouble", [](CvParameters* r) { return setDouble(r, "", 1.0); }},
        RecordCallCase{"setCallback", [](CvParameters* r) { return setCallback(r, "", &someCallback); }},
        RecordCallCase{"setPointer", [](CvParameters* r) { return setPointer(r, "", r); }},
        RecordCallCase{"setDictionary", [](CvParameters* r) { return setDictionary(r, "", r); }},
        RecordCallCase{"setArrayItem", [](CvParameters* r) { return setArrayItem(r, "", 0, nullptr); }},
        RecordCallCase{"getString", [](CvParameters* r) { return getString(r, "", nullptr); }},
        RecordCallCase{"getInteger", [](CvParameters* r) { return getInteger(r, "", nullptr); }},
        RecordCallCase{"getDouble", [](CvParameters* r) { return getDouble(r, "", nullptr); }},
        RecordCallCase{"getDictionary", [](CvParameters* r) { return getDictionary(r, "", nullptr); }},
        RecordCallCase{"getArrayItem", [](CvParameters* r) { return getArrayItem(r, "", 0, nullptr); }},
        RecordCallCase{"getPointer", [](CvParameters* r) { return getPointer(r, "", nullptr); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InvalidRecordTest, DeleteAndTextRefuseNonRecords)
{
    Foreign foreign;
    EXPECT_FALSE(deleteParameters(nullptr));
    EXPECT_FALSE(deleteParameters(reinterpret_cast<CvParameters*>(&foreign)));
    EXPECT_EQ(parametersToString(nullptr), nullptr);
    EXPECT_EQ(parametersToString(reinterpret_cast<CvParameters*>(&foreign)), nullptr);
}

TEST(InvalidRecordTest, EndedRecordFailsTheCheck)
{
    // A record the library built for a callback, seen after it ended.
    alignas(CvParameters) unsigned char storage[sizeof(CvParameters)];
    auto* record = ::new (storage) CvParameters(buildDictionary("i", "a", 1));
    EXPECT_EQ(hasKey(record, "a"), cNoError);
    record->~CvParameters();
    EXPECT_EQ(hasKey(record, "a"), cErrorInvalidParameters);
}

// --- keys -----------------------------------------------------------------------------

class EmptyKey : public ::testing::TestWithParam<RecordCallCase> {};

TEST_P(EmptyKey, IsRefusedOnAValidRecord)
{
    Record record = makeRecord();
    ASSERT_EQ(setInteger(record.get(), "k", 1), cNoError);
    EXPECT_EQ(GetParam().call(record.get()), cErrorEmptyKey);
}

INSTANTIATE_TEST_SUITE_P(
    Functions, EmptyKey,
    ::testing::Values(
        RecordCallCase{"setStringEmpty", [](CvParameters* r) { return setString(r, "", "v"); }},
        RecordCallCase{"setIntegerNull", [](CvParameters* r) { return setInteger(r, nullptr, 1); }},
        RecordCallCase{"setDictionary", [](CvParameters* r) { return setDictionary(r, "", r); }},
        RecordCallCase{"setArrayItem", [](CvParameters* r) { return setArrayItem(r, "", 0, nullptr); }},
        RecordCallCase{"getStringNull", [](CvParameters* r) { return getString(r, nullptr, nullptr); }},
        RecordCallCase{"getInteger", [](CvParameters* r) { return getInteger(r, "", nullptr); }},
        RecordCallCase{"getDictionary", [](CvParameters* r) { return getDictionary(r, "", nullptr); }},
        RecordCallCase{"getArrayItem", [](CvParameters* r) { return getArrayItem(r, "", 0, nullptr); }},
        RecordCallCase{"getPointer", [](CvParameters* r) { return getPointer(r, "", nullptr); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, HasKeyNeverFindsTheEmptyKey)
{
    Record record = makeRecord();
    EXPECT_EQ(hasKey(record.get(), ""), cErrorKeyNotFound);
    EXPECT_EQ(hasKey(record.get(), nullptr), cErrorKeyNotFound);
    EXPECT_EQ(hasKey(record.get(), "absent"), cErrorKeyNotFound);
}

TEST(Keys, OverlongKeyIsInvalid)
{
    Record record = makeRecord();
    const std::string tooLong(256, 'k');
    EXPECT_EQ(setInteger(record.get(), tooLong.c_str(), 1), cErrorInvalidParameters);
    EXPECT_EQ(setString(record.get(), tooLong.c_str(), "v"), cErrorInvalidParameters);
    EXPECT_EQ(setInteger(record.get(), tooLong.substr(1).c_str(), 1), cNoError);
}

TEST(Keys, FullRecordRefusesANewKeyAsInvalid)
{
    Bytes buffer = concat({be32(0), be16(65535)});
    for (int i = 0; i < 65535; ++i) {
        const Bytes entry = pair(tagInteger, "k" + std::to_string(i), be64(0));
        const Bytes length = be32(std::uint32_t(entry.size()));
        buffer.insert(buffer.end(), length.begin(), length.end());
        buffer.insert(buffer.end(), entry.begin(), entry.end());
    }
    const Bytes size = be32(std::uint32_t(buffer.size()));
    std::copy(size.begin(), size.end(), buffer.begin());
    const Dictionary full = Dictionary::view(buffer.data(), buffer.size());
    Record record{record::allocate(Dictionary{full})};

    EXPECT_EQ(setInteger(record.get(), "another", 1), cErrorInvalidParameters);
    EXPECT_EQ(setArrayItem(record.get(), "another", 0, nullptr), cErrorInvalidParameters);
    EXPECT_EQ(setInteger(record.get(), "k7", 1), cNoError);
}

struct KeyAtCase {
    const char* name;
    int index;
    std::size_t bufferSize; // 0: null buffer
    ErrorCode result;
    const char* copied;
};

class KeyAt : public ::testing::TestWithParam<KeyAtCase> {};

TEST_P(KeyAt, CopiesTheKeyWhenItAndItsTerminatorFit)
{
    Record record = makeRecord();
    ASSERT_EQ(setInteger(record.get(), "first", 1), cNoError);
    ASSERT_EQ(setInteger(record.get(), "four", 2), cNoError);
    const KeyAtCase& c = GetParam();
    std::string buffer(16, '#');
    char* out = c.bufferSize == 0 ? nullptr : buffer.data();
    EXPECT_EQ(keyAt(record.get(), c.index, out, c.bufferSize), c.result);
    if (c.copied != nullptr)
        EXPECT_STREQ(buffer.c_str(), c.copied);
    else
        EXPECT_EQ(buffer, std::string(16, '#')); // untouched
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyAt,
                         ::testing::Values(KeyAtCase{"Fits", 1, 5, cNoError, "four"},
                                           KeyAtCase{"NoRoomForTerminator", 1, 4, cErrorBufferTooSmall, nullptr},
                                           KeyAtCase{"ZeroSizedBuffer", 0, 0, cNoError, nullptr},
                                           KeyAtCase{"IndexEqualsCount", 2, 16, cErrorKeyNotFound, nullptr},
                                           KeyAtCase{"NegativeIndex", -1, 16, cErrorKeyNotFound, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, KeyCountCountsPairs)
{
    Record record = makeRecord();
    int count = -1;
    EXPECT_EQ(keyCount(record.get(), &count), cNoError);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(setString(record.get(), "a", "x"), cNoError);
    ASSERT_EQ(setString(record.get(), "b", "y"), cNoError);
    EXPECT_EQ(keyCount(record.get(), &count), cNoError);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(keyCount(record.get(), nullptr), cNoError);
}

// --- values ---------------------------------------------------------------------------

TEST(Values, EveryTypeReadsBackWhatWasWritten)
{
    Record record = makeRecord();
    CvParameters* r = record.get();
    ASSERT_EQ(setString(r, "s", "text"), cNoError);
    ASSERT_EQ(setInteger(r, "i", -42), cNoError);
    ASSERT_EQ(setDouble(r, "d", 48.1173), cNoError);
    ASSERT_EQ(setPointer(r, "p", &record), cNoError);
    ASSERT_EQ(setCallback(r, "c", &someCallback), cNoError);

    const char* s = nullptr;
    std::int64_t i = 0;
    double d = 0;
    void* p = nullptr;
    void* c = nullptr;
    EXPECT_EQ(getString(r, "s", &s), cNoError);
    EXPECT_STREQ(s, "text");
    EXPECT_EQ(getInteger(r, "i", &i), cNoError);
    EXPECT_EQ(i, -42);
    EXPECT_EQ(getDouble(r, "d", &d), cNoError);
    EXPECT_EQ(d, 48.1173);
    EXPECT_EQ(getPointer(r, "p", &p), cNoError);
    EXPECT_EQ(p, &record);
    EXPECT_EQ(getPointer(r, "c", &c), cNoError); // callbacks read as addresses too
    EXPECT_EQ(c, reinterpret_cast<void*>(&someCallback));
    EXPECT_EQ(getInteger(r, "absent", &i), cErrorKeyNotFound);
    EXPECT_EQ(getString(r, "s", nullptr), cNoError);
}

TEST(Values, EmptyStringRemovesAnExistingKeyAndFailsForAnAbsentOne)
{
    Record record = makeRecord();
    ASSERT_EQ(setString(record.get(), "s", "text"), cNoError);
    EXPECT_EQ(setString(record.get(), "s", ""), cNoError);
    EXPECT_EQ(hasKey(record.get(), "s"), cErrorKeyNotFound);
    EXPECT_EQ(setString(record.get(), "s", ""), cErrorOutOfMemory);
    EXPECT_EQ(setString(record.get(), "s", nullptr), cErrorOutOfMemory);
}

TEST(Values, StringReadOfUnterminatedBytesIsRefused)
{
    Record record = makeRecord();
    ASSERT_EQ(setInteger(record.get(), "full", 0x0102030405060708), cNoError);
    ASSERT_EQ(setInteger(record.get(), "one", 1), cNoError);
    const char* text = "unchanged";
    EXPECT_EQ(getString(record.get(), "full", &text), cErrorValueTypeMismatch);
    EXPECT_STREQ(text, "unchanged");
    // The tag is not checked: bytes that hold a terminator still read as a string.
    EXPECT_EQ(getString(record.get(), "one", &text), cNoError);
    EXPECT_STREQ(text, "");
}

TEST(Values, TextFormOfARecord)
{
    Record record = makeRecord();
    EXPECT_EQ(textOf(record.get()), "(dict)");
    ASSERT_EQ(setString(record.get(), "name", "x"), cNoError);
    ASSERT_EQ(setInteger(record.get(), "n", 3), cNoError);
    EXPECT_EQ(textOf(record.get()), "(dict (name \"x\") (n 3))");
}

// --- nested records -------------------------------------------------------------------

TEST(Nested, DictionaryIsStoredAndReturnedAsACopy)
{
    Record inner = makeRecord();
    ASSERT_EQ(setInteger(inner.get(), "x", 1), cNoError);
    Record outer = makeRecord();
    ASSERT_EQ(setDictionary(outer.get(), "in", inner.get()), cNoError);
    ASSERT_EQ(setInteger(inner.get(), "x", 2), cNoError); // the stored copy does not follow

    CvParameters* got = nullptr;
    ASSERT_EQ(getDictionary(outer.get(), "in", &got), cNoError);
    Record owned{got};
    EXPECT_EQ(textOf(got), "(dict (x 1))");
    EXPECT_EQ(getDictionary(outer.get(), "in", nullptr), cNoError);
}

TEST(Nested, EmptyOrAbsentDictionaryIsNotFound)
{
    Record empty = makeRecord();
    Record outer = makeRecord();
    ASSERT_EQ(setDictionary(outer.get(), "none", empty.get()), cNoError);
    CvParameters* got = reinterpret_cast<CvParameters*>(&outer);
    EXPECT_EQ(getDictionary(outer.get(), "none", &got), cErrorKeyNotFound);
    EXPECT_EQ(getDictionary(outer.get(), "absent", &got), cErrorKeyNotFound);
    Foreign foreign;
    EXPECT_EQ(setDictionary(outer.get(), "x", reinterpret_cast<CvParameters*>(&foreign)), cErrorInvalidParameters);
    EXPECT_EQ(setDictionary(outer.get(), "x", nullptr), cErrorInvalidParameters);
}

TEST(Nested, RecordMayBeStoredInsideItself)
{
    Record record = makeRecord();
    ASSERT_EQ(setInteger(record.get(), "a", 1), cNoError);
    ASSERT_EQ(setDictionary(record.get(), "self", record.get()), cNoError);
    EXPECT_EQ(textOf(record.get()), "(dict (a 1) (self (dict (a 1))))");
}

struct ArrayItemCase {
    const char* name;
    const char* key;
    int index;
    ErrorCode result;
};

class GetArrayItem : public ::testing::TestWithParam<ArrayItemCase> {};

TEST_P(GetArrayItem, TellsAMissingSlotFromAMissingKey)
{
    Record item = makeRecord();
    ASSERT_EQ(setInteger(item.get(), "x", 1), cNoError);
    Record record = makeRecord();
    ASSERT_EQ(setArrayItem(record.get(), "list", 0, item.get()), cNoError);
    ASSERT_EQ(setArrayItem(record.get(), "list", 2, item.get()), cNoError);
    ASSERT_EQ(setInteger(record.get(), "number", 7), cNoError);

    CvParameters* got = nullptr;
    EXPECT_EQ(getArrayItem(record.get(), GetParam().key, GetParam().index, &got), GetParam().result);
    Record owned{got};
    if (GetParam().result == cNoError)
        EXPECT_EQ(textOf(got), "(dict (x 1))");
    else
        EXPECT_EQ(got, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetArrayItem,
                         ::testing::Values(ArrayItemCase{"FilledSlot", "list", 2, cNoError},
                                           ArrayItemCase{"EmptySlot", "list", 1, cErrorNoSuchItem},
                                           ArrayItemCase{"PastTheEnd", "list", 3, cErrorNoSuchItem},
                                           ArrayItemCase{"NegativeIndex", "list", -1, cErrorNoSuchItem},
                                           ArrayItemCase{"NotAnArray", "number", 0, cErrorNoSuchItem},
                                           ArrayItemCase{"MissingKey", "absent", 0, cErrorKeyNotFound}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Nested, SetArrayItemChecksValueAndIndex)
{
    Record record = makeRecord();
    Foreign foreign;
    EXPECT_EQ(setArrayItem(record.get(), "list", 0, reinterpret_cast<CvParameters*>(&foreign)), cErrorInvalidParameters);
    EXPECT_EQ(setArrayItem(record.get(), "list", 65535, record.get()), cErrorInvalidParameters);
    EXPECT_EQ(setArrayItem(record.get(), "list", -1, record.get()), cErrorInvalidParameters);
    EXPECT_EQ(hasKey(record.get(), "list"), cErrorKeyNotFound);

    Record item = makeRecord();
    ASSERT_EQ(setInteger(item.get(), "x", 1), cNoError);
    ASSERT_EQ(setArrayItem(record.get(), "list", 3, item.get()), cNoError);
    EXPECT_EQ(textOf(record.get()), "(dict (list #4(#f #f #f (dict (x 1)))))");
    ASSERT_EQ(setArrayItem(record.get(), "list", 3, nullptr), cNoError);
    EXPECT_EQ(textOf(record.get()), "(dict (list #0()))");
}

// --- copies and memory ----------------------------------------------------------------

TEST(Copies, CopyIsDeepAndIndependent)
{
    Record source = makeRecord();
    ASSERT_EQ(setString(source.get(), "s", "v"), cNoError);
    CvParameters* copy = nullptr;
    ASSERT_EQ(copyParameters(source.get(), &copy), cNoError);
    Record owned{copy};
    ASSERT_EQ(setString(source.get(), "s", "changed"), cNoError);
    EXPECT_EQ(textOf(copy), "(dict (s \"v\"))");
    EXPECT_EQ(copyParameters(source.get(), nullptr), cNoError);
}

TEST(Copies, RunningOutOfMemoryIsReportedAndLeavesNoRecord)
{
    Record source = makeRecord();
    ASSERT_EQ(setString(source.get(), "s", "v"), cNoError);
    for (int allowed : {0, 1}) { // the dictionary copy fails, then the record allocation
        SCOPED_TRACE(allowed);
        CvParameters* copy = source.get();
        memory::ScopedAllocationFailure noMemory(allowed);
        EXPECT_EQ(copyParameters(source.get(), &copy), cErrorOutOfMemory);
        EXPECT_EQ(copy, nullptr);
    }
    Record inner = makeRecord();
    ASSERT_EQ(setInteger(inner.get(), "x", 1), cNoError);
    ASSERT_EQ(setDictionary(source.get(), "in", inner.get()), cNoError);
    const std::string before = textOf(source.get());
    {
        memory::ScopedAllocationFailure noMemory;
        EXPECT_EQ(newParameters(), nullptr);
        EXPECT_EQ(setString(source.get(), "new", "v"), cErrorOutOfMemory);
        CvParameters* nested = source.get();
        EXPECT_EQ(getDictionary(source.get(), "in", &nested), cErrorOutOfMemory);
        EXPECT_EQ(nested, nullptr);
    }
    EXPECT_EQ(textOf(source.get()), before);
}

// --- error names ----------------------------------------------------------------------

TEST(ErrorNames, EveryValueHasItsNameAndOthersPrintQuestionMarks)
{
    EXPECT_EQ(errorName(cNoError), "cNoError");
    EXPECT_EQ(errorName(cErrorInvalidParameters), "cErrorInvalidParameters");
    EXPECT_EQ(errorName(22), "cErrorInvalidParameters");
    EXPECT_EQ(errorName(cErrorNoSuchItem), "cErrorNoSuchItem");
    EXPECT_EQ(errorName(32), "???");
    EXPECT_EQ(errorName(-1), "???");
}

} // namespace
} // namespace Corvane
