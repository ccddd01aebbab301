#include "tests/support/LogCapture.h"

#include <log4cplus/spi/loggingevent.h>

namespace Orvanta::testing {

class LogCapture::Recorder : public log4cplus::Appender {
public:
    ~Recorder() override { destructorImpl(); }
    void close() override {}

    std::vector<std::pair<log4cplus::LogLevel, std::string>> events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override
    {
        std::lock_guard lock(mutex_);
        events_.emplace_back(event.getLogLevel(), LOG4CPLUS_TSTRING_TO_STRING(event.getMessage()));
    }

private:
    mutable std::mutex mutex_; // guards events_: loggers may be called from any thread
    std::vector<std::pair<log4cplus::LogLevel, std::string>> events_;
};

LogCapture::LogCapture(const char* category)
    : logger_(log4cplus::Logger::getInstance(LOG4CPLUS_C_STR_TO_TSTRING(category))),
      recorder_(new Recorder)
{
    appender_ = log4cplus::SharedAppenderPtr(recorder_);
    logger_.addAppender(appender_);
}

LogCapture::~LogCapture() { logger_.removeAppender(appender_); }

std::vector<std::string> LogCapture::messages() const
{
    std::vector<std::string> out;
    for (auto& [level, text] : recorder_->events())
        out.push_back(text);
    return out;
}

std::vector<std::string> LogCapture::messages(log4cplus::LogLevel level) const
{
    std::vector<std::string> out;
    for (auto& [eventLevel, text] : recorder_->events())
        if (eventLevel == level)
            out.push_back(text);
    return out;
}

} // namespace Orvanta::testing
