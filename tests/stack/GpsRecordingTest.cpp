// "orvanta-gps watch --gpx FILE --nmea FILE" against orvanta-cardsim: the track read back
// by another program, and the capture played back by a second card.

#include "tests/sim/SimTestSupport.h"
#include "tests/stack/GpsToolRun.h"
#include "tests/stack/TrackPositions.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kGpsbabel = "/usr/bin/gpsbabel";
// What six decimals can tell apart.
constexpr double kSixDecimals = 0.5e-6 + 1e-9;

std::string wholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t occurrences(const std::string& text, const std::string& fragment)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
        ++count;
    return count;
}

std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

// A track point as gpsbabel reads it back.
struct BabelPoint {
    Position position;
    std::string altitude;
    std::string date;
    std::string time;
};

// The track points of a GPX file as gpsbabel reads them; a test failure, and none, when
// it does not read the file.
std::optional<std::vector<BabelPoint>> gpsbabelPoints(const std::filesystem::path& gpx)
{
    Os::Process babel;
    Os::Process::Options options;
    options.pipeOutput = true;
    if (babel.spawn(kGpsbabel, {"-t", "-i", "gpx", "-f", gpx.string(), "-o", "unicsv", "-F", "-"}, options) != 0) {
        ADD_FAILURE() << "gpsbabel did not start";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    // unicsv ends its lines with CR LF.
    while (std::optional<std::string> line = readLine(babel.outputFd(), 30s)) {
        if (line->ends_with('\r'))
            line->pop_back();
        lines.push_back(*line);
    }
    babel.waitForExit(30s);
    const std::optional<Os::ExitStatus> status = babel.exitStatus();
    if (!status || *status != Os::ExitStatus{false, 0}) {
        ADD_FAILURE() << "gpsbabel did not read " << gpx << ": " << ::testing::PrintToString(lines);
        return std::nullopt;
    }
    if (lines.empty())
        return std::vector<BabelPoint>{};
    // "No,Latitude,Longitude,Altitude,Date,Time", the last columns only when some point has them.
    const std::vector<std::string> header = csvFields(lines.front());
    const auto column = [&](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    std::vector<BabelPoint> points;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = csvFields(lines[i]);
        const auto field = [&](const char* name) {
            const std::size_t at = column(name);
            return at < fields.size() ? fields[at] : std::string();
        };
        points.push_back({{std::stod(field("Latitude")), std::stod(field("Longitude"))},
                          field("Altitude"),
                          field("Date"),
                          field("Time")});
    }
    return points;
}

// The points of one of our GPX files, read the plain way.
std::vector<Position> gpxPositions(const std::string& gpx)
{
    static const std::regex point("<trkpt lat=\"([-0-9.]+)\" lon=\"([-0-9.]+)\">");
    std::vector<Position> positions;
    for (auto match = std::sregex_iterator(gpx.begin(), gpx.end(), point); match != std::sregex_iterator(); ++match)
        positions.push_back({std::stod((*match)[1]), std::stod((*match)[2])});
    return positions;
}

// "position: 48.117294 11.516693" as the watch prints it.
std::string positionLine(const Position& position)
{
    char text[80];
    std::snprintf(text, sizeof text, "position: %.6f %.6f", position.latitude, position.longitude);
    return text;
}

bool near(const Position& a, const Position& b, double tolerance)
{
    return std::fabs(a.latitude - b.latitude) <= tolerance && std::fabs(a.longitude - b.longitude) <= tolerance;
}

// The positions a watch printed.
std::vector<Position> shownPositions(const ToolRun& watch)
{
    std::vector<Position> positions;
    for (const std::string& line : watch.lines) {
        Position position{};
        if (std::sscanf(line.c_str(), "position: %lf %lf", &position.latitude, &position.longitude) == 2)
            positions.push_back(position);
    }
    return positions;
}

// Whether a watch that printed `shown` saw the fixes of `fixes` from `start` on, in order
// (around the end, as the card loops). The watch prints a fix that reads as the one
// before it to six decimals only once.
::testing::AssertionResult showsFixes(const std::vector<Position>& fixes, std::size_t start,
                                      const std::vector<Position>& shown)
{
    if (fixes.empty())
        return ::testing::AssertionFailure() << "no fixes";
    std::size_t next = start;
    for (std::size_t k = 0; k < shown.size(); ++k) {
        while (k > 0 && next - start < 2 * fixes.size() && near(fixes[next % fixes.size()], shown[k - 1], 1e-6) &&
               !near(fixes[next % fixes.size()], shown[k], kSixDecimals))
            ++next;
        const Position& fix = fixes[next % fixes.size()];
        if (!near(fix, shown[k], kSixDecimals))
            return ::testing::AssertionFailure() << "position " << k << " is " << positionLine(shown[k])
                                                 << ", the next fix " << positionLine(fix);
        ++next;
    }
    return ::testing::AssertionSuccess();
}

// Where `run` starts in `track`, when each of its positions is the track's next one
// (around the end, as the card loops); a test failure otherwise.
std::optional<std::size_t> followsTrack(const std::vector<Position>& track, const std::vector<Position>& run,
                                        double tolerance)
{
    if (run.empty() || track.empty()) {
        ADD_FAILURE() << "no positions";
        return std::nullopt;
    }
    const std::optional<std::size_t> start = findPosition(track, run.front(), 0, tolerance);
    if (!start) {
        ADD_FAILURE() << "the first position is not on the track: " << positionLine(run.front());
        return std::nullopt;
    }
    for (std::size_t k = 0; k < run.size(); ++k) {
        const Position& expected = track[(*start + k) % track.size()];
        if (std::fabs(expected.latitude - run[k].latitude) > tolerance ||
            std::fabs(expected.longitude - run[k].longitude) > tolerance) {
            ADD_FAILURE() << "position " << k << " is " << positionLine(run[k]) << ", the track's next is "
                          << positionLine(expected);
            return std::nullopt;
        }
    }
    return start;
}

class GpsRecording : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(card.start({"--ttff", "0", "--rate", "10"})); }

    // Watches `on` until it printed `positions` positions, then ends the watch as a user
    // would, with SIGTERM.
    ToolRun watchFor(Cardsim::testing::CardsimProcess& on, const std::vector<std::string>& options,
                     std::size_t positions)
    {
        std::vector<std::string> arguments{"watch"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        Os::Process tool;
        ToolRun watch;
        spawnGpsTool(tool, on.simDir(), runtime.path(), arguments);
        EXPECT_TRUE(readToolWithin(
            tool, watch, [&](const ToolRun& r) { return r.count("position: ") >= positions; }, 30s))
            << ::testing::PrintToString(watch.lines);
        EXPECT_EQ(tool.sendSignal(SIGTERM), 0);
        finishTool(tool, watch);
        return watch;
    }

    ToolRun run(const std::vector<std::string>& arguments)
    {
        Os::Process tool;
        ToolRun result;
        spawnGpsTool(tool, card.simDir(), runtime.path(), arguments);
        finishTool(tool, result);
        return result;
    }

    Cardsim::testing::CardsimProcess card;
    TestFolder runtime;
    TestFolder files;
};

