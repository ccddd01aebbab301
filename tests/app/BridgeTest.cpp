// The bridge between the shell and the middleware: records in Qt terms, the callbacks
// that become signals, and starting the library once.

#include "app/DictionaryAccessor.h"
#include "app/DictionaryInstance.h"
#include "app/LibraryCloser.h"
#include "app/QtCvWrapper.h"
#include "corvane/Corvane.h"
#include "tests/app/support/BridgeRecorder.h"
#include "tests/app/support/Records.h"

#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

void notRegisteredAnywhere(const Corvane::CvParameters*) {}

// "i:key=1;d:key=2.5;s:key=text" as a middleware record.
Record recordFrom(const QString& items)
{
    Record record = newRecord();
    for (const QString& item : items.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString type = item.section(QLatin1Char(':'), 0, 0);
        const QByteArray key = item.section(QLatin1Char(':'), 1).section(QLatin1Char('='), 0, 0).toLatin1();
        const QString value = item.section(QLatin1Char('='), 1);
        if (type == QLatin1String("i"))
            record = withInteger(std::move(record), key.constData(), value.toLongLong());
        else if (type == QLatin1String("d"))
            record = withDouble(std::move(record), key.constData(), value.toDouble());
        else
            record = withString(std::move(record), key.constData(), value.toUtf8().constData());
    }
    return record;
}

using Callback = void (*)(const Corvane::CvParameters*);

Callback callbackNamed(const QString& name)
{
    if (name == QLatin1String("libraryState"))
        return &QtCvWrapper::libraryStateCallback;
    if (name == QLatin1String("deviceState"))
        return &QtCvWrapper::deviceStateCallback;
    if (name == QLatin1String("update"))
        return &QtCvWrapper::updateCallback;
    if (name == QLatin1String("gpsSupport"))
        return &QtCvWrapper::gpsSupportCallback;
    if (name == QLatin1String("gpsState"))
        return &QtCvWrapper::gpsStateCallback;
    return &QtCvWrapper::gpsDataCallback;
}

} // namespace

class BridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QtCvWrapper::instance(); } // fills the callback registry

    void setValueReadsBackByKind_data();
    void setValueReadsBackByKind();
    void nestedRecordsOnlyUnderDictionaryKeys();
    void registerCallbackKnowsOnlyTheBridgesCallbacks_data();
    void registerCallbackKnowsOnlyTheBridgesCallbacks();
    void registerContextStoresTheAddress();
    void accessorOfNoRecordAnswersNothing();
    void textFormListsEveryKey_data();
    void textFormListsEveryKey();
    void callbacksBecomeSignals_data();
    void callbacksBecomeSignals();
    void initialiseStartsTheLibraryOnce();
    void shutdownReportsClosedAndAllowsAFreshStart();
    void aCloseOnTheClosingThreadReportsFirstAndRunsOnce_data();
    void aCloseOnTheClosingThreadReportsFirstAndRunsOnce();
};

void BridgeTest::setValueReadsBackByKind_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QVariant>("readBack");

    QTest::newRow("integer") << "gpsState" << QVariant(3) << true << QVariant(qlonglong(3));
    QTest::newRow("integer of an enumeration") << "deviceState" << QVariant(4) << true << QVariant(qlonglong(4));
    QTest::newRow("text") << "gpsDataPort" << QVariant(QStringLiteral("/dev/ttyUSB2")) << true
                          << QVariant(QStringLiteral("/dev/ttyUSB2"));
    QTest::newRow("text beyond ASCII") << "deviceName" << QVariant(QStringLiteral("Karte \u00e9\u00df"))
                                       << true << QVariant(QStringLiteral("Karte \u00e9\u00df"));
    QTest::newRow("double") << "gpsLatitude" << QVariant(12.5) << true << QVariant(12.5);
    QTest::newRow("pointer as lower-case hex") << "clientContext"
                                               << QVariant::fromValue(reinterpret_cast<void*>(quintptr(0x1a2b)))
                                               << true << QVariant(QStringLiteral("1a2b"));
    QTest::newRow("callback") << "clientUpdate"
                              << QVariant::fromValue<Corvane::ParameterCallback>(&QtCvWrapper::updateCallback)
                              << true << QVariant(QStringLiteral("(TODO: Retreive Foo Pointer)"));
    QTest::newRow("invalid value") << "gpsState" << QVariant() << false << QVariant();
    QTest::newRow("unknown key") << "noSuchKey" << QVariant(1) << false << QVariant();
    QTest::newRow("key the bridge does not handle") << "networkList" << QVariant(1) << false << QVariant();
    QTest::newRow("plain value under a dictionary key") << "clientTrait" << QVariant(1) << false
                                                        << QVariant(QStringLiteral("(TODO: Retreive Dictionary)"));
}

