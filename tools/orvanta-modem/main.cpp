// orvanta-modem: the card's SIM, radio and network from a terminal, through Orvanta's
// client interface, and the SMS PDUs it exchanges (see --help).

#include "ClientSession.h"
#include "CommandLine.h"
#include "ModemCommands.h"
#include "PduCommands.h"
#include "SecretInput.h"
#include "StopSignals.h"

#include "OrvantaVersion.h"

#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace Orvanta::modem;
    log4cplus::Initializer logging;
    log4cplus::Logger::getRoot().setLogLevel(log4cplus::OFF_LOG_LEVEL);

    const std::variant<Request, Failure> parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const Failure* wrong = std::get_if<Failure>(&parsed)) {
        std::fprintf(stderr, "orvanta-modem: %s\nTry 'orvanta-modem --help'.\n", wrong->reason.c_str());
        return static_cast<int>(wrong->code);
    }
    const Request& request = std::get<Request>(parsed);
    if (request.command == Command::help || request.command == Command::version) {
        std::fputs(request.command == Command::help ? kUsage : "orvanta-modem " ORVANTA_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (runsWithoutCard(request.command))
        return finish(runPduCommand(request, stdin, stdout, stderr));

    Orvanta::client::StopSignals stop;
    SecretReader secrets;
    Orvanta::client::ClientSession session(request.initMode);
    stop.watch([&](int) {
        session.interrupt();
        secrets.cancel();
    });
    const ModemContext context{request, session, secrets};
    const int status = finish(runCommand(context));
    // A signal handled from here on would reach the session and the code reader as they go.
    stop.stopWatching();
    return status;
}
