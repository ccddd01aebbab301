#include "GpsCommands.h"

#include "ClientNames.h"
#include "ReceiverCommand.h"

#include "corvane/Enumerations.h"

namespace Orvanta::gps {

int showGpsStatus(const GpsCommandOptions& options)
{
    ClientSession session;
    ReceiverCommand status(options, session);
    if (!status.awaitReceiver()) {
        if (status.view().gpsSupport == false)
            std::fputs("gps support: no\n", options.output);
        return 1;
    }
    status.settle();
    const CardView& view = status.view();
    std::fputs("gps support: yes\n", options.output);
    std::fprintf(options.output, "gps data port: %s\n", view.dataPort.value_or("unknown").c_str());
    std::fprintf(options.output, "gps: %s\n", gpsStateText(view.gpsState).c_str());
    return 0;
}

int switchGps(const GpsCommandOptions& options, bool on)
{
    ClientSession session;
    ReceiverCommand command(options, session);
    if (!command.awaitReceiver() || !command.command(on ? Corvane::cGpsModeOn : Corvane::cGpsModeOff))
        return 1;
    // Switching on always shows as "active"; switching off a receiver that was already
    // off shows as nothing at all.
    command.settle([&] { return command.view().lastError.has_value() || (on && command.view().gpsState == Corvane::gpsActive); });
    if (command.failed())
        return 1;
    if (command.view().gpsState != (on ? Corvane::gpsActive : Corvane::gpsOff)) {
        std::fprintf(options.messages, "orvanta-gps: the receiver did not switch %s\n", on ? "on" : "off");
        return 1;
    }
    std::fprintf(options.output, "gps: %s\n", gpsStateText(command.view().gpsState).c_str());
    return 0;
}

} // namespace Orvanta::gps
