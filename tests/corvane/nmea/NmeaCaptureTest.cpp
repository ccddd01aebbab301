// Real receiver captures against an independent decoder: every position that gpsdecode
// (Debian's gpsd-clients) reports in a "TPV" object must be one our parser published
// from the same capture. Where gpsdecode gets positions from sentences this parser
// ignores or rejects by rule, the capture is listed with its reason, and the test proves
// the reason: once the capture's sentences are given the talker or checksum the rule
// wants, the missing positions are published too.

#include "corvane/nmea/NmeaParser.h"

#include "NmeaTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using testing::MessageStream;
using testing::RecordingPublisher;
using testing::withChecksum;

constexpr double tolerance = 1e-6; // degrees

struct Position {
    double latitude;
    double longitude;
};

std::string describe(const std::vector<Position>& positions)
{
    std::ostringstream text;
    text.precision(10);
    for (const Position& p : positions)
        text << "  " << p.latitude << ", " << p.longitude << "\n";
    return text.str();
}

// What sentences gpsdecode reads but this parser does not, and how they would have to
// look to be read.
enum class Unreachable {
    none,
    otherTalker, // $GN... and the like: given the $GP talker
    noChecksum,  // sentences without "*": given their checksum
};

struct CaptureCase {
    const char* name;
    const char* file;
    Unreachable unreachable;
    const char* reason; // why positions are missing, for the unreachable ones
};

std::string capturePath(const char* file) { return std::string(ORVANTA_TEST_DATA_DIR) + "/nmea/" + file; }

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string repaired(const std::string& line, Unreachable unreachable)
{
    if (line.size() < 6 || line[0] != '$')
        return line;
    switch (unreachable) {
    case Unreachable::otherTalker:
        if (line.compare(1, 2, "GP") != 0 && line.find('*') != std::string::npos)
            return withChecksum("$GP" + line.substr(3, line.find('*') - 3));
        return line;
    case Unreachable::noChecksum:
        return line.find('*') == std::string::npos ? withChecksum(line) : line;
    case Unreachable::none:
        return line;
    }
    return line;
}

std::vector<Position> published(const std::vector<std::string>& lines)
{
    RecordingPublisher publisher;
    MessageStream messages;
    NmeaParser parser(publisher, messages.file());
    for (const std::string& line : lines)
        parser.parse(line);
    std::vector<Position> positions;
    for (const auto& [signal, record] : publisher.published)
        if (signal == sigGpsUpdate && record.hasKey("gpsLatitude"))
            positions.push_back({record.real("gpsLatitude"), record.real("gpsLongitude")});
    return positions;
}

bool gpsdecodeInstalled() { return std::system("command -v gpsdecode >/dev/null 2>&1") == 0; }

// The number after "\"key\":" in a JSON object line, if there is one.
bool jsonNumber(const std::string& line, const char* key, double& value)
{
    const std::string pattern = std::string("\"") + key + "\":";
    const std::size_t at = line.find(pattern);
    if (at == std::string::npos)
        return false;
    const char* start = line.c_str() + at + pattern.size();
    char* end = nullptr;
    value = std::strtod(start, &end);
    return end != start;
}

std::vector<Position> gpsdecodePositions(const std::string& path)
{
    struct ClosePipe {
        void operator()(std::FILE* pipe) const noexcept { ::pclose(pipe); }
    };
    const std::string command = "gpsdecode -j < '" + path + "'";
    const std::unique_ptr<std::FILE, ClosePipe> pipe(::popen(command.c_str(), "r"));
    EXPECT_TRUE(pipe) << command;
    std::vector<Position> positions;
    if (!pipe)
        return positions;
    std::string line;
    for (int c = std::fgetc(pipe.get()); c != EOF; c = std::fgetc(pipe.get())) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        Position p{};
        if (line.find("\"class\":\"TPV\"") != std::string::npos && jsonNumber(line, "lat", p.latitude) &&
            jsonNumber(line, "lon", p.longitude))
            positions.push_back(p);
        line.clear();
    }
    return positions;
}

