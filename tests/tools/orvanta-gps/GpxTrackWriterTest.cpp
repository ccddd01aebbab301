// The GPX file of "watch --gpx": what is in it, and what is on disk at each moment.

#include "GpxTrackWriter.h"
#include "NoticeScript.h"

#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

namespace Orvanta::gps {
namespace {

using namespace std::chrono;
using testing::fileText;
using testing::MessageCapture;
using testing::NoticeScript;

const std::string kGpxHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"orvanta-gps 9.9 &lt;test&gt; &amp; &quot;co&quot;\" "
    "xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
    "  <metadata>\n"
    "    <time>2024-06-15T07:42:00Z</time>\n"
    "  </metadata>\n"
    "  <trk>\n";
const std::string kGpxTail = "  </trk>\n</gpx>\n";

class GpxDocument : public ::testing::Test {
protected:
    GpxTrackWriter writer(const std::string& trackName = "")
    {
        std::optional<RecordingFile> file = RecordingFile::create(path.string(), messages.stream());
        if (!file)
            throw std::runtime_error("cannot create " + path.string());
        return GpxTrackWriter(std::move(*file), GpxHeader{"orvanta-gps 9.9 <test> & \"co\"", trackName,
                                                           sys_days(2024y / June / 15) + 7h + 42min});
    }

    void play(GpxTrackWriter& gpx, const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            gpx.take(script.notice(line));
    }

    Orvanta::testing::TestFolder folder;
    std::filesystem::path path = folder / "walk.gpx";
    MessageCapture messages;
    NoticeScript script;
};

TEST_F(GpxDocument, HoldsOnePointPerFixInOneSegmentPerStretch)
{
    GpxTrackWriter gpx = writer("walk & run");
    play(gpx, {"gga 07:42:10 48.1172937 11.5166927 520.5", "rmc 07:42:10 20240615 48.1172937 11.5166927",
               // The fix lost: the stretch ends.
               "gga 07:42:11 nofix", "state 3", "rmc 07:42:11 20240615 nofix",
               // Without a date the point has no time; RMC alone gives no altitude.
               "gga 07:42:12 -48.5 -0.25 -3.25", "state 2", "rmc 07:42:12 - -48.5 -0.25",
               "rmc 07:42:13 20240615 -48.6 -0.3"});
    EXPECT_TRUE(gpx.finish());
    EXPECT_EQ(gpx.pointsWritten(), 3u);
    EXPECT_EQ(fileText(path), kGpxHead +
                                  "    <name>walk &amp; run</name>\n"
                                  "    <trkseg>\n"
                                  "      <trkpt lat=\"48.11729370\" lon=\"11.51669270\">\n"
                                  "        <ele>520.5</ele>\n"
                                  "        <time>2024-06-15T07:42:10Z</time>\n"
                                  "      </trkpt>\n"
                                  "    </trkseg>\n"
                                  "    <trkseg>\n"
                                  "      <trkpt lat=\"-48.50000000\" lon=\"-0.25000000\">\n"
                                  "        <ele>-3.25</ele>\n"
                                  "      </trkpt>\n"
                                  "      <trkpt lat=\"-48.60000000\" lon=\"-0.30000000\">\n"
                                  "        <time>2024-06-15T07:42:13Z</time>\n"
                                  "      </trkpt>\n"
                                  "    </trkseg>\n" +
                                  kGpxTail);
    EXPECT_EQ(messages.text(), "");
}

TEST_F(GpxDocument, EachPointIsInTheFileOnceItsFixIsComplete)
{
    GpxTrackWriter gpx = writer();
    EXPECT_EQ(fileText(path), kGpxHead);
    gpx.take(script.notice("gga 07:42:10 48.1 11.5 520.5"));
    EXPECT_EQ(fileText(path), kGpxHead);
    gpx.take(script.notice("rmc 07:42:10 20240615 48.1 11.5"));
    const std::string firstPoint = kGpxHead + "    <trkseg>\n      <trkpt lat=\"48.10000000\" lon=\"11.50000000\">\n"
                                              "        <ele>520.5</ele>\n        <time>2024-06-15T07:42:10Z</time>\n"
                                              "      </trkpt>\n";
    EXPECT_EQ(fileText(path), firstPoint);
    gpx.take(script.notice("support 0"));
    EXPECT_EQ(fileText(path), firstPoint + "    </trkseg>\n");
    EXPECT_TRUE(gpx.finish());
    EXPECT_EQ(fileText(path), firstPoint + "    </trkseg>\n" + kGpxTail);
}

// Ended by finish() or, on an early way out, by the writer's end: a whole document either way.
class GpxDocumentEnding : public GpxDocument, public ::testing::WithParamInterface<bool> {};

TEST_P(GpxDocumentEnding, IsWholeWithoutAnyPoint)
{
    {
        GpxTrackWriter gpx = writer();
        gpx.take(script.notice("state 1"));
        if (GetParam()) {
            EXPECT_TRUE(gpx.finish());
            EXPECT_TRUE(gpx.finish());
        }
    }
    EXPECT_EQ(fileText(path), kGpxHead + kGpxTail);
}

TEST_P(GpxDocumentEnding, KeepsTheLastPointAndClosesItsSegment)
{
    {
        GpxTrackWriter gpx = writer();
        play(gpx, {"gga 07:42:10 48.1 11.5 520.5"});
        if (GetParam()) {
            EXPECT_TRUE(gpx.finish());
        }
    }
    EXPECT_EQ(fileText(path), kGpxHead + "    <trkseg>\n      <trkpt lat=\"48.10000000\" lon=\"11.50000000\">\n"
                                         "        <ele>520.5</ele>\n      </trkpt>\n    </trkseg>\n" + kGpxTail);
}

INSTANTIATE_TEST_SUITE_P(Endings, GpxDocumentEnding, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Finished" : "Destroyed");
                         });

} // namespace
} // namespace Orvanta::gps
