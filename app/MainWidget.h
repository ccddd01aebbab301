#pragma once
// The tool's one main window: a small frameless panel at the bottom right of the desktop
// holding the control panel and, behind it, the function slider that slides out to the
// left. Closing or minimising only hides it. It also acts on the messages a second start
// of the tool sends.

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

public slots:
    void toggleShowWidget(bool forceActivate);
    void toggleShowWidget();
    // "Activate", "Bulldoze" or "Stop", in any letter case; anything else is ignored.
    void onMessageReceived(const QString& message);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Escape and window-manager closes hide the window the same way its close button does.
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
