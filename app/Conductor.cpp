#include "app/Conductor.h"

#include "app/LibraryControl.h"
#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/ReminderWidget.h"
#include "app/Resources.h"
#include "app/ShellLog.h"
#include "app/SystrayIcon.h"

#include <QCoreApplication>
#include <QSettings>

#include <cmath>
#include <initializer_list>

namespace Orvanta {

namespace {

constexpr int deviceRemoved = 0;

} // namespace

Conductor::Conductor(LibraryControl& library, std::unique_ptr<QSettings> settings, TrayProbe tray)
    : library_(library)
    , trayPresence_(std::move(tray))
    , settings_(std::move(settings))
{
    qRegisterMetaType<eGpsState>("eGpsState");
    resources::load();
    connect(&closer_, &LibraryCloser::closed, this, [] {
        qCInfo(shellLog) << "library closed";
        QCoreApplication::quit();
    });
    connect(&trayPresence_, &TrayPresence::decided, this, &Conductor::trayDecided);
}

Conductor::~Conductor() = default;

void Conductor::start(const QtCvWrapper& bridge)
{
    connect(&bridge, &QtCvWrapper::libraryStateChanged, this, &Conductor::libraryStateChanged);
    connect(&bridge, &QtCvWrapper::deviceStateChanged, this, &Conductor::deviceStateChanged);
    connect(&bridge, &QtCvWrapper::gpsSupportedChanged, this, &Conductor::gpsSupportedChanged);
    connect(&bridge, qOverload<int>(&QtCvWrapper::gpsStateChanged), this, qOverload<int>(&Conductor::gpsStateChanged));
    connect(&bridge, &QtCvWrapper::latitudeChanged, this, &Conductor::latitudeChanged);
    connect(&bridge, &QtCvWrapper::longitudeChanged, this, &Conductor::longitudeChanged);
    connect(&bridge, &QtCvWrapper::gpsPortNameChanged, this, &Conductor::gpsPortNameChanged);
    library_.initialise();
    mainWidget_ = std::make_unique<MainWidget>(*this);
    if (!readBoolSetting(QStringLiteral("ShowReminder")))
        reminder_ = std::make_unique<ReminderWidget>(*this);
    trayIcon_ = std::make_unique<SystrayIcon>(*this);
    trayPresence_.start();
}

void Conductor::trayDecided(bool trayAvailable)
{
    if (trayAvailable) {
        qCInfo(shellLog) << "in the system tray";
        return;
    }
    if (quitting())
        return; // quit within the grace period: nothing to show any more
    qCInfo(shellLog) << "no system tray: the main window stays on the task bar";
    mainWidget_->standInForTray();
    reportUiVisibility();
}

void Conductor::quitApplication()
{
    if (quitting())
        return; // a second Quit or "Stop" while the library closes
    qCInfo(shellLog) << "quitting";
    // Gone at once, so that nobody clicks at a tool that is going; hidden, not deleted:
    // the library may still report on its way down.
    if (trayIcon_ != nullptr)
        trayIcon_->withdraw();
    for (QWidget* window : std::initializer_list<QWidget*>{mainWidget_.get(), reminder_.get()})
        if (window != nullptr)
            window->hide();
    qCInfo(shellLog) << "tray icon and windows withdrawn";
    closer_.start();
}

void Conductor::toggleUi()
{
    if (quitting())
        return;
    emit toggleShowWidget();
    notifyUiVisibility();
}

void Conductor::notifyUiVisibility()
{
    reportUiVisibility();
    requestGpsMode(Corvane::cGpsModeStopReading);
}

void Conductor::reportUiVisibility() { emit uiVisibilityChanged(mainWidget_ != nullptr && mainWidget_->isVisible()); }

void Conductor::switchGps(bool on)
{
    qCInfo(shellLog) << (on ? "switching the receiver on" : "switching the receiver off");
    requestGpsMode(on ? Corvane::cGpsModeRead : Corvane::cGpsModeOff);
}

void Conductor::requestGpsMode(Corvane::GpsMode mode)
{
    if (!quitting())
        library_.setGpsMode(mode);
}

void Conductor::clearSettings()
{
    qCInfo(shellLog) << "clearing the settings";
    settings_->clear();
    settings_->sync();
}

void Conductor::writeBoolSetting(const QString& key, bool value)
{
    settings_->setValue(key, value);
    settings_->sync(); // kept even if the tool is ended before it quits normally
}

bool Conductor::readBoolSetting(const QString& key) const { return settings_->value(key, false).toBool(); }

MapSites Conductor::mapSites() const { return MapSites::fromSettings(*settings_); }

void Conductor::libraryStateChanged(int state) { libraryState_ = state; }

void Conductor::deviceStateChanged(int state)
{
    deviceState_ = state;
    if (state != deviceRemoved)
        return;
    // The position belonged to the card that went: the next card's first fix must enable
    // the map links again even if it reports the very same coordinates.
    latitude_ = 0.0;
    longitude_ = 0.0;
    emit deviceReady(false);
}

void Conductor::gpsSupportedChanged(bool supported) { emit gpsSupported(supported); }

void Conductor::gpsStateChanged(int state)
{
    gpsState_ = state;
    emit gpsStateChanged(eGpsState(state));
}

void Conductor::latitudeChanged(double latitude)
{
    if (latitude == latitude_)
        return;
    latitude_ = latitude;
    checkForFix();
}

void Conductor::longitudeChanged(double longitude)
{
    if (longitude == longitude_)
        return;
    longitude_ = longitude;
    checkForFix();
}

void Conductor::gpsPortNameChanged(QString port) { emit gpsPortName(port); }

void Conductor::checkForFix()
{
    // 0 means "no value yet"; a coordinate that is not a number never makes a position.
    const bool known = latitude_ != 0.0 && longitude_ != 0.0 && std::isfinite(latitude_) && std::isfinite(longitude_);
    if (!known)
        return;
    emit foundLocation(true);
    requestGpsMode(Corvane::cGpsModeStopReading);
}

} // namespace Orvanta
