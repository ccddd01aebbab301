#pragma once
// Card detection running on a simulated device tree in a test's own folder, with a clock
// the test moves, and a client callback that records every notification.

#include "nodekin/MakerIds.h"
#include "nodekin/Nodekin.h"
#include "nodekin/NodekinTesting.h"
#include "platform/Clock.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace Nodekin::testing {

struct Notification {
    int reason;
    std::uint32_t state;
    std::uint32_t capabilities;
    std::thread::id thread;
};

// The nodes of one simulated card, written as one description file.
class SimCard {
public:
    SimCard(std::int32_t vendor, std::int32_t product, std::string serial);

    // A child node below the card (or below `parent`, an instance ID).
    SimCard& child(const std::string& fragment, const std::string& deviceClass, const std::string& friendlyName,
                   bool withPort = true, int problem = 0, const std::string& parent = {});
    // The GPS card the virtual card plays by default: modem, application port, GPS ports.
    static SimCard gpsCard(const std::string& serial = "SN0001");

    std::string instanceId() const { return cardId_; }
    // The instance ID and port of the child whose ID carries `fragment`.
    std::string idOf(const std::string& fragment) const;
    std::string portOf(const std::string& fragment) const;
    std::string json() const;

private:
    std::string nextChildId(const std::string& fragment) const;

    struct Node {
        std::string id, parent, deviceClass, friendlyName, port;
        int problem = 0;
    };
    std::string cardId_;
    std::vector<std::string> hardwareIds_;
    std::vector<Node> children_;
    std::vector<Orvanta::testing::PseudoTerminal> ports_;
};

class DetectionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts detection; `settle` shortens the suspension protocol's pauses.
    void start() { startOn(simFolder.path()); }
    // Starts detection on another simulator folder (the virtual card's).
    void startOn(const std::filesystem::path& folder);
    // The card must live while it is plugged: its ports close with it.
    void plug(const std::string& file, const SimCard& card);
    void unplug(const std::string& file);
    void power(const std::string& event);
    void registerRecorder();

    NkCardInfo cardInfo() const;
    // Waits for a notification of `state` with `reason`.
    bool waitFor(NkCardState state, int reason, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The same among the notifications from the `from`th on (an earlier one with the same
    // state and reason, such as a pass that saw the card's description half written, does
    // not count).
    bool waitForFrom(std::size_t from, NkCardState state, int reason,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::vector<Notification> notifications() const;
    void advance(std::chrono::milliseconds time) { clock.advance(time); }

    Orvanta::testing::TestFolder simFolder;
    Orvanta::testing::TestFolder objectFolder;
    Os::ManualClock clock;
    std::chrono::milliseconds settle{20};
};

} // namespace Nodekin::testing
