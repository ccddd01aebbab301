#pragma once
// Something a watch keeps of what it reads, besides the lines it prints: a track, the
// receiver's sentences. The watch hands it every notice it takes, in order, and finishes
// it once when the watch ends, however it ends.

#include "ClientNames.h"

namespace Orvanta::gps {

class NoticeRecorder {
public:
    virtual ~NoticeRecorder() = default;

    virtual void take(const Notice& notice) = 0;
    // Completes and closes the recording; false, with a message, when some of it could
    // not be written.
    virtual bool finish() = 0;
};

} // namespace Orvanta::gps
