#pragma once
// The requests a start of the tool can carry on its command line.

#include <QStringList>

namespace Orvanta {

struct CommandLineRequest {
    bool stop = false;
    bool bulldoze = false;
};

// Looks at every argument after the program name that starts with '-' or '/', in any
// letter case: "-stop" or "/stop" and "-bulldoze" or "/bulldoze" each invert their request,
// so an argument given twice cancels itself. Everything else is ignored.
CommandLineRequest parseCommandLine(const QStringList& arguments);

} // namespace Orvanta
