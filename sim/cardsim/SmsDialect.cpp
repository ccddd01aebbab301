// The dialect's rows for the card's message service (3GPP TS 27.005, PDU mode only): the
// SIM's store, the service centre, sending through the "> " prompt, and the routing of new
// messages (AT+CNMI) with the reports it asks for. The message commands read the SIM, so
// they wait for its PIN and refuse with the message service's codes meanwhile.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/RowSupport.h"

#include <array>
#include <cassert>
#include <cctype>
#include <iterator>

namespace Cardsim {
namespace {

constexpr int kMaxTpduLength = 164; // an SMS-SUBMIT's octets at most
constexpr int kListAll = 4;         // AT+CMGL=4

Messaging& messagingOf(CommandContext& context)
{
    assert(context.card != nullptr && "message rows in a session without a card state");
    return context.card->messaging();
}

FinalResult storeAccess(CommandContext& context)
{
    switch (context.card->sim().access()) {
    case SimOutcome::done: return FinalResult::ok();
    case SimOutcome::noSim: return FinalResult::cms(kCmsSimNotInserted);
    case SimOutcome::pinRequired: return FinalResult::cms(kCmsSimPinRequired);
    default: return FinalResult::cms(kCmsSimPukRequired);
    }
}

// Message commands answer only from a ready SIM.
template <FinalResult (*command)(CommandContext&, std::string_view)>
FinalResult withStore(CommandContext& context, std::string_view arguments)
{
    // As fromReadySim, but with the message service's own errors (+CMS, not +CME).
    return guarded<storeAccess, command>(context, arguments);
}

// A record's number in `text`, which must name one of the store's records.
std::optional<int> recordIndex(CommandContext& context, std::string_view text)
{
    const auto index = wholeNumber(text);
    if (!index || !messagingOf(context).store().isIndex(*index))
        return std::nullopt;
    return index;
}

std::string statusText(MessageStatus status) { return std::to_string(static_cast<int>(status)); }

// Message format: PDU mode is all this card speaks -----------------------------------------

FinalResult setFormat(CommandContext&, std::string_view arguments)
{
    if (arguments == "0")
        return FinalResult::ok();
    return arguments == "1" ? FinalResult::cms(kCmsOperationNotSupported) : FinalResult::cms(kCmsOperationNotAllowed);
}
FinalResult readFormat(CommandContext& context, std::string_view) { return answer(context, "+CMGF: 0"); }
FinalResult testFormat(CommandContext& context, std::string_view) { return answer(context, "+CMGF: (0)"); }

// Storage ------------------------------------------------------------------------------------

std::string storeFigures(const MessageStore& store)
{
    return std::to_string(store.used()) + "," + std::to_string(store.capacity());
}

// AT+CPMS="SM"[,"SM"[,"SM"]]: the SIM is the only store, for reading, writing and receiving.
FinalResult selectStorage(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 3)
        return FinalResult::cms(kCmsOperationNotAllowed);
    for (const AtArgument& memory : *list)
        if (memory.text != "SM")
            return FinalResult::cms(kCmsOperationNotSupported);
    const std::string figures = storeFigures(messagingOf(context).store());
    return answer(context, "+CPMS: " + figures + "," + figures + "," + figures);
}

FinalResult testStorage(CommandContext& context, std::string_view)
{
    return answer(context, "+CPMS: (\"SM\"),(\"SM\"),(\"SM\")");
}

// Service centre: its number travels as it is, whatever the character set. -----------------

bool isNumberText(std::string_view number)
{
    const std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    return !digits.empty() && digits.size() <= 20 &&
           digits.find_first_not_of("0123456789") == std::string_view::npos;
}

FinalResult readCentreAddress(CommandContext& context, std::string_view)
{
    const std::string& number = messagingOf(context).serviceCentre();
    return answer(context, "+CSCA: " + inQuotes(number) + "," + (number.starts_with('+') ? "145" : "129"));
}

FinalResult setCentreAddress(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 2 || !(*list)[0].quoted || !isNumberText((*list)[0].text) ||
        (list->size() == 2 && !numberAt(*list, 1, 128, 255)))
        return FinalResult::cms(kCmsOperationNotAllowed);
    messagingOf(context).setServiceCentre((*list)[0].text);
    return FinalResult::ok();
}

