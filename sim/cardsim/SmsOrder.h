#pragma once
// The "sms" control command: what the test director has the network and the SIM's message
// store do ("sms deliver +15551234 \"Hello there\" coding=ucs2 class=0").

#include "sim/cardsim/SmsPdu.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Cardsim {

struct SmsOrder {
    enum class Action { deliver, deliverPdu, sent, store, fill, clear, capacity, failSend, healSend };
    Action action = Action::store;
    std::string number;                 // deliver: the sender
    std::string text;                   // deliver: UTF-8; deliver-pdu: the PDU's hex
    SmsCoding coding = SmsCoding::gsm7; // deliver
    std::optional<int> messageClass;    // deliver
    int value = 0;                      // capacity; fail-send: the +CMS ERROR code
    std::optional<int> times;           // fail-send: how often; always when empty
};

// The words after "sms" (quotes already taken off); the problem, or "" when `order` is set.
std::string parseSmsOrder(std::span<const std::string> words, SmsOrder& order);

// The arguments the help shows.
inline constexpr std::string_view kSmsOrderArguments =
    "deliver NUMBER TEXT [coding=gsm7|8bit|ucs2] [class=0-3] | deliver-pdu HEX | sent | store | fill | clear | "
    "capacity N | fail-send CODE [TIMES] | fail-send off";

} // namespace Cardsim
