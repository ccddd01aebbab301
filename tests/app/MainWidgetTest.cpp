// The main window: the slider animation as the timers drive it, messages from other
// starts, hiding, and dragging.

#include "app/CtrlPanel.h"
#include "app/FunktionSlider.h"
#include "app/MainWidget.h"
#include "tests/app/support/Fixtures.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

constexpr int animationTimeoutMs = 5000;

struct Window {
    ConductorFixture f;
    MainWidget window{f.conductor};

    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(QLatin1String(name)); }
    QWidget* panel() const { return window.findChild<CtrlPanel*>(); }
    QWidget* slider() const { return window.findChild<FunktionSlider*>(); }
    // Waits until the running slide has finished (the slider button comes back).
    bool settled() const { return QTest::qWaitFor([&] { return button("btnSlider")->isEnabled(); }, animationTimeoutMs); }
    void toggleSlider() { button("btnSlider")->click(); }
};

QRect desktop() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void mouse(QWidget& widget, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, local, widget.mapToGlobal(local), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

class MainWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void opensTheSliderAtTheBottomRight();
    void closingTheSliderShrinksTheWindowBack();
    void openingAtTheLeftEdgeClampsToZero();
    void sliderButtonIsDisabledWhileSliding();
    void messagesFromOtherStarts_data();
    void messagesFromOtherStarts();
    void activateKeepsAVisibleWindowVisible();
    void closeMinimiseAndEscapeOnlyHide_data();
    void closeMinimiseAndEscapeOnlyHide();
    void onlyTheLeftButtonDrags_data();
    void onlyTheLeftButtonDrags();
};

void MainWidgetTest::opensTheSliderAtTheBottomRight()
{
    Window w;
    QVERIFY(w.window.isHidden());
    QVERIFY(w.settled());
    const QRect frame = w.window.geometry();
    QCOMPARE(frame.size(), QSize(184 + 178, 192));
    QCOMPARE(frame.right(), desktop().width() - 1);
    QCOMPARE(frame.bottom(), desktop().height() - 1);
    QCOMPARE(w.panel()->pos(), QPoint(178, 0));
    QCOMPARE(w.slider()->pos(), QPoint(2, 5)); // stopped once its left edge passed 3
    QCOMPARE(w.button("btnWinClose")->pos(), QPoint(162 + 178, 7));
    QCOMPARE(w.button("btnWinMinimize")->pos(), QPoint(147 + 178, 7));
    QCOMPARE(w.button("btnSlider")->pos(), QPoint(8 + 178, 170));
    QVERIFY(w.button("btnSlider")->isChecked());
}

void MainWidgetTest::closingTheSliderShrinksTheWindowBack()
{
    Window w;
    QVERIFY(w.settled());
    const QRect open = w.window.geometry();
    w.toggleSlider();
    QVERIFY(w.settled());
    QCOMPARE(w.window.geometry(), QRect(open.x() + 178, open.y(), 184, 192));
    QCOMPARE(w.panel()->pos(), QPoint(0, 0));
    QCOMPARE(w.slider()->x(), 4); // moved past w + 2 behind the panel, then back by w
    QCOMPARE(w.button("btnWinClose")->pos(), QPoint(162, 7));
    QCOMPARE(w.button("btnWinMinimize")->pos(), QPoint(147, 7));
    QCOMPARE(w.button("btnSlider")->pos(), QPoint(8, 170));

    w.toggleSlider(); // and out again, to where it was
    QVERIFY(w.settled());
    QCOMPARE(w.window.geometry(), open);
    QCOMPARE(w.slider()->pos(), QPoint(2, 5));
}

void MainWidgetTest::openingAtTheLeftEdgeClampsToZero()
{
    Window w;
    QVERIFY(w.settled());
    w.toggleSlider();
    QVERIFY(w.settled());
    w.window.move(40, 100);
    w.toggleSlider();
    QVERIFY(w.settled());
    QCOMPARE(w.window.geometry(), QRect(0, 100, 184 + 178, 192));
    w.toggleSlider();
    QVERIFY(w.settled());
    QCOMPARE(w.window.geometry(), QRect(178, 100, 184, 192));
}

void MainWidgetTest::sliderButtonIsDisabledWhileSliding()
{
    Window w;
    QVERIFY(!w.button("btnSlider")->isEnabled()); // opening right after construction
    QVERIFY(w.settled());
    w.toggleSlider();
    QVERIFY(!w.button("btnSlider")->isEnabled());
    w.toggleSlider(); // a click during the slide is ignored
    QVERIFY(!w.button("btnSlider")->isChecked());
    QVERIFY(w.settled());
    QCOMPARE(w.window.width(), 184);
}

