// The Conductor: state derived from the library's reports, requests to the library,
// settings, and the windows it starts.

#include "app/Conductor.h"
#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/ReminderWidget.h"
#include "app/SystrayIcon.h"
#include "tests/app/support/Fixtures.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

// Feeds "lat=1.5;lon=2;device=0" to the Conductor's slots in order.
void feed(Conductor& conductor, const QString& reports)
{
    for (const QString& report : reports.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString what = report.section(QLatin1Char('='), 0, 0);
        const QString value = report.section(QLatin1Char('='), 1);
        const double number = value == QLatin1String("nan") ? std::numeric_limits<double>::quiet_NaN() : value.toDouble();
        if (what == QLatin1String("lat"))
            conductor.latitudeChanged(number);
        else if (what == QLatin1String("lon"))
            conductor.longitudeChanged(number);
        else
            conductor.deviceStateChanged(value.toInt());
    }
}

} // namespace

class ConductorTest : public QObject {
    Q_OBJECT

private slots:
    void aFixNeedsTwoNonZeroCoordinates_data();
    void aFixNeedsTwoNonZeroCoordinates();
    void deviceStateZeroResetsTheWidgets_data();
    void deviceStateZeroResetsTheWidgets();
    void reportsPassToTheWidgets();
    void settingsAreStoredAtOnceAndClearedWhole();
    void mapSitesComeFromTheSettings_data();
    void mapSitesComeFromTheSettings();
    void startShowsTheReminderUnlessSwitchedOff_data();
    void startShowsTheReminderUnlessSwitchedOff();
    void startConnectsTheBridge();
    void hidingTheWindowReportsItAndStopsReading();
};

void ConductorTest::aFixNeedsTwoNonZeroCoordinates_data()
{
    QTest::addColumn<QString>("reports");
    QTest::addColumn<int>("fixes");

    QTest::newRow("latitude 0 (equator)") << "lat=0;lon=151.25" << 0;
    QTest::newRow("longitude 0 (prime meridian)") << "lat=-33.5;lon=0" << 0;
    QTest::newRow("latitude only") << "lat=-33.5" << 0;
    QTest::newRow("both coordinates") << "lat=-33.5;lon=151.25" << 1;
    QTest::newRow("longitude first") << "lon=151.25;lat=-33.5" << 1;
    QTest::newRow("same latitude again is ignored") << "lat=-33.5;lon=151.25;lat=-33.5" << 1;
    QTest::newRow("each new coordinate fixes again") << "lat=-33.5;lon=151.25;lat=-33.6;lon=151.3" << 3;
    QTest::newRow("latitude not a number") << "lat=nan;lon=151.25" << 0;
    QTest::newRow("back to zero is no fix") << "lat=-33.5;lon=151.25;lat=0" << 1;
    QTest::newRow("same position after a removal fixes again") << "lat=-33.5;lon=151.25;device=0;lat=-33.5;lon=151.25"
                                                              << 2;
}

void ConductorTest::aFixNeedsTwoNonZeroCoordinates()
{
    QFETCH(QString, reports);
    QFETCH(int, fixes);

    ConductorFixture f;
    QSignalSpy found(&f.conductor, &Conductor::foundLocation);
    feed(f.conductor, reports);
    QCOMPARE(found.size(), fixes);
    for (const QList<QVariant>& arguments : found)
        QCOMPARE(arguments.at(0).toBool(), true);
    // Each fix asks the library to stop reading (mode 2), nothing else is asked.
    QCOMPARE(f.library.gpsModes, QList<int>(fixes, 2));
}

void ConductorTest::deviceStateZeroResetsTheWidgets_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("reset");

    QTest::newRow("removed") << 0 << true;
    QTest::newRow("arrived") << 1 << false;
    QTest::newRow("initialising") << 2 << false;
    QTest::newRow("initialised") << 4 << false;
    QTest::newRow("busy") << 7 << false;
}

void ConductorTest::deviceStateZeroResetsTheWidgets()
{
    QFETCH(int, state);
    QFETCH(bool, reset);

    ConductorFixture f;
    feed(f.conductor, QStringLiteral("lat=-33.5;lon=151.25"));
    QSignalSpy ready(&f.conductor, &Conductor::deviceReady);
    f.conductor.deviceStateChanged(state);
    QCOMPARE(f.conductor.deviceState(), state);
    QCOMPARE(ready.size(), reset ? 1 : 0);
    if (reset) {
        QCOMPARE(ready.at(0).at(0).toBool(), false);
        QCOMPARE(f.conductor.latitude(), 0.0);
        QCOMPARE(f.conductor.longitude(), 0.0);
    } else {
        QCOMPARE(f.conductor.latitude(), -33.5);
    }
}

