// The modem half end to end, through the client API alone in the full initialisation
// mode: the SIM's PIN dialogue, the radio, the scan, network and technology selection,
// against orvanta-cardsim in a process of its own.

#include "tests/stack/StackFixture.h"

#include "FoundNetworks.h"
#include "corvane/Keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Orvanta::testing {
namespace {

using client::Notice;
using client::NoticeKind;
namespace key = Corvane::key;

bool isKind(const Notice& notice, NoticeKind kind) { return notice.kind == kind; }

class ModemPath : public StackTest {
protected:
    void startModem(std::vector<std::string> cardArguments)
    {
        cardArguments.insert(cardArguments.end(), {"--scan-delay", "300"});
        startCard(cardArguments);
        if (!HasFatalFailure())
            startLibrary(Corvane::cInitModeFull);
    }

    // The next request for a code: its kind (2 PIN, 3 PUK) and counters.
    struct Request {
        std::int64_t kind = -1, pinCount = -1, pukCount = -1;
    };
    Request nextRequest()
    {
        Request request;
        const bool asked = waitFor([](const Notice& n) { return isKind(n, NoticeKind::enterPin); });
        EXPECT_TRUE(asked) << ::testing::PrintToString(summaries());
        if (!asked)
            return request;
        const Notice& notice = notices().back();
        request.kind = notice.integer(key::pinKind).value_or(-1);
        request.pinCount = notice.integer(key::pinCount).value_or(-1);
        request.pukCount = notice.integer(key::pukCount).value_or(-1);
        return request;
    }

    // Waits for the notified PIN state `state`.
    bool waitForPinState(std::int64_t state)
    {
        return waitFor([state](const Notice& n) {
            return isKind(n, NoticeKind::pinState) && n.integer(key::pinState) == state;
        });
    }

    // Waits for an update record carrying `wantedKey` (with `value` when given).
    bool waitForUpdate(const char* wantedKey, std::optional<std::int64_t> value = {})
    {
        return waitFor([&](const Notice& n) {
            if (!isKind(n, NoticeKind::update))
                return false;
            const auto found = n.integer(wantedKey);
            return value ? found == value : (found.has_value() || n.text(wantedKey).has_value());
        });
    }

    // Whether the notice `summary` came from `from` on, waiting for it when it has not yet.
    bool cameSince(std::size_t from, const std::string& summary)
    {
        const std::vector<std::string> seen = summaries(from);
        return std::find(seen.begin(), seen.end(), summary) != seen.end() || waitForSummary(summary);
    }

    std::string cardStatus() { return card.control("status"); }
    bool cardSays(const std::string& part) { return cardStatus().find(part) != std::string::npos; }
    // Waits until the card's answer to `command` holds `part`: for commands whose effect
    // the client is not told of, and for updates that may be an earlier reading's.
    bool cardComesTo(const std::string& command, const std::string& part)
    {
        const auto deadline = client::Clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (card.control(command).find(part) != std::string::npos)
                return true;
            if (client::Clock::now() >= deadline)
                return false;
            waitFor([](const Notice&) { return false; }, std::chrono::milliseconds(100));
        }
    }
};

constexpr std::int64_t kAccepted = 1, kMissing = 3;
constexpr std::int64_t kPinNeeded = 2, kPukNeeded = 3;

