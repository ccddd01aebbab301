#include "sim/cardsim/ControlCommand.h"

#include "sim/cardsim/AtCommandLine.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/SecretMask.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace Cardsim {
namespace {

using Verb = ControlCommand::Verb;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

struct Words {
    std::vector<std::string_view> words;
    std::string_view line;

    // The text from word `index` to the end of the line, blanks inside kept.
    std::string_view restFrom(std::size_t index) const
    {
        return index < words.size() ? line.substr(static_cast<std::size_t>(words[index].data() - line.data()))
                                    : std::string_view();
    }
};

Words split(std::string_view line)
{
    Words out{{}, line};
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            out.words.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<int> number(std::string_view text, int lowest, int highest)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

using Parser = bool (*)(const Words& words, ControlCommand& command, std::string& problem);

bool noArguments(const Words& words, ControlCommand&, std::string& problem)
{
    if (words.words.size() == 1)
        return true;
    problem = "takes no arguments";
    return false;
}

bool onOff(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() == 2 && (words.words[1] == "on" || words.words[1] == "off")) {
        command.on = words.words[1] == "on";
        return true;
    }
    problem = "wants on or off";
    return false;
}

// An AT command as the host sends it, reduced to its key: "at_tgps=2" is "AT_TGPS=".
bool commandKey(std::string_view text, std::string& key, std::string& problem)
{
    const auto commands = parseCommandLine(text);
    if (!commands || commands->size() != 1) {
        problem = "\"" + maskSecrets(text) + "\" is not one AT command";
        return false;
    }
    key = commands->front().key;
    return true;
}

bool fail(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() < 3 || words.words.size() > 4) {
        problem = "wants COMMAND error|CODE [TIMES]";
        return false;
    }
    if (!commandKey(words.words[1], command.commandKey, problem))
        return false;
    if (words.words[2] == "error") {
        command.answer = FinalResult::error();
    } else if (const auto code = number(words.words[2], 0, 65535)) {
        command.answer = FinalResult::cme(*code);
    } else {
        problem = "the answer must be error or a CME error code from 0 to 65535";
        return false;
    }
    if (words.words.size() == 4) {
        command.times = number(words.words[3], 1, 1'000'000);
        if (!command.times) {
            problem = "TIMES must be a number from 1 to 1000000";
            return false;
        }
    }
    return true;
}

bool heal(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() > 2) {
        problem = "wants at most one COMMAND";
        return false;
    }
    return words.words.size() == 1 || commandKey(words.words[1], command.commandKey, problem);
}

bool garble(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() < 2 || words.words.size() > 3) {
        problem = "wants N [PORT]";
        return false;
    }
    const auto count = number(words.words[1], 1, 1'000'000);
    if (!count) {
        problem = "N must be a number from 1 to 1000000";
        return false;
    }
    command.count = *count;
    if (words.words.size() == 3) {
        command.port = roleFromName(words.words[2]);
        if (!command.port) {
            problem = "no port \"" + std::string(words.words[2]) + "\" (modem, app, gps-control, gps-data)";
            return false;
        }
    }
    return true;
}

bool urc(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() < 3) {
        problem = "wants PORT TEXT";
        return false;
    }
    if (words.words[1] != "all") {
        command.port = roleFromName(words.words[1]);
        if (!command.port || !answersAt(*command.port)) {
            problem = "no AT port \"" + std::string(words.words[1]) + "\" (modem, app, gps-control, all)";
            return false;
        }
    }
    command.text = words.restFrom(2);
    if (std::any_of(command.text.begin(), command.text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        problem = "TEXT may not hold control characters";
        return false;
    }
    return true;
}

