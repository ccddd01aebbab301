// A scan as the client asks for it: the network machine on its thread, the backend's
// trait scanning on another, the list coming back with the scan's end.

#include "corvane/Keys.h"
#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/NetworkFSM.h"
#include "corvane/fsm/Publish.h"
#include "corvane/traits/QdDeviceTrait.h"
#include "corvane/TraitTables.h"
#include "tests/corvane/support/ClientJournal.h"
#include "tests/corvane/traits/QdTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace Corvane {
namespace {

using namespace std::chrono_literals;
using testing::ClientJournal;
using testing::FakeQdBackend;

class NetworkScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = &CorvaneController::instance();
        controller->setDeviceTrait(trait);
        controller->traits().install(TraitKind::client, ClientJournal::clientTrait(&clientContext));
    }
    void TearDown() override
    {
        network.reset();
        backend.release(); // a failed test must not leave the scan hanging
        EXPECT_TRUE(trait.waitForThreads(10s));
        CorvaneController::destroyInstance();
    }

    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    ClientJournal journal;
    QdConnectionStatistics statistics;
    QdClient client{SignalPublisher::middleware(), statistics};
    QdDeviceTrait trait{client, SignalPublisher::middleware()};
    CorvaneController* controller = nullptr;
    int clientContext = 0;
    ActiveObjectPtr<NetworkFSM> network;
};

TEST_F(NetworkScan, ASecondRequestDuringTheScanGetsTheSameOneList)
{
    for (const auto& entry : {testing::scanEntry(26201, 2, "Telekom.de", "TDG", 2),
                              testing::scanEntry(310410, 1, "Cingular", "Cingular", 1)})
        backend.scanList.insert(backend.scanList.end(), entry.begin(), entry.end());
    backend.hang("QdScanNetworks");
    network = makeActiveObject<NetworkFSM>(controller->hub(), *controller);
    network->subscribe();
    network->start();

    publish(sigScan);
    ASSERT_TRUE(backend.waitUntilHanging());
    publish(sigScan);
    // Handled after the second request: once the client hears of it, the request is in.
    publish(sigSearch);
    ASSERT_TRUE(journal.waitForInOrder({"scan 1", "registration 1"}));
    backend.release();
    ASSERT_TRUE(journal.waitForInOrder({"scan 1", "networks"}));
    ASSERT_TRUE(trait.waitForThreads(10s));

    const std::vector<std::string> seen = journal.summary();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "scan 1"), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "networks"), 1);
    const std::vector<std::string> calls = backend.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "QdScanNetworks()"), 1);

    Dictionary list;
    for (const auto& entry : journal.entries())
        if (entry.what == key::clientNetworkScan && entry.record.hasKey(key::list))
            list = entry.record.dictionary(key::list);
    ASSERT_EQ(list.integer(key::listCount), 2);
    EXPECT_STREQ(list.arrayItem(key::list, 0).string(key::shortNetworkName), "TDG");
    EXPECT_STREQ(list.arrayItem(key::list, 1).string(key::longNetworkName), "AT&T");
}

} // namespace
} // namespace Corvane
