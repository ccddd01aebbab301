#include "sim/cardsim/ControlCommand.h"

#include "sim/cardsim/AtCommandLine.h"

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
        problem = "\"" + std::string(text) + "\" is not one AT command";
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

struct VerbRow {
    ControlVerb verb;
    Verb value;
    Parser parse;
};

const std::array<VerbRow, 17> kVerbs{{
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