void BridgeTest::setValueReadsBackByKind()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(bool, stored);
    QFETCH(QVariant, readBack);

    DictionaryInstance record;
    QCOMPARE(record.setValue(key, value), stored);
    QCOMPARE(record.value(key), readBack);
    QCOMPARE(DictionaryAccessor(record.dictionary()).keys().size(), stored ? 1 : 0);
}

void BridgeTest::nestedRecordsOnlyUnderDictionaryKeys()
{
    DictionaryInstance inner;
    QVERIFY(inner.setValue(QStringLiteral("gpsState"), 2));
    DictionaryInstance outer;
    QVERIFY(!outer.setValue(QStringLiteral("gpsState"), inner));
    QVERIFY(outer.setValue(QStringLiteral("gpsTrait"), inner));
    QCOMPARE(DictionaryAccessor(outer.dictionary()).keys(), QStringList{QStringLiteral("gpsTrait")});
}

void BridgeTest::registerCallbackKnowsOnlyTheBridgesCallbacks_data()
{
    QTest::addColumn<QString>("callback");
    QTest::addColumn<QString>("key");

    QTest::newRow("library state") << "libraryState" << "clientLibraryState";
    QTest::newRow("device state") << "deviceState" << "clientDeviceState";
    QTest::newRow("update") << "update" << "clientUpdate";
    QTest::newRow("GPS support") << "gpsSupport" << "gpsSupport";
    QTest::newRow("GPS state") << "gpsState" << "gpsState";
    QTest::newRow("GPS data") << "gpsData" << "gpsData";
}

void BridgeTest::registerCallbackKnowsOnlyTheBridgesCallbacks()
{
    QFETCH(QString, callback);
    QFETCH(QString, key);

    DictionaryInstance record;
    QVERIFY(!record.registerCallback(&notRegisteredAnywhere));
    QVERIFY(DictionaryAccessor(record.dictionary()).keys().isEmpty());
    QVERIFY(record.registerCallback(callbackNamed(callback)));
    QCOMPARE(DictionaryAccessor(record.dictionary()).keys(), QStringList{key});
    void* stored = nullptr;
    QCOMPARE(Corvane::getPointer(record.dictionary(), key.toLatin1().constData(), &stored), Corvane::cNoError);
    QCOMPARE(stored, reinterpret_cast<void*>(callbackNamed(callback)));
}

void BridgeTest::registerContextStoresTheAddress()
{
    int context = 0;
    DictionaryInstance record;
    QVERIFY(record.registerContext(&context));
    QCOMPARE(record.value(QStringLiteral("clientContext")).toString(),
             QString::number(reinterpret_cast<quintptr>(&context), 16));
}

void BridgeTest::accessorOfNoRecordAnswersNothing()
{
    const DictionaryAccessor accessor(nullptr);
    QVERIFY(!accessor.value(QStringLiteral("gpsState")).isValid());
    QVERIFY(accessor.keys().isEmpty());
    QCOMPARE(accessor.toString(), QStringLiteral("create dict\n"));
}

void BridgeTest::textFormListsEveryKey_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty record") << "" << "create dict\n";
    QTest::newRow("one integer") << "i:gpsState=3" << "create dict\nset gpsState Mw==\n";
    QTest::newRow("text and double") << "s:gpsDataPort=/dev/ttyUSB2;d:gpsLatitude=-33.5"
                                     << "create dict\nset gpsDataPort L2Rldi90dHlVU0Iy\nset gpsLatitude LTMzLjU=\n";
    QTest::newRow("key the bridge does not type") << "i:noSuchKey=1" << "create dict\nset noSuchKey \n";
}

void BridgeTest::textFormListsEveryKey()
{
    QFETCH(QString, record);
    QFETCH(QString, text);
    const Record built = recordFrom(record);
    QCOMPARE(DictionaryAccessor(built.get()).toString(), text);
}

