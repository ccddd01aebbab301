#pragma once
// The card's one voice call: dialled by the host (ATD...;), rung by the network (the
// control command ring), answered (ATA) and ended by either side. A dialled call is
// connected a moment later; an incoming one rings again every few seconds until it is
// answered or ends.

#include "sim/cardsim/Alarm.h"
#include "sim/cardsim/CardEvent.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace Cardsim {

struct CallTimings {
    std::chrono::milliseconds connect{1000}; // from dialling to the other side answering
    std::chrono::milliseconds ringPeriod{5000};
};

class VoiceCall {
public:
    enum class State { idle, dialing, ringing, active };

    VoiceCall(const AlarmMaker& alarms, CardEventListener listener);
    VoiceCall(const VoiceCall&) = delete;
    VoiceCall& operator=(const VoiceCall&) = delete;

    State state() const { return state_; }
    // The other side's number; empty while idle.
    const std::string& number() const { return number_; }
    CallTimings& timings() { return timings_; }

    // False when there is a call already.
    bool dial(std::string_view number);
    // False when no call rings.
    bool answer();
    // By the host: the call ends without a report.
    void hangUp();
    // By the network. False when there is a call already.
    bool ring(std::string_view number);
    // The other side or the network ended the call. False when there was none.
    bool endFromFarSide();

    // What a dial string or caller's number may hold: digits, '+' first, '*', '#'.
    static bool validNumber(std::string_view number);
    // The type of address: 145 international ('+'), 129 otherwise.
    static int typeOf(std::string_view number);
    static std::string_view stateName(State state);

private:
    void onAlarm();
    void raise(CardEvent event);

    CardEventListener listener_;
    CallTimings timings_;
    State state_ = State::idle;
    std::string number_;
    std::unique_ptr<Alarm> alarm_; // last: its ring uses everything above
};

} // namespace Cardsim
