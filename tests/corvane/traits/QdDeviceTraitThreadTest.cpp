// The device trait's operations that run on threads of their own: what each thread asks
// the backend and publishes.

#include "corvane/traits/QdDeviceTrait.h"

#include "corvane/Keys.h"
#include "corvane/fsm/CorvaneController.h"
#include "tests/corvane/support/SignalRecorder.h"
#include "tests/corvane/traits/QdTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using namespace std::chrono_literals;
using testing::FakeQdBackend;
using testing::SignalLog;

class QdDeviceTraitThreads : public ::testing::Test {
protected:
    // Runs one operation and waits for the thread it started.
    void run(int (QdDeviceTrait::*operation)(Dictionary&), Dictionary parameters = {}, int expected = cNoError)
    {
        EXPECT_EQ((trait.*operation)(parameters), expected);
        ASSERT_TRUE(trait.waitForThreads(10s));
    }

    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    SignalLog log;
    QdConnectionStatistics statistics;
    QdClient client{log, statistics};
    QdDeviceTrait trait{client, log}; // last: its threads end before the rest goes
};

TEST_F(QdDeviceTraitThreads, InitialiseStartsTheBackendOnce)
{
    run(&QdDeviceTrait::initialise);
    EXPECT_EQ(backend.calls(), (std::vector<std::string>{"QdSetCardDetectionLogCallback(sink)", "QdSetCardDetectionLogLevel(1)",
                                                         "QdIsInitialized()", "QdInitialize(null, callbacks)"}));
    EXPECT_EQ(log.signals(), std::vector<Signal>{sigLibInitialised});

    log.clear();
    backend.clearCalls();
    backend.setResult("QdIsInitialized", 1);
    run(&QdDeviceTrait::initialise);
    EXPECT_EQ(backend.calls().back(), "QdIsInitialized()");
    EXPECT_TRUE(log.published().empty());

    backend.setResult("QdIsInitialized", 0);
    backend.setResult("QdInitialize", static_cast<int>(0x84000009));
    run(&QdDeviceTrait::initialise);
    ASSERT_EQ(log.signals(), std::vector<Signal>{sigError});
    EXPECT_EQ(log.published()[0].record.integer(key::lastError), cErrorDeviceNotFound);
}

TEST_F(QdDeviceTraitThreads, AnErrorReportedWhileTheBackendStartsFollowsTheStart)
{
    // The card's port is refused within the backend's first milliseconds: its error
    // reaches the client before the start has returned, and a library still starting
    // takes any error for its own failure.
    backend.duringInitialize = [this] { client.handleError(2, static_cast<int>(0x80070020), 0); };
    run(&QdDeviceTrait::initialise);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigLibInitialised, sigError}));

    // Once started, errors go out as they come.
    log.clear();
    client.handleError(1, static_cast<int>(0x84000002), 0);
    EXPECT_EQ(log.signals(), std::vector<Signal>{sigError});
}

TEST_F(QdDeviceTraitThreads, InitDeviceWorksByTheLibrarysMode)
{
    const std::vector<std::string> full = {"QdSetSmsConcatenationSupport(1)", "QdStartDevice(1000)"};
    const std::vector<std::string> gps = {"QdIsGpsSupported()"};
    struct Row {
        std::optional<int> mode;
        std::vector<std::string> work;
        std::vector<Signal> signals;
    };
    const std::vector<Row> rows = {
        {0, full, {sigDone, sigDone, sigUpdate}},
        {1, full, {sigDone, sigDone, sigUpdate}},
        {2, gps, {sigGpsEnabled, sigDone, sigUpdate}},
        {3, {full[0], full[1], gps[0]}, {sigDone, sigGpsEnabled, sigDone, sigUpdate}},
        {std::nullopt, {full[0], full[1], gps[0]}, {sigDone, sigGpsEnabled, sigDone, sigUpdate}},
        {4, {}, {sigDone, sigUpdate}},
        {-1, {}, {sigDone, sigUpdate}},
    };
    backend.setOutput("QdIsGpsSupported", 1);
    backend.setText("QdGetDeviceName", "Card");
    for (const Row& row : rows) {
        Orvanta::testing::LogCapture capture("corvane.quelder.trait.device");
        Dictionary initial;
        if (row.mode)
            initial.setInteger(key::libraryInitMode, *row.mode);
        CorvaneController::instance().setInitialParameters(initial);
        log.clear();
        backend.clearCalls();

        run(&QdDeviceTrait::initDevice);
        CorvaneController::destroyInstance();

        const std::string name = row.mode ? std::to_string(*row.mode) : "absent";
        std::vector<std::string> work;
        for (const std::string& call : backend.calls()) {
            if (call == full[0] || call == full[1] || call == gps[0])
                work.push_back(call);
        }
        EXPECT_EQ(work, row.work) << name;
        EXPECT_EQ(log.signals(), row.signals) << name;
        EXPECT_STREQ(log.published().back().record.string(key::deviceName), "Card") << name;
        EXPECT_EQ(capture.messages(log4cplus::DEBUG_LOG_LEVEL), std::vector<std::string>{"initDeviceThread()"}) << name;
        const auto errors = capture.messages(log4cplus::ERROR_LOG_LEVEL);
        if (row.mode == -1)
            EXPECT_EQ(errors, std::vector<std::string>{"Unknown initialisation mode: 4294967295"});
        else if (row.mode == 4)
            EXPECT_EQ(errors, std::vector<std::string>{"Unknown initialisation mode: 4"});
        else
            EXPECT_TRUE(errors.empty()) << name;
    }
}