void BridgeTest::callbacksBecomeSignals_data()
{
    QTest::addColumn<QString>("callback");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("library state") << "libraryState" << "i:libraryState=1" << QStringList{"libraryStateChanged(1)"};
    QTest::newRow("device state") << "deviceState" << "i:deviceState=4" << QStringList{"deviceStateChanged(4)"};
    QTest::newRow("update with the GPS data port")
        << "update" << "s:deviceModel=X;s:gpsDataPort=/dev/ttyUSB2" << QStringList{"gpsPortNameChanged(/dev/ttyUSB2)"};
    QTest::newRow("update without a port") << "update" << "s:deviceModel=X" << QStringList{};
    QTest::newRow("GPS supported") << "gpsSupport" << "i:gpsSupport=1" << QStringList{"gpsSupportedChanged(true)"};
    QTest::newRow("GPS not supported") << "gpsSupport" << "i:gpsSupport=0" << QStringList{"gpsSupportedChanged(false)"};
    QTest::newRow("GPS state") << "gpsState" << "i:gpsState=3" << QStringList{"gpsStateChanged(3)"};
    QTest::newRow("position: latitude first")
        << "gpsData" << "d:gpsLongitude=151.25;i:gpsAltitude=30;d:gpsLatitude=-33.5"
        << QStringList{"latitudeChanged(-33.5)", "longitudeChanged(151.25)"};
    QTest::newRow("longitude only") << "gpsData" << "d:gpsLongitude=151.25" << QStringList{"longitudeChanged(151.25)"};
    QTest::newRow("record without the key") << "libraryState" << "i:deviceState=1" << QStringList{};
    QTest::newRow("empty GPS data") << "gpsData" << "" << QStringList{};
    // What the library adds for clients that pass positions on changes nothing here.
    QTest::newRow("sentence as received")
        << "gpsData" << "s:gpsSentence=$GPGGA,074213.00,4807.03652,N,01131.00519,E,1,09,1.11,521.5,M,47.4,M,,*55"
        << QStringList{};
    QTest::newRow("position with its extension")
        << "gpsData" << "d:gpsLatitude=-33.5;d:gpsLongitude=151.25;i:gpsTime=27733000;s:gpsQuality=1;i:gpsFixValid=1"
        << QStringList{"latitudeChanged(-33.5)", "longitudeChanged(151.25)"};
    QTest::newRow("fix type and dilutions") << "gpsData" << "s:gpsType=3;s:gpsHdop=1.11;s:gpsPdop=1.96"
                                            << QStringList{};
}

void BridgeTest::callbacksBecomeSignals()
{
    QFETCH(QString, callback);
    QFETCH(QString, record);
    QFETCH(QStringList, expected);

    BridgeRecorder recorder(QtCvWrapper::instance());
    const Record built = recordFrom(record);
    callbackNamed(callback)(built.get());
    QCOMPARE(recorder.lines(), expected);
}

void BridgeTest::initialiseStartsTheLibraryOnce()
{
    QtCvWrapper& bridge = QtCvWrapper::instance();
    BridgeRecorder recorder(bridge);
    QVERIFY(bridge.initialise());
    // Raised inside the call, on this thread: delivered before it returns.
    QCOMPARE(recorder.lines(), (QStringList{"libraryStateChanged(0)", "deviceStateChanged(0)"}));

    // Closed behind the bridge's back: a second initialise must neither register nor start.
    Corvane::closeLibrary();
    recorder.received.clear();
    QVERIFY(bridge.initialise());
    QVERIFY(recorder.received.isEmpty());
    bridge.shutdown();
}

void BridgeTest::shutdownReportsClosedAndAllowsAFreshStart()
{
    QtCvWrapper& bridge = QtCvWrapper::instance();
    BridgeRecorder recorder(bridge);
    QVERIFY(bridge.initialise());
    bridge.shutdown();
    QCOMPARE(recorder.lines().last(), QStringLiteral("libraryStateChanged(3)"));

    recorder.received.clear();
    bridge.shutdown(); // a second quit does not close again
    QVERIFY(recorder.received.isEmpty());

    QVERIFY(bridge.initialise());
    QCOMPARE(recorder.lines(), (QStringList{"libraryStateChanged(0)", "deviceStateChanged(0)"}));
    bridge.shutdown();
}

void BridgeTest::aCloseOnTheClosingThreadReportsFirstAndRunsOnce_data()
{
    QTest::addColumn<bool>("mainClosesToo");
    QTest::newRow("Quit alone") << false;
    QTest::newRow("main() closes as well after the loop") << true;
}

void BridgeTest::aCloseOnTheClosingThreadReportsFirstAndRunsOnce()
{
    QFETCH(bool, mainClosesToo);
    QtCvWrapper& bridge = QtCvWrapper::instance();
    QVERIFY(bridge.initialise());
    BridgeRecorder recorder(bridge);
    LibraryCloser closer(bridge);
    bool closed = false;
    QStringList reportedWhenClosed;
    connect(&closer, &LibraryCloser::closed, this, [&] {
        closed = true;
        reportedWhenClosed = recorder.lines();
    });

    closer.start();
    if (mainClosesToo)
        bridge.shutdown(); // waits for the close under way, or closes first: once either way
    QVERIFY(QTest::qWaitFor([&] { return closed; }, 30000));

    // What the library reported on its way down reached the GUI thread before "closed".
    QCOMPARE(reportedWhenClosed.count(QStringLiteral("libraryStateChanged(3)")), 1);
    QCOMPARE(recorder.lines().count(QStringLiteral("libraryStateChanged(3)")), 1);
    bridge.shutdown(); // nothing left to close
    QCOMPARE(recorder.lines().count(QStringLiteral("libraryStateChanged(3)")), 1);
}

QTEST_GUILESS_MAIN(BridgeTest)
#include "BridgeTest.moc"
