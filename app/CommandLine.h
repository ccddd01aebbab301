#pragma once
// The requests a start of the tool can carry on its command line.

#include <QStringList>

#include <string>

namespace Orvanta {

// What a start asks to be told instead of running the tool.
enum class CommandLineAnswer { none, help, version };

struct CommandLineRequest {
    bool stop = false;
    bool bulldoze = false;
    CommandLineAnswer answer = CommandLineAnswer::none;
};

// Looks at every argument after the program name that starts with '-' or '/', in any
// letter case: "-stop" or "/stop" and "-bulldoze" or "/bulldoze" each invert their request,
// so an argument given twice cancels itself. "--help" (or "-h") and "--version" ask for
// the help or the version; they are taken only as written, like the other programs'
// options, so "--HELP" stays an ignored argument as it always was. When both are
// given, the first counts. Everything else is ignored.
CommandLineRequest parseCommandLine(const QStringList& arguments);

// What --help and --version print. They need no application object, so that a start
// without a display can answer them.
std::string helpText();
std::string versionText();

} // namespace Orvanta