// New-message routing --------------------------------------------------------------------------

// AT+CNMI=<mode>[,<mt>[,<bm>[,<ds>[,<bfr>]]]]; the port that sets it receives the reports.
FinalResult setRouting(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    constexpr int kHighest[] = {2, 3, 0, 2, 1};
    if (!list || list->empty() || list->size() > std::size(kHighest))
        return FinalResult::cms(kCmsOperationNotSupported);
    int values[std::size(kHighest)] = {};
    for (std::size_t i = 0; i < list->size(); ++i) {
        if ((*list)[i].text.empty() && !(*list)[i].quoted)
            continue; // left out: the default
        const auto value = numberAt(*list, i, 0, kHighest[i]);
        if (!value)
            return FinalResult::cms(kCmsOperationNotSupported);
        values[i] = *value;
    }
    messagingOf(context).setRouting({values[0], values[1], values[2], values[3], values[4]});
    context.session.reports.insert(std::string(reportOf(context.key)));
    return FinalResult::ok();
}

FinalResult readRouting(CommandContext& context, std::string_view)
{
    const MessageRouting& r = messagingOf(context).routing();
    return answer(context, "+CNMI: " + std::to_string(r.mode) + "," + std::to_string(r.mt) + "," +
                               std::to_string(r.bm) + "," + std::to_string(r.ds) + "," + std::to_string(r.bfr));
}

FinalResult testRouting(CommandContext& context, std::string_view)
{
    return answer(context, "+CNMI: (0-2),(0-3),(0),(0-2),(0,1)");
}

// Reading and deleting -----------------------------------------------------------------------

// AT+CMGR=<index>: "+CMGR: <stat>,,<length>" and the PDU; a message read is read.
FinalResult readMessage(CommandContext& context, std::string_view arguments)
{
    const auto index = recordIndex(context, arguments);
    StoredMessage* message = index ? messagingOf(context).store().find(*index) : nullptr;
    if (message == nullptr)
        return FinalResult::cms(kCmsInvalidMemoryIndex);
    context.lines.push_back("+CMGR: " + statusText(message->status) + ",," + std::to_string(message->pdu.tpduLength));
    context.lines.push_back(message->pdu.hex);
    if (message->status == MessageStatus::receivedUnread)
        message->status = MessageStatus::receivedRead;
    return FinalResult::ok();
}

// AT+CMGL[=<stat>]: "+CMGL: <index>,<stat>,,<length>" and the PDU for each, 4 for all.
FinalResult listMessages(CommandContext& context, std::string_view arguments)
{
    const auto status = arguments.empty() ? std::optional<int>(0) : wholeNumber(arguments);
    if (!status || *status < 0 || *status > kListAll)
        return FinalResult::cms(kCmsOperationNotAllowed);
    const auto only = *status == kListAll ? std::nullopt : std::optional(static_cast<MessageStatus>(*status));
    for (StoredMessage* message : messagingOf(context).store().list(only)) {
        context.lines.push_back("+CMGL: " + std::to_string(message->index) + "," + statusText(message->status) + ",," +
                                std::to_string(message->pdu.tpduLength));
        context.lines.push_back(message->pdu.hex);
        if (message->status == MessageStatus::receivedUnread)
            message->status = MessageStatus::receivedRead;
    }
    return FinalResult::ok();
}

FinalResult listAction(CommandContext& context, std::string_view) { return listMessages(context, {}); }

FinalResult testList(CommandContext& context, std::string_view) { return answer(context, "+CMGL: (0-4)"); }

