// orvanta-gps: what the card's GPS receiver says, seen through Orvanta's own parser.
//
//   orvanta-gps decode FILE    decode a capture of NMEA sentences (LF or CR LF lines)
//   orvanta-gps decode -       the same from standard input
//   orvanta-gps cards          what card detection sees
//   orvanta-gps info           the card's identity, read from the card
//   orvanta-gps status|on|off  the receiver through the client API, as the tray tool
//   orvanta-gps watch          its states and positions until Ctrl-C, also into a GPX
//                              track or an NMEA capture
//   orvanta-gps serve          its positions for map programs, over the position protocol
//                              on TCP port 2947, until ended

#include "CardsCommand.h"
#include "ClientNames.h"
#include "StopSignals.h"
#include "DecodeCommand.h"
#include "GpsCommands.h"
#include "GpxTrackWriter.h"
#include "InfoCommand.h"
#include "ServeCommand.h"
#include "NmeaRecorder.h"
#include "RecordingFile.h"

#include "OrvantaVersion.h"

#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* usage =
    "Usage: orvanta-gps decode FILE|-\n"
    "  or:  orvanta-gps cards [SECONDS]\n"
    "  or:  orvanta-gps info [SECONDS]\n"
    "  or:  orvanta-gps status|on|off [SECONDS]\n"
    "  or:  orvanta-gps watch [--keep-on] [--gpx FILE] [--nmea FILE] [SECONDS]\n"
    "  or:  orvanta-gps serve [--listen ADDR:PORT]\n"
    "  or:  orvanta-gps --help|--version\n"
    "\n"
    "Commands:\n"
    "  decode  runs each line of FILE (or of standard input for -) through Orvanta's NMEA\n"
    "          parser and prints one JSON object per published record or signal on standard\n"
    "          output. Rejected sentences write their message on standard error, followed by\n"
    "          a summary of accepted and rejected sentences per type.\n"
    "  cards   shows what card detection sees: the card state, the card, its ports and\n"
    "          capabilities. A card that is still starting is given SECONDS (default 5) to\n"
    "          show all its ports. ORVANTA_DEVICES=sim looks at the virtual card instead of\n"
    "          the machine's USB devices.\n"
    "  info    starts the modem backend, waits up to SECONDS (default 10) for a card and\n"
    "          prints its identity as the card reports it (model, product, firmware,\n"
    "          hardware, IMEI, serial number) and its ports.\n"
    "  status  waits up to SECONDS (default 10) for a card with a GPS receiver and prints its\n"
    "          GPS data port and whether the receiver is off, active or reading.\n"
    "  on|off  switch the receiver on or off and print its new state.\n"
    "  watch   reads the receiver and prints each state change and position until Ctrl-C,\n"
    "          SIGTERM or SIGHUP, also across the card being pulled and plugged in again or\n"
    "          the system sleeping; when positions come again, a \"gap:\" line tells how long\n"
    "          there were none and why. SECONDS is how long to wait for the card at the\n"
    "          start (default 10). At the end the receiver is put back as watch found it:\n"
    "          off, or on but not read.\n"
    "            --keep-on    leave the receiver on at the end, as the tray tool would find\n"
    "                         it.\n"
    "            --gpx FILE   also write the positions to FILE as a GPX 1.1 track: one point\n"
    "                         per fix, with its latitude and longitude, and its altitude and\n"
    "                         UTC time when the receiver sent them; a new track segment\n"
    "                         begins whenever positions stopped for a while (the fix lost,\n"
    "                         the card pulled, the system asleep). Each point is flushed to\n"
    "                         FILE once both sentences of its fix (GGA and RMC) came, so a\n"
    "                         crash loses at most the last point. The document is completed\n"
    "                         however watch ends: a signal, no card coming, an error. The\n"
    "                         track is named after FILE, without its extension.\n"
    "            --nmea FILE  also write every line the receiver sent to FILE, exactly as it\n"
    "                         came, each ended with CR LF and flushed at once: sentences of\n"
    "                         every kind, also those without a fix. Decode it with\n"
    "                         \"orvanta-gps decode FILE\", or play it back as the virtual\n"
    "                         card's receiver with \"orvanta-cardsim --track FILE\" (which\n"
    "                         cuts it into fixes at each sentence of the first one's type).\n"
    "          FILE (also given as --gpx=FILE, --nmea=FILE) is created, or overwritten,\n"
    "          as watch starts and written in place; a FILE that cannot be written ends\n"
    "          watch before it looks for the card, with status 1. --gpx and --nmea may\n"
    "          be given together, for two different files, with --keep-on or not.\n"
    "  serve   serves the receiver's positions to map programs (cgps, gpspipe, xgps, QGIS,\n"
    "          ...) over the JSON position protocol (release 3.14) on TCP port 2947 of the\n"
    "          loopback address, until SIGTERM, SIGINT or SIGHUP. Once it listens it prints\n"
    "          \"orvanta-gps: serving on ADDR:PORT\" on standard error.\n"
    "            --listen ADDR:PORT\n"
    "                         listen there instead: an IPv4 address or a host name, or\n"
    "                         an IPv6 address in brackets ([::1]:2947); port 0 lets the\n"
    "                         system choose one. An address other than loopback lets\n"
    "                         other machines in.\n"
    "          Started by a socket unit of the service manager (orvanta-gps-serve.socket),\n"
    "          serve listens on the socket it is handed, unless --listen is given.\n"
    "          The card need not be there at the start: serve waits for it and follows it\n"
    "          being pulled and plugged in again. The receiver is read only while a client\n"
    "          watches; when the last watcher leaves, and at the end, it is put back as\n"
    "          serve found it: off, or on but not read.\n"
    "          Protocol: every report is one JSON object with a \"class\" on a line ending in\n"
    "          CR LF. A client is sent VERSION when it connects; its commands start with '?'\n"
    "          and end with ';' or a newline:\n"
    "            ?VERSION;  VERSION again\n"
    "            ?DEVICES;  DEVICES: the receiver's data port, while a card is there\n"
    "            ?WATCH={\"enable\":true,\"json\":true};\n"
    "                       DEVICES and WATCH, then a TPV (time, position, altitude, speed,\n"
    "                       course, fix mode) per fix, a SKY (satellites, dilutions) per\n"
    "                       satellite set, and a DEVICE when the card goes or comes.\n"
    "                       \"nmea\":true, or \"raw\":1, sends the receiver's sentences as it\n"
    "                       wrote them; \"enable\":false ends the watch.\n"
    "            ?WATCH;    the client's WATCH settings\n"
    "            ?POLL;     the last TPV and SKY\n"
    "          A command that is not understood, not valid JSON or longer than 1024 bytes is\n"
    "          answered with an ERROR report, and the client may go on. At most 64 clients\n"
    "          are served: one more is sent an ERROR and closed. A client that does not read\n"
    "          what it is sent is dropped once 256 KiB wait for it.\n"
    "          Examples, while serve runs:\n"
    "            gpspipe -w localhost:2947   the reports, one a line\n"
    "            gpspipe -r localhost:2947   the receiver's sentences\n"
    "            cgps localhost:2947         position and satellites in a terminal\n"
    "\n"
    "A card that is found but whose ports this user may not open is named by cards, with\n"
    "the reason under each port, and by status, on, off and watch, which then fail.\n"
    "\n"
    "--help (or -h) prints this text, --version the program's version; both exit with 0.\n"
    "\n"
    "Exit status: 0 on success; 1 when the command failed (no card, no receiver, a card\n"
    "that refused or could not be used, an unreadable FILE, a recording that could not be\n"
    "written, an address that serve cannot listen on); 2 for a wrong command line.\n";

