#include "nodekin/XLog.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace Nodekin {

namespace {

std::atomic<int> currentLevel{logNormal};

std::mutex sinkMutex; // guards sinkFunction and sinkContext: set by the client, used by every thread
LogFunction sinkFunction = nullptr;
void* sinkContext = nullptr;

int clampLevel(int level) noexcept { return level < 0 ? 0 : level > logError ? logError : level; }

bool debugOutputWanted()
{
    const char* value = std::getenv("ORVANTA_DEBUG_OUTPUT");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void deliver(const char* message)
{
    LogFunction function = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(sinkMutex);
        function = sinkFunction;
        context = sinkContext;
    }
    if (function != nullptr) {
        function(message, context);
        return;
    }
    // Debug output that nobody reads unless asked for.
    static const bool wanted = debugOutputWanted();
    if (wanted)
        std::fprintf(stderr, "%s\n", message);
}

} // namespace

bool passesLogFilter(int messageLevel, int logLevel) noexcept
{
    messageLevel = clampLevel(messageLevel);
    switch (clampLevel(logLevel)) {
    case logNormal:
        return messageLevel != logVerbose;
    case logVerbose:
        return true;
    case logWarning:
        return messageLevel >= logWarning;
    default:
        return messageLevel == logError;
    }
}

void setLogLevel(int level)
{
    const int clamped = level < 0 ? 0 : (level > logError ? logError : level);
    if (currentLevel.exchange(clamped) != clamped)
        xlog(logError, "Nk: Logging level has been set to %d", clamped);
}

int logLevel() noexcept { return currentLevel.load(); }

void setLogFunction(LogFunction function, void* context) noexcept
{
    std::lock_guard lock(sinkMutex);
    sinkFunction = function;
    sinkContext = context;
}

std::string formatLogMessage(const char* format, std::va_list arguments)
{
    if (format == nullptr)
        return "XLog: <Null>.";
    std::va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0)
        return "XLog: Cannot format message.";
    std::string message(static_cast<std::size_t>(length), '\0');
    const int written = std::vsnprintf(message.data(), message.size() + 1, format, arguments);
    if (written != length)
        message += "XLog: Suspicious state.";
    return message;
}

void xlog(int level, const char* format, ...)
{
    if (!passesLogFilter(level, currentLevel.load()))
        return;
    const int savedErrno = errno;
    std::va_list arguments;
    va_start(arguments, format);
    try {
        deliver(formatLogMessage(format, arguments).c_str());
    } catch (const std::bad_alloc&) {
        deliver("XLog: Not enough memory to log message.");
    }
    va_end(arguments);
    errno = savedErrno;
}

} // namespace Nodekin
