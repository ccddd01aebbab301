#include "corvane/ClientNotifications.h"

#include "corvane/Corvane.h"
#include "corvane/ParameterRecord.h"
#include "corvane/fsm/CorvaneController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Corvane {
namespace {

using namespace std::chrono_literals;

// What the client's callbacks received. Callbacks are plain functions, so the journal is
// global; every test starts it afresh.
struct Received {
    std::string callback;
    Dictionary record;
    std::thread::id thread;
};
std::mutex journalMutex; // guards journal: callbacks run on library threads
std::condition_variable journalChanged;
std::vector<Received> journal;

template <const char* Name>
void recordingCallback(const CvParameters* record)
{
    std::lock_guard lock(journalMutex);
    journal.push_back({Name, record::checked(record)->dictionary, std::this_thread::get_id()});
    journalChanged.notify_all();
}

constexpr char libraryStateName[] = "clientLibraryState";
constexpr char traitErrorName[] = "clientTraitError";
constexpr char updateName[] = "clientUpdate";
constexpr char gpsSupportName[] = "gpsSupport";
constexpr char gpsDataName[] = "gpsData";

int clientContext = 0;
int gpsContext = 0;

class Notifications : public ::testing::Test {
protected:
    void SetUp() override
    {
        journal.clear();
        controller_ = &CorvaneController::instance();
        Dictionary client;
        client.setPointer("clientContext", &clientContext);
        client.setCallback("clientLibraryState", &recordingCallback<libraryStateName>);
        client.setCallback("clientTraitError", &recordingCallback<traitErrorName>);
        client.setCallback("clientUpdate", &recordingCallback<updateName>);
        controller_->traits().install(TraitKind::client, client);
        Dictionary gps;
        gps.setPointer("gpsContext", &gpsContext);
        gps.setCallback("gpsSupport", &recordingCallback<gpsSupportName>);
        gps.setCallback("gpsData", &recordingCallback<gpsDataName>);
        controller_->traits().install(TraitKind::gps, gps);
    }
    void TearDown() override { CorvaneController::destroyInstance(); }

    Dictionary stored() const { return controller_->store().snapshot(); }

