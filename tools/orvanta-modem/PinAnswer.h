#pragma once
// How the SIM answered a PIN command, from the notices that came after it: accepted, a
// wrong code with the attempts left, the PUK now needed, blocked. Without threads, so that
// each answer a card may give is a row of a test.

#include "ClientSession.h"
#include "ExitCodes.h"

#include "corvane/Enumerations.h"

#include <optional>

namespace Orvanta::modem {

enum class PinAction { enter, unblock, change, enable, disable };

class PinAnswer {
public:
    // `countBefore`: the attempts the SIM had left for the code being given (the PIN, or
    // the PUK for unblock) when the command went, if known. A request for the same code
    // with no fewer attempts cannot answer the command: it is the SIM's state read again,
    // which the library may report more than once.
    explicit PinAnswer(PinAction action, std::optional<long long> countBefore = std::nullopt)
        : action_(action), countBefore_(countBefore)
    {
    }

    // Takes a notice that came after the command; true once the answer is known.
    bool take(const client::Notice& notice);
    // The answer, once known: nothing for success.
    const std::optional<Outcome>& answer() const noexcept { return answer_; }
    // The answer when the library has gone quiet without giving one: a wrong code whose
    // counter never came, or, for the commands the SIM does not confirm (change, enable,
    // disable), success. None while the answer is still to come.
    std::optional<Outcome> answerOnSilence() const;

private:
    void decide(Outcome outcome) { answer_ = std::move(outcome); }
    void requested(long long kind, std::optional<long long> pinCount, std::optional<long long> pukCount);
    void failed(long long error);
    bool confirmedBySilence() const;
    const char* codeName() const { return action_ == PinAction::unblock ? "PUK" : "PIN"; }

    // The failure for a code the SIM refused, from the attempts left before.
    Failure wrongWithoutCounter() const;

    PinAction action_;
    std::optional<long long> countBefore_;
    bool wrongByError_ = false; // the card refused the code; the counter may follow
    bool rejected_ = false;     // the PIN machine said rejected; its request follows
    std::optional<Outcome> answer_;
};

// "wrong PIN, 2 attempts left"
std::string wrongCodeText(const char* code, std::optional<long long> attempts);

} // namespace Orvanta::modem