// AT+CMGD=<index>[,<delflag>]: the record, or (flag 1 to 4) all read ones, and with them
// the sent, the unsent, or every one.
FinalResult deleteMessage(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 2)
        return FinalResult::cms(kCmsOperationNotAllowed);
    const auto flag = list->size() == 2 ? numberAt(*list, 1, 0, 4) : std::optional<int>(0);
    if (!flag)
        return FinalResult::cms(kCmsOperationNotAllowed);
    MessageStore& store = messagingOf(context).store();
    if (*flag == 0) {
        const auto index = recordIndex(context, (*list)[0].text);
        if (!index || !store.remove(*index))
            return FinalResult::cms(kCmsInvalidMemoryIndex);
        return FinalResult::ok();
    }
    for (const StoredMessage* message : store.list()) {
        const int status = static_cast<int>(message->status);
        // Flag 1 takes status 1, flag 2 also 3, flag 3 also 2, flag 4 everything.
        const bool goes = *flag == 4 || status == 1 || (*flag >= 2 && status == 3) || (*flag >= 3 && status == 2);
        if (goes)
            store.remove(message->index);
    }
    return FinalResult::ok();
}

FinalResult testDelete(CommandContext& context, std::string_view)
{
    std::string indices;
    for (const StoredMessage* message : messagingOf(context).store().list())
        indices += (indices.empty() ? "" : ",") + std::to_string(message->index);
    return answer(context, "+CMGD: (" + indices + "),(0-4)");
}

// Writing and sending: the PDU follows the prompt -----------------------------------------------

std::optional<int> tpduLengthOf(std::string_view text)
{
    const auto length = wholeNumber(text);
    if (!length || *length < 1 || *length > kMaxTpduLength)
        return std::nullopt;
    return length;
}

// Sends `pdu` (read from `content`) and answers "<prefix> <mr>".
FinalResult sendAndAnswer(CommandContext& context, const PduText& pdu, const PduContent& content, const char* prefix)
{
    const bool reachable = isRegistered(context.card->network().circuit());
    const SendOutcome outcome = messagingOf(context).send(pdu, content, reachable);
    if (!outcome.reference)
        return FinalResult::cms(outcome.error);
    return answer(context, std::string(prefix) + std::to_string(*outcome.reference));
}

FinalResult sendText(CommandContext& context, std::string_view arguments, std::string_view text)
{
    if (const FinalResult access = storeAccess(context); access.failed())
        return access;
    const DecodedPdu decoded = decodePdu(text, tpduLengthOf(arguments));
    if (!decoded.content || decoded.content->type != PduContent::Type::submit)
        return FinalResult::cms(kCmsInvalidPduParameter);
    return sendAndAnswer(context, {std::string(text), decoded.content->tpduLength}, *decoded.content, "+CMGS: ");
}

// AT+CMGS=<length>, then the PDU.
FinalResult sendMessage(CommandContext& context, std::string_view arguments)
{
    if (!tpduLengthOf(arguments))
        return FinalResult::cms(kCmsInvalidPduParameter);
    context.prompt = Prompt{sendText, std::string(arguments)};
    return FinalResult::ok();
}

struct WriteArguments {
    int length = 0;
    MessageStatus status = MessageStatus::storedUnsent;
};

std::optional<WriteArguments> writeArguments(std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 2)
        return std::nullopt;
    const auto length = tpduLengthOf((*list)[0].text);
    const auto status = list->size() == 2 ? numberAt(*list, 1, 0, 3) : std::optional<int>(2);
    if (!length || !status)
        return std::nullopt;
    return WriteArguments{*length, static_cast<MessageStatus>(*status)};
}

FinalResult writeText(CommandContext& context, std::string_view arguments, std::string_view text)
{
    if (const FinalResult access = storeAccess(context); access.failed())
        return access;
    const auto wanted = writeArguments(arguments);
    if (!wanted)
        return FinalResult::cms(kCmsInvalidPduParameter);
    const DecodedPdu decoded = decodePdu(text, wanted->length);
    if (!decoded.content)
        return FinalResult::cms(kCmsInvalidPduParameter);
    std::string hex(text);
    for (char& c : hex)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto index = messagingOf(context).store().add(wanted->status, {std::move(hex), decoded.content->tpduLength});
    if (!index)
        return FinalResult::cms(kCmsMemoryFull);
    return answer(context, "+CMGW: " + std::to_string(*index));
}

