#pragma once
// The AT dialect of the card as tables. Each command row names a command key (as
// AtCommandLine makes them: "AT+CGMR", "AT_TGPS?", "AT_TGPS=") and the handler that
// answers it; a key without a row is answered with ERROR, as a modem answers what it does
// not know. Each unsolicited row names a card event, the report a port must have switched
// on for it (by a command whose handler adds it to the session's reports; none: always),
// and the text it sends. New commands and reports are new rows.

#include "sim/cardsim/AtCommandLine.h"
#include "sim/cardsim/FaultRules.h"
#include "sim/cardsim/FinalResult.h"
#include "sim/cardsim/Profile.h"

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

class Receiver;

// What the card answers about itself.
struct CardFacts {
    std::string manufacturer;
    std::string model;
    std::string productName;
    std::string firmware;
    std::string hardware;
    std::string serial;
    std::string imei; // 15 digits, the last one the Luhn check digit
    std::string imsi; // test network 001 01
    std::string iccid;        // 19 digits, the SIM's serial number
    std::string phoneNumber;  // the subscriber's own number
};

// The facts of a card of `profile` with serial number `serial`; IMEI and IMSI follow
// from the serial, so one card answers the same every time.
CardFacts factsFor(const Profile& profile, std::string_view serial);

// Settings of one AT port, as ATZ leaves them.
struct SessionSettings {
    bool echo = true;
    int errorReporting = kCmeeOff;
    std::set<std::string, std::less<>> reports; // unsolicited reports switched on
};

struct CommandContext {
    SessionSettings& session;
    const CardFacts& facts;
    Receiver* receiver; // null on a card without GPS
    std::vector<std::string>& lines; // information lines of the answer, in order
};

using Handler = FinalResult (*)(CommandContext& context, std::string_view arguments);

struct CommandRow {
    std::string_view key;
    Handler handler;
};

// What happens on the card by itself, for unsolicited results to report.
enum class CardEvent { receiverSwitched, fixLost, fixRegained };

struct UnsolicitedRow {
    CardEvent event;
    std::string_view report; // in SessionSettings::reports; empty: always sent
    std::string (*text)(const CardFacts& facts, const Receiver* receiver);
};

class Dialect {
public:
    explicit Dialect(std::vector<CommandRow> rows, std::vector<UnsolicitedRow> unsolicited = {})
        : rows_(std::move(rows)), unsolicited_(std::move(unsolicited))
    {
    }
    // The commands of every card, and the GPS commands when it has a receiver.
    static Dialect forCard(bool withReceiver);

    const CommandRow* find(std::string_view key) const;
    std::vector<std::string_view> keys() const;
    // Carries out the commands of one line in order and stops at the first that fails,
    // as a modem does. A rule in `faults` answers for its command instead of the row.
    FinalResult run(std::span<const AtCommand> commands, CommandContext& context, FaultRules& faults) const;
    // The unsolicited lines that `event` sends on a port with `session`, in row order.
    std::vector<std::string> unsolicited(CardEvent event, const SessionSettings& session, const CardFacts& facts,
                                         const Receiver* receiver) const;

private:
    std::vector<CommandRow> rows_;
    std::vector<UnsolicitedRow> unsolicited_;
};

} // namespace Cardsim
