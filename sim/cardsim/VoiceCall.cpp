#include "sim/cardsim/VoiceCall.h"

#include <algorithm>

namespace Cardsim {

VoiceCall::VoiceCall(const AlarmMaker& alarms, CardEventListener listener)
    : listener_(std::move(listener)), alarm_(alarms([this] { onAlarm(); }))
{
}

void VoiceCall::raise(CardEvent event)
{
    if (listener_)
        listener_(event);
}

bool VoiceCall::dial(std::string_view number)
{
    if (state_ != State::idle)
        return false;
    state_ = State::dialing;
    number_ = number;
    alarm_->set(timings_.connect);
    return true;
}

bool VoiceCall::answer()
{
    if (state_ != State::ringing)
        return false;
    state_ = State::active;
    alarm_->cancel();
    return true;
}

void VoiceCall::hangUp()
{
    state_ = State::idle;
    number_.clear();
    alarm_->cancel();
}

bool VoiceCall::ring(std::string_view number)
{
    if (state_ != State::idle)
        return false;
    state_ = State::ringing;
    number_ = number;
    raise(CardEvent::ringing);
    alarm_->set(timings_.ringPeriod);
    return true;
}

bool VoiceCall::endFromFarSide()
{
    if (state_ == State::idle)
        return false;
    hangUp();
    raise(CardEvent::callEnded);
    return true;
}

void VoiceCall::onAlarm()
{
    if (state_ == State::dialing) {
        state_ = State::active;
        raise(CardEvent::outgoingCallConnected);
    } else if (state_ == State::ringing) {
        alarm_->set(timings_.ringPeriod);
        raise(CardEvent::ringing);
    }
}

bool VoiceCall::validNumber(std::string_view number)
{
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    return !number.empty() && number.size() <= 40 && std::all_of(number.begin(), number.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '*' || c == '#';
    });
}

int VoiceCall::typeOf(std::string_view number)
{
    constexpr int kInternational = 145, kUnknown = 129;
    return !number.empty() && number.front() == '+' ? kInternational : kUnknown;
}

std::string_view VoiceCall::stateName(State state)
{
    switch (state) {
    case State::idle: return "idle";
    case State::dialing: return "dialing";
    case State::ringing: return "ringing";
    case State::active: return "active";
    }
    return "?";
}

} // namespace Cardsim