TEST_F(GpsRecording, AGpxTrackOfAMinuteOfWalkReadsBackWithTheWalksPositions)
{
    if (::access(kGpsbabel, X_OK) != 0)
        GTEST_SKIP() << "needs gpsbabel, to read the track back";
    const std::filesystem::path gpx = files / "walk.gpx";
    // The card plays ten fixes a second: a minute of the walk in six seconds.
    const ToolRun watch = watchFor(card, {"--gpx", gpx.string()}, 60);
    EXPECT_EQ(watch.exitCode, 0) << ::testing::PrintToString(watch.lines);

    const std::string text = wholeFile(gpx);
    EXPECT_TRUE(text.ends_with("    </trkseg>\n  </trk>\n</gpx>\n")) << text.substr(text.size() - std::min<std::size_t>(text.size(), 200));
    EXPECT_EQ(occurrences(text, "<trkseg>"), 1u);
    const std::size_t written = occurrences(text, "<trkpt ");
    EXPECT_GE(written, 60u);

    const std::optional<std::vector<BabelPoint>> points = gpsbabelPoints(gpx);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), written);
    std::vector<Position> positions;
    for (const BabelPoint& point : *points)
        positions.push_back(point.position);
    followsTrack(trackPositions(ORVANTA_BUNDLED_TRACK), positions, kSixDecimals);
    // GGA's altitude and RMC's date with the fix's time, one second apart as the walk's
    // fixes are.
    for (std::size_t i = 0; i < points->size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        const BabelPoint& point = (*points)[i];
        EXPECT_FALSE(point.altitude.empty());
        EXPECT_EQ(point.date, "2024/06/15");
        ASSERT_EQ(point.time.size(), 8u) << point.time;
        if (i > 0 && (*points)[i - 1].time.size() == 8) {
            const auto seconds = [](const std::string& time) {
                return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 + std::stoi(time.substr(6, 2));
            };
            EXPECT_EQ(seconds(point.time) - seconds((*points)[i - 1].time), 1);
        }
    }
}

