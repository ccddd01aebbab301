#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "Arguments.h"
#include "FoundNetworks.h"
#include "PduCommandLine.h"

#include "quelder/sms/Tpdu.h"

namespace Orvanta::modem {

// --help gives the longest text in figures.
static_assert(SMS::kTextCapacity - 1 == 683, "the usage text names the longest text pdu encode takes");

const char* const kUsage =
    "Usage: orvanta-modem status [--json] [SECONDS]\n"
    "  or:  orvanta-modem watch [--json]\n"
    "  or:  orvanta-modem pin status [SECONDS]\n"
    "  or:  orvanta-modem pin enter|unblock|change|enable|disable [--timeout SECONDS]\n"
    "  or:  orvanta-modem radio on|off [SECONDS]\n"
    "  or:  orvanta-modem networks [--json] [SECONDS]\n"
    "  or:  orvanta-modem select MCCMNC [--tech auto|gsm|umts] [SECONDS]\n"
    "  or:  orvanta-modem select auto [SECONDS]\n"
    "  or:  orvanta-modem tech auto|gsm|umts [SECONDS]\n"
    "  or:  orvanta-modem pdu decode HEX [--length OCTETS]\n"
    "  or:  orvanta-modem pdu encode --to NUMBER --text TEXT|- [PDU OPTION]... [--json]\n"
    "  or:  orvanta-modem --help|--version\n"
    "\n"
    "The card's SIM, radio and network through Orvanta's client interface, and the SMS\n"
    "PDUs the card exchanges, without a card.\n"
    "\n"
    "Commands:\n"
    "  status    the device, the SIM and its PIN (with the attempts left), the radio, the\n"
    "            registration, the operator's long and short name and its MCC and MNC,\n"
    "            the technology and the signal.\n"
    "  watch     every notification the library sends, one line each, until Ctrl-C,\n"
    "            SIGTERM or SIGHUP.\n"
    "  pin status    whether the SIM waits for its PIN or PUK, and the attempts left.\n"
    "  pin enter     gives the SIM its PIN.\n"
    "  pin unblock   gives the SIM its PUK and a new PIN.\n"
    "  pin change    changes the PIN: the PIN, then the new one.\n"
    "  pin enable|disable\n"
    "                switches the SIM's PIN request on or off; takes the PIN.\n"
    "  radio on|off  switches the card's radio.\n"
    "  networks  scans for networks and lists each with its code, state (current,\n"
    "            available, forbidden) and technology. On a terminal, standard error shows\n"
    "            the scan's progress.\n"
    "  select MCCMNC  registers on the network of that code (five or six digits, such as\n"
    "            00101), with the technology --tech names when given.\n"
    "  select auto    lets the card choose the network.\n"
    "  tech auto|gsm|umts\n"
    "            the technology the card may use: any, GSM (also 2g) or UMTS (also 3g).\n"
    "  pdu decode HEX\n"
    "            decodes a received SMS PDU (deliver, submit or status report), in hex\n"
    "            with the service-centre address first as the card gives it, into one\n"
    "            JSON object: type, smsc, number, text, coding, class, timestamp, pid,\n"
    "            udh, reference, parts, part, status_report_request, reply_path, for an\n"
    "            8-bit message user_data (its octets in hex), and for a status report\n"
    "            discharge_time and status. Needs no card.\n"
    "  pdu encode\n"
    "            encodes a message into the SMS-SUBMIT PDUs the library sends, split into\n"
    "            concatenated segments as a long text is sent: one line per segment, the\n"
    "            TPDU length for AT+CMGS= and the PDU in hex. The text is UTF-8, up to\n"
    "            683 bytes; --text - reads it from standard input (one final line end is\n"
    "            dropped). Characters the coding cannot carry bring a warning on standard\n"
    "            error. Needs no card.\n"
    "\n"
    "Options:\n"
    "  --json    status, networks, watch and pdu encode write one JSON object per line\n"
    "            instead (pdu encode: one per segment).\n"
    "  --timeout SECONDS, or SECONDS\n"
    "            how long to wait for the card, and then for its answer (1 to 600;\n"
    "            default 10, for networks 120). The pin commands take only --timeout.\n"
    "\n"
    "PDU options:\n"
    "  --length OCTETS\n"
    "            pdu decode: the TPDU length the card reported with the PDU; without it,\n"
    "            the octets after the service-centre address.\n"
    "  --smsc NUMBER\n"
    "            the service centre's number; without it the PDU names none.\n"
    "  --coding gsm7|8bit|ucs2\n"
    "            the GSM 7-bit alphabet (the default), 8-bit (code page 949) or UCS2.\n"
    "  --class 0-3\n"
    "            the message class; without it the message has none.\n"
    "  --validity OCTET\n"
    "            the relative validity period octet, 0 to 255; 175 unless given.\n"
    "  --status-report\n"
    "            asks for a status report.\n"
    "  --reply-path\n"
    "            sets the reply path.\n"
    "\n"
    "Codes: a PIN (4 to 8 digits) and a PUK (8 digits) are read from a prompt that does\n"
    "not echo when standard input is a terminal, or else one per line from standard input\n"
    "(pin unblock: the PUK, then the new PIN; pin change: the PIN, then the new PIN). They\n"
    "are never taken from the command line, where other users could read them.\n"
    "\n"
    "--help (or -h) prints this text, --version the program's version; both exit with 0.\n"
    "\n"
    "Exit status:\n"
    "  0    success\n"
    "  1    the card or the library refused, or another failure\n"
    "  2    a wrong command line, or no code on standard input\n"
    "  3    timed out: the card did not answer in time\n"
    "  4    no card\n"
    "  5    no SIM\n"
    "  6    wrong PIN or PUK; attempts are left\n"
    "  7    the SIM waits for its PUK\n"
    "  8    the SIM is blocked\n"
    "  9    unknown network\n"
    "  10   the SIM waits for its PIN (pin enter first)\n"
    "  11   a malformed PDU (pdu decode)\n"
    "  130  ended by a signal\n"
    "Each failure writes one line with its reason on standard error.\n";

namespace {

constexpr const char* kNoCodesHere =
    "a PIN or PUK is never taken from the command line, where other users could read it: type it at "
    "the prompt, or give it on standard input";

Failure wrong(std::string reason)
{
    return Failure{ExitCode::usage, std::move(reason)};
}

struct Word {
    std::string_view text;
    Command command;
};

constexpr std::array kPinWords{
    Word{"status", Command::pinStatus},   Word{"enter", Command::pinEnter},     Word{"unblock", Command::pinUnblock},
    Word{"change", Command::pinChange},   Word{"enable", Command::pinEnable},   Word{"disable", Command::pinDisable},
};
constexpr std::array kRadioWords{Word{"on", Command::radioOn}, Word{"off", Command::radioOff}};

template <std::size_t count>
std::optional<Command> commandOf(const std::array<Word, count>& words, std::string_view text)
{
    const auto word = std::find_if(words.begin(), words.end(), [&](const Word& w) { return w.text == text; });
    return word == words.end() ? std::nullopt : std::optional<Command>(word->command);
}

bool takesSecret(Command command)
{
    return command == Command::pinEnter || command == Command::pinUnblock || command == Command::pinChange ||
           command == Command::pinEnable || command == Command::pinDisable;
}

bool takesJson(Command command)
{
    return command == Command::status || command == Command::networks || command == Command::watch;
}

std::optional<std::chrono::seconds> secondsOf(std::string_view text)
{
    const std::optional<int> seconds = text.size() <= 3 ? wholeNumberOf(text, 1, 600) : std::nullopt;
    if (!seconds)
        return std::nullopt;
    return std::chrono::seconds(*seconds);
}

// The command and its own words (pin enter, select 00101); the options are left.
std::variant<Request, Failure> commandOfWords(std::vector<std::string>& words)
{
    Request request;
    if (words.empty())
        return wrong("no command given");
    const std::string first = words.front();
    words.erase(words.begin());
    auto next = [&]() -> std::optional<std::string> {
        if (words.empty())
            return std::nullopt;
        std::string word = words.front();
        words.erase(words.begin());
        return word;
    };
    if (first == "status")
        request.command = Command::status;
    else if (first == "watch")
        request.command = Command::watch;
    else if (first == "networks")
        request.command = Command::networks;
    else if (first == "pin" || first == "radio") {
        const std::optional<std::string> what = next();
        const std::optional<Command> command =
            what ? (first == "pin" ? commandOf(kPinWords, *what) : commandOf(kRadioWords, *what)) : std::nullopt;
        if (!command)
            return wrong(first == "pin" ? "pin takes status, enter, unblock, change, enable or disable"
                                        : "radio takes on or off");
        request.command = *command;
    } else if (first == "select") {
        const std::optional<std::string> network = next();
        if (!network)
            return wrong("select takes a network code (MCCMNC) or auto");
        if (*network == "auto") {
            request.command = Command::selectAutomatic;
        } else if (const std::optional<std::int64_t> number = client::mccmncNumber(*network)) {
            request.command = Command::selectNetwork;
            request.mccmnc = *number;
        } else {
            return wrong("not a network code: " + *network + " (five or six digits, such as 00101)");
        }
    } else if (first == "tech") {
        const std::optional<std::string> mode = next();
        request.technology = mode ? technologyNamed(*mode) : std::nullopt;
        if (!request.technology)
            return wrong("tech takes auto, gsm or umts");
        request.command = Command::technology;
    } else {
        return wrong("unknown command: " + first);
    }
    if (request.command == Command::networks)
        request.patience = std::chrono::seconds(120);
    return request;
}

} // namespace

bool runsWithoutCard(Command command) noexcept
{
    return command == Command::pduDecode || command == Command::pduEncode || command == Command::help ||
           command == Command::version;
}

std::optional<Corvane::PsTechnology> technologyNamed(const std::string& name)
{
    if (name == "auto")
        return Corvane::cPsTechnologyAutomatic;
    if (name == "gsm" || name == "2g")
        return Corvane::cPsTechnology2G;
    if (name == "umts" || name == "3g")
        return Corvane::cPsTechnology3G;
    return std::nullopt;
}

std::variant<Request, Failure> parseCommandLine(const std::vector<std::string>& arguments)
{
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "--version")) {
        Request request;
        request.command = arguments[0] == "--version" ? Command::version : Command::help;
        return request;
    }

    // The PDU commands have options of their own.
    if (const auto pdu = std::find_if(arguments.begin(), arguments.end(),
                                      [](const std::string& argument) { return !argument.starts_with('-'); });
        pdu != arguments.end() && *pdu == "pdu")
        return parsePduCommandLine(arguments);

    // The options first, wherever they stand; what is left are the command's words.
    bool json = false;
    std::optional<std::chrono::seconds> timeout;
    std::optional<std::string> tech;
    std::vector<std::string> words;
    for (ArgumentCursor cursor(arguments); !cursor.done(); cursor.advance()) {
        const std::string_view argument = cursor.current();
        if (argument == "--json") {
            json = true;
        } else if (cursor.names("--timeout")) {
            const std::optional<std::string> value = cursor.valueOf("--timeout");
            timeout = value ? secondsOf(*value) : std::nullopt;
            if (!timeout)
                return wrong("--timeout takes a whole number of seconds from 1 to 600");
        } else if (cursor.names("--tech")) {
            tech = cursor.valueOf("--tech");
            if (!tech)
                return wrong("--tech takes auto, gsm or umts");
        } else if (argument.starts_with("--pin") || argument.starts_with("--puk") ||
                   argument.starts_with("--new-pin")) {
            return wrong(kNoCodesHere);
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return wrong("unknown option: " + std::string(argument));
        } else {
            words.emplace_back(argument);
        }
    }

    std::variant<Request, Failure> parsed = commandOfWords(words);
    if (std::holds_alternative<Failure>(parsed))
        return parsed;
    Request request = std::get<Request>(parsed);

    if (takesSecret(request.command) && !words.empty())
        return wrong(kNoCodesHere);
    if (!words.empty() && request.command != Command::watch) {
        if (words.size() > 1 || timeout)
            return wrong("unexpected argument: " + words.back());
        timeout = secondsOf(words.front());
        if (!timeout)
            return wrong("not a number of seconds from 1 to 600: " + words.front());
    } else if (!words.empty()) {
        return wrong("unexpected argument: " + words.front());
    }
    if (timeout) {
        if (request.command == Command::watch)
            return wrong("watch runs until it is ended and takes no time-out");
        request.patience = *timeout;
    }
    if (json && !takesJson(request.command))
        return wrong("--json is for status, networks and watch");
    request.json = json;
    if (tech) {
        if (request.command != Command::selectNetwork)
            return wrong("--tech is for select MCCMNC");
        request.technology = technologyNamed(*tech);
        if (!request.technology)
            return wrong("--tech takes auto, gsm or umts");
    }
    return request;
}

} // namespace Orvanta::modem
