#include "sim/cardsim/UssdService.h"

#include <algorithm>

namespace Cardsim {

UssdService::UssdService(const AlarmMaker& alarms, CardEventListener listener)
    : listener_(std::move(listener)), alarm_(alarms([this] { answer(); }))
{
}

void UssdService::request(std::string_view code)
{
    pending_ = code;
    alarm_->set(replyDelay_);
}

void UssdService::cancel()
{
    pending_.clear();
    alarm_->cancel();
}

void UssdService::answer()
{
    last_ = replyTo(pending_);
    pending_.clear();
    if (listener_)
        listener_(CardEvent::ussdReceived);
}

void UssdService::notify(std::string_view text)
{
    last_ = {0, std::string(text)};
    if (listener_)
        listener_(CardEvent::ussdReceived);
}

bool UssdService::validCode(std::string_view code)
{
    return !code.empty() && code.size() <= 40 && std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '*' || c == '#';
    });
}

UssdMessage UssdService::replyTo(std::string_view code)
{
    constexpr int kDone = 0, kNotSupported = 4;
    if (code == "*100#")
        return {kDone, "Balance: 12.50 EUR, valid until 31.12."};
    if (code == "*101#")
        return {kDone, "Data left: 750 MB"};
    return {kNotSupported, std::nullopt};
}

} // namespace Cardsim
