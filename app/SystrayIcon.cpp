#include "app/SystrayIcon.h"

#include "app/Conductor.h"
#include "app/Resources.h"
#include "app/ShellLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QSignalBlocker>

namespace Orvanta {

namespace {

const QString applicationName = QStringLiteral("Orvanta");

} // namespace

SystrayIcon::SystrayIcon(Conductor& conductor)
    : conductor_(conductor)
    , menu_(std::make_unique<QMenu>())
    , inner_(std::make_unique<QSystemTrayIcon>(this))
    , autostart_(QCoreApplication::applicationFilePath())
    , showHideAction_(new QAction(tr("Show %L1").arg(applicationName), this))
    , startWithSessionAction_(new QAction(tr("Start with the session"), this))
    , quitAction_(new QAction(tr("Quit"), this))
{
    startWithSessionAction_->setCheckable(true);
    startWithSessionAction_->setChecked(autostart_.exists());
    menu_->addAction(showHideAction_);
    menu_->addAction(startWithSessionAction_);
    menu_->addAction(quitAction_);
    inner_->setContextMenu(menu_.get());
    inner_->setIcon(QIcon(resources::trayDisabled));

    connect(quitAction_, &QAction::triggered, this, &SystrayIcon::quitMIClicked);
    connect(showHideAction_, &QAction::triggered, this, &SystrayIcon::toogleViewUi);
    connect(&conductor, &Conductor::uiVisibilityChanged, this, &SystrayIcon::toggleViewMenu);
    connect(&conductor, qOverload<eGpsState>(&Conductor::gpsStateChanged), this, &SystrayIcon::adjustIcon);
    connect(inner_.get(), &QSystemTrayIcon::activated, this, &SystrayIcon::systemTrayActivated);
    connect(&conductor, &Conductor::deviceReady, this, &SystrayIcon::deviceReady);
    connect(startWithSessionAction_, &QAction::triggered, this, &SystrayIcon::startWithSessionToggled);
    // The desktop's own autostart settings may have removed the entry meanwhile.
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        const QSignalBlocker quiet(startWithSessionAction_);
        startWithSessionAction_->setChecked(autostart_.exists());
    });
    inner_->show();
}

SystrayIcon::~SystrayIcon() = default;

void SystrayIcon::withdraw() { inner_->hide(); }

void SystrayIcon::adjustIcon(eGpsState state)
{
    setTooltip(state != Corvane::gpsOff);
    setCorrectIcon(state != Corvane::gpsOff);
}

void SystrayIcon::setTooltip(bool active) { inner_->setToolTip(active ? tr("GPS Active") : tr("GPS Inactive")); }

void SystrayIcon::setCorrectIcon(bool active)
{
    inner_->setIcon(QIcon(active ? resources::trayActive : resources::trayInactive));
}

void SystrayIcon::quitMIClicked() { conductor_.quitApplication(); }

void SystrayIcon::toogleViewUi() { conductor_.toggleUi(); }

void SystrayIcon::toggleViewMenu(bool visible)
{
    showHideAction_->setText((visible ? tr("Hide %L1") : tr("Show %L1")).arg(applicationName));
}

void SystrayIcon::deviceReady(bool ready)
{
    if (!ready)
        inner_->setIcon(QIcon(resources::trayDisabled));
}

void SystrayIcon::systemTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        toogleViewUi();
}

void SystrayIcon::startWithSessionToggled(bool on)
{
    if (autostart_.setEnabled(on)) {
        qCInfo(shellLog) << (on ? "starting with the session" : "no longer starting with the session");
        return;
    }
    // Back to what the file says, which is what it said before.
    const QSignalBlocker quiet(startWithSessionAction_);
    startWithSessionAction_->setChecked(autostart_.exists());
    qCWarning(shellLog).noquote() << "start with the session:" << autostart_.errorString();
    inner_->showMessage(applicationName,
                        on ? tr("Orvanta cannot start with the session: %1").arg(autostart_.errorString())
                           : tr("Orvanta still starts with the session: %1").arg(autostart_.errorString()),
                        QSystemTrayIcon::Warning);
}

} // namespace Orvanta
