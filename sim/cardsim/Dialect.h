#pragma once
// The AT dialect of the card as tables. Each command row names a command key (as
// AtCommandLine makes them: "AT+CGMR", "AT_TGPS?", "AT_TGPS=") and the handler that
// answers it; a key without a row is answered with ERROR, as a modem answers what it does
// not know. Each unsolicited row names a card event, the report a port must have switched
// on for it (by a command whose handler adds it to the session's reports; none: always),
// and the text it sends. New commands and reports are new rows.

#include "sim/cardsim/AtCommandLine.h"
#include "sim/cardsim/CardEvent.h"
#include "sim/cardsim/FaultRules.h"
#include "sim/cardsim/FinalResult.h"
#include "sim/cardsim/Profile.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

class CardState;
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
    bool voice = false;       // carries voice calls; a data card says it does not
};

// What the subscriber's IMSI may be: 6 to 15 digits, the first five or six the home network.
bool isImsi(std::string_view text);

// The facts of a card of `profile` with serial number `serial`; IMEI and IMSI follow
// from the serial, so one card answers the same every time.
CardFacts factsFor(const Profile& profile, std::string_view serial);

// Settings of one AT port, as ATZ leaves them.
struct SessionSettings {
    bool echo = true;
    int errorReporting = kCmeeOff;
    // Unsolicited reports switched on, by the name of the command that switches them
    // ("_TSQI" for AT_TSQI=1, "+CREG" for AT+CREG=1).
    std::set<std::string, std::less<>> reports;
    int circuitReporting = 0; // AT+CREG=<n>: 1 the state, 2 with the cell
    int packetReporting = 0;  // AT+CGREG=<n>
    int operatorFormat = 0;   // AT+COPS=3,<format>: 0 long, 1 short, 2 numeric
    std::string characterSet = "IRA"; // AT+CSCS: "IRA", "GSM" or "UCS2"
};

struct CommandContext;
using Handler = FinalResult (*)(CommandContext& context, std::string_view arguments);

// An answer that comes later: `finish` writes it (called without arguments) once `delay`
// has passed, and the commands after it on the line wait for it.
struct Deferral {
    std::chrono::milliseconds delay;
    Handler finish;
};

// A command that reads a text after the "> " prompt (a PDU ended by Ctrl-Z): `finish`
// gets the command's arguments and the text, and answers as a handler does.
using TextHandler = FinalResult (*)(CommandContext& context, std::string_view arguments, std::string_view text);
struct Prompt {
    TextHandler finish;
    std::string arguments;
};

struct CommandContext {
    SessionSettings& session;
    const CardFacts& facts;
    Receiver* receiver; // null on a card without GPS
    CardState* card;    // null only in dialects without network rows
    std::vector<std::string>& lines; // information lines of the answer, in order
    std::string_view key = {};       // of the command being carried out
    std::optional<Deferral> deferral = {}; // set by a handler whose answer comes later
    std::optional<Prompt> prompt = {};     // set by a handler that reads a text first
};

struct CommandRow {
    std::string_view key;
    Handler handler;
};

// What an unsolicited result is written from.
struct ReportContext {
    const SessionSettings& session;
    const CardFacts& facts;
    const Receiver* receiver;
    const CardState* card;
};

struct UnsolicitedRow {
    CardEvent event;
    std::string_view report; // in SessionSettings::reports; empty: always sent
    // The line; an empty one is not sent (a report that has nothing to say this time).
    std::string (*text)(const ReportContext& context);
};

// The rows of the card's SIM: its codes and what it stores.
std::span<const CommandRow> simCommandRows();

// The rows of the card's message service and phonebook.
std::span<const CommandRow> smsCommandRows();
std::span<const UnsolicitedRow> smsUnsolicitedRows();
std::span<const CommandRow> phonebookCommandRows();

// The rows of the card's network side, its calls, USSD and hardware.
std::span<const CommandRow> networkCommandRows();
std::span<const UnsolicitedRow> networkUnsolicitedRows();

class Dialect {
public:
    explicit Dialect(std::vector<CommandRow> rows, std::vector<UnsolicitedRow> unsolicited = {})
        : rows_(std::move(rows)), unsolicited_(std::move(unsolicited))
    {
    }
    // The commands and reports of every card, and the GPS commands when it has a receiver.
    static Dialect forCard(bool withReceiver);

    const CommandRow* find(std::string_view key) const;
    std::vector<std::string_view> keys() const;
    // Carries out the commands of one line in order and stops at the first that fails,
    // as a modem does, or at one that defers its answer (context.deferral) or prompts for
    // a text (context.prompt): `commands`
    // is left holding the commands not yet carried out. A rule in `faults` answers for
    // its command instead of the row.
    FinalResult run(std::span<const AtCommand>& commands, CommandContext& context, FaultRules& faults) const;
    // The unsolicited lines that `event` sends on a port, in row order.
    std::vector<std::string> unsolicited(CardEvent event, const ReportContext& context) const;

private:
    std::vector<CommandRow> rows_;
    std::vector<UnsolicitedRow> unsolicited_;
};

} // namespace Cardsim