// Runs a command that reads the receiver (watch, serve) until SIGINT, SIGTERM or
// SIGHUP, which stop the reading so that the command can close the library properly.
int runUntilInterrupted(const std::function<int(Orvanta::gps::ClientSession&)>& command)
{
    Orvanta::client::StopSignals stop;
    Orvanta::gps::ClientSession session;
    stop.watch([&session](int) { session.interrupt(); });
    const int status = command(session);
    // A signal handled from here on would reach the session as it goes.
    stop.stopWatching();
    return status;
}

// The SECONDS argument: `fallback` when absent; none when it is not a whole number from
// `least` to 600.
std::optional<std::chrono::seconds> secondsArgument(const char* text, long fallback, long least)
{
    if (text == nullptr)
        return std::chrono::seconds(fallback);
    char* end = nullptr;
    errno = 0;
    const long seconds = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || seconds < least || seconds > 600)
        return std::nullopt;
    return std::chrono::seconds(seconds);
}

// "serve [--listen ADDR:PORT]": listens before the library starts, so that an address in
// use fails at once.
int serve(int argc, char** argv)
{
    std::optional<std::string> given;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--listen" && i + 1 < argc)
            given = argv[++i];
        else if (argument.starts_with("--listen="))
            given = argument.substr(std::string_view("--listen=").size());
        else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    const std::string addressText = given.value_or(Orvanta::gps::kDefaultListenAddress);
    const std::optional<Orvanta::gps::ListenAddress> address = Orvanta::gps::parseListenAddress(addressText);
    if (!address) {
        std::fprintf(stderr, "orvanta-gps: not an address and port: %s\n", addressText.c_str());
        std::fputs(usage, stderr);
        return 2;
    }
    std::string problem;
    // A socket unit's socket serves unless an address was asked for on the command line.
    std::optional<Orvanta::gps::Listener> listener = Orvanta::gps::handedListener(problem);
    if (!problem.empty()) {
        std::fprintf(stderr, "orvanta-gps: %s\n", problem.c_str());
        return 1;
    }
    if (given || !listener)
        listener = Orvanta::gps::listenOn(*address, problem);
    if (!listener) {
        std::fprintf(stderr, "orvanta-gps: cannot listen on %s: %s\n", address->text().c_str(), problem.c_str());
        return 1;
    }
    std::fprintf(stderr, "orvanta-gps: serving on %s\n", listener->bound.c_str());
    std::fflush(stderr);
    const Orvanta::gps::GpsCommandOptions options;
    return runUntilInterrupted([&](Orvanta::gps::ClientSession& session) {
        return Orvanta::gps::serveGps(options, session, std::move(*listener));
    });
}

