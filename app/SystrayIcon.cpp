#include "app/SystrayIcon.h"

#include "app/Conductor.h"
#include "app/Resources.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace Orvanta {

namespace {

const QString applicationName = QStringLiteral("Orvanta");

} // namespace

SystrayIcon::SystrayIcon(Conductor& conductor)
    : conductor_(conductor)
    , menu_(std::make_unique<QMenu>())
    , inner_(std::make_unique<QSystemTrayIcon>(this))
    , showHideAction_(new QAction(tr("Show %L1").arg(applicationName), this))
    , quitAction_(new QAction(tr("Quit"), this))
{
    menu_->addAction(showHideAction_);
    menu_->addAction(quitAction_);
    inner_->setContextMenu(menu_.get());
    inner_->setIcon(QIcon(resources::trayDisabled));

    connect(quitAction_, &QAction::triggered, this, &SystrayIcon::quitMIClicked);
    connect(showHideAction_, &QAction::triggered, this, &SystrayIcon::toogleViewUi);
    connect(&conductor, &Conductor::uiVisibilityChanged, this, &SystrayIcon::toggleViewMenu);
    connect(&conductor, qOverload<eGpsState>(&Conductor::gpsStateChanged), this, &SystrayIcon::adjustIcon);
    connect(inner_.get(), &QSystemTrayIcon::activated, this, &SystrayIcon::systemTrayActivated);
    connect(&conductor, &Conductor::deviceReady, this, &SystrayIcon::deviceReady);
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

} // namespace Orvanta
