#pragma once
// The pictures and the style sheet compiled into the program.

#include <QString>

namespace Orvanta::resources {

// Registers the compiled-in resources. They live in a static library, whose registration
// the linker would otherwise drop; safe to call more than once.
void load();

inline const QString styleSheet = QStringLiteral(":/styles/resources/layout.qss");
inline const QString trayActive = QStringLiteral(":/images/resources/systray_gps_on.png");
inline const QString trayInactive = QStringLiteral(":/images/resources/systray_gps_off.png");
inline const QString trayDisabled = QStringLiteral(":/images/resources/systray_disabled.png");
inline const QString windowIcon = QStringLiteral(":/images/resources/gps.ico");

// The style sheet's text; empty when it is missing (the tool then runs unstyled).
QString readStyleSheet();

} // namespace Orvanta::resources