TEST_F(GpsRecording, AnNmeaCapturePlaysBackOnAnotherCardWithTheSamePositions)
{
    const std::filesystem::path nmea = files / "walk.nmea";
    const std::filesystem::path gpx = files / "walk.gpx";
    const ToolRun first = watchFor(card, {"--keep-on", "--nmea", nmea.string(), "--gpx", gpx.string()}, 30);
    EXPECT_EQ(first.exitCode, 0) << ::testing::PrintToString(first.lines);
    EXPECT_EQ(first.lines.back(), "gps: active");
    EXPECT_NE(card.control("status").find("receiver=on"), std::string::npos);

    // Each line as the card sent it, with CR LF: the walk's own lines, but for a first
    // one that the port was opened in the middle of.
    const std::string capture = wholeFile(nmea);
    ASSERT_TRUE(capture.ends_with("\r\n"));
    std::set<std::string> walkLines;
    {
        std::ifstream walk(ORVANTA_BUNDLED_TRACK);
        for (std::string line; std::getline(walk, line);)
            walkLines.insert(line);
    }
    std::vector<std::string> captured;
    for (std::size_t start = 0; start < capture.size();) {
        const std::size_t end = capture.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        captured.push_back(capture.substr(start, end - start));
        start = end + 2;
    }
    for (std::size_t i = 0; i < captured.size(); ++i) {
        EXPECT_EQ(captured[i].find_first_of("\r\n"), std::string::npos) << i;
        const bool whole = walkLines.contains(captured[i]);
        EXPECT_TRUE(whole || (i == 0 && std::any_of(walkLines.begin(), walkLines.end(), [&](const std::string& line) {
                                  return line.ends_with(captured[i]);
                              })))
            << "line " << i << ": " << captured[i];
    }

    // The capture holds the fixes the watch showed, in order, and the track has a point
    // for each of them.
    const std::vector<Position> recorded = trackPositions(nmea);
    ASSERT_GE(recorded.size(), 30u);
    followsTrack(trackPositions(ORVANTA_BUNDLED_TRACK), recorded, 1e-9);
    EXPECT_TRUE(showsFixes(recorded, 0, shownPositions(first)));
    const std::vector<Position> points = gpxPositions(wholeFile(gpx));
    EXPECT_EQ(points.size(), recorded.size());
    followsTrack(recorded, points, 1e-8);

    // A second card plays the capture: a second watch sees the same positions again.
    ASSERT_TRUE(card.stopWith(SIGTERM));
    Cardsim::testing::CardsimProcess second;
    ASSERT_TRUE(second.start({"--track", nmea.string(), "--ttff", "0", "--rate", "10"}));
    const ToolRun replay = watchFor(second, {}, 20);
    EXPECT_EQ(replay.exitCode, 0) << ::testing::PrintToString(replay.lines);
    const std::vector<Position> replayed = shownPositions(replay);
    ASSERT_GE(replayed.size(), 20u) << ::testing::PrintToString(replay.lines);
    const std::optional<std::size_t> start = findPosition(recorded, replayed.front(), 0, kSixDecimals);
    ASSERT_TRUE(start) << positionLine(replayed.front());
    EXPECT_TRUE(showsFixes(recorded, *start, replayed));
}

