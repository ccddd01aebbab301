// orvanta-cardsim: the virtual card. See --help and sim/README.md.

#include "sim/cardsim/ControlServer.h"
#include "sim/cardsim/Options.h"
#include "sim/cardsim/Reactor.h"
#include "sim/cardsim/SecretMask.h"
#include "sim/cardsim/Track.h"
#include "sim/cardsim/VirtualCard.h"

#include "platform/RuntimeFolder.h"
#include "platform/SystemError.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Cardsim;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message)
{
    std::fprintf(stderr, "orvanta-cardsim: %s\n", message.c_str());
    return kExitFailure;
}

std::string errorText(int error)
{
    std::string text = "error " + std::to_string(error);
    if ((error & Os::kErrnoBit) != 0)
        text += ", " + std::string(std::strerror(error & ~Os::kErrnoBit));
    return text;
}

Os::Result<std::filesystem::path> simulatorFolder(const Options& options)
{
    if (!options.simDir)
        return Os::simFolder();
    if (const int error = Os::ensurePrivateFolder(*options.simDir))
        return Os::Failure{error};
    return *options.simDir;
}

int sendCommand(const std::filesystem::path& socket, const std::string& command)
{
    std::string reply;
    using namespace std::chrono_literals;
    if (const int error = sendControlCommand(socket, command, reply, 10s))
        return fail("no answer from " + socket.string() + " (" + errorText(error) + ")");
    std::printf("%s\n", reply.c_str());
    return reply.rfind("OK", 0) == 0 ? 0 : kExitFailure;
}

int playCard(const Options& options, const std::filesystem::path& folder)
{
    std::string problem;
    std::optional<Track> track = options.track ? Track::load(*options.track, problem)
                                               : Track::parse(bundledTrackText(), problem);
    if (!track)
        return fail("cannot play " + (options.track ? options.track->string() : std::string("the bundled track")) +
                    ": " + problem);

    const Profile& profile = *findProfile(options.profile);
    CardSetup setup;
    setup.profile = &profile;
    setup.ids = {options.vendorId.value_or(profile.vendorId), options.productId.value_or(profile.productId),
                 options.serialNumber()};
    setup.folder = folder;
    setup.name = options.name;
    setup.rate = options.rate;
    setup.timeToFirstFix = options.timeToFirstFix;
    setup.receiverOnAtPowerOn = options.gpsOn;
    setup.startWithoutFix = options.noFix;
    setup.startSilent = options.silent;
    setup.voice = options.voice;
    setup.sim = options.sim;
    setup.faults = options.faults;
    setup.networkCommands = options.networkCommands;
    setup.verbose = options.verbose;

    Reactor reactor;
    // Blocked before anything else could start a thread, so that only the reactor takes them.
    SignalWatch signals(reactor, {SIGTERM, SIGINT, SIGHUP}, [&reactor](int) { reactor.stop(); });
    if (signals.error() != 0)
        return fail("cannot take signals (" + errorText(signals.error()) + ")");
    std::signal(SIGPIPE, SIG_IGN);

    VirtualCard card(reactor, std::move(setup), std::move(*track));
    if (card.error() != 0)
        return fail("cannot start the card (" + errorText(card.error()) + ")");
    card.onStop([&reactor] { reactor.stop(); });

    ControlServer control(reactor, [&card, &options](std::string_view line) {
        const ParsedControl parsed = parseControlLine(line);
        const std::string reply = parsed.command ? card.execute(*parsed.command) : "ERROR " + parsed.problem;
        if (options.verbose)
            std::fprintf(stderr, "orvanta-cardsim: control: %s -> %s\n", maskSecrets(line).c_str(),
                         maskSecrets(reply).c_str());
        return reply;
    });
    const std::filesystem::path socket = folder / (options.name + ".sock");
    if (const int error = control.listen(socket))
        return fail(error == Os::kErrorAddressInUse
                        ? "a card named " + options.name + " is running in " + folder.string() + " already"
                        : "cannot listen on " + socket.string() + " (" + errorText(error) + ")");

    if (!options.unplugged) {
        if (const int error = card.plug())
            return fail("cannot plug the card (" + errorText(error) + ")");
    }
    std::printf("orvanta-cardsim: card %s (%s) %s in %s\n", options.name.c_str(), profile.name.data(),
                card.plugged() ? "plugged" : "unplugged", folder.c_str());
    for (const PortRole role : {PortRole::modem, PortRole::application, PortRole::gpsControl, PortRole::gpsData})
        if (const std::string path = card.portPath(role); !path.empty())
            std::printf("  %-12s %s\n", roleName(role).data(), path.c_str());
    std::printf("  %-12s %s\n", "control", socket.c_str());
    std::fflush(stdout);

    const int error = reactor.run();
    card.unplug();
    control.close();
    if (error != 0)
        return fail("the event loop failed (" + errorText(error) + ")");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(arguments);
    if (!parsed.options) {
        std::fprintf(stderr, "orvanta-cardsim: %s\n", parsed.problem.c_str());
        return kExitUsage;
    }
    const Options& options = *parsed.options;
    if (options.help || options.version) {
        std::fputs((options.help ? helpText() : versionText()).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : kExitFailure;
    }
    const auto folder = simulatorFolder(options);
    if (!folder)
        return fail("cannot use the simulator's folder (" + errorText(folder.error()) +
                    "; it must be a folder of this user that nobody else may enter)");
    if (options.send)
        return sendCommand(folder.value() / (options.name + ".sock"), *options.send);
    return playCard(options, folder.value());
}
