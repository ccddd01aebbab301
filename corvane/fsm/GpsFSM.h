#pragma once
// The card's GPS receiver as the client sees it: off ("gps"), switched on ("active"),
// delivering positions ("reading") or delivering sentences without a fix ("searching").
// Reports "gpsState" on every change and forwards each position record while reading.
//
//   gps ─ active ─ reading ─ searching

#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"

#include <span>

namespace Corvane {

class GpsFSM : public TracedHsm {
public:
    GpsFSM();
    ~GpsFSM() override;

    static std::span<const Signal> subscriptions();

    QState initial(const QEvent* e);
    QState gps(const QEvent* e);
    QState active(const QEvent* e);
    QState reading(const QEvent* e);
    QState searching(const QEvent* e);
};

} // namespace Corvane
