#include "sim/cardsim/Options.h"

#include "sim/cardsim/ControlCommand.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/Profile.h"

#include "OrvantaVersion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Cardsim {
namespace {

using Setter = bool (*)(Options& options, std::string_view value, std::string& problem);

struct Row {
    OptionRow option;
    Setter set;
};

bool plainName(std::string_view text)
{
    return !text.empty() && text.size() <= 64 && text.front() != '.' &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.';
           });
}

std::optional<std::int32_t> usbId(std::string_view text)
{
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
        text.remove_prefix(2);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> decimal(std::string_view text)
{
    // strtod wants a terminated string; from_chars for doubles is not in every library yet.
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Checks `line` as a control command and keeps it for the card to carry out at start.
bool keepNetworkCommand(Options& options, const std::string& line, std::string& problem)
{
    const ParsedControl parsed = parseControlLine(line);
    if (!parsed.command) {
        problem = parsed.problem;
        return false;
    }
    options.networkCommands.push_back(line);
    return true;
}

const std::array<Row, 29> kRows{{
    {{"--profile", "NAME", "the card to play (see Profiles below); default gps"},
     [](Options& o, std::string_view v, std::string& problem) {
         if (findProfile(v) == nullptr) {
             problem = "no profile \"" + std::string(v) + "\"";
             return false;
         }
         o.profile = v;
         return true;
     }},
    {{"--vendor-id", "HEX", "USB vendor id instead of the profile's (e.g. 1C2A)"},
     [](Options& o, std::string_view v, std::string& problem) {
         o.vendorId = usbId(v);
         problem = "the vendor id must be hexadecimal, at most FFFF";
         return o.vendorId.has_value();
     }},
    {{"--product-id", "HEX", "USB product id instead of the profile's (e.g. 7501)"},
     [](Options& o, std::string_view v, std::string& problem) {
         o.productId = usbId(v);
         problem = "the product id must be hexadecimal, at most FFFF";
         return o.productId.has_value();
     }},
    {{"--name", "NAME", "the card's files in the simulator's folder: NAME.json (description) and NAME.sock "
                        "(control socket); default cardsim. Give each of several cards its own"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "a name is 1 to 64 letters, digits, '-', '_' or '.', not starting with '.'";
         o.name = v;
         return plainName(v);
     }},
    {{"--serial", "TEXT", "the card's serial number (instance IDs, AT_TGSN, IMEI and IMSI follow from it); "
                          "default: one that follows from --name"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "a serial number is 1 to 64 letters, digits, '-', '_' or '.'";
         o.serial = v;
         return plainName(v);
     }},
    {{"--sim-dir", "DIR", "the simulator's folder; default $ORVANTA_SIM_DIR, else $XDG_RUNTIME_DIR/orvanta/sim"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "the folder may not be empty";
         o.simDir = std::filesystem::path(v);
         return !v.empty();
     }},
    {{"--track", "FILE", "play this NMEA capture (looped) instead of the bundled walk"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "the track may not be empty";
         o.track = std::filesystem::path(v);
         return !v.empty();
     }},
    {{"--rate", "N", "sentence groups a second while the receiver is on, 0.1 to 1000; default 1"},
     [](Options& o, std::string_view v, std::string& problem) {
         const auto rate = decimal(v);
         problem = "the rate must be a number from 0.1 to 1000";
         if (!rate || *rate < 0.1 || *rate > 1000)
             return false;
         o.rate = *rate;
         return true;
     }},
    {{"--ttff", "SECONDS", "time to first fix after the receiver is switched on, 0 to 3600; until then RMC "
                           "carries status V and no position; default 5"},
     [](Options& o, std::string_view v, std::string& problem) {
         const auto seconds = decimal(v);
         problem = "the time to first fix must be a number of seconds from 0 to 3600";
         if (!seconds || *seconds < 0 || *seconds > 3600)
             return false;
         o.timeToFirstFix = std::chrono::milliseconds(std::llround(*seconds * 1000));
         return true;
     }},
    {{"--gps", "on|off", "the receiver's state at power-on (after every plug); default off, as the host "
                         "switches it on"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "--gps wants on or off";
         o.gpsOn = v == "on";
         return v == "on" || v == "off";
     }},
    {{"--no-fix", "", "start with the fix lost (see lose-fix and regain-fix)"},
     [](Options& o, std::string_view, std::string&) { return o.noFix = true; }},
    {{"--silent", "", "start without answering on the AT ports (see silence)"},
     [](Options& o, std::string_view, std::string&) { return o.silent = true; }},
    {{"--unplugged", "", "start with the card unplugged; the control command plug plugs it"},
     [](Options& o, std::string_view, std::string&) { return o.unplugged = true; }},
    {{"--voice", "", "a card that carries voice calls (_TPCMENABLE: 1); without it the card says it carries "
                     "none, and its calls (see ring) reach the host only as reports"},
     [](Options& o, std::string_view, std::string&) { return o.voice = true; }},
    {{"--pin", "DIGITS", "a SIM with its PIN lock on and this PIN (4 to 8 digits), asked for after every plug; "
                         "without it the lock is off (and the PIN 0000 switches it on: AT+CLCK=\"SC\",1,\"0000\")"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "a PIN is 4 to 8 digits";
         o.sim.codes.pin = v;
         o.sim.codes.lockOn = true;
         return isPinCode(v);
     }},
    {{"--puk", "DIGITS", "the SIM's PUK (8 digits); default 12345678"},
     [](Options& o, std::string_view v, std::string& problem) {
         problem = "a PUK is 8 digits";
         o.sim.codes.puk = v;
         return isPukCode(v);
     }},
    {{"--no-sim", "", "start without a SIM in the card (see sim-insert)"},
     [](Options& o, std::string_view, std::string&) {
         o.sim.present = false;
         return true;
     }},
    {{"--fail", "'COMMAND error|CODE [TIMES]'", "as the control command fail; may be given several times"},
     [](Options& o, std::string_view v, std::string& problem) {
         const ParsedControl parsed = parseControlLine("fail " + std::string(v));
         problem = parsed.problem;
         o.faults.emplace_back(v);
         return parsed.command.has_value();
     }},
    {{"--network", "home|roaming|searching|denied|none", "the registration the network grants at start, in both "
                                                         "domains (as the control command register); default home"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "register " + std::string(v), problem);
     }},
    {{"--operator", "'MCCMNC LONG SHORT [home|roaming]'",
      "the network the card camps on (as the control command operator); default 00101 \"Orvanta Test Net\" OTN"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "operator " + std::string(v), problem);
     }},
    {{"--tech", "gsm|gprs|edge|umts|hsdpa", "the radio access on the cell at start; default hsdpa"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "tech " + std::string(v), problem);
     }},
    {{"--signal", "N", "the RSSI at start, 0 to 31 or 99; default 20"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "signal " + std::string(v), problem);
     }},
    {{"--imsi", "DIGITS", "the SIM's IMSI (6 to 15 digits; the first five or six are its home network, e.g. "
                          "302370 for a virtual home network on 302720); default 00101 and digits from the serial"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "imsi " + std::string(v), problem);
     }},
    {{"--scan-delay", "MS", "how long AT+COPS=? takes to answer, in milliseconds; default 3000"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "scan-delay " + std::string(v), problem);
     }},
    {{"--sms-capacity", "N", "how many messages the SIM's store holds, 1 to 255; default 20 (3 of them used)"},
     [](Options& o, std::string_view v, std::string& problem) {
         return keepNetworkCommand(o, "sms capacity " + std::string(v), problem);
     }},
    {{"--verbose", "", "log the AT dialogue, the control commands and plugging to standard error"},
     [](Options& o, std::string_view, std::string&) { return o.verbose = true; }},
    {{"--send", "'COMMAND'", "do not play a card: send COMMAND to the running card named by --name (in the same "
                             "folder), print its answer and exit with 0 when it is OK"},
     [](Options& o, std::string_view v, std::string&) {
         o.send = std::string(v);
         return true;
     }},
    {{"--help", "", "this text"}, [](Options& o, std::string_view, std::string&) { return o.help = true; }},
    {{"--version", "", "the program's version"},
     [](Options& o, std::string_view, std::string&) { return o.version = true; }},
}};

} // namespace