// AT+CMGW=<length>[,<stat>], then the PDU; stored unsent unless told.
FinalResult writeMessage(CommandContext& context, std::string_view arguments)
{
    if (!writeArguments(arguments))
        return FinalResult::cms(kCmsInvalidPduParameter);
    if (messagingOf(context).store().full())
        return FinalResult::cms(kCmsMemoryFull);
    context.prompt = Prompt{writeText, std::string(arguments)};
    return FinalResult::ok();
}

// AT+CMSS=<index>: sends a stored SMS-SUBMIT, which is then stored sent.
FinalResult sendStored(CommandContext& context, std::string_view arguments)
{
    const auto index = recordIndex(context, arguments);
    StoredMessage* message = index ? messagingOf(context).store().find(*index) : nullptr;
    if (message == nullptr)
        return FinalResult::cms(kCmsInvalidMemoryIndex);
    const DecodedPdu decoded = decodePdu(message->pdu.hex, message->pdu.tpduLength);
    if (!decoded.content || decoded.content->type != PduContent::Type::submit)
        return FinalResult::cms(kCmsOperationNotAllowed);
    const PduText pdu = message->pdu;
    const FinalResult result = sendAndAnswer(context, pdu, *decoded.content, "+CMSS: ");
    if (!result.failed())
        message->status = MessageStatus::storedSent;
    return result;
}

// Reports: "+CMTI: "SM",<index>" for a stored message, "+CMT: ,<length>" or
// "+CDS: <length>" and the PDU for one handed over, "+CDSI: "SM",<index>" for a stored
// status report. The PDU follows its header after one CR LF, with no empty line between
// (TS 27.005): one emission, so the framing of separate lines cannot put one there.
std::string indicationLine(const ReportContext& context)
{
    const MessageIndication& indication = context.card->messaging().indication();
    switch (indication.kind) {
    case MessageIndication::Kind::stored: return "+CMTI: \"SM\"," + std::to_string(indication.index);
    case MessageIndication::Kind::delivered:
        return "+CMT: ," + std::to_string(indication.pdu.tpduLength) + "\r\n" + indication.pdu.hex;
    case MessageIndication::Kind::statusReport:
        return "+CDS: " + std::to_string(indication.pdu.tpduLength) + "\r\n" + indication.pdu.hex;
    case MessageIndication::Kind::statusReportStored: return "+CDSI: \"SM\"," + std::to_string(indication.index);
    }
    return {};
}

const std::array kSmsCommandRows{
    CommandRow{"AT+CMGF=", setFormat},
    CommandRow{"AT+CMGF?", readFormat},
    CommandRow{"AT+CMGF=?", testFormat},
    CommandRow{"AT+CPMS=", withStore<selectStorage>},
    CommandRow{"AT+CPMS=?", testStorage},
    CommandRow{"AT+CSCA?", withStore<readCentreAddress>},
    CommandRow{"AT+CSCA=", withStore<setCentreAddress>},
    CommandRow{"AT+CNMI=", setRouting},
    CommandRow{"AT+CNMI?", readRouting},
    CommandRow{"AT+CNMI=?", testRouting},
    CommandRow{"AT+CMGR=", withStore<readMessage>},
    CommandRow{"AT+CMGL=", withStore<listMessages>},
    CommandRow{"AT+CMGL", withStore<listAction>},
    CommandRow{"AT+CMGL=?", testList},
    CommandRow{"AT+CMGD=", withStore<deleteMessage>},
    CommandRow{"AT+CMGD=?", withStore<testDelete>},
    CommandRow{"AT+CMGS=", withStore<sendMessage>},
    CommandRow{"AT+CMGW=", withStore<writeMessage>},
    CommandRow{"AT+CMSS=", withStore<sendStored>},
};

const std::array kSmsUnsolicitedRows{
    UnsolicitedRow{CardEvent::messageArrived, "+CNMI", indicationLine},
};

} // namespace

std::span<const CommandRow> smsCommandRows() { return kSmsCommandRows; }
std::span<const UnsolicitedRow> smsUnsolicitedRows() { return kSmsUnsolicitedRows; }

} // namespace Cardsim
