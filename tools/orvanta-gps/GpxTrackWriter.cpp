#include "GpxTrackWriter.h"

#include "GpxText.h"

namespace Orvanta::gps {

GpxTrackWriter::GpxTrackWriter(RecordingFile file, const GpxHeader& header) : file_(std::move(file))
{
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<gpx version=\"1.1\" creator=\"" +
                       xmlEscaped(header.creator) +
                       "\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
                       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                       "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
                       "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
                       "  <metadata>\n"
                       "    <time>" +
                       isoTime(header.created) +
                       "</time>\n"
                       "  </metadata>\n"
                       "  <trk>\n";
    if (!header.trackName.empty())
        head += "    <name>" + xmlEscaped(header.trackName) + "</name>\n";
    file_.write(head);
    file_.flush();
}

GpxTrackWriter::~GpxTrackWriter()
{
    finish();
}

void GpxTrackWriter::take(const Notice& notice)
{
    if (!file_.closed())
        write(fixes_.take(notice));
}

bool GpxTrackWriter::finish()
{
    if (file_.closed())
        return file_.close();
    write(fixes_.finish());
    file_.write("  </trk>\n</gpx>\n");
    return file_.close();
}

void GpxTrackWriter::write(const std::vector<TrackEvent>& events)
{
    for (const TrackEvent& event : events) {
        if (event.kind == TrackEvent::Kind::point) {
            writePoint(event.point);
        } else if (segmentOpen_) {
            file_.write("    </trkseg>\n");
            segmentOpen_ = false;
        }
        file_.flush();
    }
}

void GpxTrackWriter::writePoint(const TrackPoint& point)
{
    std::string text;
    if (!segmentOpen_) {
        text += "    <trkseg>\n";
        segmentOpen_ = true;
    }
    text += "      <trkpt lat=\"" + degreesText(point.latitude) + "\" lon=\"" + degreesText(point.longitude) + "\">\n";
    if (point.altitude)
        text += "        <ele>" + decimalText(*point.altitude) + "</ele>\n";
    if (point.date && point.timeOfDay)
        if (const std::optional<std::string> time = isoFixTime(*point.date, *point.timeOfDay))
            text += "        <time>" + *time + "</time>\n";
    text += "      </trkpt>\n";
    file_.write(text);
    ++points_;
}

} // namespace Orvanta::gps
