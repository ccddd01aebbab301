#include "app/ShellLog.h"

namespace Orvanta {
Q_LOGGING_CATEGORY(shellLog, "orvanta.shell", QtWarningMsg)
}
