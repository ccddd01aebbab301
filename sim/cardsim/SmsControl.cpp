#include "sim/cardsim/SmsControl.h"

#include "sim/cardsim/SmsText.h"

#include <cctype>
#include <cstdio>

namespace Cardsim {

std::string quotedForReply(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

namespace {

using Action = SmsOrder::Action;

std::string_view typeName(PduContent::Type type)
{
    switch (type) {
    case PduContent::Type::deliver: return "deliver";
    case PduContent::Type::submit: return "submit";
    case PduContent::Type::statusReport: return "status-report";
    }
    return "deliver";
}

// What a PDU says, for the reply: "type=submit number=+1555 coding=gsm7 text=\"Hi\" pdu=..."
std::string pduSummary(const PduText& pdu)
{
    const DecodedPdu decoded = decodePdu(pdu.hex, pdu.tpduLength);
    if (!decoded.content)
        return "undecodable=" + quotedForReply(decoded.problem) + " pdu=" + pdu.hex;
    const PduContent& content = *decoded.content;
    std::string text = "type=" + std::string(typeName(content.type)) + " number=" + content.number;
    if (content.type == PduContent::Type::statusReport) {
        text += " reference=" + std::to_string(content.reference) + " status=" + std::to_string(content.status);
    } else {
        text += " coding=" + std::string(codingName(content.coding));
        if (content.messageClass)
            text += " class=" + std::to_string(*content.messageClass);
        if (content.part)
            text += " part=" + std::to_string(content.part->sequence) + "/" + std::to_string(content.part->total) +
                    " ref=" + std::to_string(content.part->reference);
        text += " text=" + quotedForReply(content.text);
    }
    return text + " pdu=" + pdu.hex;
}

std::string storeText(const MessageStore& store)
{
    std::string text = "OK used=" + std::to_string(store.used()) + " capacity=" + std::to_string(store.capacity());
    for (const StoredMessage* message : store.list())
        text += " | index=" + std::to_string(message->index) +
                " status=" + std::to_string(static_cast<int>(message->status)) + " " + pduSummary(message->pdu);
    return text;
}

std::string sentText(const Messaging& messaging)
{
    std::string text = "OK sent=" + std::to_string(messaging.sent().size());
    for (const SentMessage& sent : messaging.sent())
        text += " | mr=" + std::to_string(sent.reference) + " " + pduSummary(sent.pdu);
    return text;
}

std::string failedOr(const std::optional<std::string>& problem, std::string_view done)
{
    return problem ? "ERROR " + *problem : "OK " + std::string(done);
}

} // namespace

std::string executeSmsOrder(const SmsOrder& order, CardState& state)
{
    Messaging& messaging = state.messaging();
    switch (order.action) {
    case Action::deliver: {
        if (!state.sim().ready())
            return "ERROR the SIM is not ready";
        DeliverRequest request;
        request.sender = order.number;
        request.text = order.text;
        request.coding = order.coding;
        request.messageClass = order.messageClass;
        request.timeStamp = timeStampNow();
        return failedOr(messaging.deliver(std::move(request)), "delivered");
    }
    case Action::deliverPdu: {
        if (!state.sim().ready())
            return "ERROR the SIM is not ready";
        const DecodedPdu decoded = decodePdu(order.text);
        if (!decoded.content)
            return "ERROR " + decoded.problem;
        std::string hex = order.text;
        for (char& c : hex)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return failedOr(messaging.deliver({PduText{std::move(hex), decoded.content->tpduLength}}), "delivered");
    }
    case Action::sent: return sentText(messaging);
    case Action::store: return storeText(messaging.store());
    case Action::fill: return "OK added=" + std::to_string(messaging.fill());
    case Action::clear: messaging.store().clear(); break;
    case Action::capacity: messaging.store().setCapacity(order.value); break;
    case Action::failSend: messaging.failSends(order.value, order.times); break;
    case Action::healSend: messaging.failSends(std::nullopt); break;
    }
    return "OK";
}

std::string phonebookText(const Phonebook& phonebook)
{
    std::string text = "OK used=" + std::to_string(phonebook.used()) + " capacity=" + std::to_string(Phonebook::kCapacity);
    for (const PhonebookEntry* entry : phonebook.range(1, Phonebook::kCapacity))
        text += " | index=" + std::to_string(entry->index) + " number=" + entry->number +
                " type=" + std::to_string(entry->type) + " name=" + quotedForReply(utf8Of(textOfUtf16(entry->name)));
    return text;
}

std::string smsStatus(const CardState& state)
{
    const MessageStore& store = state.messaging().store();
    return " sms=" + std::to_string(store.used()) + "/" + std::to_string(store.capacity());
}

} // namespace Cardsim
