// The NMEA capture of "watch --nmea": every line as the card sent it, on disk at once.

#include "NmeaRecorder.h"
#include "NoticeScript.h"

#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace Orvanta::gps {
namespace {

using testing::fileText;
using testing::MessageCapture;
using testing::NoticeScript;

class NmeaRecording : public ::testing::Test {
protected:
    NmeaRecorder recorderOn(const std::string& name)
    {
        std::optional<RecordingFile> file = RecordingFile::create((folder / name).string(), messages.stream());
        if (!file)
            throw std::runtime_error("cannot create " + name);
        return NmeaRecorder(std::move(*file));
    }

    Orvanta::testing::TestFolder folder;
    MessageCapture messages;
    NoticeScript script;
};

TEST_F(NmeaRecording, HoldsEveryLineAsItCameEachWithCrLfAndOnDiskAtOnce)
{

    NmeaRecorder recorder = recorderOn("walk.nmea");
    // Lines the parser ignores or rejects are the card's output too; the records built
    // from the lines and the other notices are not.
    const std::vector<std::pair<std::string, std::string>> steps{
        {"sentence $GPGGA,074210.00,4807.03762,N,01131.00156,E,1,10,1.11,520.5,M,47.4,M,,*52",
         "$GPGGA,074210.00,4807.03762,N,01131.00156,E,1,10,1.11,520.5,M,47.4,M,,*52\r\n"},
        {"gga 07:42:10 48.1 11.5 520.5", ""},
        {"state 2", ""},
        {"sentence $GPTXT,01,01,02,ANTENNA OK*35", "$GPTXT,01,01,02,ANTENNA OK*35\r\n"},
        {"sentence $GPGSV,3,1,11,02,62,047,41,05,18,3*00  ", "$GPGSV,3,1,11,02,62,047,41,05,18,3*00  \r\n"},
        // A record cannot hold an empty text, so an empty line comes as nothing at all.
        {"sentence ", ""},
        {"sentence 4807.03762,N,01131.00156,E,2.870", "4807.03762,N,01131.00156,E,2.870\r\n"},
        {"support 0", ""},
    };
    std::string expected;
    for (const auto& [notice, written] : steps) {
        recorder.take(script.notice(notice));
        expected += written;
        EXPECT_EQ(fileText(folder / "walk.nmea"), expected) << notice;
    }
    EXPECT_EQ(recorder.linesWritten(), 4u);
    EXPECT_TRUE(recorder.finish());
    EXPECT_EQ(fileText(folder / "walk.nmea"), expected);
    EXPECT_EQ(messages.text(), "");
}

TEST_F(NmeaRecording, TakesNothingOnceFinished)
{
    NmeaRecorder recorder = recorderOn("walk.nmea");
    recorder.take(script.notice("sentence $GPVTG,109.25,T,,M,2.870,N,5.315,K,A*3D"));
    EXPECT_TRUE(recorder.finish());
    recorder.take(script.notice("sentence $GPVTG,108.99,T,,M,2.904,N,5.378,K,A*32"));
    EXPECT_TRUE(recorder.finish());
    EXPECT_EQ(fileText(folder / "walk.nmea"), "$GPVTG,109.25,T,,M,2.870,N,5.315,K,A*3D\r\n");
}

} // namespace
} // namespace Orvanta::gps