TEST_F(ModemPath, LockedSimAsksForThePinAndTakesTheRightOne)
{
    startModem({"--pin", "1234"});
    ASSERT_TRUE(waitForPinState(kMissing)) << ::testing::PrintToString(summaries());
    const Request first = nextRequest();
    EXPECT_EQ(first.kind, kPinNeeded);
    EXPECT_EQ(first.pinCount, 3);

    const std::size_t before = taken();
    ASSERT_EQ(session->enterPin("9999"), Corvane::cNoError);
    const Request second = nextRequest();
    EXPECT_EQ(second.kind, kPinNeeded);
    EXPECT_EQ(second.pinCount, 2);
    EXPECT_TRUE(containsInOrder(summaries(before), {"pin 0", "pin 2", "enter pin 2"}))
        << ::testing::PrintToString(summaries(before));

    ASSERT_EQ(session->enterPin("1234"), Corvane::cNoError);
    ASSERT_TRUE(waitForPinState(kAccepted)) << ::testing::PrintToString(summaries(before));
    // The SIM's information follows, and the card registers now that the SIM is open.
    EXPECT_TRUE(waitForUpdate(key::imsi)) << ::testing::PrintToString(summaries(before));
    EXPECT_TRUE(cameSince(before, "registration 3")) << ::testing::PrintToString(summaries(before));
}

TEST_F(ModemPath, ThreeWrongPinsAskForThePukWhichSetsANewPin)
{
    startModem({"--pin", "1234", "--puk", "87654321"});
    ASSERT_TRUE(waitForPinState(kMissing));
    nextRequest();
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_EQ(session->enterPin("0000"), Corvane::cNoError);
        EXPECT_EQ(nextRequest().kind, kPinNeeded);
    }
    ASSERT_EQ(session->enterPin("0000"), Corvane::cNoError);
    const Request puk = nextRequest();
    EXPECT_EQ(puk.kind, kPukNeeded);
    EXPECT_EQ(puk.pinCount, 0);
    EXPECT_EQ(puk.pukCount, 10);
    EXPECT_TRUE(cardSays("sim=puk-needed")) << cardStatus();

    // A wrong PUK costs one of its ten attempts; the right one opens the SIM.
    ASSERT_EQ(session->enterPin("4321", "11111111"), Corvane::cNoError);
    const Request again = nextRequest();
    EXPECT_EQ(again.kind, kPukNeeded);
    EXPECT_EQ(again.pukCount, 9);
    ASSERT_EQ(session->enterPin("4321", "87654321"), Corvane::cNoError);
    ASSERT_TRUE(waitForPinState(kAccepted)) << ::testing::PrintToString(summaries());
    EXPECT_TRUE(cardSays("sim=ready")) << cardStatus();
    EXPECT_NE(card.control("sim").find("pin-left=3"), std::string::npos) << card.control("sim");
}

TEST_F(ModemPath, PinLockSwitchedAndPinChanged)
{
    startModem({});
    ASSERT_TRUE(cameSince(0, "registration 3")) << ::testing::PrintToString(summaries());
    EXPECT_TRUE(card.control("sim").find("lock=off") != std::string::npos);

    ASSERT_EQ(session->setPinMode("0000", Corvane::cPinModeActive), Corvane::cNoError);
    ASSERT_TRUE(waitForUpdate(key::pinMode, 1)) << ::testing::PrintToString(summaries());
    EXPECT_TRUE(card.control("sim").find("lock=on") != std::string::npos) << card.control("sim");

    // A wrong PIN is refused and reported to the client.
    ASSERT_EQ(session->changePin("1111", "2468"), Corvane::cNoError);
    ASSERT_TRUE(waitFor([](const Notice& n) { return isKind(n, NoticeKind::traitError); }))
        << ::testing::PrintToString(summaries());
    EXPECT_EQ(notices().back().integer(key::lastError), Corvane::cErrorIncorrectPassword);

    // The changed PIN is the one that switches the lock off again.
    ASSERT_EQ(session->changePin("0000", "2468"), Corvane::cNoError);
    ASSERT_EQ(session->setPinMode("2468", Corvane::cPinModeInactive), Corvane::cNoError);
    EXPECT_TRUE(waitForUpdate(key::pinMode, 0)) << ::testing::PrintToString(summaries());
    EXPECT_TRUE(cardComesTo("sim", "lock=off pin-left=3")) << card.control("sim");
}

