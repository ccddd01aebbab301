#pragma once
// "watch --nmea FILE": every line the receiver sent, as it sent it, one per line with CR
// LF, flushed line by line: a capture that orvanta-gps decode reads and that the virtual
// card plays back with --track.

#include "NoticeRecorder.h"
#include "RecordingFile.h"

namespace Orvanta::gps {

class NmeaRecorder final : public NoticeRecorder {
public:
    explicit NmeaRecorder(RecordingFile file) : file_(std::move(file)) {}
    ~NmeaRecorder() override { finish(); }
    NmeaRecorder(const NmeaRecorder&) = delete;
    NmeaRecorder& operator=(const NmeaRecorder&) = delete;

    void take(const Notice& notice) override;
    bool finish() override { return file_.close(); }

    std::size_t linesWritten() const noexcept { return lines_; }

private:
    RecordingFile file_;
    std::size_t lines_ = 0;
};

} // namespace Orvanta::gps