    CorvaneController* controller_ = nullptr;
};

struct NotificationCase {
    const char* name;
    std::function<void()> notify;
    const char* callback;   // null: no callback installed for it
    void* context;          // expected under the context key
    const char* contextKey;
    const char* text;       // the record without its context pair
    const char* valueKey;   // in the store after the notification exactly when `stored`
    bool stored;
};

Dictionary without(const Dictionary& record, const char* key)
{
    Dictionary rest;
    for (std::uint32_t i = 0; i < record.count(); ++i) {
        const std::string name(record.keyAt(i));
        if (name != key)
            rest.copyKey(record, name.c_str());
    }
    return rest;
}

class EachNotification : public Notifications, public ::testing::WithParamInterface<NotificationCase> {};

TEST_P(EachNotification, BuildsItsRecordAndStoresWhenMarked)
{
    const NotificationCase& c = GetParam();
    c.notify();

    if (c.callback != nullptr) {
        ASSERT_EQ(journal.size(), 1u);
        const Received& got = journal[0];
        EXPECT_EQ(got.callback, c.callback);
        EXPECT_EQ(got.thread, std::this_thread::get_id()); // on the notifier's own thread
        EXPECT_EQ(got.record.address(c.contextKey), c.context);
        EXPECT_EQ(without(got.record, c.contextKey).toString(), c.text);
    } else {
        EXPECT_TRUE(journal.empty());
    }
    EXPECT_EQ(stored().hasKey(c.valueKey), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EachNotification,
    ::testing::Values(
        NotificationCase{"LibraryState", [] { notifyLibraryState(1); }, libraryStateName, &clientContext,
                         "clientContext", "(dict (libraryState 1))", "libraryState", true},
        NotificationCase{"TraitErrorIsNotStored",
                         [] { notifyTraitError(cErrorPinWrong, buildDictionary("s", "pin", "XXXX")); }, traitErrorName,
                         &clientContext, "clientContext",
                         "(dict (lastError 13) (functionParameters (dict (pin \"XXXX\"))))", "lastError", false},
        NotificationCase{"Update", [] { notifyUpdate(buildDictionary("s", "imei", "3569")); }, updateName,
                         &clientContext, "clientContext", "(dict (imei \"3569\"))", "imei", true},
        NotificationCase{"GpsSupport", [] { notifyGpsSupport(true); }, gpsSupportName, &gpsContext, "gpsContext",
                         "(dict (gpsSupport 1))", "gpsSupport", true},
        NotificationCase{"GpsData", [] { notifyGpsData(buildDictionary("I", "gpsSatInUse", std::int64_t{7})); },
                         gpsDataName, &gpsContext, "gpsContext", "(dict (gpsSatInUse 7))", "gpsSatInUse", true},
        NotificationCase{"EnterPinIsNotStored", [] { notifyEnterPin(buildDictionary("I", "pinCount", std::int64_t{3})); },
                         nullptr, nullptr, "clientContext", "", "pinCount", false},
        NotificationCase{"DeviceStateWithoutACallbackIsStillStored", [] { notifyDeviceState(4); }, nullptr, nullptr,
                         "clientContext", "", "deviceState", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Notifications, GpsSupportCarriesTheClientsContextAndIsRemembered)
{
    notifyGpsSupport(true);
    ASSERT_EQ(journal.size(), 1u);
    const Dictionary& record = journal[0].record;
    EXPECT_EQ(record.address("gpsContext"), &gpsContext);
    EXPECT_EQ(record.integer("gpsSupport"), 1);
    EXPECT_EQ(stored().integer("gpsSupport"), 1);
}

TEST_F(Notifications, TraitErrorLeavesTheStoredLastErrorAlone)
{
    notifyUpdate(buildDictionary("I", "lastError", std::int64_t{cErrorSimMissing}));
    notifyTraitError(cErrorPinWrong, {});
    EXPECT_EQ(stored().integer("lastError"), cErrorSimMissing);
}

TEST_F(Notifications, WithoutACallbackValuesAreStillMerged)
{
    notifyDeviceState(4); // no "clientDeviceState" installed
    notifyGpsState(2);    // no "gpsState" installed
    EXPECT_TRUE(journal.empty());
    const Dictionary store = stored();
    EXPECT_EQ(store.integer("deviceState"), 4);
    EXPECT_EQ(store.integer("deviceId"), currentDeviceId());
    EXPECT_EQ(store.integer("gpsState"), 2);
}

TEST_F(Notifications, GivenValuesComeFirstAndTheContextLast)
{
    notifyGpsData(buildDictionary("I", "gpsSatInUse", std::int64_t{7}));
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].record.keyAt(0), "gpsSatInUse");
    EXPECT_EQ(journal[0].record.keyAt(1), "gpsContext");
}

TEST_F(Notifications, FlightModeAndNetworkScanValues)
{
    notifyFlightMode(true);
    EXPECT_EQ(stored().integer("radioState"), 2);
    notifyFlightMode(false);
    EXPECT_EQ(stored().integer("radioState"), 1);
    notifyNetworkScan(true);
    EXPECT_EQ(stored().integer("networkScanActive"), 1);
    notifyNetworkList(buildDictionary("I", "listCount", std::int64_t{2}));
    EXPECT_EQ(stored().integer("networkScanActive"), 0);
    EXPECT_EQ(stored().dictionary("list").integer("listCount"), 2);
}

TEST_F(Notifications, UpdatesRunOnTheControllersWorkerInPublishingOrder)
{
    for (std::int64_t i = 0; i < 50; ++i)
        controller_->postUpdate(std::make_shared<CvEvent>(sigUpdate, buildDictionary("I", "signalStrength", i)));
    std::unique_lock lock(journalMutex);
    ASSERT_TRUE(journalChanged.wait_for(lock, 10s, [] { return journal.size() == 50; }));
    for (std::int64_t i = 0; i < 50; ++i) {
        EXPECT_EQ(journal[i].callback, updateName);
        EXPECT_EQ(journal[i].record.integer("signalStrength"), i);
        EXPECT_NE(journal[i].thread, std::this_thread::get_id());
    }
}

TEST(NotificationsWithoutLibrary, DoNothing)
{
    ASSERT_EQ(CorvaneController::existing(), nullptr);
    notifyLibraryState(3);
    notifyGpsData(buildDictionary("I", "x", std::int64_t{1}));
    EXPECT_EQ(CorvaneController::existing(), nullptr);
}

} // namespace
} // namespace Corvane
