#pragma once
// "watch --gpx FILE": the positions as a GPX 1.1 track, one segment per stretch with a
// fix. Each point is flushed as it is complete, so a crash loses at most the last one;
// the file is a whole document once the writer has finished.

#include "NoticeRecorder.h"
#include "RecordingFile.h"
#include "TrackFixes.h"

#include <chrono>
#include <string>

namespace Orvanta::gps {

struct GpxHeader {
    std::string creator;   // the program and its version
    std::string trackName; // none when empty
    std::chrono::system_clock::time_point created;
};

class GpxTrackWriter final : public NoticeRecorder {
public:
    // Writes the document's head at once.
    GpxTrackWriter(RecordingFile file, const GpxHeader& header);
    // Finishes the document when nobody did.
    ~GpxTrackWriter() override;
    GpxTrackWriter(const GpxTrackWriter&) = delete;
    GpxTrackWriter& operator=(const GpxTrackWriter&) = delete;

    void take(const Notice& notice) override;
    bool finish() override;

    std::size_t pointsWritten() const noexcept { return points_; }

private:
    void write(const std::vector<TrackEvent>& events);
    void writePoint(const TrackPoint& point);

    RecordingFile file_;
    TrackFixes fixes_;
    bool segmentOpen_ = false;
    std::size_t points_ = 0;
};

} // namespace Orvanta::gps
