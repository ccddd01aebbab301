#pragma once
// Decides whether the tool lives in the system tray or, without one, as a window on the
// task bar. A session may start its tray host a moment after the tool, so "no tray" is
// only believed when it is still the answer after a grace period.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace Orvanta {

// How the tool finds out about the tray; tests put answers of their own in its place.
struct TrayProbe {
    // Long enough for a panel that the session starts beside the tool at login to claim
    // the tray (it usually takes a second or so), short enough that a session without
    // one gets the window while the user still waits for the tool to come up.
    static constexpr std::chrono::milliseconds defaultGrace{2500};

    std::function<bool()> available; // null: the system's answer
    std::chrono::milliseconds grace = defaultGrace;
};

class TrayPresence final : public QObject {
    Q_OBJECT

public:
    explicit TrayPresence(TrayProbe probe);

    // Asks now; without a tray, asks once more when the grace period is over. Then emits
    // decided(). A tray that comes or goes later changes nothing.
    void start();

signals:
    void decided(bool trayAvailable);

private:
    void decide();

    std::function<bool()> available_;
    QTimer graceTimer_;
};

} // namespace Orvanta