// Words of which one in double quotes may hold blanks: `00101 "Orvanta Test Net" OTN`.
// Nothing when a quote is not closed or a word goes on after its closing quote.
std::optional<std::vector<std::string>> quotedWords(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos || (close + 1 < text.size() && !isBlank(text[close + 1])))
                return std::nullopt;
            words.emplace_back(text.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool noControlCharacters(std::string_view text)
{
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

bool parseRegistration(const Words& words, ControlCommand& command, std::string& problem)
{
    problem = "wants home|roaming|searching|denied|unknown|none [cs|ps|both]";
    if (words.words.size() < 2 || words.words.size() > 3)
        return false;
    const auto state = registrationFromName(words.words[1]);
    const auto domain = words.words.size() == 3 ? domainFromName(words.words[2]) : std::optional<Domain>(Domain::both);
    if (!state || !domain)
        return false;
    command.registration = *state;
    command.domain = *domain;
    return true;
}

// MCCMNC LONG SHORT [home|roaming] from word `first` of `words` on.
bool operatorRow(const std::vector<std::string>& words, std::size_t first, bool homeByDefault,
                 OperatorInfo& info, std::string& problem)
{
    problem = "wants MCCMNC LONG SHORT [home|roaming] (quote names with blanks)";
    if (words.size() < first + 3 || words.size() > first + 4)
        return false;
    info = {words[first], words[first + 1], words[first + 2], homeByDefault};
    if (words.size() == first + 4) {
        if (words[first + 3] != "home" && words[first + 3] != "roaming")
            return false;
        info.home = words[first + 3] == "home";
    }
    if (!isOperatorNumber(info.numeric)) {
        problem = "MCCMNC must be 5 or 6 digits";
        return false;
    }
    if (!isOperatorName(info.longName) || !isOperatorName(info.shortName)) {
        problem = "names are 1 to 32 printable characters without '\"'";
        return false;
    }
    return true;
}

bool parseOperator(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto all = quotedWords(words.restFrom(0));
    return all && operatorRow(*all, 1, true, command.operatorInfo, problem);
}

bool parseOperators(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto all = quotedWords(words.restFrom(0));
    if (all && all->size() == 2 && (*all)[1] == "clear") {
        command.on = true;
        return true;
    }
    if (all && all->size() > 1 && (*all)[1] == "add")
        return operatorRow(*all, 2, false, command.operatorInfo, problem);
    problem = "wants add MCCMNC LONG SHORT [home|roaming], or clear";
    return false;
}

bool parseSignal(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto value = words.words.size() == 2 ? number(words.words[1], 0, 99) : std::nullopt;
    if (!value || (*value > 31 && *value != 99)) {
        problem = "wants an RSSI from 0 to 31, or 99 for none";
        return false;
    }
    command.value = *value;
    return true;
}

bool parseTechnology(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto value = words.words.size() == 2 ? technologyFromName(words.words[1]) : std::nullopt;
    if (!value) {
        problem = "wants gsm, gprs, edge, umts or hsdpa";
        return false;
    }
    command.technology = *value;
    return true;
}

std::optional<std::uint32_t> hexNumber(std::string_view text, std::uint32_t highest)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > highest)
        return std::nullopt;
    return value;
}

bool parseCell(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto lac = words.words.size() == 3 ? hexNumber(words.words[1], 0xFFFF) : std::nullopt;
    const auto ci = words.words.size() == 3 ? hexNumber(words.words[2], 0xFFFFFFF) : std::nullopt;
    if (!lac || !ci) {
        problem = "wants LAC (hexadecimal, at most FFFF) and CI (hexadecimal, at most FFFFFFF)";
        return false;
    }
    command.cell = {*lac, *ci};
    return true;
}

bool parseAntenna(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() == 2 && (words.words[1] == "in" || words.words[1] == "out")) {
        command.on = words.words[1] == "out";
        return true;
    }
    problem = "wants in or out";
    return false;
}

bool parseUssd(const Words& words, ControlCommand& command, std::string& problem)
{
    command.text = words.restFrom(1);
    if (command.text.empty() || command.text.size() > 160 || !noControlCharacters(command.text) ||
        command.text.find('"') != std::string::npos) {
        problem = "wants TEXT, 1 to 160 characters without '\"' or control characters";
        return false;
    }
    return true;
}

