#include "ReceiverCommand.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "nodekin/DetectionState.h"
#include "nodekin/Nodekin.h"

#include <algorithm>

namespace Orvanta::gps {
namespace {

// How long the library must stay quiet before a command takes the receiver's state as
// settled. The library does not report a receiver that stays off, so silence is the only
// sign; a card answers within tens of milliseconds.
constexpr auto kSettleTime = std::chrono::seconds(1);

long long wholeSeconds(std::chrono::milliseconds length)
{
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(length).count());
}

std::string errorText(long long code)
{
    return std::string(Corvane::errorName(static_cast<int>(code))) + " (" + std::to_string(code) + ")";
}

} // namespace

void CardView::take(const Notice& notice)
{
    switch (notice.kind) {
    case NoticeKind::libraryState:
        libraryFailed = notice.integer(Corvane::key::libraryState) == Corvane::lmInitFailure;
        break;
    case NoticeKind::update:
        if (auto port = notice.text(Corvane::key::gpsDataPort))
            dataPort = std::move(port);
        break;
    case NoticeKind::traitError:
        lastError = notice.integer(Corvane::key::lastError);
        break;
    case NoticeKind::gpsSupport:
        gpsSupport = notice.integer(Corvane::key::gpsSupport).value_or(0) != 0;
        break;
    case NoticeKind::gpsState:
        gpsState = notice.integer(Corvane::key::gpsState).value_or(Corvane::gpsOff);
        break;
    default: // the modem's notices, and those that change nothing the receiver commands show
        break;
    }
}

bool ReceiverCommand::awaitReceiver()
{
    Clock::time_point deadline = Clock::now() + options_.patience;
    bool errorCame = false;
    while (const std::optional<Notice> notice = session_.next(deadline)) {
        take(*notice);
        if (view_.gpsSupport || view_.libraryFailed)
            break;
        // A card that was found but could not be opened reports an error and then nothing
        // more; a receiver that comes all the same gets the settle time to say so.
        if (notice->kind == NoticeKind::traitError && !errorCame) {
            errorCame = true;
            deadline = std::min(deadline, Clock::now() + kSettleTime);
        }
    }
    if (view_.gpsSupport == true)
        return true;
    if (view_.gpsSupport == false) {
        std::fprintf(options_.messages, "orvanta-gps: the card has no GPS receiver\n");
        return false;
    }
    if (session_.interrupted())
        return false;
    if (view_.libraryFailed)
        std::fprintf(options_.messages, "orvanta-gps: the library failed to start\n");
    explainMissingReceiver(errorCame);
    return false;
}

void ReceiverCommand::explainMissingReceiver(bool errorCame) const
{
    NkCardInfo card{};
    card.size = sizeof card;
    // Only here does a receiver command ask card detection, which the backend runs in this
    // process: the client API says that something failed, not which port or why, and the
    // detection record names the ports to look at.
    const bool cardSeen = NkGetCardInfo(&card) == 0;
    const std::vector<PortProblem> problems =
        cardSeen ? portProblems(card, options_.portAccess) : std::vector<PortProblem>{};
    if (!problems.empty()) {
        std::fprintf(options_.messages, "orvanta-gps: the card was found but its ports cannot be used\n");
        for (const PortProblem& problem : problems)
            std::fprintf(options_.messages, "  %-18s %s\n", (std::string(problem.label) + ":").c_str(),
                         problem.words.c_str());
        return;
    }
    if (view_.libraryFailed)
        return;
    if (errorCame && view_.lastError) {
        // The ports would open for this user, so what refused them is most likely a
        // program holding one: the one cause that a look at the nodes cannot show.
        if (cardSeen)
            std::fprintf(options_.messages,
                         "orvanta-gps: the card was found but could not be used: %s; this user may open its ports, "
                         "so another program may be holding one of them\n",
                         errorText(*view_.lastError).c_str());
        else
            std::fprintf(options_.messages, "orvanta-gps: the card could not be used: %s\n",
                         errorText(*view_.lastError).c_str());
        return;
    }
    if (cardSeen)
        std::fprintf(options_.messages,
                     "orvanta-gps: card detection sees a card (state %s), but no GPS receiver came within %lld s\n",
                     Nodekin::cardStateName(card.state), wholeSeconds(options_.patience));
    else
        std::fprintf(options_.messages, "orvanta-gps: no card with a GPS receiver was found within %lld s\n",
                     wholeSeconds(options_.patience));
}

void ReceiverCommand::settle(const std::function<bool()>& done)
{
    const Clock::time_point end = Clock::now() + options_.patience;
    while (!done() && Clock::now() < end) {
        const std::optional<Notice> notice = session_.next(std::min(end, Clock::now() + kSettleTime));
        if (!notice)
            return;
        take(*notice);
    }
}

bool ReceiverCommand::command(Corvane::GpsMode mode)
{
    if (const int rc = session_.setGpsMode(mode); rc != Corvane::cNoError) {
        std::fprintf(options_.messages, "orvanta-gps: the library refused GPS mode %d: %s\n", static_cast<int>(mode),
                     errorText(rc).c_str());
        return false;
    }
    return true;
}

bool ReceiverCommand::failed() const
{
    if (!view_.lastError)
        return false;
    std::fprintf(options_.messages, "orvanta-gps: the card refused: %s\n", errorText(*view_.lastError).c_str());
    return true;
}

void ReceiverCommand::take(const Notice& notice)
{
    view_.take(notice);
    if (echo)
        echo(notice);
}

} // namespace Orvanta::gps