TEST_F(QdDeviceTraitThreads, InitDeviceReportsTheStartButNotTheGpsQuestion)
{
    backend.setResult("QdStartDevice", static_cast<int>(0x84000002));
    backend.setResult("QdIsGpsSupported", static_cast<int>(0x84000007));
    run(&QdDeviceTrait::initDevice); // no controller: mode 3
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigError, sigDone, sigDone, sigUpdate}));
    EXPECT_EQ(log.published()[0].record.integer(key::lastError), cErrorInternalTimeout);
}

TEST_F(QdDeviceTraitThreads, InitGpsAsksTheReceiverAndClosesAgain)
{
    const std::vector<std::string> calls = {"QdInitGps()", "QdGetGpsState()", "QdExitGps()"};
    backend.setOutput("QdGetGpsState", 1);
    run(&QdDeviceTrait::initGps);
    EXPECT_EQ(backend.calls(), calls);
    EXPECT_EQ(log.signals(), std::vector<Signal>{sigActivateGps});

    log.clear();
    backend.clearCalls();
    backend.setOutput("QdGetGpsState", 2);
    backend.setResult("QdInitGps", static_cast<int>(0x84000009));
    run(&QdDeviceTrait::initGps);
    EXPECT_EQ(backend.calls(), calls);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigError, sigDeactivateGps}));
}

// Whether the GPS service is left open: the last open or close that `calls` made.
bool leftOpen(const std::vector<std::string>& calls)
{
    for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
        if (*call == "QdInitGps()")
            return true;
        if (*call == "QdExitGps()")
            return false;
    }
    return false;
}

TEST_F(QdDeviceTraitThreads, ReadingAskedForDuringTheFirstQueryKeepsTheServiceOpen)
{
    // The client may ask to read while the first query's thread is still starting; in
    // whichever order the two meet, the positions must keep coming.
    Dictionary read;
    read.setInteger(key::gpsMode, 4);
    for (int round = 0; round < 25; ++round) {
        backend.clearCalls();
        Dictionary none;
        ASSERT_EQ(trait.initGps(none), cNoError);
        ASSERT_EQ(trait.configureGps(read), cNoError);
        ASSERT_TRUE(trait.waitForThreads(10s));
        EXPECT_TRUE(leftOpen(backend.calls())) << ::testing::PrintToString(backend.calls());
    }

    // A new receiver's first query closes the service again: the old reading is over.
    backend.clearCalls();
    run(&QdDeviceTrait::initGps);
    EXPECT_FALSE(leftOpen(backend.calls())) << ::testing::PrintToString(backend.calls());
}

TEST_F(QdDeviceTraitThreads, InitialisationsOfSimRadioNetworkAndConnection)
{
    run(&QdDeviceTrait::initSim);
    const auto sim = log.signals();
    ASSERT_FALSE(sim.empty());
    EXPECT_EQ(sim.back(), sigUpdate);
    EXPECT_EQ(std::count(sim.begin(), sim.end(), sigDone), 0);

    log.clear();
    run(&QdDeviceTrait::initRadio);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigDone, sigRadioSupport, sigRadioOff, sigUpdate}));

    log.clear();
    backend.setResult("QdInitializeNetwork", static_cast<int>(0x84000009));
    backend.networkInformation = testing::scanEntry(26201, 2, "Telekom.de", "TDG", 2);
    run(&QdDeviceTrait::initNetwork);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigError, sigDone, sigUpdate}));
    EXPECT_EQ(log.published().back().record.integer(key::mccmnc), 26201);

    log.clear();
    run(&QdDeviceTrait::initConnection);
    EXPECT_EQ(log.signals(), std::vector<Signal>{sigDone});
}

