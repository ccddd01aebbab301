// Quit with a library that takes its time to close: the tray icon and the windows go at
// once, the GUI thread goes on working, and the event loop ends only once the library
// has closed. Each case runs the application's event loop itself.

#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/ReminderWidget.h"
#include "app/SystrayIcon.h"
#include "tests/app/support/Fixtures.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>

using namespace Orvanta;
using namespace Orvanta::testing;
using namespace std::chrono_literals;

namespace {

constexpr auto tick = 10ms;
constexpr int ticksWhileClosing = 10; // the GUI thread's timer keeps firing this often
constexpr int loopLimitMs = 15000;

QSystemTrayIcon& trayIconOf(const Conductor& conductor)
{
    return *conductor.trayIcon()->findChild<QSystemTrayIcon*>();
}

void stopMessage(Conductor& c) { c.mainWidget()->onMessageReceived(QStringLiteral("Stop")); }

// "tray menu", "Stop" or "close button".
void askToQuit(Conductor& c, const QString& how)
{
    if (how == QLatin1String("tray menu"))
        trayIconOf(c).contextMenu()->actions().last()->trigger();
    else if (how == QLatin1String("Stop"))
        stopMessage(c);
    else
        c.mainWidget()->findChild<QPushButton*>(QStringLiteral("btnWinClose"))->click();
}

// What the loop saw while the library was closing.
struct Observed {
    bool withdrawnAtOnce = false;
    int ticksWhileHeld = 0;
    bool releasedBeforeTheLoopEnded = false;
    bool shownAgain = false;
};

} // namespace

class QuitTest : public QObject {
    Q_OBJECT

private slots:
    void quitWithdrawsAtOnceAndEndsTheLoopOnceClosed_data();
    void quitWithdrawsAtOnceAndEndsTheLoopOnceClosed();
    void nothingIsAskedOfALibraryThatCloses();
};

void QuitTest::quitWithdrawsAtOnceAndEndsTheLoopOnceClosed_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("tray");

    QTest::newRow("the tray menu's Quit") << "tray menu" << true;
    QTest::newRow("a \"Stop\" message") << "Stop" << true;
    QTest::newRow("the close button without a tray") << "close button" << false;
}

void QuitTest::quitWithdrawsAtOnceAndEndsTheLoopOnceClosed()
{
    QFETCH(QString, how);
    QFETCH(bool, tray);

    ConductorFixture f(tray ? alwaysATray() : TrayProbe{[] { return false; }, 0ms});
    f.conductor.start(QtCvWrapper::instance());
    QVERIFY(f.conductor.reminder() != nullptr && f.conductor.reminder()->isVisible());
    if (tray)
        f.conductor.toggleUi();
    else
        QVERIFY(QTest::qWaitFor([&] { return f.conductor.mainWidget()->isVisible(); }));
    QVERIFY(f.conductor.mainWidget()->isVisible());
    QVERIFY(trayIconOf(f.conductor).isVisible());
    f.library.hold();

    Observed seen;
    QTimer::singleShot(0, this, [&] {
        askToQuit(f.conductor, how);
        seen.withdrawnAtOnce = !trayIconOf(f.conductor).isVisible() && f.conductor.mainWidget()->isHidden() &&
                               f.conductor.reminder()->isHidden();
        // Asked again while closing: nothing more happens, nothing comes back.
        f.conductor.quitApplication();
        stopMessage(f.conductor);
        f.conductor.mainWidget()->onMessageReceived(QStringLiteral("Activate"));
        f.conductor.toggleUi();
        seen.shownAgain = f.conductor.mainWidget()->isVisible() || trayIconOf(f.conductor).isVisible();
    });
    QTimer ticker;
    ticker.setInterval(tick);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (!f.library.shutdownEntered())
            return;
        if (++seen.ticksWhileHeld == ticksWhileClosing)
            f.library.release();
    });
    ticker.start();
    const auto ended = connect(qApp, &QCoreApplication::aboutToQuit, this,
                               [&] { seen.releasedBeforeTheLoopEnded = seen.ticksWhileHeld >= ticksWhileClosing; });
    QTimer limit; // the loop would never end
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
    limit.start(loopLimitMs);
    const int result = QApplication::exec();
    disconnect(ended);

    QCOMPARE(result, 0);
    QVERIFY(seen.withdrawnAtOnce);
    QVERIFY(!seen.shownAgain);
    QVERIFY(seen.ticksWhileHeld >= ticksWhileClosing); // the GUI thread kept working
    QVERIFY(seen.releasedBeforeTheLoopEnded);
    QCOMPARE(f.library.shutdownCalls(), 1);
}

void QuitTest::nothingIsAskedOfALibraryThatCloses()
{
    ConductorFixture f;
    f.conductor.start(QtCvWrapper::instance());
    f.library.hold();
    f.conductor.quitApplication();
    QVERIFY(QTest::qWaitFor([&] { return f.library.shutdownEntered(); }));

    // Reports still arriving, and the user's buttons, while the library closes.
    f.conductor.latitudeChanged(48.1);
    f.conductor.longitudeChanged(11.5);
    f.conductor.switchGps(true);
    f.conductor.notifyUiVisibility();
    f.library.release();
    QVERIFY(f.library.waitForShutdowns(1));
    QVERIFY(f.library.gpsModes.isEmpty());
}

QTEST_MAIN(QuitTest)
#include "QuitTest.moc"
