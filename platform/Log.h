#pragma once
// The layer's own log hook. platform/ does not know the logging of the layers above it:
// they install a sink (card detection routes it through its "Nk: " output). Without one,
// messages are dropped, like debugger output nobody reads, or written to standard error
// when ORVANTA_DEBUG_OUTPUT=1.

#include <functional>
#include <string_view>

namespace Os {

// The levels of the detection library's log, so a sink can pass them on unchanged.
enum class LogLevel : int { normal = 0, verbose = 1, warning = 2, error = 3 };

using LogSink = std::function<void(LogLevel level, std::string_view message)>;

// Replaces the sink for every thread; an empty sink restores the default. The sink may be
// called from any thread, and concurrently.
void setLogSink(LogSink sink);

void logMessage(LogLevel level, std::string_view message);
void logFormat(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace Os
