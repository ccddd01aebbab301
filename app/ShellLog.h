#pragma once
// The shell's log category, "orvanta.shell": what arrives from other instances and what the
// shell does about it. Quiet below warnings unless QT_LOGGING_RULES asks for more, for
// instance "orvanta.shell.info=true".

#include <QLoggingCategory>

namespace Orvanta {
Q_DECLARE_LOGGING_CATEGORY(shellLog)
}