// Positions stop for a while and come again: the track goes on in a segment of its own.
struct PositionBreak {
    const char* name;
    // Control commands, each sent once the watch printed a line starting with its prefix
    // after the one before ("" for at once).
    std::vector<std::pair<std::string, std::string>> commands;
};

class GpxSegments : public GpsRecording, public ::testing::WithParamInterface<PositionBreak> {};

TEST_P(GpxSegments, BeginAgainWherePositionsStopped)
{
    const std::filesystem::path gpx = files / "walk.gpx";
    Os::Process tool;
    ToolRun watch;
    spawnGpsTool(tool, card.simDir(), runtime.path(), {"watch", "--gpx", gpx.string()});
    ASSERT_TRUE(readToolWithin(tool, watch, [](const ToolRun& r) { return r.count("position: ") >= 5; }, 30s))
        << ::testing::PrintToString(watch.lines);
    std::size_t from = watch.lines.size();
    for (const auto& [command, after] : GetParam().commands) {
        if (!after.empty()) {
            ASSERT_TRUE(readToolWithin(
                tool, watch, [&](const ToolRun& r) { return r.find(after, from) < r.lines.size(); }, 15s))
                << after << ": " << ::testing::PrintToString(watch.lines);
        }
        from = watch.lines.size();
        ASSERT_NE(card.control(command).find("OK"), std::string::npos) << command;
    }
    ASSERT_TRUE(readToolWithin(tool, watch, [&](const ToolRun& r) { return r.count("position: ", from) >= 5; }, 30s))
        << ::testing::PrintToString(watch.lines);
    ASSERT_EQ(tool.sendSignal(SIGTERM), 0);
    finishTool(tool, watch);
    EXPECT_EQ(watch.exitCode, 0) << ::testing::PrintToString(watch.lines);

    const std::string text = wholeFile(gpx);
    EXPECT_TRUE(text.ends_with("    </trkseg>\n  </trk>\n</gpx>\n"));
    EXPECT_EQ(occurrences(text, "<trkseg>"), 2u) << text;
    EXPECT_EQ(occurrences(text, "</trkseg>"), 2u);
    EXPECT_EQ(occurrences(text, "<trkseg>\n    </trkseg>"), 0u);
    if (::access(kGpsbabel, X_OK) == 0) {
        const std::optional<std::vector<BabelPoint>> points = gpsbabelPoints(gpx);
        ASSERT_TRUE(points);
        EXPECT_EQ(points->size(), occurrences(text, "<trkpt "));
    }
}

INSTANTIATE_TEST_SUITE_P(
    GpsRecording, GpxSegments,
    ::testing::Values(PositionBreak{"FixLost", {{"lose-fix", ""}, {"regain-fix", "gps: searching"}}},
                      PositionBreak{"CardReplugged", {{"replug", ""}}},
                      PositionBreak{"SystemSuspended", {{"suspend", ""}, {"resume", "device: removed"}}}),
    [](const ::testing::TestParamInfo<PositionBreak>& info) { return std::string(info.param.name); });

