// The tray icon: picture and tool tip per GPS state, the menu, and what clicks do.

#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/Resources.h"
#include "app/SystrayIcon.h"
#include "tests/app/support/Fixtures.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

struct Tray {
    Tray() { f.conductor.start(QtCvWrapper::instance()); }

    SystrayIcon& outer() const { return *f.conductor.trayIcon(); }
    QSystemTrayIcon* shown() const { return outer().findChild<QSystemTrayIcon*>(); }
    QStringList menu() const
    {
        QStringList texts;
        for (const QAction* action : shown()->contextMenu()->actions())
            texts.append(action->text());
        return texts;
    }
    // Which of the three tray pictures is showing.
    QString picture() const
    {
        const QImage showing = shown()->icon().pixmap(48, 48).toImage();
        for (const QString& path : {resources::trayActive, resources::trayInactive, resources::trayDisabled})
            if (QIcon(path).pixmap(48, 48).toImage() == showing)
                return path.section(QLatin1Char('/'), -1);
        return QStringLiteral("<another picture>");
    }

    ConductorFixture f;
};

} // namespace

class SystrayIconTest : public QObject {
    Q_OBJECT

private slots:
    void startsDisabledWithShowStartWithSessionAndQuit();
    void pictureAndToolTipFollowTheGpsState_data();
    void pictureAndToolTipFollowTheGpsState();
    void deviceRemovalShowsDisabledButKeepsTheToolTip();
    void activationToggleWindowAndMenuText_data();
    void activationToggleWindowAndMenuText();
    void quitClosesTheLibrary();
    void activateFromAnotherStartOffersHide();
};

void SystrayIconTest::startsDisabledWithShowStartWithSessionAndQuit()
{
    Tray t;
    QVERIFY(t.shown() != nullptr);
    QVERIFY(!t.outer().isVisible()); // only the inner icon is shown
    QCOMPARE(t.picture(), QStringLiteral("systray_disabled.png"));
    QCOMPARE(t.shown()->toolTip(), QString());
    QCOMPARE(t.menu(), (QStringList{"Show Orvanta", "Start with the session", "Quit"}));
}

void SystrayIconTest::pictureAndToolTipFollowTheGpsState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("0 inactive") << 0 << "systray_gps_off.png" << "GPS Inactive";
    QTest::newRow("1 active") << 1 << "systray_gps_on.png" << "GPS Active";
    QTest::newRow("2 reading") << 2 << "systray_gps_on.png" << "GPS Active";
    QTest::newRow("3 locating") << 3 << "systray_gps_on.png" << "GPS Active";
}

void SystrayIconTest::pictureAndToolTipFollowTheGpsState()
{
    QFETCH(int, state);
    QFETCH(QString, picture);
    QFETCH(QString, toolTip);
    Tray t;
    emit t.f.conductor.gpsStateChanged(eGpsState(state));
    QCOMPARE(t.picture(), picture);
    QCOMPARE(t.shown()->toolTip(), toolTip);
}

void SystrayIconTest::deviceRemovalShowsDisabledButKeepsTheToolTip()
{
    Tray t;
    emit t.f.conductor.gpsStateChanged(Corvane::gpsActive);
    emit t.f.conductor.deviceReady(false);
    QCOMPARE(t.picture(), QStringLiteral("systray_disabled.png"));
    QCOMPARE(t.shown()->toolTip(), QStringLiteral("GPS Active"));
    emit t.f.conductor.deviceReady(true);
    QCOMPARE(t.picture(), QStringLiteral("systray_disabled.png"));
}

void SystrayIconTest::activationToggleWindowAndMenuText_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("toggles");

    QTest::newRow("double-click") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("single click") << int(QSystemTrayIcon::Trigger) << false;
    QTest::newRow("context click") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
}

void SystrayIconTest::activationToggleWindowAndMenuText()
{
    QFETCH(int, reason);
    QFETCH(bool, toggles);
    Tray t;
    MainWidget& window = *t.f.conductor.mainWidget();

    emit t.shown()->activated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(window.isVisible(), toggles);
    QCOMPARE(t.menu().first(), toggles ? QStringLiteral("Hide Orvanta") : QStringLiteral("Show Orvanta"));

    emit t.shown()->activated(QSystemTrayIcon::ActivationReason(reason));
    QVERIFY(window.isHidden());
    QCOMPARE(t.menu().first(), QStringLiteral("Show Orvanta"));

    t.shown()->contextMenu()->actions().first()->trigger(); // the menu's Show works the same
    QVERIFY(window.isVisible());
    QCOMPARE(t.menu().first(), QStringLiteral("Hide Orvanta"));
}

void SystrayIconTest::quitClosesTheLibrary()
{
    Tray t;
    QVERIFY(t.shown()->isVisible());
    t.shown()->contextMenu()->actions().last()->trigger();
    QVERIFY(!t.shown()->isVisible()); // out of the tray before the library has closed
    QVERIFY(t.f.library.waitForShutdowns(1));
}

void SystrayIconTest::activateFromAnotherStartOffersHide()
{
    Tray t;
    t.f.conductor.mainWidget()->onMessageReceived(QStringLiteral("Activate"));
    QCOMPARE(t.menu().first(), QStringLiteral("Hide Orvanta"));
    QVERIFY(t.f.library.gpsModes.isEmpty()); // reading is left as it was
    t.shown()->contextMenu()->actions().first()->trigger();
    QVERIFY(t.f.conductor.mainWidget()->isHidden());
    QCOMPARE(t.menu().first(), QStringLiteral("Show Orvanta"));
}

QTEST_MAIN(SystrayIconTest)
#include "SystrayIconTest.moc"
