#pragma once
// The shell's hub. Receives the bridge's signals on the GUI thread, keeps the little state
// the widgets need and derives their signals from it, owns the settings and the windows,
// and carries the user's requests (GPS on or off, stop reading, quit) to the library. No
// widget talks to the library directly.

#include "app/GpsState.h"
#include "app/LibraryCloser.h"
#include "app/MapLinks.h"
#include "app/TrayPresence.h"

#include <QObject>
#include <QString>

#include <memory>

class QSettings;

namespace Orvanta {

class LibraryControl;
class MainWidget;
class QtCvWrapper;
class ReminderWidget;
class SystrayIcon;

class Conductor final : public QObject {
    Q_OBJECT

public:
    // `settings` is the tool's store (the application uses the native store of "Tarnwell"
    // / "orvanta"; tests hand in a file of their own). `tray` tells whether there is a
    // system tray to live in.
    Conductor(LibraryControl& library, std::unique_ptr<QSettings> settings, TrayProbe tray = {});
    ~Conductor() override;

    // Connects the bridge, starts the library, then creates the hidden main window, the
    // reminder (unless switched off) and the tray icon. Without a system tray, now and
    // after a grace period, the main window is shown and stays on the task bar.
    void start(const QtCvWrapper& bridge);

    // Takes the tray icon and the windows away at once, closes the library on a thread of
    // its own and ends the event loop once it is closed. Later calls do nothing.
    void quitApplication();
    bool quitting() const { return closer_.started(); }
    void toggleUi();
    // Reports whether the main window is visible, then asks the library to stop reading.
    void notifyUiVisibility();
    // Only reports whether the main window is visible (the tray's Show/Hide follows it).
    void reportUiVisibility();
    void switchGps(bool on);

    void clearSettings();
    void writeBoolSetting(const QString& key, bool value);
    bool readBoolSetting(const QString& key) const;
    MapSites mapSites() const;

    int libraryState() const { return libraryState_; }
    int deviceState() const { return deviceState_; }
    int gpsState() const { return gpsState_; }
    double latitude() const { return latitude_; }
    double longitude() const { return longitude_; }

    MainWidget* mainWidget() const { return mainWidget_.get(); }
    ReminderWidget* reminder() const { return reminder_.get(); }
    SystrayIcon* trayIcon() const { return trayIcon_.get(); }
    const TrayPresence& trayPresence() const { return trayPresence_; }

signals:
    void uiVisibilityChanged(bool visible);
    void gpsSupported(bool supported);
    void gpsStateChanged(Orvanta::eGpsState state);
    void deviceReady(bool ready);
    void foundLocation(bool found);
    void gpsPortName(QString port);
    void toggleShowWidget();

public slots:
    void deviceStateChanged(int state);
    void libraryStateChanged(int state);
    void gpsSupportedChanged(bool supported);
    void gpsStateChanged(int state);
    void latitudeChanged(double latitude);
    void longitudeChanged(double longitude);
    void gpsPortNameChanged(QString port);

private:
    void checkForFix();
    // Nothing more is asked of the library once it is being closed.
    void requestGpsMode(Corvane::GpsMode mode);
    void trayDecided(bool trayAvailable);

    LibraryControl& library_;
    LibraryCloser closer_{library_};
    TrayPresence trayPresence_;
    std::unique_ptr<QSettings> settings_;
    int libraryState_ = 0;
    int deviceState_ = 0;
    int gpsState_ = Corvane::gpsOff;
    double latitude_ = 0.0;
    double longitude_ = 0.0;
    // Top-level windows without parents; declared last so that they go before the
    // settings they write to.
    std::unique_ptr<MainWidget> mainWidget_;
    std::unique_ptr<ReminderWidget> reminder_;
    std::unique_ptr<SystrayIcon> trayIcon_;
};

} // namespace Orvanta
