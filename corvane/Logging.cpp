#include "corvane/Logging.h"

namespace Corvane::logging {

void createLoggers()
{
    for (const char* name : {category::facade, category::dictionary, category::varArray, category::dispatcher,
                             category::observable, category::observer, category::worker, category::dbWorker,
                             category::deviceTrait, category::backendClient, category::smsTrait, category::parser,
                             category::libraryFsm, category::deviceFsm, category::radioFsm, category::pinPukFsm,
                             category::gpsFsm, category::networkFsm, category::connectionFsm})
        logger(name);
}

} // namespace Corvane::logging
