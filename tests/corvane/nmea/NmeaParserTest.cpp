#include "corvane/nmea/NmeaParser.h"

#include "NmeaTestSupport.h"
#include "corvane/nmea/NormalisedSentence.h"
#include "corvane/nmea/ScanfScanner.h"
#include "corvane/types/Allocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using testing::MessageStream;
using testing::RecordingPublisher;
using testing::withChecksum;
using namespace std::string_literals;

// One value of an expected record. Zero is compared with its sign: the empty-field rule
// turns positions into negative zero, and that is what a client sees.
struct Field {
    const char* key;
    double value;
    bool integer = false;
};
Field real(const char* key, double value) { return {key, value}; }
Field whole(const char* key, std::int64_t value) { return {key, static_cast<double>(value), true}; }

struct Expected {
    Signal signal;
    std::vector<Field> record;
};

struct SentenceCase {
    const char* name;
    std::string sentence;
    NmeaVerdict verdict;
    std::vector<std::string> messages;
    std::vector<Expected> published;
};

void expectRecord(const Dictionary& record, const std::vector<Field>& fields)
{
    ASSERT_EQ(record.count(), fields.size()) << record.toString();
    for (std::uint32_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        SCOPED_TRACE(field.key);
        EXPECT_EQ(record.keyAt(i), field.key);
        if (field.integer) {
            EXPECT_EQ(record.typeOf(field.key), tagInteger);
            EXPECT_EQ(record.integer(field.key), static_cast<std::int64_t>(field.value));
            continue;
        }
        EXPECT_EQ(record.typeOf(field.key), tagDouble);
        const double value = record.real(field.key);
        EXPECT_NEAR(value, field.value, 1e-6);
        if (field.value == 0.0) {
            EXPECT_EQ(std::signbit(value), std::signbit(field.value)) << "sign of zero";
        }
    }
}

class NmeaSentence : public ::testing::TestWithParam<SentenceCase> {};

TEST_P(NmeaSentence, PublishesOrRejectsAsItsTypeRequires)
{
    const SentenceCase& c = GetParam();
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());

    EXPECT_EQ(parser.parse(c.sentence).verdict, c.verdict);
    EXPECT_EQ(messages.lines(), c.messages);
    ASSERT_EQ(publisher.published.size(), c.published.size());
    for (std::size_t i = 0; i < c.published.size(); ++i) {
        EXPECT_EQ(signalName(publisher.published[i].signal), signalName(c.published[i].signal));
        expectRecord(publisher.published[i].record, c.published[i].record);
    }
}

auto caseName = [](const auto& info) { return std::string(info.param.name); };

constexpr auto accepted = NmeaVerdict::accepted;
constexpr auto rejected = NmeaVerdict::rejected;
constexpr auto ignored = NmeaVerdict::ignored;

constexpr double munichLatitude = 48.1173;          // 4807.038 N
constexpr double munichLongitude = 11.0 + 31.0 / 60; // 01131.000 E: 11.516667
// The record of "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,...": 22.4 knots.
const std::vector<Field> munichRmcRecord = {real("gpsLatitude", munichLatitude), real("gpsLongitude", munichLongitude),
                                            real("gpsSpeed", 41.4848), real("gpsDirection", 84.4)};

