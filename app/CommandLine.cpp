#include "app/CommandLine.h"

namespace Orvanta {

CommandLineRequest parseCommandLine(const QStringList& arguments)
{
    CommandLineRequest request;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).toLower();
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

} // namespace Orvanta
