#include "WatchModem.h"

#include "ModemReport.h"

namespace Orvanta::modem {

Outcome watchModem(const ModemContext& context)
{
    while (!context.session.interrupted()) {
        // The wait is long: only a signal ends a watch.
        const std::optional<client::Notice> notice = context.session.next(client::Clock::now() + std::chrono::hours(1));
        if (!notice)
            continue;
        const std::string line = context.request.json ? noticeJson(*notice).dump() : watchLine(*notice);
        std::fprintf(context.output, "%s\n", line.c_str());
        // Line by line, for a program that reads the watch as it goes.
        if (std::fflush(context.output) != 0)
            return Failure{ExitCode::failed, "cannot write the output"};
    }
    return std::nullopt;
}

} // namespace Orvanta::modem