INSTANTIATE_TEST_SUITE_P(
    Gga, NmeaSentence,
    ::testing::Values(
        SentenceCase{"WithFix",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
                     accepted,
                     {},
                     {{sigGpsUpdate,
                       {real("gpsLatitude", munichLatitude), real("gpsLongitude", munichLongitude),
                        real("gpsAltitude", 545.4), whole("gpsSatInUse", 8)}}}},
        SentenceCase{"SouthAndWestAreNegative",
                     withChecksum("$GPGGA,030719.000,3747.0873,S,17518.8938,W,1,08,1.1,59.9,M,23.7,M,,0000"),
                     accepted,
                     {},
                     {{sigGpsUpdate,
                       {real("gpsLatitude", -(37 + 47.0873 / 60)), real("gpsLongitude", -(175 + 18.8938 / 60)),
                        real("gpsAltitude", 59.9), whole("gpsSatInUse", 8)}}}},
        SentenceCase{"WithoutFixGivesNegativeZero",
                     withChecksum("$GPGGA,123520,,,,,0,00,,,M,,M,,"),
                     accepted,
                     {},
                     {{sigGpsUpdate,
                       {real("gpsLatitude", -0.0), real("gpsLongitude", -0.0), real("gpsAltitude", 0.0),
                        whole("gpsSatInUse", 0)}}}},
        SentenceCase{"WrongChecksum",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48",
                     rejected,
                     {"Incalid Checksum in GPGGA Package!"},
                     {}},
        SentenceCase{"LowerCaseChecksumDigits",
                     "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7d",
                     accepted,
                     {},
                     {{sigGpsUpdate,
                       {real("gpsLatitude", -(37 + 47.0873 / 60)), real("gpsLongitude", 175 + 18.8938 / 60),
                        real("gpsAltitude", 59.9), whole("gpsSatInUse", 8)}}}},
        // 14 conversions, and the missing word reads as checksum 0.
        SentenceCase{"StarWithoutDigits",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*",
                     rejected,
                     {"Incalid Checksum in GPGGA Package!"},
                     {}},
        SentenceCase{"NoStar",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                     rejected,
                     {"GPGGA Package malformed!"},
                     {}},
        // The scan stops at "[" after 7 conversions; the unscanned word reads as 0, which
        // happens to be this text's checksum, so the count decides.
        SentenceCase{"CutShortWithAZeroChecksum",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08,[*",
                     rejected,
                     {"GPGGA Package malformed!"},
                     {}},
        SentenceCase{"CutShortIsAChecksumMismatch",
                     "$GPGGA,123519,4807.038,N,01131.000,E,1,08*47",
                     rejected,
                     {"Incalid Checksum in GPGGA Package!"},
                     {}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Gsa, NmeaSentence,
    ::testing::Values(SentenceCase{"AcceptedPublishesNothing",
                                   "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39",
                                   accepted,
                                   {},
                                   {}},
                      SentenceCase{"AllSatelliteFieldsEmpty", withChecksum("$GPGSA,A,1,,,,,,,,,,,,,,,"), accepted, {}, {}},
                      SentenceCase{"WrongChecksum",
                                   "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*3A",
                                   rejected,
                                   {"Incalid Checksum in GPGSA Package!"},
                                   {}},
                      SentenceCase{"NoStar",
                                   "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1",
                                   rejected,
                                   {"GPGSA Package malformed!"},
                                   {}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Gsv, NmeaSentence,
    ::testing::Values(
        SentenceCase{"FirstOfThreeCarriesFour",
                     "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B",
                     accepted,
                     {},
                     {{sigGpsUpdate, {whole("gpsSatInView", 12)}}}},
        // 3 header values and 1 satellite of 4 values: 7 conversions.
        SentenceCase{"ThreeOfThreeWithNineSatellitesCarriesOne",
                     withChecksum("$GPGSV,3,3,09,32,10,120,25"),
                     accepted,
                     {},
                     {{sigGpsUpdate, {whole("gpsSatInView", 9)}}}},
        SentenceCase{"EmptySignalStrengthsReadAsZero",
                     "$GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,*73",
                     accepted,
                     {},
                     {{sigGpsUpdate, {whole("gpsSatInView", 12)}}}},
        SentenceCase{"SignalIdAfterTheLastGroupIsIgnored",
                     withChecksum("$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23,1"),
                     accepted,
                     {},
                     {{sigGpsUpdate, {whole("gpsSatInView", 12)}}}},
        SentenceCase{"MessageCarryingTooFewSatellites",
                     withChecksum("$GPGSV,3,1,12,17,72,207,32"),
                     rejected,
                     {"GPGSV Package malformed!"},
                     {}},
        SentenceCase{"MessagePastTheLastCarriesNone",
                     withChecksum("$GPGSV,3,4,09"),
                     accepted,
                     {},
                     {{sigGpsUpdate, {whole("gpsSatInView", 9)}}}},
        // Without a satellite count there is nothing to publish.
        SentenceCase{"CutAfterTheMessageNumber",
                     withChecksum("$GPGSV,3,2"),
                     rejected,
                     {"GPGSV Package malformed!"},
                     {}},
        // Seen in a capture: the line says 4B, its characters give 48.
        SentenceCase{"WrongChecksum",
                     "$GPGSV,3,3,11,24,51,098,,110,50,31,60,230,46*4B",
                     rejected,
                     {"Incalid Checksum in GPGSV Package!"},
                     {}},
        SentenceCase{"StarWithoutDigits",
                     "$GPGSV,3,3,09,32,10,120,25*",
                     rejected,
                     {"Incalid Checksum in GPGSV Package!"},
                     {}},
        SentenceCase{"NoStar", "$GPGSV,3,3,09,32,10,120,25", rejected, {"GPGSV Package malformed!"}, {}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Rmc, NmeaSentence,
    ::testing::Values(
        SentenceCase{"ValidFix",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07",
                     accepted,
                     {},
                     {{sigReadGps, {}},
                      {sigGpsUpdate,
                       munichRmcRecord}}},
        SentenceCase{"WrongChecksum",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*08",
                     rejected,
                     {"Incalid Checksum in GPRMC Package!"},
                     {}},
        SentenceCase{"WithoutModeLetterMakesElevenConversions",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
                     rejected,
                     {"GPRMC Package malformed!"},
                     {}},
        SentenceCase{"NoFixStillDeliversItsValues",
                     withChecksum("$GPRMC,123520,V,,,,,,,230394,,,N"),
                     accepted,
                     {},
                     {{sigGpsSearch, {}},
                      {sigGpsUpdate,
                       {real("gpsLatitude", -0.0), real("gpsLongitude", -0.0), real("gpsSpeed", 0.0),
                        real("gpsDirection", 0.0)}}}},
        SentenceCase{"AnyStatusButAIsASearch",
                     withChecksum("$GPRMC,123519,a,4807.038,S,01131.000,W,0,0,230394,,,A"),
                     accepted,
                     {},
                     {{sigGpsSearch, {}},
                      {sigGpsUpdate,
                       {real("gpsLatitude", -munichLatitude), real("gpsLongitude", -munichLongitude),
                        real("gpsSpeed", 0.0), real("gpsDirection", 0.0)}}}},
        // 12 conversions: without a word there is nothing to compare.
        SentenceCase{"StarWithoutDigitsIsNotCompared",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*",
                     accepted,
                     {},
                     {{sigReadGps, {}},
                      {sigGpsUpdate,
                       munichRmcRecord}}},
        SentenceCase{"NoStar",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A",
                     rejected,
                     {"GPRMC Package malformed!"},
                     {}},
        // The text ends at its NUL, before the "*".
        SentenceCase{"NulBeforeTheStar",
                     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A\0*07"s,
                     rejected,
                     {"GPRMC Package malformed!"},
                     {}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Vtg, NmeaSentence,
    ::testing::Values(
        SentenceCase{"WithModeLetter",
                     "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25",
                     accepted,
                     {},
                     {{sigGpsUpdate, {real("gpsSpeed", 10.2)}}}},
        SentenceCase{"EmptyCourses",
                     withChecksum("$GPVTG,,T,,M,0.0,N,0.0,K,N"),
                     accepted,
                     {},
                     {{sigGpsUpdate, {real("gpsSpeed", 0.0)}}}},
        SentenceCase{"LowerCaseUnits",
                     withChecksum("$GPVTG,054.7,t,034.4,m,005.5,n,010.2,k,A"),
                     rejected,
                     {"GPVTG Package malformed (format error)!"},
                     {}},
        SentenceCase{"EmptyUnitReadsAsZero",
                     withChecksum("$GPVTG,054.7,T,034.4,,005.5,N,010.2,K,A"),
                     rejected,
                     {"GPVTG Package malformed (format error)!"},
                     {}},
        // Without the mode letter the scan stops before the word, which then reads as 0.
        SentenceCase{"WithoutModeLetter",
                     "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48",
                     rejected,
                     {"Incalid Checksum in GPVTG Package!"},
                     {}},
        SentenceCase{"WithoutChecksumDigitsButAZeroChecksum",
                     "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,d*",
                     accepted,
                     {},
                     {{sigGpsUpdate, {real("gpsSpeed", 10.2)}}}},
        SentenceCase{"NoStar", "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A", rejected, {"GPVTG Package malformed!"}, {}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Others, NmeaSentence,
    ::testing::Values(
        SentenceCase{"GnTalker", "$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*19", ignored,
                     {}, {}},
        SentenceCase{"Gll", "$GPGLL,4916.45,N,12311.12,W,225444,A*31", ignored, {}, {}},
        SentenceCase{"LowerCaseTag", "$gprmc,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07",
                     ignored, {}, {}},
        SentenceCase{"TagCutShort", "$GPRM", ignored, {}, {}},
        SentenceCase{"Empty", "", ignored, {}, {}},
        SentenceCase{"NoDollar", "GPRMC,123519,A*07", ignored, {}, {}},
        // Classified by its first six characters only; the scan then fails at once.
        SentenceCase{"LongerTag", "$GPRMCX,123519,A*07", rejected, {"GPRMC Package malformed!"}, {}},
        SentenceCase{"TagOnly", "$GPGGA", rejected, {"GPGGA Package malformed!"}, {}}),
    caseName);

// --- conversion counts ------------------------------------------------------------------

struct CountCase {
    const char* name;
    NmeaSentenceType type;
    std::string sentence;
    int conversions;
};

class NmeaScanCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(NmeaScanCount, CountsTheConversionsTheRulesJudge)
{
    const CountCase& c = GetParam();
    const nmea::NormalisedSentence normalised(c.sentence);
    EXPECT_EQ(ScanfScanner::scan(normalised.text(), nmeaScanFormat(c.type)).count(), c.conversions);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NmeaScanCount,
    ::testing::Values(
        CountCase{"RmcWithModeLetter", NmeaSentenceType::rmc,
                  "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07", 13},
        CountCase{"RmcWithoutModeLetter", NmeaSentenceType::rmc,
                  "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 11},
        CountCase{"GsvThreeOfThreeWithNine", NmeaSentenceType::gsv, "$GPGSV,3,3,09,32,10,120,25*44", 7},
        CountCase{"GsvFull", NmeaSentenceType::gsv,
                  "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B", 19},
        CountCase{"GgaWithoutFix", NmeaSentenceType::gga, "$GPGGA,123520,,,,,0,00,,,M,,M,,*61", 15},
        CountCase{"GgaStarWithoutDigits", NmeaSentenceType::gga,
                  "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*", 14},
        CountCase{"GsaFull", NmeaSentenceType::gsa, "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", 18},
        CountCase{"VtgWithoutModeLetter", NmeaSentenceType::vtg, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", 8},
        CountCase{"TagOnly", NmeaSentenceType::gga, "$GPGGA", -1}),
    caseName);

// --- the parser as a whole --------------------------------------------------------------

TEST(NmeaParser, ParseSentenceIsTrueWhateverBecomesOfTheSentence)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());
    EXPECT_TRUE(parser.parseSentence("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25"));
    EXPECT_TRUE(parser.parseSentence("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*26"));
    EXPECT_TRUE(parser.parseSentence("$GPGLL,4916.45,N,12311.12,W,225444,A*31"));
    EXPECT_EQ(publisher.published.size(), 1u);
    EXPECT_EQ(messages.lines().size(), 1u);
}

TEST(NmeaParser, EachRecordHoldsOnlyTheValuesOfItsSentence)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());
    parser.parse("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
    parser.parse(withChecksum("$GPGGA,123520,,,,,0,00,,,M,,M,,"));
    parser.parse("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07");
    ASSERT_EQ(publisher.published.size(), 4u);
    expectRecord(publisher.published[1].record, {real("gpsLatitude", -0.0), real("gpsLongitude", -0.0),
                                                 real("gpsAltitude", 0.0), whole("gpsSatInUse", 0)});
    expectRecord(publisher.published[3].record, munichRmcRecord);
}

TEST(NmeaParser, WithoutMemoryForTheRecordNothingIsPublished)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());
    const std::string rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07";
    {
        memory::ScopedAllocationFailure failure(1); // the record gets one key, not four
        parser.parse(rmc);
    }
    EXPECT_TRUE(publisher.published.empty()) << "neither the fix nor a partial record";
    parser.parse(rmc);
    ASSERT_EQ(publisher.published.size(), 2u);
    expectRecord(publisher.published[1].record, munichRmcRecord);
}

TEST(NmeaParser, SentencesLongerThanAnyReceiverWritesAreStillRead)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());
    // Leading zeros make a 1000-character latitude that fills in past the inline buffer.
    const std::string latitude = std::string(1000, '0') + "4807.038";
    parser.parse(withChecksum("$GPGGA,123519," + latitude + ",N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
    EXPECT_TRUE(messages.lines().empty());
    ASSERT_EQ(publisher.published.size(), 1u);
    EXPECT_NEAR(publisher.published[0].record.real("gpsLatitude"), munichLatitude, 1e-9);
}

} // namespace
} // namespace Corvane
