#include "corvane/fsm/PinPukFSM.h"

#include "corvane/Keys.h"
#include "tests/corvane/support/LibraryFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Summary = std::vector<std::string>;

// What the backend's PIN request carries, with a code as the client's commands would.
Dictionary pinRequest(std::int64_t pinCount)
{
    Dictionary request = buildDictionary("III", key::pinKind, std::int64_t{2}, key::pinCount, pinCount, key::pukCount,
                                         std::int64_t{10});
    request.setString(key::pin, "4711");
    return request;
}

class PinPukMachine : public LibraryFixture {};

const std::vector<Signal> pinToEntry{sigNeedPin};
const std::vector<Signal> pinToCheck{sigNeedPin, sigEnter};
const std::vector<Signal> pinToMissing{sigNeedPin, sigCancel};
const std::vector<Signal> pinToSimBlocked{sigNeedPin, sigEnter, sigSimBlocked};

struct PinPukCase {
    const char* name;
    std::vector<Signal> path; // from "idle"
    Signal signal;
    Summary seen;
    const char* end;
};

class PinPukTransitions : public PinPukMachine, public ::testing::WithParamInterface<PinPukCase> {};

TEST_P(PinPukTransitions, ClientAndTraitSeeExactlyThis)
{
    const PinPukCase& c = GetParam();
    PinPukFSM pinPuk(*controller);
    pinPuk.init();
    for (Signal s : c.path)
        send(pinPuk, s, pinRequest(3));
    journal.clear();

    send(pinPuk, c.signal, pinRequest(2));
    EXPECT_EQ(journal.summary(), c.seen);
    EXPECT_EQ(pinPuk.currentStateName(), std::string("PinPukFSM::") + c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PinPukTransitions,
    ::testing::Values(
        PinPukCase{"CardAsksForThePin", {}, sigNeedPin, {"pin 3", "enterPin"}, "pinEntry"},
        PinPukCase{"ChangePinWhileIdle", {}, sigChangePin, {"trait:changePin"}, "idle"},
        PinPukCase{"PinRequestOnOffWhileIdle", {}, sigActivatePin, {"trait:setPinMode"}, "idle"},
        PinPukCase{"PinNobodyAskedForIsDropped", {}, sigEnter, {}, "idle"},
        PinPukCase{"AcceptWithoutRequestSaysNothing", {}, sigAccept, {}, "idle"},
        PinPukCase{"CancelWhileIdleIsDropped", {}, sigCancel, {}, "idle"},
        PinPukCase{"SimBlockedWhileIdleIsDropped", {}, sigSimBlocked, {}, "idle"},
        PinPukCase{"EnteredPinGoesToTheCard", pinToEntry, sigEnter, {"pin 0", "trait:enterPin"}, "pinCheck"},
        PinPukCase{"CancelledEntryLeavesThePinMissing", pinToEntry, sigCancel, {"pin 3"}, "pinMissing"},
        PinPukCase{"SecondRequestDuringEntryIsDropped", pinToEntry, sigNeedPin, {}, "pinEntry"},
        PinPukCase{"ChangePinDuringEntryIsDropped", pinToEntry, sigChangePin, {}, "pinEntry"},
        PinPukCase{"PinRequestOnOffDuringEntryIsDropped", pinToEntry, sigActivatePin, {}, "pinEntry"},
        PinPukCase{"AcceptDuringEntryIsDropped", pinToEntry, sigAccept, {}, "pinEntry"},
        PinPukCase{"MissingPinAskedForAgain", pinToMissing, sigNeedPin, {"enterPin"}, "pinEntry"},
        PinPukCase{"PinWhileMissingIsDropped", pinToMissing, sigEnter, {}, "pinMissing"},
        PinPukCase{"ChangePinWhileMissingIsDropped", pinToMissing, sigChangePin, {}, "pinMissing"},
        PinPukCase{"PinAccepted", pinToCheck, sigAccept, {"pin 1", "trait:readSimInfo"}, "idle"},
        PinPukCase{"PinRejectedAsksAgain", pinToCheck, sigNeedPin, {"pin 2", "enterPin"}, "pinEntry"},
        PinPukCase{"SimBlockedAfterTheCheck", pinToCheck, sigSimBlocked, {"pin 4"}, "simBlocked"},
        PinPukCase{"SecondPinDuringTheCheckIsDropped", pinToCheck, sigEnter, {}, "pinCheck"},
        PinPukCase{"ChangePinDuringTheCheckIsDropped", pinToCheck, sigChangePin, {}, "pinCheck"},
        PinPukCase{"PinRequestOnOffDuringTheCheckIsDropped", pinToCheck, sigActivatePin, {}, "pinCheck"},
        PinPukCase{"BlockedSimIgnoresRequests", pinToSimBlocked, sigNeedPin, {}, "simBlocked"},
        PinPukCase{"BlockedSimIgnoresCodes", pinToSimBlocked, sigEnter, {}, "simBlocked"},
        PinPukCase{"BlockedSimIgnoresAccept", pinToSimBlocked, sigAccept, {}, "simBlocked"},
        PinPukCase{"BlockedSimIgnoresChangePin", pinToSimBlocked, sigChangePin, {}, "simBlocked"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PinPukMachine, TheClientKeepsTheCountersOfTheFirstRequest)
{
    PinPukFSM pinPuk(*controller);
    pinPuk.init();
    send(pinPuk, sigNeedPin, pinRequest(3));
    send(pinPuk, sigNeedPin, pinRequest(2));

    std::vector<std::int64_t> counts;
    for (const JournalEntry& entry : journal.entries())
        if (entry.what == key::clientEnterPin) {
            counts.push_back(entry.record.integer(key::pinCount));
            EXPECT_EQ(entry.record.integer(key::pukCount), 10);
            EXPECT_EQ(entry.record.integer(key::pinKind), 2);
            EXPECT_EQ(entry.record.address(key::clientContext), &clientContext);
        }
    EXPECT_EQ(counts, std::vector<std::int64_t>{3});
}

TEST_F(PinPukMachine, TheCodesTheClientEnteredReachTheTraitUnchanged)
{
    PinPukFSM pinPuk(*controller);
    pinPuk.init();
    send(pinPuk, sigNeedPin, pinRequest(0));
    journal.clear();
    Dictionary codes;
    codes.setString(key::pin, "1234");
    codes.setString(key::puk, "12345678");
    send(pinPuk, sigEnter, codes);

    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].what, "trait:enterPin");
    EXPECT_STREQ(entries[1].record.string(key::pin), "1234");
    EXPECT_STREQ(entries[1].record.string(key::puk), "12345678");
}

TEST_F(PinPukMachine, TracesAndDestructorLineWithoutTheCodes)
{
    LogCapture log("corvane.fsm.pinpuk");
    {
        PinPukFSM pinPuk(*controller);
        pinPuk.init();
        send(pinPuk, sigNeedPin, pinRequest(3));
        send(pinPuk, sigEnter, pinRequest(3));
    }
    const std::vector<std::string> expected = {
        "PinPukFSM::Corvane::PinPukFSM::initial", "Corvane::PinPukFSM::idle: entry",
        "Corvane::PinPukFSM::idle: needPin",      "Corvane::PinPukFSM::idle: exit",
        "Corvane::PinPukFSM::pinEntry: entry",    "Corvane::PinPukFSM::pinEntry: enter",
        "Corvane::PinPukFSM::pinEntry: exit",     "Corvane::PinPukFSM::pinCheck: entry",
        "~PinPukFSM() - Exit"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
    for (const std::string& line : log.messages())
        EXPECT_EQ(line.find("4711"), std::string::npos) << line;
}

} // namespace
} // namespace Corvane::testing