void ConductorTest::reportsPassToTheWidgets()
{
    ConductorFixture f;
    QSignalSpy supported(&f.conductor, &Conductor::gpsSupported);
    QSignalSpy state(&f.conductor, qOverload<eGpsState>(&Conductor::gpsStateChanged));
    QSignalSpy port(&f.conductor, &Conductor::gpsPortName);

    f.conductor.gpsSupportedChanged(true);
    f.conductor.gpsStateChanged(3);
    f.conductor.gpsPortNameChanged(QStringLiteral("/dev/ttyUSB2"));
    f.conductor.libraryStateChanged(1);

    QCOMPARE(supported.size(), 1);
    QCOMPARE(supported.at(0).at(0).toBool(), true);
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).value<eGpsState>(), Corvane::gpsSearching);
    QCOMPARE(f.conductor.gpsState(), 3);
    QCOMPARE(port.at(0).at(0).toString(), QStringLiteral("/dev/ttyUSB2"));
    QCOMPARE(f.conductor.libraryState(), 1);
    QVERIFY(f.library.gpsModes.isEmpty());
}

void ConductorTest::settingsAreStoredAtOnceAndClearedWhole()
{
    ConductorFixture f;
    QCOMPARE(f.conductor.readBoolSetting(QStringLiteral("ShowReminder")), false);
    f.conductor.writeBoolSetting(QStringLiteral("ShowReminder"), true);
    QCOMPARE(f.settings.stored(QStringLiteral("ShowReminder")).toBool(), true); // on disk already
    QCOMPARE(f.conductor.readBoolSetting(QStringLiteral("ShowReminder")), true);

    {
        auto other = f.settings.open();
        other->setValue(QStringLiteral("MapLinks/Search"), QStringLiteral("maps.example.org"));
    }
    f.conductor.clearSettings();
    QVERIFY(!f.settings.stored(QStringLiteral("ShowReminder")).isValid());
    QVERIFY(f.settings.open()->allKeys().isEmpty());
    QCOMPARE(f.conductor.readBoolSetting(QStringLiteral("ShowReminder")), false);
}

void ConductorTest::mapSitesComeFromTheSettings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("search");

    QTest::newRow("nothing stored: the default") << QString() << MapSites::defaults().search;
    QTest::newRow("blank: the default") << "   " << MapSites::defaults().search;
    QTest::newRow("a site of the user's choice") << "maps.example.org" << "maps.example.org";
}

void ConductorTest::mapSitesComeFromTheSettings()
{
    QFETCH(QString, stored);
    QFETCH(QString, search);
    ConductorFixture f;
    if (!stored.isNull())
        f.settings.open()->setValue(QStringLiteral("MapLinks/Search"), stored);
    const MapSites sites = f.conductor.mapSites();
    QCOMPARE(sites.search, search);
    QCOMPARE(sites.location, MapSites::defaults().location);
}

void ConductorTest::startShowsTheReminderUnlessSwitchedOff_data()
{
    QTest::addColumn<QVariant>("showReminderSetting");
    QTest::addColumn<bool>("reminderShown");

    QTest::newRow("first start") << QVariant() << true;
    QTest::newRow("box ticked") << QVariant(true) << false;
    QTest::newRow("box ticked and unticked") << QVariant(false) << true;
}

void ConductorTest::startShowsTheReminderUnlessSwitchedOff()
{
    QFETCH(QVariant, showReminderSetting);
    QFETCH(bool, reminderShown);

    SettingsFolder folder;
    if (showReminderSetting.isValid())
        folder.open()->setValue(QStringLiteral("ShowReminder"), showReminderSetting);
    FakeLibrary library;
    Conductor conductor(library, folder.open());
    conductor.start(QtCvWrapper::instance());

    QCOMPARE(library.initialiseCalls, 1);
    QVERIFY(conductor.mainWidget() != nullptr);
    QVERIFY(conductor.mainWidget()->isHidden());
    QVERIFY(conductor.trayIcon() != nullptr);
    QCOMPARE(conductor.reminder() != nullptr && conductor.reminder()->isVisible(), reminderShown);
}

void ConductorTest::startConnectsTheBridge()
{
    ConductorFixture f;
    f.conductor.start(QtCvWrapper::instance());
    QSignalSpy ready(&f.conductor, &Conductor::deviceReady);
    QSignalSpy port(&f.conductor, &Conductor::gpsPortName);
    emit QtCvWrapper::instance().gpsPortNameChanged(QStringLiteral("/dev/ttyUSB2"));
    emit QtCvWrapper::instance().latitudeChanged(-33.5);
    emit QtCvWrapper::instance().deviceStateChanged(0);
    QCOMPARE(port.size(), 1);
    QCOMPARE(ready.size(), 1);
    QCOMPARE(f.conductor.latitude(), 0.0); // forgotten with the device
}

void ConductorTest::hidingTheWindowReportsItAndStopsReading()
{
    ConductorFixture f;
    f.conductor.start(QtCvWrapper::instance());
    QSignalSpy visibility(&f.conductor, &Conductor::uiVisibilityChanged);

    f.conductor.toggleUi();
    QVERIFY(f.conductor.mainWidget()->isVisible());
    f.conductor.toggleUi();
    QVERIFY(f.conductor.mainWidget()->isHidden());

    QCOMPARE(visibility.size(), 2);
    QCOMPARE(visibility.at(0).at(0).toBool(), true);
    QCOMPARE(visibility.at(1).at(0).toBool(), false);
    QCOMPARE(f.library.gpsModes, (QList<int>{2, 2}));
}

QTEST_MAIN(ConductorTest)
#include "ConductorTest.moc"