std::string Options::serialNumber() const
{
    if (serial)
        return *serial;
    char text[16];
    std::snprintf(text, sizeof text, "RX%08X", static_cast<unsigned>(stableHash(name)));
    return text;
}

std::span<const OptionRow> optionRows()
{
    static const std::vector<OptionRow> rows = [] {
        std::vector<OptionRow> all;
        for (const Row& row : kRows)
            all.push_back(row.option);
        return all;
    }();
    return rows;
}

ParsedOptions parseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> value;
        if (const std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const auto row = std::find_if(kRows.begin(), kRows.end(), [&](const Row& r) { return r.option.name == name; });
        if (row == kRows.end())
            return {std::nullopt, "unknown option \"" + std::string(arguments[i]) + "\" (try --help)"};
        const bool takesValue = !row->option.argument.empty();
        if (takesValue && !value) {
            if (i + 1 == arguments.size())
                return {std::nullopt, std::string(name) + " wants " + std::string(row->option.argument)};
            value = arguments[++i];
        } else if (!takesValue && value) {
            return {std::nullopt, std::string(name) + " takes no value"};
        }
        std::string problem;
        if (!row->set(options, value.value_or(""), problem))
            return {std::nullopt, std::string(name) + ": " + problem};
    }
    return {std::move(options), {}};
}

