#pragma once
// Events: a signal, and for published events the parameters that come with it. A
// published event is created once, shared read-only by every subscriber and freed when
// the last queue lets go of it.

#include "corvane/fsm/Signals.h"
#include "corvane/types/Dictionary.h"

#include <cstdint>
#include <memory>

namespace Corvane {

struct QEvent {
    constexpr explicit QEvent(std::uint16_t signal) noexcept : sig(signal) {}

    std::uint16_t sig;
    // Always zero: events are counted by their shared pointers, not by the engine.
    std::uint8_t poolId = 0;
    std::uint8_t refCount = 0;
};

struct CvEvent : QEvent {
    CvEvent(std::uint16_t signal, Dictionary values) : QEvent(signal), parameters(std::move(values)) {}

    Dictionary parameters;
};

using CvEventPtr = std::shared_ptr<const CvEvent>;

// The engine's own events: empty (superstate query), init, entry and exit.
inline constexpr QEvent standardEvents[4] = {QEvent{Q_NO_SIGNAL}, QEvent{Q_INIT_SIG}, QEvent{Q_ENTRY_SIG},
                                             QEvent{Q_EXIT_SIG}};

// The parameters of an event that a state handler received for a published signal.
// Only the engine's own signals arrive without parameters.
inline const Dictionary& parametersOf(const QEvent* event)
{
    static const Dictionary none;
    return event->sig > Q_EXIT_SIG ? static_cast<const CvEvent*>(event)->parameters : none;
}

} // namespace Corvane
