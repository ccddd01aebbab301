#include "app/FunktionSlider.h"

#include "app/Conductor.h"
#include "app/MapLinks.h"
#include "app/ShellLog.h"
#include "app/WidgetParts.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <initializer_list>

namespace Orvanta {

namespace {

QPushButton* actionButton(const char* objectName, int y, bool enabled, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setFixedSize(40, 40);
    button->move(2, y);
    button->setEnabled(enabled);
    return button;
}

void caption(const QString& text, int y, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    label->move(44, y);
}

QLineEdit* textField(int y, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setFixedSize(109, 17);
    field->move(45, y);
    field->setEnabled(false);
    return field;
}

// What the browser does with the page is its business: a failure to start one shows there.
void open(const QUrl& url)
{
    qCInfo(shellLog) << "opening" << url.toString();
    QDesktopServices::openUrl(url);
}

} // namespace

FunktionSlider::FunktionSlider(Conductor& conductor, QWidget* parent)
    : QWidget(parent)
    , conductor_(conductor)
{
    setFixedSize(178, 182);
    btnWhere_ = actionButton("btnWhere", 4, false, this);
    btnYellowPages_ = actionButton("btnYellowPages", 49, false, this);
    btnLens_ = actionButton("btnLens", 94, false, this);
    QPushButton* btnTips = actionButton("btnTips", 139, true, this);
    caption(tr("Show my location"), 17, this);
    caption(tr("Search near me"), 53, this);
    caption(tr("Directions from here"), 98, this);
    caption(tr("Tips & Tricks"), 153, this);
    searchText_ = textField(68, this);
    addressText_ = textField(113, this);

    addBackground(this, "lblFunctionSliderBg");

    connect(btnWhere_, &QPushButton::clicked, this, &FunktionSlider::btnWhereClicked);
    connect(btnYellowPages_, &QPushButton::clicked, this, &FunktionSlider::btnYellowPagesClicked);
    connect(btnLens_, &QPushButton::clicked, this, &FunktionSlider::btnLensClicked);
    connect(btnTips, &QPushButton::clicked, this, &FunktionSlider::btnTipsClicked);
    connect(searchText_, &QLineEdit::returnPressed, this, &FunktionSlider::btnYellowPagesClicked);
    connect(addressText_, &QLineEdit::returnPressed, this, &FunktionSlider::btnLensClicked);
    connect(&conductor, &Conductor::deviceReady, this, &FunktionSlider::enableButtons);
    connect(&conductor, &Conductor::foundLocation, this, &FunktionSlider::enableButtons);
}

void FunktionSlider::enableButtons(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{btnWhere_, btnYellowPages_, btnLens_, searchText_, addressText_})
        w->setEnabled(on);
}

void FunktionSlider::btnYellowPagesClicked()
{
    open(mapLinks::searchNear(conductor_.mapSites(), conductor_.latitude(), conductor_.longitude(),
                              searchText_->text()));
}

void FunktionSlider::btnWhereClicked()
{
    open(mapLinks::showLocation(conductor_.mapSites(), conductor_.latitude(), conductor_.longitude()));
}

void FunktionSlider::btnLensClicked()
{
    open(mapLinks::directionsFrom(conductor_.mapSites(), conductor_.latitude(), conductor_.longitude(),
                                  addressText_->text()));
}

void FunktionSlider::btnTipsClicked() { open(mapLinks::tips(conductor_.mapSites())); }

} // namespace Orvanta
