#include "sim/cardsim/Garbler.h"
#include "sim/cardsim/Nmea.h"
#include "sim/cardsim/NoFix.h"

#include <gtest/gtest.h>

namespace Cardsim {
namespace {

constexpr const char* kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

struct ChecksumCase {
    const char* name;
    const char* sentence;
    bool valid;
};

class Checksum : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(Checksum, IsTheExclusiveOrBetweenDollarAndStar)
{
    EXPECT_EQ(Nmea::hasValidChecksum(GetParam().sentence), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Sentences, Checksum,
    ::testing::Values(ChecksumCase{"Classic", kRmc, true},
                      ChecksumCase{"LowerCaseDigits", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6a",
                                   true},
                      ChecksumCase{"OneCharacterChanged",
                                   "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,E*6A", false},
                      ChecksumCase{"NoChecksum", "$GPRMC,123519,A", false},
                      ChecksumCase{"OneDigit", "$GPRMC,123519,A*6", false},
                      ChecksumCase{"ThreeDigits", "$GPRMC,123519,A*6A0", false},
                      ChecksumCase{"NotHex", "$GPRMC,123519,A*G1", false},
                      ChecksumCase{"NoDollar", "GPRMC,123519,A*6A", false},
                      ChecksumCase{"Empty", "", false}),
    [](const ::testing::TestParamInfo<ChecksumCase>& info) { return std::string(info.param.name); });

TEST(Nmea, TypeIgnoresTheTalker)
{
    EXPECT_EQ(Nmea::typeOf(kRmc), "RMC");
    EXPECT_EQ(Nmea::typeOf("$GNGSV,3,1,11*00"), "GSV");
    EXPECT_EQ(Nmea::typeOf("$GPGGA*00"), "GGA");
    EXPECT_EQ(Nmea::typeOf("GPRMC,1"), "");
    EXPECT_EQ(Nmea::typeOf("$GPRM,1"), "");
    EXPECT_EQ(Nmea::typeOf("$GPRMCX,1"), "");
}

TEST(Nmea, FieldsJoinBackToTheSentence)
{
    const std::vector<std::string> fields = Nmea::fieldsOf(kRmc);
    ASSERT_EQ(fields.size(), 12u);
    EXPECT_EQ(fields[0], "$GPRMC");
    EXPECT_EQ(fields[2], "A");
    EXPECT_EQ(fields[11], "W");
    EXPECT_EQ(Nmea::sentenceOf(fields), kRmc);
    EXPECT_EQ(Nmea::fieldsOf("$GPVTG,,T,,M*00"), (std::vector<std::string>{"$GPVTG", "", "T", "", "M"}));
}

struct NoFixCase {
    const char* name;
    const char* withFix;
    const char* withoutFixBody; // up to the '*'; the checksum must be right
};

class NoFix : public ::testing::TestWithParam<NoFixCase> {};

TEST_P(NoFix, RewritesWhatDependsOnTheFix)
{
    const std::string rewritten = withoutFix(GetParam().withFix);
    EXPECT_EQ(rewritten.substr(0, rewritten.find('*')), GetParam().withoutFixBody);
    EXPECT_TRUE(Nmea::hasValidChecksum(rewritten)) << rewritten;
}

INSTANTIATE_TEST_SUITE_P(
    Types, NoFix,
    ::testing::Values(
        NoFixCase{"Rmc", "$GPRMC,074210.00,A,4807.03762,N,01131.00156,E,2.870,109.25,150624,,,A*63",
                  "$GPRMC,074210.00,V,,,,,,,150624,,,N"},
        NoFixCase{"RmcWithoutModeLetter", kRmc, "$GPRMC,123519,V,,,,,,,230394,,"},
        NoFixCase{"Gga", "$GPGGA,074210.00,4807.03762,N,01131.00156,E,1,10,1.11,520.5,M,47.4,M,,*52",
                  "$GPGGA,074210.00,,,,,0,00,99.99,,,,,,"},
        NoFixCase{"Gsa", "$GPGSA,A,3,02,05,07,09,13,18,20,23,26,29,,,1.95,1.11,1.61*06",
                  "$GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99"},
        NoFixCase{"VtgKeepsItsUnitLetters", "$GPVTG,109.25,T,,M,2.870,N,5.315,K,A*3D", "$GPVTG,,T,,M,,N,,K,N"},
        NoFixCase{"Gll", "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C", "$GPGLL,,,,,225444,V,N"},
        NoFixCase{"OtherTalker", "$GNRMC,074210.00,A,4807.03762,N,01131.00156,E,2.870,109.25,150624,,,A*7D",
                  "$GNRMC,074210.00,V,,,,,,,150624,,,N"},
        NoFixCase{"SatellitesInViewStay", "$GPGSV,3,3,11,23,14,023,28,26,47,338,37,29,28,145,32*4D",
                  "$GPGSV,3,3,11,23,14,023,28,26,47,338,37,29,28,145,32"}),
    [](const ::testing::TestParamInfo<NoFixCase>& info) { return std::string(info.param.name); });

TEST(NoFix, LeavesWhatIsNoSentenceAlone)
{
    EXPECT_EQ(withoutFix("hello"), "hello");
    EXPECT_EQ(withoutFix(""), "");
}

TEST(Garbler, GarbledSentenceKeepsItsShapeAndFailsItsChecksum)
{
    const std::string line = garbled(kRmc);
    EXPECT_EQ(line.size(), std::string(kRmc).size());
    EXPECT_NE(line, kRmc);
    EXPECT_EQ(line.front(), '$');
    EXPECT_EQ(line.substr(line.find('*')), "*6A");
    EXPECT_FALSE(Nmea::hasValidChecksum(line));
    EXPECT_EQ(garbled("OK"), "O#");
    EXPECT_EQ(garbled("##"), "#%");
}

TEST(Garbler, CountsLinesOnItsPortOnly)
{
    Garbler garbler;
    garbler.arm(2, PortRole::gpsData);
    EXPECT_FALSE(garbler.take(PortRole::gpsControl));
    EXPECT_TRUE(garbler.take(PortRole::gpsData));
    EXPECT_TRUE(garbler.take(PortRole::gpsData));
    EXPECT_FALSE(garbler.take(PortRole::gpsData));
    garbler.arm(1, std::nullopt);
    EXPECT_TRUE(garbler.take(PortRole::modem));
    EXPECT_FALSE(garbler.take(PortRole::application));
}

} // namespace
} // namespace Cardsim
