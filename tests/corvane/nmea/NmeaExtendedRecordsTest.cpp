// The records a client that passes positions on gets: the fix's time, date and validity,
// the satellites and the dilutions, beside the values every client gets.

#include "corvane/nmea/NmeaFieldValues.h"
#include "corvane/nmea/NmeaParser.h"

#include "NmeaTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using testing::MessageStream;
using testing::RecordingPublisher;
using testing::withChecksum;

TEST(NmeaSentenceField, CountsFromTheTypeAndStopsAtTheChecksum)
{
    const std::string_view gga = "$GPGGA,074213.00,4807.03652,N,,E,1*55";
    struct Case {
        int index;
        std::string_view field;
    } cases[] = {{0, "$GPGGA"}, {1, "074213.00"}, {3, "N"}, {4, ""}, {6, "1"}, {7, ""}, {40, ""}, {-1, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(nmea::sentenceField(gga, c.index), c.field) << c.index;
    EXPECT_EQ(nmea::sentenceField("$GPGSA,A,3,,,,*", 5), "");
    EXPECT_EQ(nmea::sentenceField("", 1), "");
}

TEST(NmeaFixTime, MillisecondsOfDay)
{
    struct Case {
        double hhmmss;
        std::optional<std::int64_t> milliseconds;
    } cases[] = {
        {74213.00, (7 * 3600 + 42 * 60 + 13) * 1000},
        {0, 0},
        {123519.5, (12 * 3600 + 35 * 60 + 19) * 1000 + 500},
        {235959.999, 86399999},
        {235960.5, 86400500}, // a leap second
        {240000, std::nullopt},
        {126000, std::nullopt}, // minute 60
        {-1, std::nullopt},
        {NAN, std::nullopt},
        {1e300, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nmea::millisecondsOfDay(c.hhmmss), c.milliseconds) << c.hhmmss;
}

TEST(NmeaFixTime, CalendarDate)
{
    struct Case {
        std::int64_t ddmmyy;
        std::optional<std::int64_t> date;
    } cases[] = {
        {150624, 20240615}, {10124, 20240101}, {230394, 19940323}, {311279, 20791231}, {10180, 19800101},
        {0, std::nullopt},  {320124, std::nullopt}, {11324, std::nullopt}, {-150624, std::nullopt},
        {1000000, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nmea::calendarDate(c.ddmmyy), c.date) << c.ddmmyy;
}

class ExtendedRecords : public ::testing::Test {
protected:
    // The records a sentence published (fix signals left out).
    std::vector<Dictionary> parse(const std::string& sentence)
    {
        publisher.published.clear();
        parser.parse(sentence);
        std::vector<Dictionary> records;
        for (const auto& entry : publisher.published)
            if (entry.signal == sigGpsUpdate)
                records.push_back(entry.record);
        return records;
    }

    Dictionary only(const std::string& sentence)
    {
        std::vector<Dictionary> records = parse(sentence);
        EXPECT_EQ(records.size(), 1u) << sentence;
        return records.empty() ? Dictionary() : records.front();
    }

    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser{publisher, messages.file(), NmeaRecordDetail::extended};
};

TEST_F(ExtendedRecords, GgaAndRmcCarryTheFixTimeAndWhetherThereIsAFix)
{
    struct Case {
        const char* name;
        std::string sentence;
        std::optional<std::int64_t> time;
        std::optional<std::int64_t> date; // RMC only
        std::int64_t fixValid;
        const char* quality; // GGA only
    } cases[] = {
        {"gga with a fix", "$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55",
         (7 * 3600 + 42 * 60 + 13) * 1000, std::nullopt, 1, "1"},
        {"gga differential", withChecksum("$GPGGA,000000.25,4807.03652,N,01131.00519,E,2,09,1.11,521.5,M,47.4,M,,"),
         250, std::nullopt, 1, "2"},
        {"gga without a fix or time", withChecksum("$GPGGA,,,,,,0,00,,,M,,M,,"), std::nullopt, std::nullopt, 0, "0"},
        {"rmc with a fix", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07",
         (12 * 3600 + 35 * 60 + 19) * 1000, 19940323, 1, nullptr},
        {"rmc without a fix", withChecksum("$GPRMC,074213.00,V,,,,,,,150624,,,N"), (7 * 3600 + 42 * 60 + 13) * 1000,
         20240615, 0, nullptr},
        {"rmc without time or date", withChecksum("$GPRMC,,V,,,,,,,,,,N"), std::nullopt, std::nullopt, 0, nullptr},
        {"rmc with an impossible date", withChecksum("$GPRMC,074213.00,A,4807.038,N,01131.000,E,0,0,329924,,,A"),
         (7 * 3600 + 42 * 60 + 13) * 1000, std::nullopt, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Dictionary record = only(c.sentence);
        EXPECT_TRUE(record.hasKey(key::gpsLatitude));
        EXPECT_EQ(record.hasKey(key::gpsTime), c.time.has_value());
        EXPECT_EQ(record.integer(key::gpsTime), c.time.value_or(0));
        EXPECT_EQ(record.hasKey(key::gpsDate), c.date.has_value());
        EXPECT_EQ(record.integer(key::gpsDate), c.date.value_or(0));
        EXPECT_EQ(record.integer(key::gpsFixValid), c.fixValid);
        EXPECT_STREQ(record.string(key::gpsQuality), c.quality);
    }
}

TEST_F(ExtendedRecords, AKeyLeftOutIsNotKeptFromTheSentenceBefore)
{
    only("$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55");
    const Dictionary second = only(withChecksum("$GPGGA,,,,,,0,00,,,M,,M,,"));
    EXPECT_FALSE(second.hasKey(key::gpsTime));
    EXPECT_EQ(second.integer(key::gpsFixValid), 0);

    only("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07");
    EXPECT_FALSE(only(withChecksum("$GPRMC,,V,,,,,,,,,,N")).hasKey(key::gpsDate));

    only("$GPGSA,A,3,02,05,07,09,13,18,20,26,29,,,,1.96,1.11,1.61*04");
    EXPECT_FALSE(only(withChecksum("$GPGSA,A,1,,,,,,,,,,,,,,,")).hasKey(key::gpsSatUsed));
}

TEST_F(ExtendedRecords, GsaGivesTheFixTypeTheDilutionsAndTheSatellitesUsed)
{
    struct Case {
        const char* name;
        std::string sentence;
        const char* type;
        std::vector<const char*> dilutions; // PDOP, HDOP, VDOP; null when absent
        std::vector<std::int64_t> used;
    } cases[] = {
        {"3d fix", "$GPGSA,A,3,02,05,07,09,13,18,20,26,29,,,,1.96,1.11,1.61*04", "3", {"1.96", "1.11", "1.61"},
         {2, 5, 7, 9, 13, 18, 20, 26, 29}},
        {"gaps among the satellites", "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", "3", {"2.5", "1.3", "2.1"},
         {4, 5, 9, 12, 24}},
        {"no fix", withChecksum("$GPGSA,A,1,,,,,,,,,,,,,,,"), "1", {nullptr, nullptr, nullptr}, {}},
        {"2d fix, one dilution", withChecksum("$GPGSA,M,2,07,09,13,,,,,,,,,,,3.2,"), "2", {nullptr, "3.2", nullptr},
         {7, 9, 13}},
    };
    const char* dilutionKeys[] = {key::gpsPdop, key::gpsHdop, key::gpsVdop};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Dictionary record = only(c.sentence);
        EXPECT_STREQ(record.string(key::gpsType), c.type);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_STREQ(record.string(dilutionKeys[i]), c.dilutions[i]) << dilutionKeys[i];
        }
        std::vector<std::int64_t> used;
        for (std::uint32_t slot = 0; slot < record.arrayCount(key::gpsSatUsed); ++slot)
            used.push_back(record.arrayItem(key::gpsSatUsed, slot).integer(key::gpsSatPrn));
        EXPECT_EQ(used, c.used);
    }
}

TEST_F(ExtendedRecords, GsvGivesEachSatelliteItCarries)
{
    struct Satellite {
        std::int64_t prn, elevation, azimuth, snr;
        bool operator==(const Satellite&) const = default;
    };
    struct Case {
        const char* name;
        std::string sentence;
        std::int64_t message, messages, inView;
        std::vector<Satellite> satellites;
    } cases[] = {
        {"four", "$GPGSV,3,1,11,02,62,047,42,05,18,312,31,07,41,121,34,09,77,251,45*7F", 1, 3, 11,
         {{2, 62, 47, 42}, {5, 18, 312, 31}, {7, 41, 121, 34}, {9, 77, 251, 45}}},
        {"the last three", "$GPGSV,3,3,11,23,14,023,27,26,47,338,35,29,28,145,31*43", 3, 3, 11,
         {{23, 14, 23, 27}, {26, 47, 338, 35}, {29, 28, 145, 31}}},
        {"one not tracked", withChecksum("$GPGSV,1,1,02,12,07,344,,14,22,228,45"), 1, 1, 2,
         {{12, 7, 344, 0}, {14, 22, 228, 45}}},
        {"none in view", withChecksum("$GPGSV,1,1,00"), 1, 1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Dictionary record = only(c.sentence);
        EXPECT_EQ(record.integer(key::gpsSatMessage), c.message);
        EXPECT_EQ(record.integer(key::gpsSatMessages), c.messages);
        EXPECT_EQ(record.integer(key::gpsSatInView), c.inView);
        std::vector<Satellite> satellites;
        for (std::uint32_t slot = 0; slot < record.arrayCount(key::gpsSatellites); ++slot) {
            const Dictionary item = record.arrayItem(key::gpsSatellites, slot);
            satellites.push_back({item.integer(key::gpsSatPrn), item.integer(key::gpsSatElevation),
                                  item.integer(key::gpsSatAzimuth), item.integer(key::gpsSatSnr)});
        }
        EXPECT_TRUE(satellites == c.satellites);
    }
}

// The tray tool's parser, and orvanta-gps decode, keep the records they always had.
TEST(BasicRecords, CarryNoExtension)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser{publisher, messages.file()};
    parser.parse("$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55");
    parser.parse("$GPGSA,A,3,02,05,07,09,13,18,20,26,29,,,,1.96,1.11,1.61*04");
    parser.parse("$GPGSV,3,1,11,02,62,047,42,05,18,312,31,07,41,121,34,09,77,251,45*7F");
    parser.parse("$GPRMC,074213.00,A,4807.03652,N,01131.00519,E,2.885,110.17,150624,,,A*6E");
    std::vector<std::uint16_t> keyCounts;
    for (const auto& entry : publisher.published)
        if (entry.signal == sigGpsUpdate)
            keyCounts.push_back(entry.record.count());
    EXPECT_EQ(keyCounts, (std::vector<std::uint16_t>{4, 1, 4}));
}

} // namespace
} // namespace Corvane
