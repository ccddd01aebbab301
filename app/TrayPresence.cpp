#include "app/TrayPresence.h"

#include <QSystemTrayIcon>

namespace Orvanta {

TrayPresence::TrayPresence(TrayProbe probe)
    : available_(probe.available ? std::move(probe.available) : &QSystemTrayIcon::isSystemTrayAvailable)
{
    graceTimer_.setSingleShot(true);
    graceTimer_.setInterval(probe.grace);
    connect(&graceTimer_, &QTimer::timeout, this, &TrayPresence::decide);
}

void TrayPresence::start()
{
    if (available_())
        emit decided(true);
    else
        graceTimer_.start();
}

void TrayPresence::decide() { emit decided(available_()); }

} // namespace Orvanta
