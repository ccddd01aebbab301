#pragma once
// Unstructured supplementary service data: the host's requests ("*100#"), answered by the
// network a moment later, and the network's own notifications. The last message is kept
// for the report that carries it.

#include "sim/cardsim/Alarm.h"
#include "sim/cardsim/CardEvent.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Cardsim {

struct UssdMessage {
    int status = 0;                  // +CUSD <m>: 0 done, 2 ended by the network, 4 not supported
    std::optional<std::string> text; // none with status 4
    bool operator==(const UssdMessage&) const = default;
};

class UssdService {
public:
    static constexpr int kDataCodingScheme = 15; // GSM 7-bit, language unspecified

    UssdService(const AlarmMaker& alarms, CardEventListener listener);
    UssdService(const UssdService&) = delete;
    UssdService& operator=(const UssdService&) = delete;

    std::chrono::milliseconds& replyDelay() { return replyDelay_; }
    // Sends `code` to the network; its answer comes after the reply delay. A request
    // still waiting for its answer is replaced.
    void request(std::string_view code);
    // Ends the session: a request that waits gets no answer.
    void cancel();
    bool waiting() const { return alarm_->pending(); }
    // A message from the network, at once.
    void notify(std::string_view text);
    const UssdMessage& last() const { return last_; }

    // What may be sent: '*', '#' and digits, 1 to 40 of them.
    static bool validCode(std::string_view code);
    // What the network answers to `code`: a balance for *100#, data left for *101#,
    // "not supported" for anything else.
    static UssdMessage replyTo(std::string_view code);

private:
    void answer();

    CardEventListener listener_;
    std::chrono::milliseconds replyDelay_{1000};
    std::string pending_;
    UssdMessage last_;
    std::unique_ptr<Alarm> alarm_; // last: its ring uses everything above
};

} // namespace Cardsim
