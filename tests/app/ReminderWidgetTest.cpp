// The reminder: its "Do not show this message again" box and Accept.

#include "app/QtCvWrapper.h"
#include "app/ReminderWidget.h"
#include "tests/app/support/Fixtures.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

class ReminderWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void boxIsStoredAtOnce_data();
    void boxIsStoredAtOnce();
    void acceptHidesForTheRestOfTheRun();
};

void ReminderWidgetTest::boxIsStoredAtOnce_data()
{
    QTest::addColumn<int>("toggles");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("shownAtNextStart");

    QTest::newRow("untouched") << 0 << QVariant() << true;
    QTest::newRow("ticked") << 1 << QVariant(true) << false;
    QTest::newRow("ticked and unticked") << 2 << QVariant(false) << true;
}

void ReminderWidgetTest::boxIsStoredAtOnce()
{
    QFETCH(int, toggles);
    QFETCH(QVariant, stored);
    QFETCH(bool, shownAtNextStart);

    SettingsFolder folder;
    {
        FakeLibrary library;
        Conductor conductor(library, folder.open());
        ReminderWidget reminder(conductor);
        QVERIFY(reminder.isVisible());
        auto* box = reminder.findChild<QCheckBox*>(QStringLiteral("chbDoNotShow"));
        for (int i = 0; i < toggles; ++i)
            box->click();
        // On disk before Accept, and before the tool ends.
        QCOMPARE(folder.stored(QStringLiteral("ShowReminder")).isValid(), stored.isValid());
        if (stored.isValid())
            QCOMPARE(folder.stored(QStringLiteral("ShowReminder")).toBool(), stored.toBool());
    }
    FakeLibrary library;
    Conductor nextStart(library, folder.open());
    nextStart.start(QtCvWrapper::instance());
    QCOMPARE(nextStart.reminder() != nullptr, shownAtNextStart);
}

void ReminderWidgetTest::acceptHidesForTheRestOfTheRun()
{
    ConductorFixture f;
    ReminderWidget reminder(f.conductor);
    reminder.findChild<QPushButton*>(QStringLiteral("btnAccept"))->click();
    QVERIFY(reminder.isHidden());
    QVERIFY(!f.settings.stored(QStringLiteral("ShowReminder")).isValid());
}

QTEST_MAIN(ReminderWidgetTest)
#include "ReminderWidgetTest.moc"
