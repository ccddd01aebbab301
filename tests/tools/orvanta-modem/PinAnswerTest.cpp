// How orvanta-modem reads the SIM's answer to a PIN command from the notices after it:
// each row is an answer a card gives, as the PIN machine reports it.

#include "NoticeBuilder.h"
#include "PinAnswer.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace Orvanta::modem {
namespace {

using client::NoticeKind;
using testing::noticeOf;
using testing::request;
namespace key = Corvane::key;

client::Notice pinState(Corvane::PinState state)
{
    return noticeOf(NoticeKind::pinState, {{key::pinState, state}});
}

client::Notice error(Corvane::ErrorCode code)
{
    return noticeOf(NoticeKind::traitError, {{key::lastError, code}});
}

struct AnswerRow {
    const char* name;
    PinAction action;
    std::vector<std::function<client::Notice()>> notices;
    std::optional<ExitCode> code; // none: success
    const char* reason = "";
    bool onlyOnSilence = false; // the answer comes when the library goes quiet
};

class PinAnswers : public ::testing::TestWithParam<AnswerRow> {};

TEST_P(PinAnswers, EndTheCommand)
{
    const AnswerRow& row = GetParam();
    PinAnswer answer(row.action);
    bool known = false;
    for (const auto& make : row.notices)
        known = answer.take(make());
    EXPECT_EQ(known, !row.onlyOnSilence);
    const std::optional<Outcome> outcome = row.onlyOnSilence ? answer.answerOnSilence() : answer.answer();
    ASSERT_TRUE(outcome.has_value());
    if (!row.code) {
        EXPECT_FALSE(outcome->has_value()) << (*outcome)->reason;
        return;
    }
    ASSERT_TRUE(outcome->has_value());
    EXPECT_EQ((*outcome)->code, *row.code);
    EXPECT_EQ((*outcome)->reason, row.reason);
}

const auto checking = [] { return pinState(Corvane::pmChecking); };
const auto accepted = [] { return pinState(Corvane::pmAccepted); };
const auto rejected = [] { return pinState(Corvane::pmRejected); };

INSTANTIATE_TEST_SUITE_P(
    Answers, PinAnswers,
    ::testing::Values(
        AnswerRow{"RightPin", PinAction::enter, {checking, accepted}, std::nullopt},
        AnswerRow{"WrongPinTwoLeft",
                  PinAction::enter,
                  {checking, [] { return error(Corvane::cErrorPinWrong); }, rejected,
                   [] { return request(Corvane::cPinKindPinRequired, 2, 10); }},
                  ExitCode::wrongCode,
                  "wrong PIN, 2 attempts left"},
        AnswerRow{"WrongPinOneLeft",
                  PinAction::enter,
                  {checking, rejected, [] { return request(Corvane::cPinKindPinRequired, 1, 10); }},
                  ExitCode::wrongCode,
                  "wrong PIN, 1 attempt left"},
        AnswerRow{"LastWrongPinAsksForThePuk",
                  PinAction::enter,
                  {checking, rejected, [] { return request(Corvane::cPinKindPukRequired, 0, 10); }},
                  ExitCode::pukNeeded,
                  "wrong PIN, the SIM now asks for its PUK (10 attempts left)"},
        AnswerRow{"WrongPinCounterNeverCame",
                  PinAction::enter,
                  {checking, [] { return error(Corvane::cErrorIncorrectPassword); }},
                  ExitCode::wrongCode,
                  "wrong PIN",
                  true},
        AnswerRow{"PukNeededInstead",
                  PinAction::enter,
                  {[] { return error(Corvane::cErrorPukRequired); }},
                  ExitCode::pukNeeded,
                  "PUK needed: the SIM is blocked until its PUK is given (pin unblock)"},
        AnswerRow{"BlockedWhileChecking", PinAction::enter, {checking, [] { return pinState(Corvane::pmSimBlocked); }},
                  ExitCode::simBlocked, "SIM blocked: no PUK attempts left"},
        AnswerRow{"SimGoneWhileChecking",
                  PinAction::enter,
                  {checking, [] { return noticeOf(NoticeKind::deviceState, {{key::deviceState, Corvane::devmSimMissing}}); }},
                  ExitCode::noSim,
                  "no SIM"},
        AnswerRow{"OtherRefusal",
                  PinAction::enter,
                  {[] { return error(Corvane::cErrorCommunicationFailed); }},
                  ExitCode::failed,
                  "the card refused the PIN: cErrorCommunicationFailed"},
        AnswerRow{"RightPuk", PinAction::unblock, {checking, accepted}, std::nullopt},
        AnswerRow{"WrongPukNineLeft",
                  PinAction::unblock,
                  {checking, [] { return error(Corvane::cErrorPukWrong); }, rejected,
                   [] { return request(Corvane::cPinKindPukRequired, 0, 9); }},
                  ExitCode::wrongCode,
                  "wrong PUK, 9 attempts left"},
        AnswerRow{"LastWrongPukBlocks",
                  PinAction::unblock,
                  {checking, rejected, [] { return request(Corvane::cPinKindPukRequired, 0, 0); }},
                  ExitCode::simBlocked,
                  "SIM blocked: no PUK attempts left"},
        AnswerRow{"ChangeConfirmedBySilence", PinAction::change, {}, std::nullopt, "", true},
        AnswerRow{"ChangeWithWrongPin",
                  PinAction::change,
                  {[] { return error(Corvane::cErrorIncorrectPassword); }, [] { return request(Corvane::cPinKindPinRequired, 2, 10); }},
                  ExitCode::wrongCode,
                  "wrong PIN, 2 attempts left"},
        AnswerRow{"ChangeWithWrongPinNoCounter",
                  PinAction::change,
                  {[] { return error(Corvane::cErrorPinWrong); }},
                  ExitCode::wrongCode,
                  "wrong PIN",
                  true},
        AnswerRow{"ChangeWhileThePinIsAskedFor",
                  PinAction::change,
                  {[] { return error(Corvane::cErrorPinRequired); }},
                  ExitCode::pinNeeded,
                  "PIN needed: the SIM waits for its PIN (pin enter)"},
        AnswerRow{"EnableConfirmedByTheMode",
                  PinAction::enable,
                  {[] { return noticeOf(NoticeKind::update, {{key::pinMode, 1}}); }},
                  std::nullopt},
        AnswerRow{"DisableConfirmedBySilence", PinAction::disable, {}, std::nullopt, "", true},
        AnswerRow{"DisableWithWrongPin",
                  PinAction::disable,
                  {[] { return error(Corvane::cErrorIncorrectPassword); }, [] { return request(Corvane::cPinKindPinRequired, 1, 10); }},
                  ExitCode::wrongCode,
                  "wrong PIN, 1 attempt left"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PinAnswer, SimStateReadAgainIsNoAnswer)
{
    // The library told the SIM's state once more after the PIN went: the same 3 attempts.
    PinAnswer right(PinAction::enter, 3);
    EXPECT_FALSE(right.take(pinState(Corvane::pmRejected)));
    EXPECT_FALSE(right.take(request(Corvane::cPinKindPinRequired, 3, 10)));
    EXPECT_FALSE(right.answerOnSilence().has_value()) << "still waiting for the real answer";
    ASSERT_TRUE(right.take(accepted()));
    EXPECT_FALSE(right.answer()->has_value());

    PinAnswer wrong(PinAction::enter, 3);
    EXPECT_FALSE(wrong.take(request(Corvane::cPinKindPinRequired, 3, 10)));
    ASSERT_TRUE(wrong.take(request(Corvane::cPinKindPinRequired, 2, 10)));
    EXPECT_EQ((*wrong.answer())->reason, "wrong PIN, 2 attempts left");

    PinAnswer puk(PinAction::unblock, 10);
    EXPECT_FALSE(puk.take(request(Corvane::cPinKindPukRequired, 0, 10)));
    ASSERT_TRUE(puk.take(request(Corvane::cPinKindPukRequired, 0, 9)));
    EXPECT_EQ((*puk.answer())->reason, "wrong PUK, 9 attempts left");
}

struct CounterRow {
    PinAction action;
    long long before;
    ExitCode code;
    const char* reason;
};

class WrongCodeWithoutItsCounter : public ::testing::TestWithParam<CounterRow> {};

TEST_P(WrongCodeWithoutItsCounter, CountsFromTheAttemptsBefore)
{
    PinAnswer answer(GetParam().action, GetParam().before);
    EXPECT_FALSE(answer.take(error(GetParam().action == PinAction::unblock ? Corvane::cErrorPukWrong
                                                                           : Corvane::cErrorPinWrong)));
    const std::optional<Outcome> quiet = answer.answerOnSilence();
    ASSERT_TRUE(quiet && *quiet);
    EXPECT_EQ((**quiet).code, GetParam().code);
    EXPECT_EQ((**quiet).reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, WrongCodeWithoutItsCounter,
    ::testing::Values(CounterRow{PinAction::enter, 3, ExitCode::wrongCode, "wrong PIN, 2 attempts left"},
                      CounterRow{PinAction::enter, 1, ExitCode::pukNeeded, "wrong PIN, the SIM now asks for its PUK"},
                      CounterRow{PinAction::unblock, 10, ExitCode::wrongCode, "wrong PUK, 9 attempts left"},
                      CounterRow{PinAction::unblock, 1, ExitCode::simBlocked, "SIM blocked: no PUK attempts left"}));

TEST(PinAnswer, ForThePinIsNotSilence)
{
    // A PIN that the SIM has not confirmed yet is not taken as right because it is quiet.
    PinAnswer answer(PinAction::enter);
    EXPECT_FALSE(answer.take(checking()));
    EXPECT_FALSE(answer.answerOnSilence().has_value());
}

TEST(PinAnswer, KeepsTheFirstAnswer)
{
    PinAnswer answer(PinAction::enter);
    ASSERT_TRUE(answer.take(accepted()));
    EXPECT_TRUE(answer.take(request(Corvane::cPinKindPinRequired, 2, 10)));
    ASSERT_TRUE(answer.answer().has_value());
    EXPECT_FALSE(answer.answer()->has_value());
}

} // namespace
} // namespace Orvanta::modem
