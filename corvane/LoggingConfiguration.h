#pragma once

namespace Corvane::logging {

// The library's logging: "log4cplus.win.properties" in the working directory when there
// is one; otherwise a console configuration that is switched off, so that nothing is
// logged unless somebody asks for it.
void configure();

} // namespace Corvane::logging
