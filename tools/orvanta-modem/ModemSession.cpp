#include "ModemSession.h"

#include "corvane/ErrorCode.h"

#include <algorithm>

namespace Orvanta::modem {
namespace {

using client::Clock;

std::string secondsText(std::chrono::seconds patience)
{
    return std::to_string(patience.count()) + " s";
}

} // namespace

void ModemSession::take(const client::Notice& notice)
{
    view_.take(notice);
}

Outcome ModemSession::awaitCard()
{
    const bool came = waitUntil([this] { return view_.cardArrived || view_.libraryFailed || view_.simMissing; });
    if (view_.libraryFailed)
        return Failure{ExitCode::failed, "the library failed to start"};
    if (came)
        return std::nullopt;
    if (session().interrupted())
        return Failure{ExitCode::interrupted, "interrupted"};
    return Failure{ExitCode::noCard, "no card (none came within " + secondsText(context_.request.patience) + ")"};
}

void ModemSession::settle(const std::function<bool()>& done)
{
    const Clock::time_point end = Clock::now() + context_.request.patience;
    while (!done() && Clock::now() < end) {
        const std::optional<client::Notice> notice = session().next(std::min(end, Clock::now() + kSettleTime));
        if (!notice)
            return;
        take(*notice);
    }
}

bool ModemSession::waitUntil(const std::function<bool()>& done)
{
    return waitUntil(done, nullptr, context_.request.patience, nullptr);
}

bool ModemSession::waitUntil(const std::function<bool()>& done,
                             const std::function<void(const client::Notice&)>& seen, std::chrono::milliseconds tick,
                             const std::function<void()>& idle)
{
    const Clock::time_point end = Clock::now() + context_.request.patience;
    while (!done()) {
        const Clock::time_point now = Clock::now();
        if (now >= end || session().interrupted())
            return false;
        const std::optional<client::Notice> notice = session().next(std::min(end, now + tick));
        if (!notice) {
            if (idle)
                idle();
            continue;
        }
        take(*notice);
        if (seen)
            seen(*notice);
    }
    return true;
}

Outcome ModemSession::awaitAnswer(const std::function<Decision(const client::Notice&)>& decide,
                                  const std::function<Decision()>& onQuiet, const char* what)
{
    const Clock::time_point end = Clock::now() + context_.request.patience;
    while (Clock::now() < end && !session().interrupted()) {
        const std::optional<client::Notice> notice = session().next(std::min(end, Clock::now() + kSettleTime));
        if (!notice) {
            if (session().interrupted())
                break;
            if (Decision quiet = onQuiet())
                return *quiet;
            continue;
        }
        take(*notice);
        if (Decision decided = decide(*notice))
            return *decided;
    }
    return unanswered(what);
}

Failure ModemSession::unanswered(const char* what) const
{
    if (context_.session.interrupted())
        return Failure{ExitCode::interrupted, "interrupted"};
    return Failure{ExitCode::timedOut,
                   std::string("timed out: ") + what + " within " + secondsText(context_.request.patience)};
}

Failure ModemSession::refused(const char* what, Corvane::ErrorCode error)
{
    return Failure{ExitCode::failed, std::string("the library refused ") + what + ": " +
                                         std::string(Corvane::errorName(error))};
}

} // namespace Orvanta::modem
