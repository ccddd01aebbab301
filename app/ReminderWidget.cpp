#include "app/ReminderWidget.h"

#include "app/Conductor.h"
#include "app/WidgetParts.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace Orvanta {

namespace {

QLabel* line(const QString& text, int x, int y, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    label->move(x, y);
    return label;
}

} // namespace

ReminderWidget::ReminderWidget(Conductor& conductor)
    : conductor_(conductor)
{
    makeFramelessAndSeeThrough(this);
    setFixedSize(400, 281);

    line(tr("GPS works best outdoors."), 33, 89, this);
    line(tr("For best performace your device must have a clear view of the sky."), 33, 116, this);
    line(tr("Use the included USB extension cable to improve performance and\n"
            "minimize interference from your PC."),
         33, 144, this);
    line(tr("This is beta software only intended for noncommercial evaluation of\n"
            "GPS feartures of your tarnwell device."),
         33, 185, this);

    auto* accept = new QPushButton(tr("Accept"), this);
    accept->setObjectName(QStringLiteral("btnAccept"));
    accept->setFixedSize(55, 23);
    accept->move(325, 243);
    auto* doNotShow = new QCheckBox(this);
    doNotShow->setObjectName(QStringLiteral("chbDoNotShow"));
    doNotShow->setFixedSize(12, 11);
    doNotShow->move(20, 243);
    line(tr("Do not show this message again"), 34, 243, this);

    addBackground(this, "lblReminderWidgetBg");

    connect(accept, &QPushButton::clicked, this, &ReminderWidget::btnOkClicked);
    connect(doNotShow, &QCheckBox::toggled, this, &ReminderWidget::chbDoNotShowToggled);

    // A frameless window gets no placement from a window manager: centre it.
    QRect frame(QPoint(), size());
    frame.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    move(frame.topLeft());
    show();
}

void ReminderWidget::btnOkClicked() { hide(); }

void ReminderWidget::chbDoNotShowToggled(bool checked)
{
    conductor_.writeBoolSetting(QStringLiteral("ShowReminder"), checked);
}

} // namespace Orvanta
