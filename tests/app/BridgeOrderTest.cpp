// The middleware calls the bridge from several threads of its own; the shell must see the
// resulting signals on the GUI thread, in the order the middleware raised them.

#include "app/QtCvWrapper.h"
#include "corvane/ClientNotifications.h"
#include "corvane/Keys.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/traits/DeviceTrait.h"
#include "corvane/types/Dictionary.h"
#include "tests/app/support/BridgeRecorder.h"
#include "tests/app/support/Records.h"

#include <QScopeGuard>
#include <QTest>

#include <mutex>
#include <thread>
#include <vector>

using namespace Orvanta;
using namespace Orvanta::testing;

class BridgeOrderTest : public QObject {
    Q_OBJECT

private slots:
    void signalsArriveOnTheGuiThreadInRaisingOrder_data();
    void signalsArriveOnTheGuiThreadInRaisingOrder();
};

namespace {

// Raises notification number `n`, carrying n, straight through one of the bridge's
// callbacks, as a middleware thread calls them.
void raiseThroughCallbacks(int n)
{
    switch (n % 5) {
    case 0:
        QtCvWrapper::libraryStateCallback(withInteger(newRecord(), Corvane::key::libraryState, n).get());
        break;
    case 1:
        QtCvWrapper::deviceStateCallback(withInteger(newRecord(), Corvane::key::deviceState, n).get());
        break;
    case 2:
        QtCvWrapper::gpsStateCallback(withInteger(newRecord(), Corvane::key::gpsState, n).get());
        break;
    case 3:
        QtCvWrapper::gpsDataCallback(withDouble(newRecord(), Corvane::key::gpsLatitude, n).get());
        break;
    default:
        QtCvWrapper::updateCallback(
            withString(newRecord(), Corvane::key::gpsDataPort, QByteArray::number(n).constData()).get());
        break;
    }
}

// Raises notification number `n` the way the state machines do, through the library the
// bridge registered with: the record is built, stored and handed to the client's table.
// Only notifications the library does not raise on its own while idle, so that every
// signal that arrives is one of the test's.
void raiseThroughLibrary(int n)
{
    Corvane::Dictionary values;
    switch (n % 3) {
    case 0:
        Corvane::notifyGpsState(n);
        break;
    case 1:
        values.setDouble(Corvane::key::gpsLatitude, n);
        Corvane::notifyGpsData(values);
        break;
    default:
        values.setString(Corvane::key::gpsDataPort, QByteArray::number(n).constData());
        Corvane::notifyUpdate(values);
        break;
    }
}

} // namespace

void BridgeOrderTest::signalsArriveOnTheGuiThreadInRaisingOrder_data()
{
    QTest::addColumn<bool>("throughLibrary");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("perThread");

    QTest::newRow("callbacks, one thread") << false << 1 << 400;
    QTest::newRow("callbacks, four threads") << false << 4 << 250;
    QTest::newRow("callbacks, eight threads") << false << 8 << 100;
    QTest::newRow("library notifications, one thread") << true << 1 << 300;
    QTest::newRow("library notifications, four threads") << true << 4 << 150;
}

void BridgeOrderTest::signalsArriveOnTheGuiThreadInRaisingOrder()
{
    QFETCH(bool, throughLibrary);
    QFETCH(int, threads);
    QFETCH(int, perThread);

    QtCvWrapper& bridge = QtCvWrapper::instance();
    if (throughLibrary) {
        // Only the notifications raised here may arrive: the library runs without a
        // backend, so no card state of its own comes in between.
        static Corvane::DeviceTrait noBackend;
        Corvane::CorvaneController::instance().setDeviceTrait(noBackend);
        QVERIFY(bridge.initialise());
    }
    const auto closeLibrary = qScopeGuard([&] { bridge.shutdown(); });
    BridgeRecorder recorder(bridge);
    const auto raise = throughLibrary ? &raiseThroughLibrary : &raiseThroughCallbacks;
    // The raising order is the order in which threads take `turn`; the number each
    // notification carries records it.
    std::mutex turn; // guards next
    int next = 0;
    std::vector<std::thread> middleware;
    for (int t = 0; t < threads; ++t)
        middleware.emplace_back([&] {
            for (int i = 0; i < perThread; ++i) {
                std::lock_guard lock(turn);
                raise(next++);
            }
        });
    for (std::thread& thread : middleware)
        thread.join();

    const int total = threads * perThread;
    QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), total, 10000);
    for (int n = 0; n < total; ++n) {
        const BridgeSignal& s = recorder.received.at(n);
        QCOMPARE(s.thread, QThread::currentThread());
        QCOMPARE(s.value.toString(), QString::number(n));
    }
}

QTEST_GUILESS_MAIN(BridgeOrderTest)
#include "BridgeOrderTest.moc"
