#pragma once
// The backend in this process, as the library's one instance, against orvanta-cardsim in
// a process of its own: detection looks at the card's simulated tree, and every backend
// line and client event is kept for the test.

#include "tests/quelder/backend/BackendTestSupport.h"
#include "tests/quelder/support/BackendLog.h"
#include "tests/sim/SimTestSupport.h"

#include "platform/SimDeviceTree.h"
#include "quelder/Quelder.h"
#include "quelder/QuelderTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Orvanta::testing {

inline constexpr const char* kSerial = "SN4711";

class CardsimBackend : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(card.start(CardArguments()));
        StartLibrary();
    }
    void StartLibrary()
    {
        Os::Result<std::unique_ptr<Os::SimDeviceTree>> tree = Os::SimDeviceTree::open(card.simDir());
        ASSERT_TRUE(tree.ok()) << tree.error();
        Nodekin::DetectionEnvironment environment;
        environment.tree = std::move(tree).value();
        environment.clock = &detectionClock;
        environment.namedObjectFolder = objects.path();
        environment.settle = std::chrono::milliseconds(20);
        ASSERT_EQ(Quelder::testing::initializeWith(std::move(environment), &ClientRecorder::OnEvent,
                                                   &ClientRecorder::OnError),
                  0);
    }
    void TearDown() override { EXPECT_EQ(QdShutdown(), 0); }

    virtual std::vector<std::string> CardArguments() const { return {"--serial", kSerial}; }

    bool WaitForState(int state)
    {
        return client.WaitFor([state](const auto& events) {
            return !events.empty() && events.back().id == QdEventDeviceState && events.back().deviceState == state;
        });
    }

    void StartDevice()
    {
        ASSERT_TRUE(WaitForState(QdDeviceFound));
        ASSERT_EQ(QdStartDevice(0), 0);
    }

    // The commands the backend wrote, in order, from `first` on.
    std::vector<std::string> CommandsWritten(std::size_t first = 0) const
    {
        const std::string prefix = "Qd: Modem write: [";
        std::vector<std::string> commands;
        for (const std::string& message : log.Messages())
            if (message.rfind(prefix, 0) == 0)
                commands.push_back(message.substr(prefix.size(), message.size() - prefix.size() - 1));
        return {commands.begin() + static_cast<std::ptrdiff_t>(std::min(first, commands.size())), commands.end()};
    }

    BackendLog log;
    ClientRecorder client{true};
    Os::ManualClock detectionClock;
    TestFolder objects;
    Cardsim::testing::CardsimProcess card;
};

} // namespace Orvanta::testing
