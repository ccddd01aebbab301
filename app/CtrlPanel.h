#pragma once
// The main window's fixed front panel: the button that switches the card's GPS receiver
// on and off, the status line, the GPS data port and the version. It listens only to the
// Conductor and sends it only the GPS switch.

#include "app/GpsState.h"

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace Orvanta {

class Conductor;

class CtrlPanel final : public QWidget {
    Q_OBJECT

public:
    CtrlPanel(Conductor& conductor, QWidget* parent);

public slots:
    void enableTriggerBtn(bool supported);
    // Shows the port without the platform's device prefix.
    void setPortLabelText(QString port);
    void updateGPSState(Orvanta::eGpsState state);
    void deviceReady(bool ready);
    void foundLocation(bool found);

private slots:
    void triggerBtnClicked();

private:
    Conductor& conductor_;
    QPushButton* btnTrigger_;
    // Shows `text` as the status; a change is also told on the shell's log.
    void showStatus(const QString& text);

    QLabel* status_;
    QLabel* port_;
};

// The port name as the panel shows it: every occurrence of the platform's device prefix
// ("/dev/" here, "\\.\" on Windows) removed.
QString withoutDevicePrefix(QString port);

} // namespace Orvanta
