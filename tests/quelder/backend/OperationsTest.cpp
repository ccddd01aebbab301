// Which card operations the serial platform does not carry yet. The list below is the
// gap that later work closes; an operation that starts to work, or stops, shows here.

#include "tests/quelder/backend/BackendTestSupport.h"
#include "tests/quelder/support/BackendLog.h"

#include "quelder/QdOperations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Orvanta::testing {
namespace {

// Calls an operation with zeros and nulls for its arguments.
template <class... Arguments>
int Probe(GSM::Platform& platform, int (GSM::Platform::*operation)(Arguments...))
{
    return (platform.*operation)(Arguments{}...);
}

struct Operation {
    int slot;
    const char* name;
    int (*probe)(GSM::Platform&);
};

#define QD_PROBE_ROW(slot, name, parameters, arguments) \
    {slot, #name, [](GSM::Platform& platform) { return Probe(platform, &GSM::Platform::name); }},
const Operation kOperations[] = {QD_OPERATIONS(QD_PROBE_ROW)};
#undef QD_PROBE_ROW

const std::set<std::string> kNotBuiltYet = {
    "QdInitializeDataCall",
    "QdGetPdpContext",
    "QdSetPdpContext",
};

// Stopping a service that does not run needs no card.
const std::set<std::string> kAnswerWithoutCard = {"QdExitGps"};

TEST(Operations, TableHoldsEverySlotOnceInOrder)
{
    ASSERT_EQ(std::size(kOperations) + 2, 91u); // with Init and Exit
    std::set<int> slots;
    for (const Operation& operation : kOperations)
        EXPECT_TRUE(slots.insert(operation.slot).second) << operation.name;
    EXPECT_EQ(*slots.begin(), 2);
    EXPECT_EQ(*slots.rbegin(), 90);
}

TEST(Operations, SerialPlatformAnswersNotSupportedForExactlyTheOperationsNotBuiltYet)
{
    BackendLog log;
    Os::ManualClock clock;
    FakeHost host;
    RecordingWork work;
    GSM::Device device{host};
    GSM::Communicator communicator{work, clock};
    host.queue = &communicator;

    std::set<std::string> notSupported;
    for (const Operation& operation : kOperations) {
        const int rc = operation.probe(device.CurrentPlatform());
        if (rc == kQdNotSupported)
            notSupported.insert(operation.name);
        else if (kAnswerWithoutCard.contains(operation.name))
            EXPECT_EQ(rc, kQdSuccess) << operation.name;
        else // no card: the operations that are built refuse to run
            EXPECT_EQ(rc, kQdNoDevice) << operation.name;
    }
    EXPECT_EQ(notSupported, kNotBuiltYet);
}

TEST(Operations, MobileBroadbandPlatformCarriesNothingYet)
{
    GSM::MbPlatform platform;
    for (const Operation& operation : kOperations)
        EXPECT_EQ(operation.probe(platform), kQdNotSupported) << operation.name;
    EXPECT_EQ(platform.Init(), kQdNotSupported);
}

} // namespace
} // namespace Orvanta::testing