TEST_F(ModemPath, RadioOffAndOnMovesTheRegistrationWithIt)
{
    startModem({});
    ASSERT_TRUE(cameSince(0, "radio 1")) << ::testing::PrintToString(summaries());
    ASSERT_TRUE(cameSince(0, "registration 3")) << ::testing::PrintToString(summaries());

    std::size_t before = taken();
    ASSERT_EQ(session->setRadioState(Corvane::cRadioOff), Corvane::cNoError);
    ASSERT_TRUE(cameSince(before, "radio 2")) << ::testing::PrintToString(summaries(before));
    ASSERT_TRUE(cameSince(before, "registration 0")) << ::testing::PrintToString(summaries(before));
    EXPECT_TRUE(cardSays("cfun=4")) << cardStatus();

    before = taken();
    ASSERT_EQ(session->setRadioState(Corvane::cRadioOn), Corvane::cNoError);
    ASSERT_TRUE(cameSince(before, "radio 1")) << ::testing::PrintToString(summaries(before));
    ASSERT_TRUE(cameSince(before, "registration 3")) << ::testing::PrintToString(summaries(before));
    EXPECT_TRUE(cardSays("cfun=1")) << cardStatus();
}

TEST_F(ModemPath, ScanListsTheCardsOperatorsAndSelectionRegistersThere)
{
    startModem({});
    ASSERT_TRUE(cameSince(0, "registration 3")) << ::testing::PrintToString(summaries());
    ASSERT_TRUE(card.control("operators add 26201 Telekom TDG roaming").rfind("OK", 0) == 0);

    std::size_t before = taken();
    ASSERT_EQ(session->scanNetworks(), Corvane::cNoError);
    ASSERT_TRUE(waitForSummary("scan 0", std::chrono::seconds(30))) << ::testing::PrintToString(summaries(before));
    EXPECT_TRUE(containsInOrder(summaries(before), {"scan 1", "scan 0"}));
    std::vector<std::int64_t> codes;
    for (const client::FoundNetwork& network : client::foundNetworks(notices().back()))
        codes.push_back(network.mccmnc);
    EXPECT_NE(std::find(codes.begin(), codes.end(), 26201), codes.end()) << ::testing::PrintToString(codes);
    EXPECT_NE(std::find(codes.begin(), codes.end(), 101), codes.end()) << ::testing::PrintToString(codes);

    before = taken();
    ASSERT_EQ(session->selectNetwork(Corvane::cNetworkSelectionManual, 26201), Corvane::cNoError);
    ASSERT_TRUE(waitForUpdate(key::mccmnc, 26201)) << ::testing::PrintToString(summaries(before));
    EXPECT_TRUE(cardSays("operator=26201")) << cardStatus();

    ASSERT_EQ(session->selectNetwork(Corvane::cNetworkSelectionAutomatic), Corvane::cNoError);
    ASSERT_TRUE(waitForUpdate(key::mccmnc, 101)) << ::testing::PrintToString(summaries(before));
}

TEST_F(ModemPath, TechnologySelectionReachesTheCard)
{
    startModem({});
    ASSERT_TRUE(cameSince(0, "registration 3")) << ::testing::PrintToString(summaries());
    EXPECT_TRUE(cardSays("preference=3")) << cardStatus();

    // The card's own modes: 0 GSM only, 1 UMTS only, 3 automatic.
    const struct {
        Corvane::PsTechnology technology;
        const char* preference;
    } steps[] = {{Corvane::cPsTechnology2G, "preference=0"},
                 {Corvane::cPsTechnology3G, "preference=1"},
                 {Corvane::cPsTechnologyAutomatic, "preference=3"}};
    for (const auto& step : steps) {
        ASSERT_EQ(session->setNetworkTechnology(step.technology), Corvane::cNoError);
        EXPECT_TRUE(cardComesTo("status", step.preference)) << step.preference << ": " << cardStatus();
    }
}

} // namespace
} // namespace Orvanta::testing