struct CloseFile {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// What watch writes besides its lines, from --gpx and --nmea.
struct WatchRecordings {
    std::optional<std::string> gpxPath;
    std::optional<std::string> nmeaPath;
    std::optional<Orvanta::gps::GpxTrackWriter> gpx;
    std::optional<Orvanta::gps::NmeaRecorder> nmea;

    // Takes "--gpx FILE", "--gpx=FILE" and the same for --nmea at argv[i], moving i past
    // them; false when argv[i] is none of these. `wrong` is set when the FILE is missing
    // or given twice.
    bool takeOption(int argc, char** argv, int& i, bool& wrong)
    {
        const std::string_view argument = argv[i];
        using Option = std::pair<std::string_view, std::optional<std::string>*>;
        for (const auto& [name, path] : {Option{"--gpx", &gpxPath}, Option{"--nmea", &nmeaPath}}) {
            std::optional<std::string_view> value;
            if (argument == name && i + 1 < argc)
                value = argv[++i];
            else if (argument.starts_with(name) && argument.substr(name.size()).starts_with('='))
                value = argument.substr(name.size() + 1);
            else if (argument != name)
                continue;
            wrong = wrong || !value || value->empty() || path->has_value();
            if (value)
                *path = std::string(*value);
            return true;
        }
        return false;
    }

