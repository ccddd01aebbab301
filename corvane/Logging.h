#pragma once
// Every source unit of the middleware logs on a category of its own. Objects that log
// often keep their logger; the rest look it up when they log, so nothing touches the
// logging system from a static destructor while it is torn down at exit.

#include <log4cplus/logger.h>
#include <log4cplus/loggingmacros.h>

namespace Corvane::logging {

namespace category {
inline constexpr const char* facade = "corvane";
inline constexpr const char* dictionary = "corvane.type.dictionary";
inline constexpr const char* varArray = "corvane.type.vararray";
inline constexpr const char* dispatcher = "corvane.fsm.dispatcher";
inline constexpr const char* observable = "corvane.observable";
inline constexpr const char* observer = "corvane.observer";
inline constexpr const char* worker = "corvane.threads.worker";
inline constexpr const char* dbWorker = "corvane.threads.dbworker";
inline constexpr const char* deviceTrait = "corvane.quelder.trait.device";
inline constexpr const char* backendClient = "corvane.quelder.client";
inline constexpr const char* smsTrait = "corvane.trait.defaultsmstrait";
inline constexpr const char* parser = "corvane.parser";
inline constexpr const char* libraryFsm = "corvane.fsm.library";
inline constexpr const char* deviceFsm = "corvane.fsm.device";
inline constexpr const char* radioFsm = "corvane.fsm.radio";
inline constexpr const char* pinPukFsm = "corvane.fsm.pinpuk";
inline constexpr const char* gpsFsm = "corvane.fsm.gps";
inline constexpr const char* networkFsm = "corvane.fsm.network";
inline constexpr const char* connectionFsm = "corvane.fsm.connection";
} // namespace category

inline log4cplus::Logger logger(const char* category)
{
    return log4cplus::Logger::getInstance(LOG4CPLUS_C_STR_TO_TSTRING(category));
}

// Creates every category of the middleware, so that a configuration can address each
// one and so that the first log line of a category costs no creation.
void createLoggers();

} // namespace Corvane::logging
