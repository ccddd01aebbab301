#include "corvane/traits/QdConnectionStatistics.h"

#include "corvane/Keys.h"

namespace Corvane {

QdConnectionStatistics& QdConnectionStatistics::processWide()
{
    static QdConnectionStatistics statistics;
    return statistics;
}

void QdConnectionStatistics::read(QdBackend& backend, int connectionState, Dictionary& record)
{
    constexpr int connected = 2;
    std::uint64_t speedUp = 0;
    std::uint64_t speedDown = 0;
    std::lock_guard lock(mutex_);
    if (connectionState == connected) {
        std::uint64_t sent = 0;
        std::uint64_t received = 0;
        std::uint64_t milliseconds = 0;
        if (backend.QdGetConnectionStatistics(&sent, &received, &milliseconds) >= 0) {
            const std::uint64_t seconds = milliseconds / 1000;
            // Two readings within one second must not divide by zero.
            const std::uint64_t interval = seconds > seconds_ ? seconds - seconds_ : 1;
            // A new connection starts its counters again: no negative speeds.
            speedUp = sent >= sent_ ? (sent - sent_) / interval : 0;
            speedDown = received >= received_ ? (received - received_) / interval : 0;
            sent_ = sent;
            received_ = received;
            seconds_ = seconds;
        }
    }
    Dictionary values;
    values.setInteger(key::volumeUp, static_cast<std::int64_t>(sent_));
    values.setInteger(key::volumeDown, static_cast<std::int64_t>(received_));
    values.setInteger(key::duration, static_cast<std::int64_t>(seconds_));
    values.setInteger(key::speedUp, static_cast<std::int64_t>(speedUp));
    values.setInteger(key::speedDown, static_cast<std::int64_t>(speedDown));
    record.merge(values);
}

} // namespace Corvane
