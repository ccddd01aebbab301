// The packers and unpackers against tests/data/sms/gsm7_packing.tsv, and what the rows
// do not show: the flush on destruction, fill bits, the UCS2 byte order, the CDMA order.

#include "quelder/sms/Packers.h"
#include "quelder/sms/PduHex.h"
#include "tests/quelder/sms/SmsVectors.h"

#include <gtest/gtest.h>

namespace SMS {
namespace {

using testing::PackingVector;

std::vector<std::uint8_t> octetsOf(const std::string& hex)
{
    std::vector<std::uint8_t> octets;
    EXPECT_TRUE(HexToOctets(hex, octets)) << hex;
    return octets;
}

class PackingVectors : public ::testing::TestWithParam<PackingVector> {};

TEST_P(PackingVectors, PackAsListed)
{
    const auto septets = octetsOf(GetParam().septets);
    std::vector<std::uint8_t> packed;
    {
        Packer7bit packer(packed, GetParam().bitOffset);
        packer.Pack(septets.data(), septets.size());
    }
    EXPECT_EQ(testing::Hex(packed), GetParam().packed);
}

TEST_P(PackingVectors, UnpackToTheSameSeptets)
{
    const auto septets = octetsOf(GetParam().septets);
    const std::string unpacked = Unpack7bit(octetsOf(GetParam().packed), septets.size(), GetParam().bitOffset);
    EXPECT_EQ(unpacked, std::string(septets.begin(), septets.end()));
}

INSTANTIATE_TEST_SUITE_P(Rows, PackingVectors, ::testing::ValuesIn(testing::LoadPackingVectors()));

TEST(Packer7bit, WritesTheLastPartialOctetOnlyWhenItGoes)
{
    std::vector<std::uint8_t> packed;
    {
        Packer7bit packer(packed);
        const std::uint8_t septet = 0x41;
        packer.Pack(&septet, 1);
        EXPECT_TRUE(packed.empty());
    }
    EXPECT_EQ(testing::Hex(packed), "41");
}

TEST(Packer7bit, PacksAcrossCallsAsInOne)
{
    const std::uint8_t text[] = {'h', 'e', 'l', 'l', 'o', 'h', 'e', 'l', 'l', 'o'};
    std::vector<std::uint8_t> whole;
    std::vector<std::uint8_t> pieces;
    {
        Packer7bit packer(whole);
        packer.Pack(text, sizeof text);
    }
    {
        Packer7bit packer(pieces);
        for (const std::uint8_t septet : text)
            packer.Pack(&septet, 1);
    }
    EXPECT_EQ(testing::Hex(whole), "E8329BFD4697D9EC37");
    EXPECT_EQ(pieces, whole);
}

TEST(Packer7bit, OneFillBitPutsTheTextOnTheSeptetAfterASixOctetHeader)
{
    // Worked by hand: 0 then 'A' (1000001) least significant bit first.
    std::vector<std::uint8_t> packed;
    {
        Packer7bit packer(packed, 1);
        const std::uint8_t text[] = {'A', 'A', 'A'};
        packer.Pack(text, sizeof text);
    }
    EXPECT_EQ(testing::Hex(packed), "82C120");
}

TEST(Packer16bit, WritesEachUnitHighByteFirstAndHoldsAnOddByte)
{
    std::vector<std::uint8_t> out;
    {
        Packer16bit packer(out);
        packer.Pack(u"\u0442\U0001F600");
        const char16_t unit = u'A';
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&unit);
        packer.Pack(bytes, 1);
        EXPECT_EQ(out.size(), 6u);
        packer.Pack(bytes + 1, 1);
    }
    EXPECT_EQ(testing::Hex(out), "0442D83DDE000041");
}

TEST(Packer8bit, CopiesOctets)
{
    std::vector<std::uint8_t> out;
    Packer8bit packer(out);
    const std::uint8_t data[] = {0x00, 0xFF, 0x7E};
    packer.Pack(data, sizeof data);
    EXPECT_EQ(testing::Hex(out), "00FF7E");
}

struct UnpackCase {
    const char* name;
    const char* packed;
    std::size_t count;
    std::size_t bitOffset;
    bool cdma;
    std::string septets;
};

class Unpacking : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(Unpacking, ReadsOnlyWhatThePackedOctetsHold)
{
    const UnpackCase& c = GetParam();
    const auto packed = octetsOf(c.packed);
    const std::string septets =
        c.cdma ? UnpackCdma7bit(packed, c.count, c.bitOffset) : Unpack7bit(packed, c.count, c.bitOffset);
    EXPECT_EQ(septets, c.septets);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Unpacking,
    ::testing::Values(
        // Seven septets in seven octets: the unused top bit must not read as an eighth '@'.
        UnpackCase{"SevenInSeven", "F17B594ECFD701", 7, 0, false, "qwertyu"},
        UnpackCase{"CountBeyondTheOctets", "E8329BFD4697D9EC37", 40, 0, false, "hellohello"},
        UnpackCase{"OffsetBeyondTheOctets", "E832", 3, 16, false, ""},
        UnpackCase{"Empty", "", 5, 0, false, ""},
        // "Hi" most significant bit first: 1001000 1101001, then padding.
        UnpackCase{"CdmaOrder", "91A4", 2, 0, true, "Hi"},
        UnpackCase{"CdmaAfterFiveBits", "048D20", 2, 5, true, "Hi"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace SMS
