#include "sim/cardsim/SmsOrder.h"

#include "sim/cardsim/MessageStore.h"

#include <algorithm>
#include <charconv>

namespace Cardsim {
namespace {

using Action = SmsOrder::Action;

std::optional<int> orderNumber(std::string_view text, int lowest, int highest)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

bool hasControlCharacters(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// NUMBER TEXT [coding=...] [class=N]
std::string parseDeliver(std::span<const std::string> words, SmsOrder& order)
{
    if (words.size() < 3 || words.size() > 5)
        return "deliver wants NUMBER TEXT [coding=gsm7|8bit|ucs2] [class=0-3] (quote a TEXT with blanks)";
    order.number = words[1];
    order.text = words[2];
    if (order.number.empty() || hasControlCharacters(order.number) || hasControlCharacters(order.text))
        return "deliver: NUMBER and TEXT may not be empty or hold control characters";
    for (const std::string& option : words.subspan(3)) {
        if (option.starts_with("coding=")) {
            const auto coding = codingFromName(std::string_view(option).substr(7));
            if (!coding)
                return "deliver: coding is gsm7, 8bit or ucs2";
            order.coding = *coding;
        } else if (option.starts_with("class=")) {
            order.messageClass = orderNumber(std::string_view(option).substr(6), 0, 3);
            if (!order.messageClass)
                return "deliver: class is 0 to 3";
        } else {
            return "deliver: \"" + option + "\" is neither coding= nor class=";
        }
    }
    return {};
}

std::string parseFailSend(std::span<const std::string> words, SmsOrder& order)
{
    if (words.size() == 2 && words[1] == "off") {
        order.action = Action::healSend;
        return {};
    }
    const auto code = words.size() >= 2 && words.size() <= 3 ? orderNumber(words[1], 0, 65535) : std::nullopt;
    if (!code)
        return "fail-send wants a +CMS ERROR CODE (0 to 65535) [TIMES], or off";
    order.value = *code;
    if (words.size() == 3) {
        order.times = orderNumber(words[2], 1, 1'000'000);
        if (!order.times)
            return "fail-send: TIMES must be a number from 1 to 1000000";
    }
    return {};
}

struct ActionRow {
    std::string_view name;
    Action action;
};
constexpr ActionRow kActions[] = {
    {"deliver", Action::deliver}, {"deliver-pdu", Action::deliverPdu}, {"sent", Action::sent},
    {"store", Action::store},     {"fill", Action::fill},              {"clear", Action::clear},
    {"capacity", Action::capacity}, {"fail-send", Action::failSend},
};

} // namespace

std::string parseSmsOrder(std::span<const std::string> words, SmsOrder& order)
{
    const auto row = words.empty() ? std::end(kActions)
                                   : std::find_if(std::begin(kActions), std::end(kActions),
                                                  [&](const ActionRow& candidate) { return candidate.name == words[0]; });
    if (row == std::end(kActions))
        return "wants " + std::string(kSmsOrderArguments);
    order.action = row->action;
    switch (order.action) {
    case Action::deliver: return parseDeliver(words, order);
    case Action::deliverPdu:
        if (words.size() != 2 || words[1].empty() || words[1].size() > 2 * 200 ||
            words[1].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return "deliver-pdu wants the HEX of one SMS-DELIVER, service centre address first";
        order.text = words[1];
        return {};
    case Action::capacity: {
        const auto capacity = words.size() == 2 ? orderNumber(words[1], 1, MessageStore::kMaxCapacity) : std::nullopt;
        if (!capacity)
            return "capacity wants N from 1 to " + std::to_string(MessageStore::kMaxCapacity);
        order.value = *capacity;
        return {};
    }
    case Action::failSend: return parseFailSend(words, order);
    default: return words.size() == 1 ? std::string() : std::string(row->name) + " takes no arguments";
    }
}

} // namespace Cardsim