void MainWidgetTest::messagesFromOtherStarts_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("quit");

    QTest::newRow("Activate") << "Activate" << true << false << false;
    QTest::newRow("activate in lower case") << "activate" << true << false << false;
    QTest::newRow("Bulldoze") << "Bulldoze" << false << true << false;
    QTest::newRow("BULLDOZE") << "BULLDOZE" << false << true << false;
    QTest::newRow("Stop") << "Stop" << false << false << true;
    QTest::newRow("sToP") << "sToP" << false << false << true;
    QTest::newRow("unknown message") << "Explode" << false << false << false;
    QTest::newRow("empty message") << "" << false << false << false;
    QTest::newRow("message with a trailing space") << "Stop " << false << false << false;
}

void MainWidgetTest::messagesFromOtherStarts()
{
    QFETCH(QString, message);
    QFETCH(bool, shown);
    QFETCH(bool, cleared);
    QFETCH(bool, quit);

    Window w;
    w.f.conductor.writeBoolSetting(QStringLiteral("ShowReminder"), true);
    w.window.onMessageReceived(message);
    QCOMPARE(w.window.isVisible(), shown);
    QCOMPARE(!w.f.settings.stored(QStringLiteral("ShowReminder")).isValid(), cleared);
    if (quit)
        QVERIFY(w.f.library.waitForShutdowns(1));
    else
        QCOMPARE(w.f.library.shutdownCalls(), 0);
}

void MainWidgetTest::activateKeepsAVisibleWindowVisible()
{
    Window w;
    w.window.onMessageReceived(QStringLiteral("Activate"));
    QVERIFY(w.window.isVisible());
    w.window.onMessageReceived(QStringLiteral("Activate"));
    QVERIFY(w.window.isVisible());
    emit w.f.conductor.toggleShowWidget(); // the tray's Show/Hide
    QVERIFY(w.window.isHidden());
}

void MainWidgetTest::closeMinimiseAndEscapeOnlyHide_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "btnWinClose";
    QTest::newRow("minimise button") << "btnWinMinimize";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("window manager close") << "close";
}

void MainWidgetTest::closeMinimiseAndEscapeOnlyHide()
{
    QFETCH(QString, how);
    Window w;
    w.window.toggleShowWidget(true);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QSignalSpy visibility(&w.f.conductor, &Conductor::uiVisibilityChanged);
    if (how == QLatin1String("escape"))
        QTest::keyClick(&w.window, Qt::Key_Escape);
    else if (how == QLatin1String("close"))
        w.window.close();
    else
        w.button(qPrintable(how))->click();
    QVERIFY(w.window.isHidden());
    QCOMPARE(visibility.size(), 1);
    QCOMPARE(visibility.at(0).at(0).toBool(), false);
    QCOMPARE(w.f.library.gpsModes, QList<int>{2});
    QCOMPARE(w.f.library.shutdownCalls(), 0);
    QVERIFY(!w.f.conductor.quitting());
}

void MainWidgetTest::onlyTheLeftButtonDrags_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("left button") << int(Qt::LeftButton) << QPoint(-30, -20);
    QTest::newRow("right button") << int(Qt::RightButton) << QPoint(0, 0);
    QTest::newRow("middle button") << int(Qt::MiddleButton) << QPoint(0, 0);
}

void MainWidgetTest::onlyTheLeftButtonDrags()
{
    QFETCH(int, button);
    QFETCH(QPoint, moved);
    Window w;
    QVERIFY(w.settled());
    const QPoint start = w.window.pos();
    const auto pressed = Qt::MouseButton(button);
    mouse(w.window, QEvent::MouseButtonPress, QPoint(100, 60), pressed, pressed);
    mouse(w.window, QEvent::MouseMove, QPoint(70, 40), Qt::NoButton, pressed);
    mouse(w.window, QEvent::MouseButtonRelease, QPoint(70, 40), pressed, Qt::NoButton);
    QCOMPARE(w.window.pos(), start + moved);
    // After the release, moving does not drag.
    mouse(w.window, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.window.pos(), start + moved);
}

QTEST_MAIN(MainWidgetTest)
#include "MainWidgetTest.moc"
