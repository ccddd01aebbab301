#pragma once
// The tool's permanent presence in the tray: its picture and tool tip tell whether the
// card's GPS receiver is active, inactive or unavailable; a double-click shows or hides the
// main window; its menu holds Show/Hide, whether the tool starts with the session, and
// Quit.
//
// The object itself is never shown: an inner icon, its child, carries picture, tool tip
// and menu.

#include "app/AutostartEntry.h"
#include "app/GpsState.h"

#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QMenu;

namespace Orvanta {

class Conductor;

class SystrayIcon final : public QSystemTrayIcon {
    Q_OBJECT

public:
    explicit SystrayIcon(Conductor& conductor);
    ~SystrayIcon() override;

    // Takes the icon out of the tray at once (the tool is quitting).
    void withdraw();

public slots:
    void adjustIcon(Orvanta::eGpsState state);
    void setTooltip(bool active);
    void setCorrectIcon(bool active);
    void quitMIClicked();
    void toogleViewUi();
    void toggleViewMenu(bool visible);
    void deviceReady(bool ready);

private slots:
    void systemTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void startWithSessionToggled(bool on);

private:
    Conductor& conductor_;
    std::unique_ptr<QMenu> menu_; // a widget, so it cannot be the tray icon's child
    // A child too; owned here so that it goes before the menu it shows.
    std::unique_ptr<QSystemTrayIcon> inner_;
    AutostartEntry autostart_;
    QAction* showHideAction_;
    QAction* startWithSessionAction_;
    QAction* quitAction_;
};

} // namespace Orvanta
