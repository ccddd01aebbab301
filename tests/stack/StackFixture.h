#pragma once
// The virtual card in a process of its own, and this process as the library's client
// with every card path pointed at that card. Every notice the client receives is kept,
// in order, so that a test can check sequences after waiting for their last step.

#include "ClientSession.h"
#include "tests/platform/PlatformTestSupport.h"
#include "tests/sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::testing {

using namespace std::chrono_literals;

// A notice reduced to what the sequences compare: "library 1", "device 4", "support 1",
// "gps 2", "port /dev/pts/5", "position", "error 3", "pin 1", "enter pin 2",
// "registration 3", "radio 2", "scan 0".
std::string summaryOf(const client::Notice& notice);

class StackTest : public ::testing::Test {
protected:
    // Starts the card with `cardArguments`, then the library as the tray tool does.
    void startStack(const std::vector<std::string>& cardArguments);
    // The two halves of startStack, for a test that looks at the process in between.
    void startCard(const std::vector<std::string>& cardArguments);
    void startLibrary(Corvane::InitMode mode = Corvane::cInitModeGpsOnly);
    void TearDown() override;

    // Takes notices until one satisfies `wanted`; false when none did within `patience`.
    bool waitFor(const std::function<bool(const client::Notice&)>& wanted, std::chrono::milliseconds patience = 20s);
    // Waits for the notice whose summary is `summary`.
    bool waitForSummary(const std::string& summary, std::chrono::milliseconds patience = 20s);
    // The summaries of the notices taken from `first` on.
    std::vector<std::string> summaries(std::size_t first = 0) const;
    // How many notices have been taken.
    std::size_t taken() const { return notices_.size(); }
    const std::vector<client::Notice>& notices() const { return notices_; }

    // Waits until the notices taken from `from` on tell that the card is initialised, has
    // a receiver and named its GPS data port.
    void expectStartUp(std::size_t from = 0);

    Cardsim::testing::CardsimProcess card;
    std::unique_ptr<client::ClientSession> session;

private:
    TestFolder runtimeFolder_;
    std::vector<client::Notice> notices_;
};

// True when `sequence` holds `expected` in order, other entries allowed in between.
bool containsInOrder(const std::vector<std::string>& sequence, const std::vector<std::string>& expected);

} // namespace Orvanta::testing
