#pragma once
// The rig of the table-driven tests of the generic platform's operations against a
// scripted card: one row per situation, with the card's script, the call, what the call
// gave (its result code, then its outputs) and the commands the card received. The card
// answers ERROR to anything its script does not hold, so a command sent that should not
// be shows as a failure.

#include "tests/quelder/backend/DeviceFixture.h"
#include "tests/quelder/support/ScriptedCard.h"

#include "quelder/QdResult.h"
#include "quelder/platforms/Platform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::testing {

inline constexpr std::uint32_t kZte = 0x8900, kHuawei = 0x8800, kOtherMaker = 0x6000, kSmartAntenna = 0x1C01;

// What an operation gave: its result code, then its outputs.
using Outcome = std::vector<std::string>;

inline std::string Code(QdResult rc)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(rc));
    return text;
}

inline const std::string kDone = Code(kQdSuccess);

struct OperationCase {
    const char* name;
    std::uint32_t type;
    std::vector<Exchange> script;
    std::function<Outcome(GSM::Platform&, GSM::Device&)> call;
    Outcome outcome;
    std::vector<std::string> commands;
    friend void PrintTo(const OperationCase& c, std::ostream* out) { *out << c.name; }
};

// A card of the row's type behind a pseudo-terminal, found and initialised.
class CardOperation : public DeviceFixture<::testing::TestWithParam<OperationCase>> {
protected:
    void Open(const OperationCase& c)
    {
        card = std::make_unique<PtyCardLink>(CardScript{c.script});
        ASSERT_NO_FATAL_FAILURE(OpenFound(card->PortPath(), c.type));
        device.SetDeviceState(GSM::DeviceState::initialized, true);
    }

    // The row run: what the call gave and what the card received.
    void RunsAsItsRowSays(const OperationCase& c)
    {
        ASSERT_NO_FATAL_FAILURE(Open(c));
        EXPECT_EQ(c.call(device.CurrentPlatform(), device), c.outcome);
        // What the call wrote last (an ESC after a failure) may still be on its way.
        card->card.WaitForCommands(c.commands.size());
        EXPECT_EQ(card->card.Commands(), c.commands);
    }

    // The row run on a card that is only found: refused before anything is sent.
    void NeedsAnInitialisedCard(const OperationCase& c)
    {
        card = std::make_unique<PtyCardLink>(CardScript{c.script});
        host.SetCard(NkCardStarted, c.type, NkCapApplicationPort, card->PortPath());
        device.UpdateCardState(NkReasonDeviceChange);
        ASSERT_EQ(device.Init(0), 1);
        const Outcome outcome = c.call(device.CurrentPlatform(), device);
        ASSERT_FALSE(outcome.empty());
        EXPECT_EQ(outcome.front(), Code(kQdNotReady));
        EXPECT_TRUE(card->card.Commands().empty());
    }

    std::unique_ptr<PtyCardLink> card;
};

inline Exchange Ask(std::string command, std::initializer_list<std::string_view> lines)
{
    return {std::move(command), OkAnswer(lines)};
}
inline Exchange OkTo(std::string command) { return {std::move(command), "\r\nOK\r\n"}; }
inline Exchange Refuse(std::string command, int cmeError)
{
    return {std::move(command), "\r\n+CME ERROR: " + std::to_string(cmeError) + "\r\n"};
}

template <class Call>
std::function<Outcome(GSM::Platform&, GSM::Device&)> IntOut(Call call)
{
    return [call](GSM::Platform& p, GSM::Device&) {
        int value = -1;
        const QdResult rc = call(p, &value);
        return Outcome{Code(rc), std::to_string(value)};
    };
}
template <class Call>
std::function<Outcome(GSM::Platform&, GSM::Device&)> TextOut(Call call)
{
    return [call](GSM::Platform& p, GSM::Device&) {
        std::array<char, 128> text{};
        const QdResult rc = call(p, text.data(), static_cast<std::uint32_t>(text.size()));
        return Outcome{Code(rc), text.data()};
    };
}
template <class Call>
std::function<Outcome(GSM::Platform&, GSM::Device&)> CodeOf(Call call)
{
    return [call](GSM::Platform& p, GSM::Device&) { return Outcome{Code(call(p))}; };
}

} // namespace Orvanta::testing
