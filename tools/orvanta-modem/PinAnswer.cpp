#include "PinAnswer.h"

#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

namespace Orvanta::modem {
namespace {

Failure blocked()
{
    return Failure{ExitCode::simBlocked, "SIM blocked: no PUK attempts left"};
}

std::string attemptsLeft(std::optional<long long> count)
{
    if (!count)
        return "";
    return " (" + std::to_string(*count) + (*count == 1 ? " attempt left)" : " attempts left)");
}

} // namespace

std::string wrongCodeText(const char* code, std::optional<long long> attempts)
{
    std::string text = std::string("wrong ") + code;
    if (attempts)
        text += ", " + std::to_string(*attempts) + (*attempts == 1 ? " attempt left" : " attempts left");
    return text;
}

bool PinAnswer::take(const client::Notice& notice)
{
    if (answer_)
        return true;
    namespace key = Corvane::key;
    using client::NoticeKind;
    switch (notice.kind) {
    case NoticeKind::pinState:
        switch (notice.integer(key::pinState).value_or(-1)) {
        case Corvane::pmAccepted:
            if (action_ == PinAction::enter || action_ == PinAction::unblock)
                decide(std::nullopt);
            break;
        case Corvane::pmRejected: rejected_ = true; break;
        case Corvane::pmSimBlocked: decide(blocked()); break;
        default: break;
        }
        break;
    case NoticeKind::enterPin:
        requested(notice.integer(key::pinKind).value_or(Corvane::cPinKindUnknown), notice.integer(key::pinCount),
                  notice.integer(key::pukCount));
        break;
    case NoticeKind::traitError:
        failed(notice.integer(key::lastError).value_or(Corvane::cErrorUnknown));
        break;
    case NoticeKind::deviceState:
        if (notice.integer(key::deviceState) == Corvane::devmSimBlocked)
            decide(blocked());
        else if (notice.integer(key::deviceState) == Corvane::devmSimMissing)
            decide(Failure{ExitCode::noSim, "no SIM"});
        break;
    case NoticeKind::update:
        if (const auto mode = notice.integer(key::pinMode);
            mode && ((action_ == PinAction::enable && *mode != 0) || (action_ == PinAction::disable && *mode == 0)))
            decide(std::nullopt);
        break;
    default:
        break;
    }
    return answer_.has_value();
}

void PinAnswer::requested(long long kind, std::optional<long long> pinCount, std::optional<long long> pukCount)
{
    const bool sameCode = (kind == Corvane::cPinKindPinRequired && action_ != PinAction::unblock) ||
                          (kind == Corvane::cPinKindPukRequired && action_ == PinAction::unblock);
    const std::optional<long long> count = kind == Corvane::cPinKindPukRequired ? pukCount : pinCount;
    if (sameCode && countBefore_ && count && *count >= *countBefore_) {
        rejected_ = false;
        return;
    }
    if (kind == Corvane::cPinKindPukRequired) {
        if (pukCount == 0)
            decide(blocked());
        else if (action_ == PinAction::unblock)
            decide(Failure{ExitCode::wrongCode, wrongCodeText("PUK", pukCount)});
        else
            decide(Failure{ExitCode::pukNeeded, "wrong PIN, the SIM now asks for its PUK" + attemptsLeft(pukCount)});
        return;
    }
    if (kind == Corvane::cPinKindPinRequired) {
        // After a PUK the SIM asking for a PIN means the unblocking did not take.
        if (action_ == PinAction::unblock)
            decide(Failure{ExitCode::pinNeeded, "the SIM asks for its PIN, not for its PUK"});
        else
            decide(Failure{ExitCode::wrongCode, wrongCodeText("PIN", pinCount)});
        return;
    }
    decide(Failure{ExitCode::failed, "the SIM asks for another code: " +
                                         std::string(Corvane::enumName(static_cast<Corvane::PinKind>(kind)))});
}

void PinAnswer::failed(long long error)
{
    switch (error) {
    case Corvane::cErrorPinWrong:
    case Corvane::cErrorPukWrong:
    case Corvane::cErrorIncorrectPassword:
        // The request with the counter comes next, when the SIM asks again.
        wrongByError_ = true;
        return;
    case Corvane::cErrorPukRequired:
        decide(Failure{ExitCode::pukNeeded, "PUK needed: the SIM is blocked until its PUK is given (pin unblock)"});
        return;
    case Corvane::cErrorPinRequired:
        decide(Failure{ExitCode::pinNeeded, "PIN needed: the SIM waits for its PIN (pin enter)"});
        return;
    case Corvane::cErrorSimBlocked: decide(blocked()); return;
    case Corvane::cErrorSimMissing: decide(Failure{ExitCode::noSim, "no SIM"}); return;
    default:
        decide(Failure{ExitCode::failed,
                       std::string("the card refused the ") + codeName() + ": " +
                           std::string(Corvane::errorName(static_cast<int>(error)))});
        return;
    }
}

Failure PinAnswer::wrongWithoutCounter() const
{
    // Each wrong code costs the SIM one attempt.
    const std::optional<long long> left = countBefore_ ? std::optional(*countBefore_ - 1) : std::nullopt;
    if (left && *left <= 0)
        return action_ == PinAction::unblock
                   ? blocked()
                   : Failure{ExitCode::pukNeeded, "wrong PIN, the SIM now asks for its PUK"};
    return Failure{ExitCode::wrongCode, wrongCodeText(codeName(), left)};
}

bool PinAnswer::confirmedBySilence() const
{
    return action_ == PinAction::change || action_ == PinAction::enable || action_ == PinAction::disable;
}

std::optional<Outcome> PinAnswer::answerOnSilence() const
{
    if (answer_)
        return answer_;
    if (wrongByError_ || rejected_)
        return Outcome(wrongWithoutCounter());
    if (confirmedBySilence())
        return Outcome(std::nullopt);
    return std::nullopt;
}

} // namespace Orvanta::modem
