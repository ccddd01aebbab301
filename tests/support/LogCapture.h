#pragma once
// Records what one logger category logs while the capture lives.

#include <log4cplus/appender.h>
#include <log4cplus/logger.h>

#include <mutex>
#include <string>
#include <vector>

namespace Orvanta::testing {

class LogCapture {
public:
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> messages() const;
    // Messages logged at exactly this level.
    std::vector<std::string> messages(log4cplus::LogLevel level) const;

private:
    class Recorder;
    log4cplus::Logger logger_;
    log4cplus::SharedAppenderPtr appender_;
    Recorder* recorder_; // owned by appender_
};

} // namespace Orvanta::testing
