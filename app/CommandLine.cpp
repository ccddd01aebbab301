#include "app/CommandLine.h"

#include "OrvantaVersion.h"

namespace Orvanta {

CommandLineRequest parseCommandLine(const QStringList& arguments)
{
    CommandLineRequest request;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        // Matched before the letter case is folded: the Windows-style flags ignore case,
        // the GNU-style ones do not.
        const QString& asWritten = arguments.at(i);
        if (request.answer == CommandLineAnswer::none) {
            if (asWritten == QLatin1String("--help") || asWritten == QLatin1String("-h"))
                request.answer = CommandLineAnswer::help;
            else if (asWritten == QLatin1String("--version"))
                request.answer = CommandLineAnswer::version;
        }
        const QString argument = asWritten.toLower();
        if (!argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1Char('/')))
            continue;
        const QStringView word = QStringView(argument).mid(1);
        if (word == QLatin1String("stop"))
            request.stop = !request.stop;
        else if (word == QLatin1String("bulldoze"))
            request.bulldoze = !request.bulldoze;
    }
    return request;
}

std::string helpText()
{
    return "Usage: orvanta [-stop] [-bulldoze]\n"
           "  or:  orvanta --help|--version\n"
           "\n"
           "The tray tool of a Tarnwell WWAN modem card's GPS receiver. It shows in the system\n"
           "tray whether a card with GPS is plugged in and which serial port carries its NMEA\n"
           "position data, switches the receiver on and off with one button and, once the\n"
           "receiver has a fix, opens web maps at the position in the browser (\"Show my\n"
           "location\", \"Search near me\", \"Directions from here\"). One instance runs per user\n"
           "session: a start without arguments while one runs shows the running one's window\n"
           "and exits.\n"
           "\n"
           "Options:\n"
           "  -stop, /stop          end the running instance, if there is one, and exit\n"
           "  -bulldoze, /bulldoze  clear the running instance's settings, end it and exit;\n"
           "                        with no instance running, nothing happens\n"
           "  -h, --help            print this help and exit\n"
           "      --version         print the version and exit\n"
           "\n"
           "-stop and -bulldoze may be written in any letter case; each one given twice\n"
           "cancels itself. Other arguments are ignored.\n"
           "\n"
           "The tool needs a graphical session, preferably with a system tray: without one it\n"
           "shows its main window at start, and closing that window quits it. It needs the\n"
           "card, found among the machine's USB devices through udev; the card's serial ports\n"
           "usually belong to the group dialout, which the user must be a member of. With\n"
           "ORVANTA_DEVICES=sim it uses the virtual card of orvanta-cardsim instead.\n"
           "\n"
           "Exit status: 0 when the tool quits, and when a start has only handed its request to\n"
           "the running instance.\n";
}

std::string versionText() { return "orvanta " ORVANTA_VERSION "\n"; }

} // namespace Orvanta