TEST_F(GpsRecording, WithoutACardTheTrackIsAWholeDocumentAndTheCaptureEmpty)
{
    ASSERT_NE(card.control("unplug").find("OK"), std::string::npos);
    const std::filesystem::path gpx = files / "none.gpx";
    const std::filesystem::path nmea = files / "none.nmea";
    const ToolRun watch = run({"watch", "--gpx", gpx.string(), "--nmea", nmea.string(), "1"});
    EXPECT_EQ(watch.exitCode, 1);
    EXPECT_TRUE(watch.has("orvanta-gps: no card with a GPS receiver was found within 1 s"))
        << ::testing::PrintToString(watch.lines);
    const std::string text = wholeFile(gpx);
    EXPECT_TRUE(text.ends_with("  <trk>\n    <name>none</name>\n  </trk>\n</gpx>\n")) << text;
    EXPECT_EQ(wholeFile(nmea), "");
    if (::access(kGpsbabel, X_OK) == 0) {
        const std::optional<std::vector<BabelPoint>> points = gpsbabelPoints(gpx);
        ASSERT_TRUE(points);
        EXPECT_TRUE(points->empty());
    }
}

// A file that cannot be written, and a wrong command line, end the watch before the
// library starts: nothing but the message comes.
struct WatchRefusal {
    const char* name;
    std::vector<std::string> options; // "DIR" is the test's folder
    int exitCode;
    const char* message; // "DIR" likewise; "usage" for the usage text
};

class WatchRefuses : public GpsRecording, public ::testing::WithParamInterface<WatchRefusal> {};

TEST_P(WatchRefuses, BeforeTheLibraryStarts)
{
    const auto withFolder = [&](std::string text) {
        for (std::size_t at = text.find("DIR"); at != std::string::npos; at = text.find("DIR"))
            text.replace(at, 3, files.path().string());
        return text;
    };
    std::vector<std::string> arguments{"watch"};
    for (const std::string& option : GetParam().options)
        arguments.push_back(withFolder(option));
    const ToolRun watch = run(arguments);
    EXPECT_EQ(watch.exitCode, GetParam().exitCode);
    ASSERT_FALSE(watch.lines.empty());
    if (std::string(GetParam().message) == "usage") {
        EXPECT_EQ(watch.lines.front().rfind("Usage: orvanta-gps", 0), 0u) << watch.lines.front();
    } else {
        EXPECT_EQ(watch.lines, std::vector<std::string>{withFolder(GetParam().message)});
    }
    EXPECT_FALSE(watch.mentions("library: ")) << ::testing::PrintToString(watch.lines);
}

INSTANTIATE_TEST_SUITE_P(
    GpsRecording, WatchRefuses,
    ::testing::Values(
        WatchRefusal{"GpxInAMissingFolder", {"--gpx", "DIR/missing/walk.gpx"}, 1,
                     "orvanta-gps: cannot write DIR/missing/walk.gpx: No such file or directory"},
        WatchRefusal{"NmeaInAMissingFolder", {"--keep-on", "--nmea=DIR/missing/walk.nmea"}, 1,
                     "orvanta-gps: cannot write DIR/missing/walk.nmea: No such file or directory"},
        WatchRefusal{"NmeaInAFolder", {"--nmea", "DIR"}, 1, "orvanta-gps: cannot write DIR: Is a directory"},
        WatchRefusal{"BothInOneFile", {"--gpx", "DIR/walk", "--nmea", "DIR/walk"}, 2,
                     "orvanta-gps: --gpx and --nmea name the same file"},
        WatchRefusal{"GpxWithoutFile", {"--gpx"}, 2, "usage"},
        WatchRefusal{"NmeaWithAnEmptyName", {"--nmea="}, 2, "usage"},
        WatchRefusal{"GpxTwice", {"--gpx", "DIR/a.gpx", "--gpx", "DIR/b.gpx"}, 2, "usage"}),
    [](const ::testing::TestParamInfo<WatchRefusal>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::testing