    // Creates the files and hands their recorders to the watch. The exit status, after
    // saying why, when one cannot be written (1) or both options name the same file (2).
    std::optional<int> open(Orvanta::gps::GpsCommandOptions& options)
    {
        using namespace Orvanta::gps;
        if (gpxPath) {
            std::optional<RecordingFile> file = RecordingFile::create(*gpxPath, options.messages);
            if (!file)
                return 1;
            const GpxHeader header{std::string("orvanta-gps ") + ORVANTA_VERSION,
                                   std::filesystem::path(*gpxPath).stem().string(), std::chrono::system_clock::now()};
            gpx.emplace(std::move(*file), header);
            options.recorders.push_back(&*gpx);
        }
        if (nmeaPath) {
            std::error_code error;
            if (gpxPath && std::filesystem::equivalent(*gpxPath, *nmeaPath, error)) {
                std::fprintf(options.messages, "orvanta-gps: --gpx and --nmea name the same file\n");
                return 2;
            }
            std::optional<RecordingFile> file = RecordingFile::create(*nmeaPath, options.messages);
            if (!file)
                return 1;
            nmea.emplace(std::move(*file));
            options.recorders.push_back(&*nmea);
        }
        return std::nullopt;
    }
};

} // namespace

int main(int argc, char** argv)
{
    log4cplus::Initializer logging;
    log4cplus::Logger::getRoot().setLogLevel(log4cplus::OFF_LOG_LEVEL);

    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(usage, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::fputs("orvanta-gps " ORVANTA_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const std::string_view command = argc >= 2 ? argv[1] : "";
    if (command == "serve")
        return serve(argc, argv);
    const bool waitsForCard = command == "cards" || command == "info" || command == "status" || command == "on" ||
                              command == "off" || command == "watch";
    if (waitsForCard) {
        bool keepOn = false;
        bool wrong = false;
        WatchRecordings recordings;
        std::vector<const char*> rest;
        for (int i = 2; i < argc; ++i) {
            if (command == "watch" && std::string_view(argv[i]) == "--keep-on")
                keepOn = true;
            else if (command != "watch" || !recordings.takeOption(argc, argv, i, wrong))
                rest.push_back(argv[i]);
        }
        // "cards" may look just once; the others need at least a second for a card to come.
        const std::optional<std::chrono::seconds> patience =
            rest.size() > 1 ? std::nullopt
                            : secondsArgument(rest.empty() ? nullptr : rest[0], command == "cards" ? 5 : 10,
                                              command == "cards" ? 0 : 1);
        if (!patience || wrong) {
            std::fputs(usage, stderr);
            return 2;
        }
        if (command == "cards")
            return Orvanta::gps::listCards(stdout, stderr, *patience);
        if (command == "info")
            return Orvanta::gps::showCardInfo(stdout, stderr, *patience);
        Orvanta::gps::GpsCommandOptions options;
        options.patience = *patience;
        options.keepOn = keepOn;
        if (command == "status")
            return Orvanta::gps::showGpsStatus(options);
        if (command == "watch") {
            if (const std::optional<int> failed = recordings.open(options))
                return *failed;
            return runUntilInterrupted(
                [&](Orvanta::gps::ClientSession& session) { return Orvanta::gps::watchGps(options, session); });
        }
        return Orvanta::gps::switchGps(options, command == "on");
    }
    if (argc != 3 || std::string_view(argv[1]) != "decode") {
        std::fputs(usage, stderr);
        return 2;
    }

    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    const std::string_view name = argv[2];
    if (name == "-")
        return Orvanta::gps::decode(stdin, stdout, stderr);
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(argv[2], "rb"));
    if (!file) {
        std::fprintf(stderr, "orvanta-gps: cannot open %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    return Orvanta::gps::decode(file.get(), stdout, stderr);
}
