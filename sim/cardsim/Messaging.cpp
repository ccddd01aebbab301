#include "sim/cardsim/Messaging.h"

#include "sim/cardsim/FinalResult.h"

namespace Cardsim {
namespace {

constexpr const char* kFirstServiceCentre = "+15550000000";

// What a fresh SIM holds: two messages read, one not.
struct FirstMessage {
    const char* sender;
    const char* text;
    MessageStatus status;
};
constexpr FirstMessage kFirstMessages[] = {
    {"+15550101010", "Welcome to Orvanta Test Net.", MessageStatus::receivedRead},
    {"OTN", "Your data plan renews on the 1st.", MessageStatus::receivedRead},
    {"+15550123456", "Call me when you land.", MessageStatus::receivedUnread},
};

constexpr SmsTimeStamp kFirstStamp{24, 6, 15, 9, 30, 0, 8};

} // namespace

Messaging::Messaging(CardEventListener listener) : listener_(std::move(listener)) { reset(); }

void Messaging::reset()
{
    store_.clear();
    serviceCentre_ = kFirstServiceCentre;
    sent_.clear();
    nextReference_ = 0;
    failure_.reset();
    failuresLeft_.reset();
    routing_ = {};
    for (const FirstMessage& first : kFirstMessages) {
        DeliverRequest request;
        request.serviceCentre = serviceCentre_;
        request.sender = first.sender;
        request.text = first.text;
        request.timeStamp = kFirstStamp;
        for (PduText& part : encodeDeliver(request).parts)
            store_.add(first.status, std::move(part));
    }
}

bool Messaging::handedOver(std::optional<int> messageClass) const
{
    constexpr int kFlash = 0;
    constexpr int kSimSpecific = 2;
    constexpr int kTerminalSpecific = 3;
    switch (routing_.mt) {
    case 1: return messageClass == kFlash;
    case 2: return messageClass != kSimSpecific;
    case 3: return messageClass == kFlash || messageClass == kTerminalSpecific;
    default: return false;
    }
}

void Messaging::announce(MessageIndication indication)
{
    indication_ = std::move(indication);
    if (listener_)
        listener_(CardEvent::messageArrived);
}

std::optional<std::string> Messaging::deliver(const std::vector<PduText>& parts)
{
    std::vector<bool> handOver;
    int toStore = 0;
    for (const PduText& part : parts) {
        const DecodedPdu decoded = decodePdu(part.hex, part.tpduLength);
        if (!decoded.content || decoded.content->type != PduContent::Type::deliver)
            return "not an SMS-DELIVER PDU" + (decoded.problem.empty() ? "" : ": " + decoded.problem);
        handOver.push_back(handedOver(decoded.content->messageClass));
        toStore += handOver.back() ? 0 : 1;
    }
    if (toStore > store_.room())
        return "the message store is full (" + std::to_string(store_.used()) + "/" +
               std::to_string(store_.capacity()) + ")";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (handOver[i]) {
            announce({MessageIndication::Kind::delivered, 0, parts[i]});
            continue;
        }
        const int index = *store_.add(MessageStatus::receivedUnread, parts[i]);
        if (routing_.mt != 0)
            announce({MessageIndication::Kind::stored, index, {}});
    }
    return std::nullopt;
}

std::optional<std::string> Messaging::deliver(DeliverRequest request)
{
    request.serviceCentre = serviceCentre_;
    request.reference = nextConcatenation_;
    EncodedDeliver encoded = encodeDeliver(request);
    if (encoded.parts.empty())
        return encoded.problem;
    if (encoded.parts.size() > 1)
        ++nextConcatenation_;
    return deliver(encoded.parts);
}

SendOutcome Messaging::send(const PduText& pdu, const PduContent& content, bool networkReachable)
{
    if (failure_) {
        const int code = *failure_;
        if (failuresLeft_ && --*failuresLeft_ <= 0)
            failSends(std::nullopt);
        return {std::nullopt, code};
    }
    if (!networkReachable)
        return {std::nullopt, kCmsNoNetworkService};
    const int reference = nextReference_;
    nextReference_ = (nextReference_ + 1) % 256;
    sent_.push_back({reference, pdu, content});
    if (sent_.size() > kSentKept)
        sent_.pop_front();
    if (content.statusReportRequest && routing_.ds != 0) {
        const SmsTimeStamp now = timeStampNow();
        const PduText report = encodeStatusReport(serviceCentre_, reference, content.number, now, now);
        if (routing_.ds == 1) {
            announce({MessageIndication::Kind::statusReport, 0, report});
        } else if (const auto index = store_.add(MessageStatus::receivedUnread, report)) {
            announce({MessageIndication::Kind::statusReportStored, *index, {}});
        }
    }
    return {reference, 0};
}

void Messaging::failSends(std::optional<int> code, std::optional<int> times)
{
    failure_ = code;
    failuresLeft_ = code ? times : std::nullopt;
}

int Messaging::fill()
{
    int added = 0;
    while (!store_.full()) {
        DeliverRequest request;
        request.serviceCentre = serviceCentre_;
        request.sender = "+15550199999";
        request.text = "Filler message " + std::to_string(added + 1);
        request.timeStamp = timeStampNow();
        store_.add(MessageStatus::receivedUnread, encodeDeliver(request).parts.front());
        ++added;
    }
    return added;
}

} // namespace Cardsim
