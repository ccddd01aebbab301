#pragma once
// The detection library's logging: printf-style messages with a level, filtered by the
// library's log level and handed to the client's log function, or, without one, to the
// debug output (standard error when ORVANTA_DEBUG_OUTPUT=1, nowhere otherwise).

#include <cstdarg>
#include <string>

namespace Nodekin {

enum LogLevel : int { logNormal = 0, logVerbose = 1, logWarning = 2, logError = 3 };

using LogFunction = void (*)(const char* message, void* context);

// The filter: at level 0 everything but verbose messages, at 1 everything, at 2 warnings
// and errors, at 3 errors only. Levels above 3 count as 3.
bool passesLogFilter(int messageLevel, int logLevel) noexcept;

void setLogLevel(int level);
int logLevel() noexcept;
void setLogFunction(LogFunction function, void* context) noexcept;

// Formats and delivers one message. Keeps errno, as callers report errors after logging.
void xlog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The formatting on its own ("XLog: <Null>." for a null format).
std::string formatLogMessage(const char* format, std::va_list arguments);

} // namespace Nodekin
