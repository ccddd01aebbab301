#include "sim/cardsim/Nmea.h"
#include "sim/cardsim/Track.h"
#include "sim/cardsim/trackgen/WalkTrack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

namespace Cardsim {
namespace {

std::vector<std::vector<std::string>> groupsOf(const Track& track)
{
    std::vector<std::vector<std::string>> groups;
    for (std::size_t i = 0; i < track.size(); ++i)
        groups.push_back(track.group(i));
    return groups;
}

TEST(Track, GroupsStartAtTheTypeThatOpensTheCapture)
{
    std::string problem;
    const auto track = Track::parse("# a capture\r\n"
                                    "$GPRMC,1*00\r\n"
                                    "$GPGGA,1*00\r\n"
                                    "\r\n"
                                    "$GPGSV,1*00\n"
                                    "$GPRMC,2*00  \n"
                                    "not a sentence\n"
                                    "$GPGGA,2*00",
                                    problem);
    ASSERT_TRUE(track) << problem;
    EXPECT_EQ(groupsOf(*track), (std::vector<std::vector<std::string>>{{"$GPRMC,1*00", "$GPGGA,1*00", "$GPGSV,1*00"},
                                                                       {"$GPRMC,2*00", "$GPGGA,2*00"}}));
}

TEST(Track, TextWithoutSentencesIsRefused)
{
    std::string problem;
    EXPECT_FALSE(Track::parse("# only a comment\n\nhello\n", problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_FALSE(Track::load("/nonexistent/capture.nmea", problem));
}

TEST(Track, OverlongLinesAreSkipped)
{
    std::string problem;
    const auto track = Track::parse("$GPGGA,1*00\n$GPGGA," + std::string(Track::kMaxSentence, '1') + "*00\n", problem);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->size(), 1u);
}

TEST(TrackPlayer, LoopsAndWritesWithoutFixOnRequest)
{
    std::string problem;
    auto track = Track::parse("$GPRMC,1,A,4807.038,N,01131.000,E,1.0,2.0,230394,,,A*00\n$GPRMC,2,A,1,N,2,E,,,,,,A*00\n",
                              problem);
    ASSERT_TRUE(track);
    TrackPlayer player(std::move(*track));
    EXPECT_EQ(player.next(true), (std::vector<std::string>{"$GPRMC,1,A,4807.038,N,01131.000,E,1.0,2.0,230394,,,A*00"}));
    const auto searching = player.next(false);
    ASSERT_EQ(searching.size(), 1u);
    EXPECT_EQ(searching[0].substr(0, 11), "$GPRMC,2,V,");
    EXPECT_EQ(player.position(), 0u) << "back at the start";
}

std::string committedWalk()
{
    std::ifstream in(CARDSIM_BUNDLED_TRACK, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BundledTrack, IsTheCommittedWalk) { EXPECT_EQ(bundledTrackText(), committedWalk()); }

TEST(BundledTrack, IsWhatTheGeneratorMakes)
{
    // A failure here means the generator changed without the file being regenerated:
    //   cmake --build --preset default --target cardsim_regenerate_track
    EXPECT_TRUE(generateWalkTrack() == committedWalk());
}

double degreesOf(const std::string& field, const std::string& hemisphere)
{
    const double value = std::atof(field.c_str());
    const double degrees = std::floor(value / 100.0) + std::fmod(value, 100.0) / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

// Distance in metres between two nearby positions.
double metresBetween(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double radius = 6371008.8;
    const double toRadians = 3.14159265358979323846 / 180.0;
    const double north = (lat2 - lat1) * toRadians * radius;
    const double east = (lon2 - lon1) * toRadians * radius * std::cos(lat1 * toRadians);
    return std::hypot(north, east);
}

TEST(BundledTrack, IsAWalkOfAFewKilometresWithValidSentences)
{
    std::string problem;
    const auto track = Track::parse(bundledTrackText(), problem);
    ASSERT_TRUE(track) << problem;
    ASSERT_GT(track->size(), 600u) << "at least ten minutes";

    double walked = 0.0;
    double lastLat = 0.0, lastLon = 0.0;
    double firstLat = 0.0, firstLon = 0.0;
    for (std::size_t i = 0; i < track->size(); ++i) {
        std::map<std::string, int> types;
        int satellitesInView = -1;
        int gsvSatellites = 0;
        for (const std::string& sentence : track->group(i)) {
            ASSERT_TRUE(Nmea::hasValidChecksum(sentence)) << sentence;
            ASSERT_EQ(sentence.rfind("$GP", 0), 0u) << "the middleware reads the GP talker: " << sentence;
            const auto fields = Nmea::fieldsOf(sentence);
            const std::string type(Nmea::typeOf(sentence));
            ++types[type];
            if (type == "GSV") {
                satellitesInView = std::atoi(fields[3].c_str());
                gsvSatellites += static_cast<int>((fields.size() - 4) / 4);
            }
            if (type == "RMC") {
                ASSERT_EQ(fields.size(), 13u) << "with the mode letter: " << sentence;
                EXPECT_EQ(fields[2], "A");
                const double lat = degreesOf(fields[3], fields[4]);
                const double lon = degreesOf(fields[5], fields[6]);
                if (i == 0) {
                    firstLat = lat;
                    firstLon = lon;
                } else {
                    const double step = metresBetween(lastLat, lastLon, lat, lon);
                    EXPECT_LT(step, 4.0) << "a walker, not a car, at group " << i;
                    walked += step;
                }
                lastLat = lat;
                lastLon = lon;
                const double knots = std::atof(fields[7].c_str());
                EXPECT_GE(knots, 0.0);
                EXPECT_LT(knots, 4.0);
            }
        }
        EXPECT_EQ(types, (std::map<std::string, int>{{"GGA", 1}, {"GSA", 1}, {"GSV", 3}, {"RMC", 1}, {"VTG", 1}}))
            << "group " << i;
        EXPECT_EQ(gsvSatellites, satellitesInView) << "group " << i;
    }
    EXPECT_GT(walked, 2000.0);
    EXPECT_LT(walked, 5000.0);
    EXPECT_LT(metresBetween(firstLat, firstLon, lastLat, lastLon), 15.0) << "the loop closes, so the replay runs on";
}

} // namespace
} // namespace Cardsim
