#pragma once
// The card's short-message service: the SIM's message store and service centre, where a
// message the network delivers goes (AT+CNMI: stored and announced, or handed to the host
// at once), what the host sends and the status reports it asked for, and the faults a
// test plays on sending. Lives with the SIM: a replug keeps the store, a fresh SIM brings
// the store it started with.

#include "sim/cardsim/CardEvent.h"
#include "sim/cardsim/MessageStore.h"
#include "sim/cardsim/SmsPdu.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace Cardsim {

// AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr>: how new messages and status reports reach the host.
struct MessageRouting {
    int mode = 0;
    int mt = 0; // 0 stored silently, 1 stored and announced, 2 handed over (class 2 stored), 3 class 3 handed over
    int bm = 0;
    int ds = 0; // status reports: 0 none, 1 handed over, 2 stored and announced
    int bfr = 0;
};

// What the last CardEvent::messageArrived brings to the host.
struct MessageIndication {
    enum class Kind { stored, delivered, statusReport, statusReportStored };
    Kind kind = Kind::stored;
    int index = 0; // of a stored one
    PduText pdu;   // of one handed over
};

// A message the host sent.
struct SentMessage {
    int reference = 0;
    PduText pdu;
    PduContent content;
};

// The outcome of a host's send: the message reference, or a message service error.
struct SendOutcome {
    std::optional<int> reference;
    int error = 0;
};

class Messaging {
public:
    static constexpr std::size_t kSentKept = 100;

    explicit Messaging(CardEventListener listener);
    Messaging(const Messaging&) = delete;
    Messaging& operator=(const Messaging&) = delete;

    MessageStore& store() { return store_; }
    const MessageStore& store() const { return store_; }
    const std::string& serviceCentre() const { return serviceCentre_; }
    void setServiceCentre(std::string number) { serviceCentre_ = std::move(number); }
    const MessageRouting& routing() const { return routing_; }
    void setRouting(const MessageRouting& routing) { routing_ = routing; }
    const MessageIndication& indication() const { return indication_; }
    const std::deque<SentMessage>& sent() const { return sent_; }

    // The network delivers a message: its PDUs stored or handed over as AT+CNMI says, a
    // CardEvent::messageArrived for each. Nothing happens and the reason comes back when
    // a part cannot be stored (the store is too full for all of them).
    std::optional<std::string> deliver(const std::vector<PduText>& parts);
    // Encodes and delivers a message from `sender`.
    std::optional<std::string> deliver(DeliverRequest request);

    // The host sends an SMS-SUBMIT (with the network at hand or not): the status report
    // it asks for follows, as AT+CNMI routes it.
    SendOutcome send(const PduText& pdu, const PduContent& content, bool networkReachable);
    // The next `times` sends (all, without) fail with "+CMS ERROR: code"; none: heal.
    void failSends(std::optional<int> code, std::optional<int> times = std::nullopt);
    std::optional<int> sendFailure() const { return failure_; }

    // Fills the store's free records with received messages.
    int fill();
    // A fresh SIM: the store and service centre it started with, nothing sent.
    void reset();
    // The card was plugged in: the routing of a powered-on card.
    void powerOn() { routing_ = {}; }

private:
    // Where a delivered message of class `messageClass` goes under the present routing.
    bool handedOver(std::optional<int> messageClass) const;
    void announce(MessageIndication indication);

    CardEventListener listener_;
    MessageStore store_;
    std::string serviceCentre_;
    MessageRouting routing_;
    MessageIndication indication_;
    std::deque<SentMessage> sent_;
    int nextReference_ = 0;
    std::uint8_t nextConcatenation_ = 1;
    std::optional<int> failure_;
    std::optional<int> failuresLeft_;
};

} // namespace Cardsim
