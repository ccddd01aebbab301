#include "NmeaRecorder.h"

#include "corvane/Keys.h"

namespace Orvanta::gps {

void NmeaRecorder::take(const Notice& notice)
{
    if (notice.kind != NoticeKind::gpsData || file_.closed())
        return;
    const std::optional<std::string> sentence = notice.text(Corvane::key::gpsSentence);
    if (!sentence)
        return;
    file_.write(*sentence + "\r\n");
    file_.flush();
    ++lines_;
}

} // namespace Orvanta::gps
