// The control panel: what it shows for each report, and the GPS switch.

#include "app/CtrlPanel.h"
#include "tests/app/support/Fixtures.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

struct Panel {
    ConductorFixture f;
    CtrlPanel panel{f.conductor, nullptr};

    QPushButton* trigger() const { return panel.findChild<QPushButton*>(QStringLiteral("btnTrigger")); }
    // The value shown in a title's row, where the values line up after the longer title.
    QLabel* valueBeside(const char* title)
    {
        const QLabel* row = panel.findChild<QLabel*>(QLatin1String(title));
        const QLabel* longest = panel.findChild<QLabel*>(QStringLiteral("lblPort"));
        return labelAt(panel, QPoint(longest->geometry().right() + 4, row->y() + 4));
    }
    QString status() { return valueBeside("lblStatusTitle")->text(); }
    QString port() { return valueBeside("lblPort")->text(); }
};

} // namespace

class CtrlPanelTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithoutDevice();
    void statusTextsFitTheirRow_data();
    void statusTextsFitTheirRow();
    void showsEveryGpsState_data();
    void showsEveryGpsState();
    void gpsSupportEnablesTheButton_data();
    void gpsSupportEnablesTheButton();
    void deviceRemovalClearsPortAndStatus();
    void eachFixShowsReady();
    void portIsShownWithoutDevicePrefix_data();
    void portIsShownWithoutDevicePrefix();
    void clicksSwitchGps_data();
    void clicksSwitchGps();
};

void CtrlPanelTest::startsWithoutDevice()
{
    Panel p;
    QCOMPARE(p.status(), QStringLiteral("No GPS Device"));
    QCOMPARE(p.port(), QString());
    QVERIFY(!p.trigger()->isEnabled());
    QCOMPARE(p.panel.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("1.1"));
    QCOMPARE(p.panel.size(), QSize(184, 192));
    QCOMPARE(p.trigger()->geometry(), QRect(61, 73, 70, 70));
}

