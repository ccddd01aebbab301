#include "corvane/types/VarArray.h"

#include "tests/support/Bytes.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <optional>

namespace Corvane {
namespace {

using namespace Orvanta::testing;

// --- validation ---------------------------------------------------------------------

struct ValidationCase {
    const char* name;
    Bytes bytes;
    std::optional<std::size_t> available; // default: all of `bytes`
    const char* complaint;                // null when the buffer is valid
};

class VarArrayValidation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(VarArrayValidation, AcceptsOrRefusesWithTheLoggedReason)
{
    const ValidationCase& c = GetParam();
    LogCapture log("corvane.type.vararray");

    const std::size_t available = c.available.value_or(c.bytes.size());
    const bool valid = VarArray::validate(c.bytes.data(), available);

    EXPECT_EQ(valid, c.complaint == nullptr);
    if (c.complaint != nullptr)
        EXPECT_EQ(log.messages(log4cplus::ERROR_LOG_LEVEL), std::vector<std::string>{c.complaint});
    else
        EXPECT_TRUE(log.messages().empty());
    if (!valid) {
        EXPECT_TRUE(VarArray::view(c.bytes.data(), available).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, VarArrayValidation,
    ::testing::Values(
        ValidationCase{"HeaderOnly", hex("00000006 0000"), {}, nullptr},
        ValidationCase{"TwoEntries", varArray({hex("0102"), {}}), {}, nullptr},
        ValidationCase{"DeclaredFive", hex("00000005 00"), {}, "VarArray too small"},
        ValidationCase{"DeclaredZero", hex("00000000 0000"), {}, "VarArray too small"},
        ValidationCase{"FewerBytesThanAHeader", hex("000000"), {}, "VarArray too small"},
        ValidationCase{"DeclaredBeyondTheBytes", hex("00000010 0001 00000002 0102"), {}, "VarArray too small"},
        ValidationCase{"DeclaredFourGigabytes", hex("FFFFFFFF 0001 00000000"), {}, "VarArray too small"},
        ValidationCase{"NoEntriesButData", hex("00000008 0000 0102"), {}, "Array contains non-entry data"},
        ValidationCase{"EntriesButNoData", hex("00000006 0003"), {}, "Array contains no data"},
        ValidationCase{"EntryHeaderCut", hex("00000008 0001 0000"), {}, "Array too small"},
        ValidationCase{"EntryLongerThanBuffer", hex("0000000C 0001 00000003 0102"), {}, "Array too small"},
        ValidationCase{"EntryLengthOverflows", hex("0000000C 0001 FFFFFFFF 0102"), {}, "Array too small"},
        ValidationCase{"CountAboveEntries", hex("0000000C 0002 00000002 0102"), {}, "Array too small"},
        ValidationCase{"BytesAfterLastEntry", hex("0000000D 0001 00000002 0102 FF"), {}, "Array contains non-entry data"},
        ValidationCase{"MaximumCountOfEmptyEntries", concat({be32(6 + 4 * 65535), be16(65535), Bytes(4 * 65535, 0)}), {},
                       nullptr},
        // The declared size bounds the array; bytes behind it belong to somebody else.
        ValidationCase{"TrailingBytesBeyondDeclaredSize", hex("0000000C 0001 00000002 0102 DEADBEEF"), {}, nullptr},
        ValidationCase{"AvailableCutsTheBuffer", varArray({hex("0102")}), std::size_t{8}, "VarArray too small"}),
    [](const auto& info) { return info.param.name; });

TEST(VarArrayValidationTest, NullBufferIsRefused)
{
    LogCapture log("corvane.type.vararray");
    EXPECT_FALSE(VarArray::validate(nullptr, 100));
    EXPECT_EQ(log.messages(), std::vector<std::string>{"VarArray is NULL"});
}

int entriesChecked = 0;

bool refuseEntryTwo(const std::uint8_t* entry, std::uint32_t)
{
    ++entriesChecked;
    return entry[0] != 2;
}

TEST(VarArrayValidationTest, EntryCheckRefusalFailsTheWholeBuffer)
{
    const Bytes bytes = varArray({hex("01"), hex("02"), hex("03")});
    entriesChecked = 0;
    EXPECT_FALSE(VarArray::validate(bytes.data(), bytes.size(), &refuseEntryTwo));
    EXPECT_EQ(entriesChecked, 2); // stops at the first refusal
}

// --- text form ------------------------------------------------------------------------

TEST(VarArrayText, ShowsEmptyEntriesAsFalseAndOthersAsHex)
{
    const Bytes bytes = varArray({{}, hex("0A FF 00"), {}});
    EXPECT_EQ(VarArray::view(bytes.data(), bytes.size()).toString(), "#3(#f #x0AFF00 #f)");
    EXPECT_EQ(VarArray{}.toString(), "#0()");
}

// --- slots and removal ----------------------------------------------------------------

struct SlotCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, Bytes>> writes; // slot, content (empty clears)
    const char* text;
};

class VarArraySlots : public ::testing::TestWithParam<SlotCase> {};

TEST_P(VarArraySlots, ProduceTheExpectedArray)
{
    VarArray array;
    for (const auto& [slot, content] : GetParam().writes)
        ASSERT_TRUE(array.setSlot(slot, content.data(), std::uint32_t(content.size())));
    EXPECT_EQ(array.toString(), GetParam().text);
    if (!array.isEmpty())
        EXPECT_TRUE(VarArray::validate(array.data(), array.byteSize()));
    else
        EXPECT_EQ(array.data(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, VarArraySlots,
    ::testing::Values(SlotCase{"SlotPastTheEndGrowsWithEmptySlots", {{3, hex("AA")}}, "#4(#f #f #f #xAA)"},
                      SlotCase{"ReplaceKeepsOtherSlots", {{0, hex("01")}, {1, hex("02")}, {0, hex("0303")}},
                               "#2(#x0303 #x02)"},
                      SlotCase{"ClearingTheLastSlotDropsEmptySlotsBeforeIt", {{0, hex("01")}, {3, hex("04")}, {3, {}}},
                               "#1(#x01)"},
                      SlotCase{"ClearingAMiddleSlotKeepsItsPlace", {{0, hex("01")}, {1, hex("02")}, {2, hex("03")}, {1, {}}},
                               "#3(#x01 #f #x03)"},
                      SlotCase{"ClearingEverySlotLeavesNoBuffer", {{1, hex("01")}, {1, {}}}, "#0()"},
                      SlotCase{"ClearingASlotPastTheEndChangesNothing", {{0, hex("01")}, {5, {}}}, "#1(#x01)"}),
    [](const auto& info) { return info.param.name; });

TEST(VarArrayRemoval, RemovingTheOnlyEntryReleasesTheBuffer)
{
    VarArray array;
    ASSERT_TRUE(array.appendEntry(hex("01").data(), 1));
    ASSERT_TRUE(array.removeEntry(0));
    EXPECT_EQ(array.data(), nullptr);
    EXPECT_EQ(array.count(), 0);
}

TEST(VarArrayRemoval, RemovingLeavesNoEmptyEntriesAtTheEnd)
{
    const Bytes bytes = varArray({hex("01"), {}, {}, hex("04")});
    VarArray array = VarArray::view(bytes.data(), bytes.size());
    ASSERT_TRUE(array.removeEntry(3));
    EXPECT_EQ(array.toString(), "#1(#x01)");
    EXPECT_FALSE(array.removeEntry(1)); // out of range now
}

TEST(VarArrayRemoval, RemovingAMiddleEntryShiftsTheRest)
{
    const Bytes bytes = varArray({hex("01"), hex("02"), hex("03")});
    VarArray array = VarArray::view(bytes.data(), bytes.size());
    ASSERT_TRUE(array.removeEntry(1));
    EXPECT_EQ(array.toString(), "#2(#x01 #x03)");
    EXPECT_EQ(toHex(array.data(), array.byteSize()), toHex(varArray({hex("01"), hex("03")})));
}

// --- ownership ------------------------------------------------------------------------

TEST(VarArrayOwnership, ChangingAViewLeavesTheViewedBytesAlone)
{
    const Bytes bytes = varArray({hex("01"), hex("02")});
    const Bytes before = bytes;
    VarArray array = VarArray::view(bytes.data(), bytes.size());
    EXPECT_FALSE(array.isOwned());
    ASSERT_TRUE(array.setSlot(0, hex("09").data(), 1)); // same length: still a copy for a view
    EXPECT_TRUE(array.isOwned());
    EXPECT_EQ(bytes, before);
    EXPECT_EQ(array.toString(), "#2(#x09 #x02)");
}

TEST(VarArrayOwnership, SameLengthRewriteOfAnOwnedBufferIsInPlace)
{
    VarArray array;
    ASSERT_TRUE(array.setSlot(1, hex("0102").data(), 2));
    const std::uint8_t* buffer = array.data();
    memory::ScopedAllocationFailure noMemory; // in place needs none
    ASSERT_TRUE(array.setSlot(1, hex("0304").data(), 2));
    EXPECT_EQ(array.data(), buffer);
    EXPECT_EQ(array.toString(), "#2(#f #x0304)");
}

TEST(VarArrayOwnership, CopyIsDeepAndOwned)
{
    const Bytes bytes = varArray({hex("01")});
    const VarArray view = VarArray::view(bytes.data(), bytes.size());
    const VarArray copy = view;
    EXPECT_TRUE(copy.isOwned());
    EXPECT_NE(copy.data(), view.data());
    EXPECT_EQ(copy.toString(), view.toString());
}

TEST(VarArrayOwnership, FailedCopyAssignmentLeavesTheTargetAndLogs)
{
    LogCapture log("corvane.type.vararray");
    VarArray target;
    ASSERT_TRUE(target.setSlot(0, hex("01").data(), 1));
    VarArray source;
    ASSERT_TRUE(source.setSlot(0, hex("0202").data(), 2));

    memory::ScopedAllocationFailure noMemory;
    target = source;
    EXPECT_EQ(target.toString(), "#1(#x01)");
    EXPECT_EQ(log.messages(log4cplus::ERROR_LOG_LEVEL), std::vector<std::string>{"Cannot allocate array data"});
}

TEST(VarArrayLimits, RefusesASixtyFiveThousandFiveHundredThirtySixthEntry)
{
    const Bytes full = concat({be32(6 + 4 * 65535), be16(65535), Bytes(4 * 65535, 0)});
    VarArray array = VarArray::view(full.data(), full.size());
    ASSERT_EQ(array.count(), 65535);
    EXPECT_FALSE(array.appendEntry(hex("01").data(), 1));
    EXPECT_EQ(array.data(), full.data()); // untouched
    EXPECT_FALSE(array.setSlot(65535, hex("01").data(), 1));
}

} // namespace
} // namespace Corvane
