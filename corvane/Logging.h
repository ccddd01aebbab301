#pragma once
// Every source unit of the middleware logs on a category of its own ("corvane",
// "corvane.type.dictionary", ...). Loggers are looked up when used rather than cached in
// statics, so nothing touches the logging system while it is torn down at exit.

#include <log4cplus/logger.h>
#include <log4cplus/loggingmacros.h>

namespace Corvane::logging {

inline log4cplus::Logger logger(const char* category)
{
    return log4cplus::Logger::getInstance(LOG4CPLUS_C_STR_TO_TSTRING(category));
}

} // namespace Corvane::logging