std::vector<Position> notAmong(const std::vector<Position>& reported, const std::vector<Position>& ours)
{
    std::vector<Position> missing;
    for (const Position& r : reported) {
        const bool found = std::any_of(ours.begin(), ours.end(), [&](const Position& o) {
            return std::fabs(o.latitude - r.latitude) <= tolerance && std::fabs(o.longitude - r.longitude) <= tolerance;
        });
        if (!found)
            missing.push_back(r);
    }
    return missing;
}

class CaptureAgainstGpsdecode : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(CaptureAgainstGpsdecode, EveryReportedPositionWasPublished)
{
    if (!gpsdecodeInstalled())
        GTEST_SKIP() << "gpsdecode is not installed (Debian package gpsd-clients; scripts/install-deps installs it)";
    const CaptureCase& c = GetParam();
    const std::string path = capturePath(c.file);
    const std::vector<std::string> lines = readLines(path);
    const std::vector<Position> reported = gpsdecodePositions(path);
    const std::vector<Position> missing = notAmong(reported, published(lines));

    if (c.unreachable == Unreachable::none) {
        EXPECT_TRUE(missing.empty()) << missing.size() << " of " << reported.size()
                                     << " reported positions were not published:\n"
                                     << describe(missing);
        return;
    }
    // Listed as unreachable: the reason must still hold, and must be the whole story.
    EXPECT_FALSE(missing.empty()) << "every position is published now; the listing (" << c.reason
                                  << ") is out of date";
    std::vector<std::string> fixed;
    for (const std::string& line : lines)
        fixed.push_back(repaired(line, c.unreachable));
    const std::vector<Position> stillMissing = notAmong(missing, published(fixed));
    EXPECT_TRUE(stillMissing.empty()) << "not explained by \"" << c.reason << "\":\n" << describe(stillMissing);
    std::printf("%s: %zu of %zu reported positions unreachable: %s\n", c.file, missing.size(), reported.size(),
                c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Captures, CaptureAgainstGpsdecode,
    ::testing::Values(
        CaptureCase{"Bu353s4", "bu353s4.log", Unreachable::none, nullptr},
        CaptureCase{"Com1289", "com-1289.log", Unreachable::none, nullptr},
        CaptureCase{"Gp320fwWeekRollover", "gp-320fw-2019-04-06-overflow.log", Unreachable::none, nullptr},
        CaptureCase{"Haicom305N", "haicom-305N.log", Unreachable::none, nullptr},
        CaptureCase{"HoluxGm210", "holux-gm-210.log", Unreachable::none, nullptr},
        CaptureCase{"Hp58534a", "hp58534a.log", Unreachable::noChecksum,
                    "the receiver sends no checksums, and a sentence without \"*\" is rejected as malformed"},
        CaptureCase{"Navika100", "navika-100-fix.log", Unreachable::none, nullptr},
        CaptureCase{"NmeaFuzzyCases", "nmea-fuzzy-cases.log", Unreachable::otherTalker,
                    "half the fixes come as $GNGGA and $GNRMC, and only the GP talker is read"},
        CaptureCase{"QuectelEg25g2", "quectel-eg25-g-2.log", Unreachable::none, nullptr},
        CaptureCase{"QuectelEg25g", "quectel-eg25-g.log", Unreachable::none, nullptr},
        CaptureCase{"SkytraqDgps", "skytraq-dgps.log", Unreachable::none, nullptr},
        CaptureCase{"TelitHe910", "telit-he910.log", Unreachable::none, nullptr},
        CaptureCase{"TelitPls83w", "telit-pls83-w.log", Unreachable::none, nullptr},
        CaptureCase{"Triton400", "triton400.log", Unreachable::none, nullptr},
        CaptureCase{"UbloxLea5h", "ublox-lea-5h.log", Unreachable::none, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Corvane
