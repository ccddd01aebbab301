#include "app/CtrlPanel.h"

#include "app/Conductor.h"
#include "app/ShellLog.h"
#include "app/WidgetParts.h"

#include <QLabel>
#include <QPushButton>

namespace Orvanta {

namespace {

constexpr int minimumValueWidth = 75;
constexpr int rightMargin = 3; // clear of the panel's rim

#ifdef Q_OS_WIN
const QString devicePrefix = QStringLiteral("\\\\.\\");
#else
const QString devicePrefix = QStringLiteral("/dev/");
#endif

QLabel* label(const QString& text, const char* objectName, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    if (objectName != nullptr)
        l->setObjectName(QLatin1String(objectName));
    l->adjustSize();
    return l;
}

} // namespace

QString withoutDevicePrefix(QString port) { return port.remove(devicePrefix, Qt::CaseSensitive); }

CtrlPanel::CtrlPanel(Conductor& conductor, QWidget* parent)
    : QWidget(parent)
    , conductor_(conductor)
{
    setFixedSize(184, 192);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);

    btnTrigger_ = new QPushButton(this);
    btnTrigger_->setObjectName(QStringLiteral("btnTrigger"));
    btnTrigger_->setCheckable(true);
    btnTrigger_->setEnabled(false);
    btnTrigger_->setFixedSize(70, 70);
    btnTrigger_->move(61, 73);

    QLabel* statusTitle = label(tr("GPS Status:"), "lblStatusTitle", this);
    statusTitle->move(20, 148);
    status_ = label(tr("No GPS Device"), nullptr, this);
    QLabel* portTitle = label(tr("GPS Data Port:"), "lblPort", this);
    portTitle->move(20, 165);
    port_ = label(QString(), nullptr, this);
    // Both values start just right of the longer title, so that they line up, and may use
    // the rest of the row: at this size "Device initialised" is wider than 75 pixels.
    const int valueX = portTitle->x() + portTitle->width() + 1;
    for (QLabel* value : {status_, port_}) {
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setFixedWidth(qMax(minimumValueWidth, width() - rightMargin - valueX));
    }
    status_->move(valueX, 148);
    port_->move(valueX, 165);

    QLabel* version = label(tr("1.1"), "lblVersion", this);
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setFixedWidth(50);
    version->move(100, 68);

    addBackground(this, "lblCtrPanelBg");

    connect(btnTrigger_, &QPushButton::clicked, this, &CtrlPanel::triggerBtnClicked);
    connect(&conductor, &Conductor::gpsPortName, this, &CtrlPanel::setPortLabelText);
    connect(&conductor, &Conductor::gpsSupported, this, &CtrlPanel::enableTriggerBtn);
    connect(&conductor, qOverload<eGpsState>(&Conductor::gpsStateChanged), this, &CtrlPanel::updateGPSState);
    connect(&conductor, &Conductor::deviceReady, this, &CtrlPanel::deviceReady);
    connect(&conductor, &Conductor::foundLocation, this, &CtrlPanel::foundLocation);
}

void CtrlPanel::showStatus(const QString& text)
{
    if (status_->text() == text)
        return;
    status_->setText(text);
    qCInfo(shellLog) << "status:" << text;
}

void CtrlPanel::enableTriggerBtn(bool supported)
{
    btnTrigger_->setEnabled(supported);
    qCInfo(shellLog) << (supported ? "trigger button enabled" : "trigger button disabled");
    if (supported)
        showStatus(tr("Device initialised"));
    else
        btnTrigger_->setChecked(false);
}

void CtrlPanel::setPortLabelText(QString port)
{
    const QString shown = withoutDevicePrefix(std::move(port));
    port_->setText(shown);
    port_->setToolTip(shown);
}

void CtrlPanel::updateGPSState(eGpsState state)
{
    switch (state) {
    case Corvane::gpsOff:
        showStatus(tr("Inactive"));
        break;
    case Corvane::gpsActive:
    case Corvane::gpsReading:
        // The shell stops reading as soon as it has a fix, and the receiver reports that as
        // "switched on"; the fix it found is still there, so "Ready" stays.
        if (status_->text() != tr("Ready"))
            showStatus(tr("Active"));
        if (!btnTrigger_->isChecked())
            btnTrigger_->setChecked(true);
        break;
    case Corvane::gpsSearching:
        showStatus(tr("Locating"));
        break;
    default: // a state this shell does not know: leave the display as it is
        break;
    }
}

void CtrlPanel::deviceReady(bool ready)
{
    if (ready)
        return;
    port_->clear();
    port_->setToolTip(QString());
    showStatus(tr("No GPS Device"));
}

void CtrlPanel::foundLocation(bool found)
{
    if (found)
        showStatus(tr("Ready"));
}

void CtrlPanel::triggerBtnClicked() { conductor_.switchGps(btnTrigger_->isChecked()); }

} // namespace Orvanta
