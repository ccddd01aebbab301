#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "FoundNetworks.h"

namespace Orvanta::modem {

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
    "  or:  orvanta-modem --help|--version\n"
    "\n"
    "The card's SIM, radio and network through Orvanta's client interface.\n"
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
    "\n"
    "Options:\n"
    "  --json    status, networks and watch write one JSON object per line instead.\n"
    "  --timeout SECONDS, or SECONDS\n"
    "            how long to wait for the card, and then for its answer (1 to 600;\n"
    "            default 10, for networks 120). The pin commands take only --timeout.\n"
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
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    const int seconds = std::stoi(std::string(text));
    if (seconds < 1 || seconds > 600)
        return std::nullopt;
    return std::chrono::seconds(seconds);
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

    // The options first, wherever they stand; what is left are the command's words.
    bool json = false;
    std::optional<std::chrono::seconds> timeout;
    std::optional<std::string> tech;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        auto valueOf = [&](std::string_view name) -> std::optional<std::string> {
            if (argument == name && i + 1 < arguments.size())
                return arguments[++i];
            if (argument.starts_with(name) && argument.substr(name.size()).starts_with('='))
                return std::string(argument.substr(name.size() + 1));
            return std::nullopt;
        };
        if (argument == "--json") {
            json = true;
        } else if (argument == "--timeout" || argument.starts_with("--timeout=")) {
            const std::optional<std::string> value = valueOf("--timeout");
            timeout = value ? secondsOf(*value) : std::nullopt;
            if (!timeout)
                return wrong("--timeout takes a whole number of seconds from 1 to 600");
        } else if (argument == "--tech" || argument.starts_with("--tech=")) {
            tech = valueOf("--tech");
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