void CtrlPanelTest::statusTextsFitTheirRow_data()
{
    QTest::addColumn<QString>("text");
    for (const char* text : {"No GPS Device", "Device initialised", "Inactive", "Active", "Locating", "Ready"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void CtrlPanelTest::statusTextsFitTheirRow()
{
    QFETCH(QString, text);
    Panel p;
    QLabel* status = p.valueBeside("lblStatusTitle");
    status->ensurePolished();
    QVERIFY(status->fontMetrics().horizontalAdvance(text) <= status->width());
}

void CtrlPanelTest::showsEveryGpsState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("checked");

    QTest::newRow("0 inactive") << 0 << "Inactive" << false;
    QTest::newRow("1 active") << 1 << "Active" << true;
    QTest::newRow("2 reading") << 2 << "Active" << true;
    QTest::newRow("3 locating") << 3 << "Locating" << false;
    QTest::newRow("unknown state") << 9 << "Device initialised" << false;
    QTest::newRow("negative state") << -1 << "Device initialised" << false;
}

void CtrlPanelTest::showsEveryGpsState()
{
    QFETCH(int, state);
    QFETCH(QString, status);
    QFETCH(bool, checked);

    Panel p;
    emit p.f.conductor.gpsSupported(true);
    emit p.f.conductor.gpsStateChanged(eGpsState(state));
    QCOMPARE(p.status(), status);
    QCOMPARE(p.trigger()->isChecked(), checked);
}

void CtrlPanelTest::gpsSupportEnablesTheButton_data()
{
    QTest::addColumn<bool>("supported");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("status");

    QTest::newRow("supported") << true << true << true << "Device initialised";
    QTest::newRow("not supported: unchecked, status kept") << false << false << false << "Active";
}

void CtrlPanelTest::gpsSupportEnablesTheButton()
{
    QFETCH(bool, supported);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(QString, status);

    Panel p;
    emit p.f.conductor.gpsSupported(true);
    emit p.f.conductor.gpsStateChanged(Corvane::gpsActive); // checked, "Active"
    emit p.f.conductor.gpsSupported(supported);
    QCOMPARE(p.trigger()->isEnabled(), enabled);
    QCOMPARE(p.trigger()->isChecked(), checked);
    QCOMPARE(p.status(), status);
}

void CtrlPanelTest::deviceRemovalClearsPortAndStatus()
{
    Panel p;
    emit p.f.conductor.gpsSupported(true);
    emit p.f.conductor.gpsPortName(QStringLiteral("/dev/ttyUSB2"));
    emit p.f.conductor.gpsStateChanged(Corvane::gpsReading);
    emit p.f.conductor.deviceReady(false);
    QCOMPARE(p.status(), QStringLiteral("No GPS Device"));
    QCOMPARE(p.port(), QString());
    QCOMPARE(p.valueBeside("lblPort")->toolTip(), QString());
    QVERIFY(p.trigger()->isChecked()); // until GPS support is reported false
    emit p.f.conductor.deviceReady(true);
    QCOMPARE(p.status(), QStringLiteral("No GPS Device"));
}

void CtrlPanelTest::eachFixShowsReady()
{
    Panel p;
    emit p.f.conductor.gpsSupported(true);
    emit p.f.conductor.foundLocation(true);
    QCOMPARE(p.status(), QStringLiteral("Ready"));
    emit p.f.conductor.gpsStateChanged(Corvane::gpsSearching);
    QCOMPARE(p.status(), QStringLiteral("Locating"));
    emit p.f.conductor.foundLocation(true);
    QCOMPARE(p.status(), QStringLiteral("Ready"));
    emit p.f.conductor.foundLocation(false);
    QCOMPARE(p.status(), QStringLiteral("Ready"));

    // Reading stops after the fix (and the last sentences of the group may still re-enter
    // reading): the fix is not lost by that.
    for (eGpsState state : {Corvane::gpsReading, Corvane::gpsActive}) {
        emit p.f.conductor.gpsStateChanged(state);
        QCOMPARE(p.status(), QStringLiteral("Ready"));
    }
    // Switching off and on again starts over.
    emit p.f.conductor.gpsStateChanged(Corvane::gpsOff);
    QCOMPARE(p.status(), QStringLiteral("Inactive"));
    emit p.f.conductor.gpsStateChanged(Corvane::gpsActive);
    QCOMPARE(p.status(), QStringLiteral("Active"));
}

void CtrlPanelTest::portIsShownWithoutDevicePrefix_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("shown");

    QTest::newRow("device node") << "/dev/ttyUSB2" << "ttyUSB2";
    QTest::newRow("no prefix") << "ttyACM0" << "ttyACM0";
    QTest::newRow("stable link") << "/dev/serial/by-id/usb-card-if02" << "serial/by-id/usb-card-if02";
    QTest::newRow("prefix in another letter case") << "/DEV/ttyUSB2" << "/DEV/ttyUSB2";
    QTest::newRow("empty") << "" << "";
}

void CtrlPanelTest::portIsShownWithoutDevicePrefix()
{
    QFETCH(QString, reported);
    QFETCH(QString, shown);
    Panel p;
    emit p.f.conductor.gpsPortName(reported);
    QCOMPARE(p.port(), shown);
    QCOMPARE(p.valueBeside("lblPort")->toolTip(), shown);
}

void CtrlPanelTest::clicksSwitchGps_data()
{
    QTest::addColumn<bool>("supported");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QList<int>>("modes");
    QTest::addColumn<bool>("checked");

    QTest::newRow("disabled button does nothing") << false << 1 << QList<int>{} << false;
    QTest::newRow("one click switches on") << true << 1 << QList<int>{4} << true;
    QTest::newRow("second click switches off") << true << 2 << QList<int>{4, 0} << false;
}

void CtrlPanelTest::clicksSwitchGps()
{
    QFETCH(bool, supported);
    QFETCH(int, clicks);
    QFETCH(QList<int>, modes);
    QFETCH(bool, checked);

    Panel p;
    emit p.f.conductor.gpsSupported(supported);
    p.panel.show();
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(p.trigger(), Qt::LeftButton);
    QCOMPARE(p.f.library.gpsModes, modes);
    QCOMPARE(p.trigger()->isChecked(), checked); // the "on" look before any state report
}

QTEST_MAIN(CtrlPanelTest)
#include "CtrlPanelTest.moc"
