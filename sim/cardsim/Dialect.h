#pragma once
// The AT dialect of the card as a table: each row names a command key (as AtCommandLine
// makes them: "AT+CGMR", "AT_TGPS?", "AT_TGPS=") and the handler that answers it. A key
// without a row is answered with ERROR, as a modem answers what it does not know. New
// commands are new rows.

#include "sim/cardsim/AtCommandLine.h"
#include "sim/cardsim/FaultRules.h"
#include "sim/cardsim/FinalResult.h"
#include "sim/cardsim/Profile.h"

#include <cstdint>
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
};

// The facts of a card of `profile` with serial number `serial`; IMEI and IMSI follow
// from the serial, so one card answers the same every time.
CardFacts factsFor(const Profile& profile, std::string_view serial);

// Settings of one AT port, as ATZ leaves them.
struct SessionSettings {
    bool echo = true;
    int errorReporting = kCmeeOff;
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

class Dialect {
public:
    explicit Dialect(std::vector<CommandRow> rows) : rows_(std::move(rows)) {}
    // The commands of every card, and the GPS commands when it has a receiver.
    static Dialect forCard(bool withReceiver);

    const CommandRow* find(std::string_view key) const;
    std::vector<std::string_view> keys() const;
    // Carries out the commands of one line in order and stops at the first that fails,
    // as a modem does. A rule in `faults` answers for its command instead of the row.
    FinalResult run(std::span<const AtCommand> commands, CommandContext& context, FaultRules& faults) const;

private:
    std::vector<CommandRow> rows_;
};

} // namespace Cardsim