TEST_F(QdDeviceTraitThreads, EnterPinPassesAtMostFifteenCharacters)
{
    Dictionary none;
    EXPECT_EQ(trait.enterPin(none), cErrorParameterMissing);

    Dictionary pin;
    pin.setString(key::pin, "12345678901234567890");
    run(&QdDeviceTrait::enterPin, pin);
    pin.setString(key::puk, "abcdefghijklmnopqrst");
    run(&QdDeviceTrait::enterPin, pin);
    EXPECT_EQ(backend.calls(), (std::vector<std::string>{"QdEnterPinCode(\"123456789012345\")",
                                                         "QdEnterPukCode(\"abcdefghijklmno\", \"123456789012345\")"}));
    EXPECT_TRUE(log.published().empty());
}

TEST_F(QdDeviceTraitThreads, EnterPinConvertsItsOwnFailures)
{
    struct Row {
        std::uint32_t backendCode;
        bool withPuk;
        ErrorCode error;
    };
    const Row rows[] = {
        {0x8401000C, false, cErrorPukRequired}, {0x8401000C, true, cErrorPukRequired},
        {0x84010010, false, cErrorPinWrong},    {0x84010010, true, cErrorPukWrong},
        {0x8401000A, false, cErrorUnknown},     {0x84000002, true, cErrorUnknown},
    };
    for (const Row& row : rows) {
        log.clear();
        backend.setResult("QdEnterPinCode", static_cast<int>(row.backendCode));
        backend.setResult("QdEnterPukCode", static_cast<int>(row.backendCode));
        Dictionary parameters;
        parameters.setString(key::pin, "1234");
        if (row.withPuk)
            parameters.setString(key::puk, "87654321");
        run(&QdDeviceTrait::enterPin, parameters);
        const auto published = log.published();
        ASSERT_EQ(published.size(), 1u);
        EXPECT_EQ(published[0].signal, sigError);
        EXPECT_EQ(published[0].record.integer(key::lastError), row.error) << std::hex << row.backendCode;
    }
}

TEST_F(QdDeviceTraitThreads, ScanListsTheNetworksWithKnownNames)
{
    for (const auto& entry : {testing::scanEntry(310410, 1, "cingular", "Cingular", 2),
                              testing::scanEntry(26201, 3, "----", "----", 0),
                              testing::scanEntry(26202, 2, "A very long operator name beyond", "ShortNameTooLongXX", 7)})
        backend.scanList.insert(backend.scanList.end(), entry.begin(), entry.end());
    run(&QdDeviceTrait::scanNetworks);

    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigDeviceBusy, sigDeviceDone, sigScanFinished}));
    const Dictionary result = log.published().back().record;
    ASSERT_EQ(result.integer(key::listCount), 3);
    const Dictionary first = result.arrayItem(key::list, 0);
    EXPECT_EQ(first.integer(key::mccmnc), 310410);
    EXPECT_EQ(first.integer(key::networkState), 1);
    EXPECT_EQ(first.integer(key::networkTechnology), 2);
    EXPECT_STREQ(first.string(key::longNetworkName), "AT&T");
    EXPECT_STREQ(first.string(key::shortNetworkName), "AT&T");
    const Dictionary second = result.arrayItem(key::list, 1);
    EXPECT_STREQ(second.string(key::longNetworkName), "----");
    EXPECT_STREQ(second.string(key::shortNetworkName), "--");
    const Dictionary third = result.arrayItem(key::list, 2);
    EXPECT_STREQ(third.string(key::longNetworkName), "A very long operator name beyond");
    EXPECT_STREQ(third.string(key::shortNetworkName), "ShortNameTooLongXX");
    EXPECT_EQ(third.integer(key::networkTechnology), 7);
    EXPECT_EQ(backend.freed(), std::vector<void*>{backend.scanList.data()});
}

TEST_F(QdDeviceTraitThreads, FailedScanStillFinishes)
{
    backend.setResult("QdScanNetworks", static_cast<int>(0x84000002));
    run(&QdDeviceTrait::scanNetworks);
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigDeviceBusy, sigDeviceDone, sigError, sigScanFinished}));
    EXPECT_EQ(log.published().back().record.integer(key::listCount), 0);
}

