#pragma once
// Volume, duration and speed of the data connection. Speeds are the change since the
// previous reading, so the last reading is kept (once per process for the library).

#include "corvane/traits/QdBackend.h"
#include "corvane/types/Dictionary.h"

#include <cstdint>
#include <mutex>

namespace Corvane {

class QdConnectionStatistics {
public:
    static QdConnectionStatistics& processWide();

    // Merges "volumeUp", "volumeDown", "duration", "speedUp", "speedDown" into `record`;
    // the backend is asked only while `connectionState` is 2 (connected).
    void read(QdBackend& backend, int connectionState, Dictionary& record);

private:
    std::mutex mutex_; // guards the last reading: callers of several threads may ask
    std::uint64_t sent_ = 0;
    std::uint64_t received_ = 0;
    std::uint64_t seconds_ = 0;
};

} // namespace Corvane
