#include "corvane/LoggingConfiguration.h"

#include <log4cplus/configurator.h>
#include <log4cplus/helpers/property.h>
#include <log4cplus/logger.h>

#include <filesystem>
#include <system_error>

namespace Corvane::logging {

namespace {
constexpr const char* propertiesFile = "log4cplus.win.properties";
} // namespace

void configure()
{
    log4cplus::initialize();
    std::error_code error;
    if (std::filesystem::is_regular_file(propertiesFile, error))
        log4cplus::PropertyConfigurator::doConfigure(LOG4CPLUS_C_STR_TO_TSTRING(propertiesFile));

    log4cplus::Logger root = log4cplus::Logger::getRoot();
    if (!root.getAllAppenders().empty())
        return;
    log4cplus::helpers::Properties builtIn;
    builtIn.setProperty(LOG4CPLUS_TEXT("log4cplus.rootLogger"), LOG4CPLUS_TEXT("ERROR,stderr"));
    builtIn.setProperty(LOG4CPLUS_TEXT("log4cplus.appender.stderr"), LOG4CPLUS_TEXT("log4cplus::ConsoleAppender"));
    builtIn.setProperty(LOG4CPLUS_TEXT("log4cplus.appender.stderr.logToStdErr"), LOG4CPLUS_TEXT("true"));
    builtIn.setProperty(LOG4CPLUS_TEXT("log4cplus.appender.stderr.layout"), LOG4CPLUS_TEXT("log4cplus::PatternLayout"));
    builtIn.setProperty(LOG4CPLUS_TEXT("log4cplus.appender.stderr.layout.ConversionPattern"),
                        LOG4CPLUS_TEXT("%-5p> %m%n"));
    log4cplus::PropertyConfigurator configurator(builtIn);
    configurator.configure();
    root.setLogLevel(log4cplus::OFF_LOG_LEVEL);
}

} // namespace Corvane::logging
