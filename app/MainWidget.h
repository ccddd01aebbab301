#pragma once
// The tool's one main window: a small frameless panel at the bottom right of the desktop
// holding the control panel and, behind it, the function slider that slides out to the
// left. With a tray icon to come back through, closing or minimising only hides it;
// standing in for a missing tray, it minimises to the task bar and closing it quits. It
// also acts on the messages a second start of the tool sends.

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QTimer>

class QPushButton;

namespace Orvanta {

class Conductor;
class CtrlPanel;
class FunktionSlider;

class MainWidget final : public QDialog {
    Q_OBJECT

public:
    explicit MainWidget(Conductor& conductor);
    ~MainWidget() override;

    // There is no system tray: shows the window, which from now on stays reachable on
    // the task bar instead of hiding.
    void standInForTray();

public slots:
    void toggleShowWidget(bool forceActivate);
    void toggleShowWidget();
    // "Activate", "Bulldoze" or "Stop", in any letter case; anything else is ignored.
    void onMessageReceived(const QString& message);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // A window-manager close does what the close button does.
    void closeEvent(QCloseEvent* event) override;
    // Escape does what the minimise button does.
    void reject() override;

private slots:
    void changeSliderState();
    void minimizeUi();
    void hideUi();
    void triggerTmrHideSlide();
    void triggerTmrShowSlide();

private:
    void placeButtons();
    void moveLeftEdge(int by);

    Conductor& conductor_;
    bool onTaskBar_ = false; // standing in for a missing tray
    CtrlPanel* ctrlPanel_;
    FunktionSlider* slider_;
    QPushButton* btnSlider_;
    QPushButton* btnWinClose_;
    QPushButton* btnWinMinimize_;
    bool dragging_ = false;
    QPoint pressPosition_;
    QTimer showSlideTimer_;
    QTimer hideSlideTimer_;
};

} // namespace Orvanta
