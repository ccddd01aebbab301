#include "app/MainWidget.h"

#include "app/Conductor.h"
#include "app/CtrlPanel.h"
#include "app/FunktionSlider.h"
#include "app/Resources.h"
#include "app/ShellLog.h"
#include "app/WidgetParts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <initializer_list>

namespace Orvanta {

namespace {

constexpr int slideIntervalMs = 10;
constexpr int slideStep = 4;
const QPoint closePosition(162, 7);
const QPoint minimizePosition(147, 7);
const QPoint sliderButtonPosition(8, 170);
const QPoint sliderPosition(0, 5);

void shift(QWidget* widget, int dx) { widget->move(widget->x() + dx, widget->y()); }

} // namespace

MainWidget::MainWidget(Conductor& conductor)
    : conductor_(conductor)
{
    makeFramelessAndSeeThrough(this);
    setWindowTitle(QStringLiteral("Orvanta"));
    // From the compiled-in resources rather than a file beside the working directory, so
    // the icon does not depend on where the tool was started.
    setWindowIcon(QIcon(resources::windowIcon));

    ctrlPanel_ = new CtrlPanel(conductor, this);
    ctrlPanel_->show();
    slider_ = new FunktionSlider(conductor, this);
    slider_->show();
    slider_->lower();
    slider_->move(sliderPosition);
    btnSlider_ = new QPushButton(this);
    btnSlider_->setObjectName(QStringLiteral("btnSlider"));
    btnSlider_->setCheckable(true);
    btnSlider_->setFixedSize(9, 14);
    btnWinClose_ = new QPushButton(this);
    btnWinClose_->setObjectName(QStringLiteral("btnWinClose"));
    btnWinClose_->setFixedSize(15, 15);
    btnWinMinimize_ = new QPushButton(this);
    btnWinMinimize_->setObjectName(QStringLiteral("btnWinMinimize"));
    btnWinMinimize_->setFixedSize(15, 15);
    placeButtons();

    resize(ctrlPanel_->size());
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    move(desktop.width() - width(), desktop.height() - height());

    showSlideTimer_.setInterval(slideIntervalMs);
    hideSlideTimer_.setInterval(slideIntervalMs);
    connect(btnWinClose_, &QPushButton::clicked, this, &MainWidget::hideUi);
    connect(btnWinMinimize_, &QPushButton::clicked, this, &MainWidget::minimizeUi);
    connect(btnSlider_, &QPushButton::clicked, this, &MainWidget::changeSliderState);
    connect(&showSlideTimer_, &QTimer::timeout, this, &MainWidget::triggerTmrShowSlide);
    connect(&hideSlideTimer_, &QTimer::timeout, this, &MainWidget::triggerTmrHideSlide);
    connect(&conductor, &Conductor::toggleShowWidget, this, qOverload<>(&MainWidget::toggleShowWidget));

    // The slider starts out open.
    btnSlider_->setChecked(true);
    changeSliderState();
}

MainWidget::~MainWidget() = default;

void MainWidget::standInForTray()
{
    onTaskBar_ = true;
    toggleShowWidget(true);
}

void MainWidget::toggleShowWidget(bool forceActivate)
{
    if (isHidden() || forceActivate) {
        setWindowState(windowState() & ~Qt::WindowMinimized); // a second start brings it back
        show();
        raise();
        activateWindow();
        qCInfo(shellLog) << "main window shown";
    } else {
        hide();
        qCInfo(shellLog) << "main window hidden";
    }
}

void MainWidget::toggleShowWidget() { toggleShowWidget(false); }

void MainWidget::onMessageReceived(const QString& message)
{
    qCInfo(shellLog) << "message received:" << message;
    if (message.compare(QLatin1String("Activate"), Qt::CaseInsensitive) == 0) {
        if (conductor_.quitting())
            return; // the window went with the tray icon and stays gone
        toggleShowWidget(true);
        // The tray's menu must offer "Hide" now; reading goes on as it was.
        conductor_.reportUiVisibility();
    }
    else if (message.compare(QLatin1String("Bulldoze"), Qt::CaseInsensitive) == 0)
        conductor_.clearSettings();
    else if (message.compare(QLatin1String("Stop"), Qt::CaseInsensitive) == 0)
        conductor_.quitApplication();
}

void MainWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QDialog::mousePressEvent(event);
    pressPosition_ = event->position().toPoint();
    dragging_ = true;
    event->accept();
}

void MainWidget::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

void MainWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return QDialog::mouseMoveEvent(event);
    move(pos() + event->position().toPoint() - pressPosition_);
    event->accept();
}

void MainWidget::closeEvent(QCloseEvent* event)
{
    if (!onTaskBar_ || !isVisible())
        return QDialog::closeEvent(event); // through reject(): hidden, to come back by the tray
    event->accept();
    hideUi();
}

void MainWidget::reject() { minimizeUi(); }

void MainWidget::changeSliderState()
{
    btnSlider_->setEnabled(false);
    if (!btnSlider_->isChecked()) {
        showSlideTimer_.stop();
        hideSlideTimer_.start();
        return;
    }
    const int w = slider_->width();
    for (QWidget* widget : std::initializer_list<QWidget*>{btnWinClose_, btnWinMinimize_, btnSlider_, ctrlPanel_, slider_})
        shift(widget, w);
    moveLeftEdge(-w);
    if (x() < 0) // keep the window on the screen when it sits at the left edge
        move(0, y());
    showSlideTimer_.start();
}

void MainWidget::triggerTmrShowSlide()
{
    if (slider_->x() < 3) {
        showSlideTimer_.stop();
        btnSlider_->setEnabled(true);
        return;
    }
    // The slider has a fixed width: it comes out from behind the panel by moving.
    shift(slider_, -slideStep);
}

void MainWidget::triggerTmrHideSlide()
{
    const int w = slider_->width();
    if (slider_->x() < w + 2) {
        shift(slider_, slideStep);
        return;
    }
    hideSlideTimer_.stop();
    moveLeftEdge(w);
    shift(ctrlPanel_, -w);
    shift(slider_, -w);
    placeButtons();
    btnSlider_->setEnabled(true);
}

void MainWidget::minimizeUi()
{
    if (!onTaskBar_)
        return hideUi();
    showMinimized();
    conductor_.notifyUiVisibility();
}

void MainWidget::hideUi()
{
    if (onTaskBar_) {
        // Hidden, the window could only come back through a second start; and without a
        // tray menu this button is the only Quit the user has.
        conductor_.quitApplication();
        return;
    }
    hide();
    conductor_.notifyUiVisibility();
}

void MainWidget::placeButtons()
{
    btnWinClose_->move(closePosition);
    btnWinMinimize_->move(minimizePosition);
    btnSlider_->move(sliderButtonPosition);
}

void MainWidget::moveLeftEdge(int by)
{
    QRect frame = geometry();
    frame.setLeft(frame.left() + by);
    setGeometry(frame);
}

} // namespace Orvanta
