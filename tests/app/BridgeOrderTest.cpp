// The middleware calls the bridge from several threads of its own; the shell must see the
// resulting signals on the GUI thread, in the order the middleware raised them.

#include "app/QtCvWrapper.h"
#include "corvane/Keys.h"
#include "tests/app/support/BridgeRecorder.h"
#include "tests/app/support/Records.h"

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

// Raises notification number `n` through one of the bridge's callbacks, carrying n.
void raise(int n)
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

} // namespace

void BridgeOrderTest::signalsArriveOnTheGuiThreadInRaisingOrder_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("perThread");

    QTest::newRow("one middleware thread") << 1 << 400;
    QTest::newRow("four middleware threads") << 4 << 250;
    QTest::newRow("eight middleware threads") << 8 << 100;
}

void BridgeOrderTest::signalsArriveOnTheGuiThreadInRaisingOrder()
{
    QFETCH(int, threads);
    QFETCH(int, perThread);

    BridgeRecorder recorder(QtCvWrapper::instance());
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