bool parseRing(const Words& words, ControlCommand& command, std::string& problem)
{
    const std::string_view digits = words.words.size() == 2 ? words.words[1] : std::string_view();
    const std::string_view body = digits.starts_with('+') ? digits.substr(1) : digits;
    if (body.empty() || body.size() > 20 ||
        !std::all_of(body.begin(), body.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        problem = "wants the caller's NUMBER: digits, '+' in front for an international one";
        return false;
    }
    command.text = digits;
    return true;
}

bool parseTemperature(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto value = words.words.size() == 2 ? number(words.words[1], -40, 125) : std::nullopt;
    if (!value) {
        problem = "wants degrees Celsius from -40 to 125";
        return false;
    }
    command.value = *value;
    return true;
}

bool parseScanDelay(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto value = words.words.size() == 2 ? number(words.words[1], 0, 600'000) : std::nullopt;
    if (!value) {
        problem = "wants milliseconds from 0 to 600000";
        return false;
    }
    command.delay = std::chrono::milliseconds(*value);
    return true;
}

bool parseImsi(const Words& words, ControlCommand& command, std::string& problem)
{
    const std::string_view digits = words.words.size() == 2 ? words.words[1] : std::string_view();
    if (!isImsi(digits)) {
        problem = "wants 6 to 15 digits, the first five or six the SIM's home network";
        return false;
    }
    command.text = digits;
    return true;
}

bool parseSms(const Words& words, ControlCommand& command, std::string& problem)
{
    const auto all = quotedWords(words.restFrom(1));
    if (!all) {
        problem = "a quote is not closed";
        return false;
    }
    problem = parseSmsOrder(*all, command.sms);
    return problem.empty();
}

bool parsePhonebook(const Words& words, ControlCommand& command, std::string& problem)
{
    if (words.words.size() == 1 || (words.words.size() == 2 && words.words[1] == "clear")) {
        command.on = words.words.size() == 2;
        return true;
    }
    problem = "wants nothing, or clear";
    return false;
}

struct VerbRow {
    ControlVerb verb;
    Verb value;
    Parser parse;
};

const std::array<VerbRow, 37> kVerbs{{
    {{"status", "", "one line with the card's state and its ports"}, Verb::status, noArguments},
    {{"unplug", "", "pull the card: its ports close (hosts reading them see the card go) and its description "
                    "leaves the device tree"},
     Verb::unplug, noArguments},
    {{"plug", "", "put the card back: new ports, the description written again; the card starts as after "
                  "power-on (receiver as --gps says, echo on, answering)"},
     Verb::plug, noArguments},
    {{"replug", "", "unplug, then plug"}, Verb::replug, noArguments},
    {{"lose-fix", "", "the receiver loses its fix: RMC status V, no position, speed or course"}, Verb::loseFix,
     noArguments},
    {{"regain-fix", "", "the receiver has its fix again (still waiting out the time to first fix after a "
                        "switch-on)"},
     Verb::regainFix, noArguments},
    {{"gps", "on|off", "switch the receiver as \"AT_TGPS=\" with 2 or 0 would"}, Verb::gps, onOff},
    {{"fail", "COMMAND error|CODE [TIMES]",
      "answer COMMAND (written as sent, e.g. AT+CGMR or AT_TGPS=) with ERROR or with \"+CME ERROR: CODE\" "
      "(ERROR while AT+CMEE=1 is not set), TIMES times or until healed; the command is not carried out"},
     Verb::fail, fail},
    {{"heal", "[COMMAND]", "answer COMMAND, or every command, normally again"}, Verb::heal, heal},
    {{"silence", "", "stop answering on the AT ports: input is swallowed, nothing is echoed"}, Verb::silence,
     noArguments},
    {{"unsilence", "", "answer on the AT ports again"}, Verb::unsilence, noArguments},
    {{"garble", "N [PORT]",
      "garble the next N lines written on PORT (modem, app, gps-control, gps-data), or on any port"},
     Verb::garble, garble},
    {{"urc", "PORT TEXT", "write TEXT as an unsolicited result on PORT (modem, app, gps-control, or all)"}, Verb::urc,
     urc},
    {{"suspend", "", "signal a system suspend to the simulated device tree (a \"suspend\" line in its power file)"},
     Verb::suspend, noArguments},
    {{"resume", "", "signal the resume from suspend"}, Verb::resume, noArguments},
    {{"register", "home|roaming|searching|denied|unknown|none [cs|ps|both]",
      "what the network grants the selected network, in both domains or one; at once, while the radio is on "
      "(+CREG and +CGREG report it)"},
     Verb::registration, parseRegistration},
    {{"operator", "MCCMNC LONG SHORT [home|roaming]",
      "the network the card camps on in the present selection mode, e.g. operator 302720 \"Orvanta Partner "
      "North\" OPN; names with blanks in double quotes"},
     Verb::servingOperator, parseOperator},
    {{"operators", "add MCCMNC LONG SHORT [home|roaming] | clear",
      "the networks a scan (AT+COPS=?) finds besides the serving one, and which manual selection takes; "
      "registering on a roaming one (the default) is roaming"},
     Verb::operators, parseOperators},
    {{"signal", "N", "the RSSI, 0 to 31 or 99 (none): +CSQ, _TSIGQ and _TEANT follow"}, Verb::signal, parseSignal},
    {{"tech", "gsm|gprs|edge|umts|hsdpa", "the radio access on the cell: _TSSYSI, _TCTI and _TUWCTI follow"},
     Verb::technology, parseTechnology},
    {{"cell", "LAC CI", "the serving cell, hexadecimal (as +CREG and +CGREG report it)"}, Verb::cell, parseCell},
    {{"radio-switch", "on|off", "the hardware radio switch; off holds the radio off (_TWSTAT: 1)"},
     Verb::radioSwitch, onOff},
    {{"ussd", "TEXT", "a USSD message from the network (+CUSD: 0,\"TEXT\",15)"}, Verb::ussd, parseUssd},
    {{"ring", "NUMBER", "an incoming voice call: RING (again every 5 s) and, after AT+CLIP=1, +CLIP"},
     Verb::ring, parseRing},
    {{"hangup", "", "the other side ends the call (NO CARRIER)"}, Verb::hangup, noArguments},
    {{"temperature", "T", "the power amplifier's temperature in degrees Celsius (_TPATEMP)"}, Verb::temperature,
     parseTemperature},
    {{"antenna", "in|out", "push the antenna in or pull it out (_TANTPOSI)"}, Verb::antenna, parseAntenna},
    {{"scan-delay", "MS", "how long AT+COPS=? takes to answer; default 3000"}, Verb::scanDelay, parseScanDelay},
    {{"imsi", "DIGITS", "the SIM's IMSI (AT+CIMI); its first five or six digits are the home network"},
     Verb::imsi, parseImsi},
    {{"sim", "", "the SIM's state (ready, pin-needed, puk-needed, blocked, absent), its PIN lock and the "
                 "attempts left for PIN and PUK; never the codes"},
     Verb::sim, noArguments},
    {{"sim-remove", "", "pull the SIM: +CPIN? answers +CME ERROR: 10 and the card loses the network"}, Verb::simRemove,
     noArguments},
    {{"sim-insert", "", "put the pulled SIM back, with its codes and counters; it asks for its PIN when the lock "
                        "is on"},
     Verb::simInsert, noArguments},
    {{"sim-reset", "", "a fresh SIM in the slot: the codes and lock the card started with, 3 PIN and 10 PUK "
                       "attempts"},
     Verb::simReset, noArguments},
    {{"sms", kSmsOrderArguments,
      "the SIM's messages: deliver a message from the network (stored and announced, or handed over as "
      "AT+CNMI says; class 0 is handed over), deliver one PDU as it is, list what the host sent or what the "
      "store holds (one line, entries after '|'), fill or clear the store, set its capacity, make the next "
      "sends (TIMES, or all until off) fail with +CMS ERROR CODE"},
     Verb::sms, parseSms},
    {{"phonebook", "[clear]", "the SIM's phonebook on one line (entries after '|'), or empty it"}, Verb::phonebook,
     parsePhonebook},
    {{"stop", "", "unplug and end the program"}, Verb::stop, noArguments},
    {{"help", "", "list the commands"}, Verb::help, noArguments},
}};

} // namespace

std::span<const ControlVerb> controlVerbs()
{
    static const std::vector<ControlVerb> verbs = [] {
        std::vector<ControlVerb> all;
        for (const VerbRow& row : kVerbs)
            all.push_back(row.verb);
        return all;
    }();
    return verbs;
}

ParsedControl parseControlLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const Words words = split(line);
    if (words.words.empty())
        return {std::nullopt, "empty command"};
    const auto row = std::find_if(kVerbs.begin(), kVerbs.end(),
                                  [&](const VerbRow& candidate) { return candidate.verb.name == words.words[0]; });
    if (row == kVerbs.end())
        return {std::nullopt, "unknown command \"" + std::string(words.words[0]) + "\" (try help)"};
    ControlCommand command;
    command.verb = row->value;
    std::string problem;
    if (!row->parse(words, command, problem))
        return {std::nullopt, std::string(row->verb.name) + ": " + problem};
    return {std::move(command), {}};
}

} // namespace Cardsim