std::string versionText() { return "orvanta-cardsim " ORVANTA_VERSION "\n"; }

std::string helpText()
{
    std::string text =
        "Usage: orvanta-cardsim [OPTION]...\n"
        "\n"
        "Plays a WWAN card of the maker with a GPS receiver on pseudo-terminals, and plugs it\n"
        "into the simulated device tree (the folder of ORVANTA_SIM_DIR, read by the libraries\n"
        "when ORVANTA_DEVICES=sim). Its AT ports answer the card's AT commands; while the\n"
        "receiver is on, its GPS data port carries NMEA sentences from a track. It meets a\n"
        "network of its own making, which the network options and control commands set. The\n"
        "card is unplugged when the program ends (also on SIGTERM and SIGINT).\n"
        "\n"
        "Options:\n";
    auto column = [&](std::string left, std::string_view right) {
        text += "  " + left;
        text += left.size() < 32 ? std::string(32 - left.size(), ' ') : "\n" + std::string(34, ' ');
        // Wrap the description at about 88 columns.
        std::size_t width = 34;
        std::size_t start = 0;
        while (start < right.size()) {
            std::size_t end = right.find(' ', start);
            if (end == std::string_view::npos)
                end = right.size();
            const std::string_view word = right.substr(start, end - start);
            if (width + word.size() > 88 && width > 34) {
                text += "\n" + std::string(34, ' ');
                width = 34;
            } else if (width > 34) {
                text += ' ';
                ++width;
            }
            text += word;
            width += word.size();
            start = end + 1;
        }
        text += "\n";
    };
    for (const OptionRow& row : optionRows())
        column(std::string(row.name) + (row.argument.empty() ? "" : " " + std::string(row.argument)), row.help);
    text += "\nProfiles:\n";
    for (const Profile& profile : profiles()) {
        char ids[64];
        std::snprintf(ids, sizeof ids, " (USB %04X:%04X)", static_cast<unsigned>(profile.vendorId),
                      static_cast<unsigned>(profile.productId));
        column(std::string(profile.name), std::string(profile.summary) + ids);
    }
    text += "\n"
            "Control commands, one a line on the socket NAME.sock in the simulator's folder\n"
            "(or with --send); each is answered with one line, \"OK ...\" or \"ERROR ...\":\n";
    for (const ControlVerb& verb : controlVerbs())
        column(std::string(verb.name) + (verb.arguments.empty() ? "" : " " + std::string(verb.arguments)), verb.help);
    const Dialect common = Dialect::forCard(false);
    std::string commands;
    std::string receiverCommands;
    for (const std::string_view key : Dialect::forCard(true).keys())
        (common.find(key) != nullptr ? commands : receiverCommands) += " " + std::string(key);
    text += "\nAT commands of the AT ports (modem, app, gps-control), by key (\"ATE\" is E0 and E1,\n"
            "a key ending in '=' takes arguments); anything else is answered with ERROR:\n";
    column("every card", "AT" + commands);
    column("with GPS", receiverCommands.substr(1) + " (\"_TGPS: 2\" on, \"_TGPS: 0\" off)");
    return text;
}

} // namespace Cardsim