TEST_F(QdDeviceTraitThreads, RadioSwitchesOnlyWithoutSmartAntenna)
{
    Dictionary off;
    off.setInteger(key::radioState, 2);
    Dictionary on;
    on.setInteger(key::radioState, 1);
    run(&QdDeviceTrait::setRadioState, off);
    EXPECT_EQ(backend.calls(), (std::vector<std::string>{"QdHasSmartAntenna()", "QdSetPowerUpRadioState(0)"}));
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigDeviceBusy, sigDeviceDone, sigDeviceBusy, sigDeviceDone, sigDone}));
    // The done says what the radio was switched to, so the radio machine knows it from
    // the other workers' ones.
    EXPECT_EQ(log.published().back().record.integer(key::radioState), 2);

    log.clear();
    backend.clearCalls();
    run(&QdDeviceTrait::setRadioState, on);
    EXPECT_EQ(log.published().back().signal, sigDone);
    EXPECT_EQ(log.published().back().record.integer(key::radioState), 1);

    log.clear();
    backend.clearCalls();
    backend.setOutput("QdHasSmartAntenna", 1);
    run(&QdDeviceTrait::setRadioState, on);
    EXPECT_EQ(backend.calls(), std::vector<std::string>{"QdHasSmartAntenna()"});
    EXPECT_EQ(log.signals(), (std::vector<Signal>{sigDeviceBusy, sigDeviceDone}));
}

// A backend whose start takes until the test lets it finish, and which keeps the order
// in which start and shutdown ended.
class SlowStartBackend final : public QdBackend {
public:
    int QdSetCardDetectionLogCallback(NkLogFunction, void*) override { return 0; }
    int QdSetCardDetectionLogLevel(int) override { return 0; }
    int QdIsInitialized() override { return 0; }
    int QdInitialize(void*, QdEventCallback, QdErrorCallback) override
    {
        std::unique_lock lock(mutex_);
        started_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        order_.push_back("initialised");
        return 0;
    }
    int QdShutdown() override
    {
        std::lock_guard lock(mutex_);
        order_.push_back("shut down");
        return 0;
    }
    bool waitUntilStarted()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [this] { return started_; });
    }
    void release()
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<std::string> order()
    {
        std::lock_guard lock(mutex_);
        return order_;
    }

private:
    std::mutex mutex_; // guards everything below: the trait's thread and the test's meet here
    std::condition_variable changed_;
    bool started_ = false;
    bool released_ = false;
    std::vector<std::string> order_;
};

TEST(QdDeviceTraitShutdown, WaitsForAStartUnderWaySoThatTheBackendDoesNotComeUpBehindIt)
{
    SlowStartBackend backend;
    ScopedQdBackend installed{backend};
    SignalLog log;
    QdConnectionStatistics statistics;
    QdClient client{log, statistics};
    QdDeviceTrait trait{client, log};

    Dictionary none;
    ASSERT_EQ(trait.initialise(none), cNoError);
    ASSERT_TRUE(backend.waitUntilStarted());
    auto closing = std::async(std::launch::async, [&] {
        Dictionary parameters;
        return trait.shutdown(parameters);
    });
    backend.release();
    EXPECT_EQ(closing.get(), cNoError);
    EXPECT_EQ(backend.order(), (std::vector<std::string>{"initialised", "shut down"}));
    ASSERT_TRUE(trait.waitForThreads(10s));
}

TEST(QdProcessInstances, TheBackendsCallbacksAndTheTraitReachTheLibrary)
{
    FakeQdBackend backend;
    ScopedQdBackend installed(backend);
    std::vector<CvEventPtr> events;
    char sentence[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07";
    {
        testing::SignalRecorder recorder(CorvaneController::instance().hub(), {sigReadGps, sigGpsUpdate, sigError});
        Dictionary read;
        read.setInteger(key::gpsMode, 4);
        EXPECT_EQ(QdDeviceTrait::instance().configureGps(read), cNoError);
        QdClient::eventCallback(QdEventGpsData, sentence);
        QdClient::errorCallback(1, static_cast<int>(0x84000002), 0);
        // The hub delivers on the publisher's thread: everything is there already.
        events = recorder.events();
    }
    CorvaneController::destroyInstance();

    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0]->sig, sigReadGps); // the receiver switched on
    EXPECT_EQ(events[1]->sig, sigGpsUpdate); // the sentence as received
    EXPECT_STREQ(events[1]->parameters.string(key::gpsSentence), sentence);
    EXPECT_EQ(events[2]->sig, sigReadGps); // the sentence has a fix
    EXPECT_EQ(events[3]->sig, sigGpsUpdate);
    EXPECT_EQ(events[4]->sig, sigError);
    EXPECT_EQ(events[4]->parameters.integer(key::lastError), cErrorInternalTimeout);
}

} // namespace
} // namespace Corvane
