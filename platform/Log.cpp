#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace Os {
namespace {

class SinkHolder {
public:
    void set(LogSink sink)
    {
        auto replacement = sink ? std::make_shared<const LogSink>(std::move(sink)) : nullptr;
        std::lock_guard lock(mutex_);
        sink_ = std::move(replacement);
    }

    std::shared_ptr<const LogSink> get() const
    {
        std::lock_guard lock(mutex_);
        return sink_;
    }

private:
    mutable std::mutex mutex_; // guards sink_; held only to copy the pointer, never while logging
    std::shared_ptr<const LogSink> sink_;
};

SinkHolder& holder()
{
    static SinkHolder instance;
    return instance;
}

bool debugOutputWanted()
{
    static const bool wanted = [] {
        const char* value = std::getenv("ORVANTA_DEBUG_OUTPUT");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return wanted;
}

} // namespace

void setLogSink(LogSink sink) { holder().set(std::move(sink)); }

void logMessage(LogLevel level, std::string_view message)
{
    if (const auto sink = holder().get()) {
        (*sink)(level, message);
        return;
    }
    if (debugOutputWanted()) {
        // One write per line, so lines from several threads do not interleave.
        std::string line(message);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

void logFormat(LogLevel level, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list counting;
    va_copy(counting, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (length < 0) {
        va_end(arguments);
        logMessage(level, "(log message could not be formatted)");
        return;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    logMessage(level, text);
}

} // namespace Os
