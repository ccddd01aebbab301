// The file a recorder writes: created or emptied at the start, and a disk that fills up
// told once, whichever recorder writes.

#include "GpxTrackWriter.h"
#include "NmeaRecorder.h"
#include "NoticeScript.h"
#include "RecordingFile.h"

#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <memory>

namespace Orvanta::gps {
namespace {

using testing::fileText;
using testing::MessageCapture;
using testing::NoticeScript;

TEST(RecordingFileCreation, NamesTheFileAndTheReasonWhenItCannotBeCreated)
{
    Orvanta::testing::TestFolder folder;
    const std::string path = (folder / "no-such-folder" / "walk.gpx").string();
    MessageCapture messages;
    EXPECT_FALSE(RecordingFile::create(path, messages.stream()));
    EXPECT_EQ(messages.text(), "orvanta-gps: cannot write " + path + ": No such file or directory\n");
}

TEST(RecordingFileCreation, EmptiesAFileThatIsThere)
{
    Orvanta::testing::TestFolder folder;
    folder.write("old.nmea", "an earlier recording\n");
    MessageCapture messages;
    std::optional<RecordingFile> file = RecordingFile::create((folder / "old.nmea").string(), messages.stream());
    ASSERT_TRUE(file);
    EXPECT_EQ(fileText(folder / "old.nmea"), "");
    EXPECT_TRUE(file->close());
}

// A recording whose disk is full says so once, and fails the watch at the end.
struct FullDiskCase {
    const char* name;
    std::function<std::unique_ptr<NoticeRecorder>(RecordingFile)> recorder;
    std::vector<std::string> notices;
};

class RecordingOnAFullDisk : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(RecordingOnAFullDisk, SaysSoOnceAndFails)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "needs /dev/full";
    MessageCapture messages;
    std::optional<RecordingFile> file = RecordingFile::create("/dev/full", messages.stream());
    ASSERT_TRUE(file);
    const std::unique_ptr<NoticeRecorder> recorder = GetParam().recorder(std::move(*file));
    NoticeScript script;
    for (const std::string& line : GetParam().notices)
        recorder->take(script.notice(line));
    EXPECT_FALSE(recorder->finish());
    EXPECT_EQ(messages.text(), "orvanta-gps: cannot write /dev/full: No space left on device\n");
}

INSTANTIATE_TEST_SUITE_P(
    Recorders, RecordingOnAFullDisk,
    ::testing::Values(
        FullDiskCase{"Gpx",
                     [](RecordingFile file) {
                         return std::make_unique<GpxTrackWriter>(std::move(file),
                                                                 GpxHeader{"orvanta-gps", "", std::chrono::system_clock::now()});
                     },
                     {"gga 07:42:10 48.1 11.5 520.5", "rmc 07:42:10 20240615 48.1 11.5", "gga 07:42:11 48.2 11.6 521",
                      "rmc 07:42:11 20240615 48.2 11.6"}},
        FullDiskCase{"Nmea", [](RecordingFile file) { return std::make_unique<NmeaRecorder>(std::move(file)); },
                     {"sentence $GPGGA,074210.00,4807.03762,N,01131.00156,E,1,10,1.11,520.5,M,47.4,M,,*52",
                      "sentence $GPRMC,074210.00,A,4807.03762,N,01131.00156,E,2.870,109.25,150624,,,A*63"}}),
    [](const ::testing::TestParamInfo<FullDiskCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Orvanta::gps
