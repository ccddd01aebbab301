// Tray or window: with a system tray the main window starts hidden; without one, at start
// and after the grace period, it is shown and stays reachable on the task bar.

#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/SystrayIcon.h"
#include "tests/app/support/Fixtures.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <memory>

using namespace Orvanta;
using namespace Orvanta::testing;
using namespace std::chrono_literals;

namespace {

constexpr auto grace = 50ms;
constexpr int decisionTimeoutMs = 5000;

// A tool started in a session whose tray answers `answers` in turn (the last one from
// then on).
struct Session {
    explicit Session(QList<bool> trayAnswers)
        : answers(std::move(trayAnswers))
        , f(TrayProbe{[this] { return answers.at(std::min(asked++, int(answers.size()) - 1)); }, grace})
    {
        decided = std::make_unique<QSignalSpy>(&f.conductor.trayPresence(), &TrayPresence::decided);
        f.conductor.start(QtCvWrapper::instance());
    }

    bool waitForDecision() { return decided->size() > 0 || decided->wait(decisionTimeoutMs); }
    MainWidget& window() const { return *f.conductor.mainWidget(); }
    QPushButton* button(const char* name) const { return window().findChild<QPushButton*>(QLatin1String(name)); }
    QString trayMenuFirst() const
    {
        return f.conductor.trayIcon()->findChild<QSystemTrayIcon*>()->contextMenu()->actions().first()->text();
    }
    // Shown on the task bar: there is no tray.
    bool standingIn() { return waitForDecision() && window().isVisible(); }

    QList<bool> answers;
    int asked = 0;
    ConductorFixture f;
    std::unique_ptr<QSignalSpy> decided;
};

} // namespace

class TrayPresenceTest : public QObject {
    Q_OBJECT

private slots:
    void startDecidesBetweenTrayAndWindow_data();
    void startDecidesBetweenTrayAndWindow();
    void withoutATrayMinimisingKeepsTheWindow_data();
    void withoutATrayMinimisingKeepsTheWindow();
    void withoutATrayClosingQuits_data();
    void withoutATrayClosingQuits();
    void aSecondStartBringsBackAMinimisedWindow();
};

void TrayPresenceTest::startDecidesBetweenTrayAndWindow_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("shown");

    QTest::newRow("tray at start") << QList<bool>{true} << false;
    QTest::newRow("tray arriving within the grace period") << QList<bool>{false, true} << false;
    QTest::newRow("no tray at start nor after the grace period") << QList<bool>{false, false} << true;
}

void TrayPresenceTest::startDecidesBetweenTrayAndWindow()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, shown);

    Session s(answers);
    if (!shown) // hidden at start whatever comes: the decision may only show it
        QVERIFY(s.window().isHidden());
    QVERIFY(s.waitForDecision());
    QCOMPARE(s.decided->size(), 1);
    QCOMPARE(s.decided->at(0).at(0).toBool(), !shown);
    QCOMPARE(s.window().isVisible(), shown);
    QVERIFY(!s.window().isMinimized());
    // Should a tray turn up after all, its menu offers what the window's state needs.
    QCOMPARE(s.trayMenuFirst(), shown ? QStringLiteral("Hide Orvanta") : QStringLiteral("Show Orvanta"));
    QVERIFY(s.f.library.gpsModes.isEmpty()); // showing at start asks nothing of the receiver
}

void TrayPresenceTest::withoutATrayMinimisingKeepsTheWindow_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("minimise button") << "btnWinMinimize";
    QTest::newRow("Escape") << "escape";
}

void TrayPresenceTest::withoutATrayMinimisingKeepsTheWindow()
{
    QFETCH(QString, how);
    Session s({false});
    QVERIFY(s.standingIn());
    QVERIFY(QTest::qWaitForWindowExposed(&s.window()));
    if (how == QLatin1String("escape"))
        QTest::keyClick(&s.window(), Qt::Key_Escape);
    else
        s.button(qPrintable(how))->click();
    QVERIFY(s.window().isMinimized());
    QVERIFY(!s.window().isHidden()); // on the task bar, not gone
    QVERIFY(!s.f.conductor.quitting());
    QCOMPARE(s.f.library.gpsModes, QList<int>{2}); // out of sight: stop reading, as hiding does
}

void TrayPresenceTest::withoutATrayClosingQuits_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "btnWinClose";
    QTest::newRow("window manager close") << "close";
}

void TrayPresenceTest::withoutATrayClosingQuits()
{
    QFETCH(QString, how);
    Session s({false});
    QVERIFY(s.standingIn());
    if (how == QLatin1String("close"))
        s.window().close();
    else
        s.button(qPrintable(how))->click();
    QVERIFY(s.window().isHidden());
    QVERIFY(s.f.conductor.quitting());
    QVERIFY(s.f.library.waitForShutdowns(1));
}

void TrayPresenceTest::aSecondStartBringsBackAMinimisedWindow()
{
    Session s({false});
    QVERIFY(s.standingIn());
    s.button("btnWinMinimize")->click();
    QVERIFY(s.window().isMinimized());
    s.window().onMessageReceived(QStringLiteral("Activate"));
    QVERIFY(!s.window().isMinimized());
    QVERIFY(s.window().isVisible());
}

QTEST_MAIN(TrayPresenceTest)
#include "TrayPresenceTest.moc"
