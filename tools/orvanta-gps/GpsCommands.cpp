#include "GpsCommands.h"

#include "ClientSession.h"
#include "NoticeText.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"

#include <optional>
#include <string>

namespace Orvanta::gps {
namespace {

// How long the library must stay quiet before a command takes the receiver's state as
// settled. The library does not report a receiver that stays off, so silence is the only
// sign; a card answers within tens of milliseconds.
constexpr auto kSettleTime = std::chrono::seconds(1);
// How long a watch waits, after it was interrupted, for reading to stop.
constexpr auto kStopPatience = std::chrono::seconds(3);

constexpr int kModeOff = 0;
constexpr int kModeOn = 1;
constexpr int kModeStopReading = 2;
constexpr int kModeRead = 4;

// What the notices seen so far say about the card.
struct CardView {
    std::optional<bool> gpsSupport;
    std::optional<std::string> dataPort;
    long long gpsState = 0;
    std::optional<long long> lastError;
    bool libraryFailed = false;

    void take(const Notice& notice)
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
            gpsState = notice.integer(Corvane::key::gpsState).value_or(0);
            break;
        case NoticeKind::deviceState:
        case NoticeKind::gpsData:
            break;
        }
    }
};

class Command {
public:
    Command(const GpsCommandOptions& options, ClientSession& session) : options_(options), session_(session) {}

    // Waits for the card to say whether it has a receiver; false (with a message) when
    // it has none or does not say so in time.
    bool awaitReceiver()
    {
        const auto deadline = Clock::now() + options_.patience;
        const auto answered = session_.waitFor(
            [this](const Notice&) { return view_.gpsSupport.has_value() || view_.libraryFailed; }, deadline,
            [this](const Notice& notice) { see(notice); });
        if (view_.libraryFailed) {
            std::fprintf(options_.messages, "orvanta-gps: the library failed to start\n");
            return false;
        }
        if (!answered) {
            if (!session_.interrupted())
                std::fprintf(options_.messages, "orvanta-gps: no card with a GPS receiver was found within %lld s\n",
                             static_cast<long long>(
                                 std::chrono::duration_cast<std::chrono::seconds>(options_.patience).count()));
            return false;
        }
        if (!*view_.gpsSupport) {
            std::fprintf(options_.messages, "orvanta-gps: the card has no GPS receiver\n");
            return false;
        }
        return true;
    }

    // Takes notices until none has come for the settle time, or `done` holds.
    void settle(const std::function<bool()>& done = [] { return false; })
    {
        const auto giveUp = Clock::now() + options_.patience;
        while (!done() && Clock::now() < giveUp) {
            const auto notice = session_.next(std::min(giveUp, Clock::now() + kSettleTime));
            if (!notice)
                return;
            see(*notice);
        }
    }

    bool command(int mode)
    {
        if (const int rc = session_.setGpsMode(mode); rc != Corvane::cNoError) {
            std::fprintf(options_.messages, "orvanta-gps: the library refused GPS mode %d: %s (%d)\n", mode,
                         std::string(Corvane::errorName(rc)).c_str(), rc);
            return false;
        }
        return true;
    }

    bool failed() const
    {
        if (!view_.lastError)
            return false;
        const int code = static_cast<int>(*view_.lastError);
        std::fprintf(options_.messages, "orvanta-gps: the card refused: %s (%d)\n",
                     std::string(Corvane::errorName(code)).c_str(), code);
        return true;
    }

    const CardView& view() const noexcept { return view_; }
    ClientSession& session() noexcept { return session_; }

    // Every notice goes through here, so that a watch can print it as it comes.
    std::function<void(const Notice&)> echo;

private:
    void see(const Notice& notice)
    {
        view_.take(notice);
        if (echo)
            echo(notice);
    }

    const GpsCommandOptions& options_;
    ClientSession& session_;
    CardView view_;
};

} // namespace

int showGpsStatus(const GpsCommandOptions& options)
{
    ClientSession session;
    Command status(options, session);
    if (!status.awaitReceiver()) {
        if (status.view().gpsSupport == false)
            std::fputs("gps support: no\n", options.output);
        return 1;
    }
    status.settle();
    const CardView& view = status.view();
    std::fputs("gps support: yes\n", options.output);
    std::fprintf(options.output, "gps data port: %s\n", view.dataPort.value_or("unknown").c_str());
    std::fprintf(options.output, "gps: %s\n", gpsStateText(view.gpsState));
    return 0;
}

int switchGps(const GpsCommandOptions& options, bool on)
{
    ClientSession session;
    Command command(options, session);
    if (!command.awaitReceiver() || !command.command(on ? kModeOn : kModeOff))
        return 1;
    // Switching on always shows as "active"; switching off a receiver that was already
    // off shows as nothing at all.
    command.settle([&] { return command.view().lastError.has_value() || (on && command.view().gpsState == 1); });
    if (command.failed())
        return 1;
    if (command.view().gpsState != (on ? 1 : 0)) {
        std::fprintf(options.messages, "orvanta-gps: the receiver did not switch %s\n", on ? "on" : "off");
        return 1;
    }
    std::fprintf(options.output, "gps: %s\n", gpsStateText(command.view().gpsState));
    return 0;
}

int watchGps(const GpsCommandOptions& options, ClientSession& session)
{
    Command watch(options, session);
    std::optional<long long> shownState;
    std::string shownPosition;
    bool reading = false;
    watch.echo = [&](const Notice& notice) {
        // Before there is a card the backend's questions about it fail; that is no news.
        if (notice.kind == NoticeKind::traitError && !reading)
            return;
        // Every fix re-enters "reading"; a state is shown when it changes.
        if (notice.kind == NoticeKind::gpsState) {
            const long long state = notice.integer(Corvane::key::gpsState).value_or(-1);
            if (shownState == state)
                return;
            shownState = state;
        }
        const std::string line = noticeLine(notice);
        if (line.empty())
            return;
        // GGA and RMC of one fix carry the same position: it is shown once.
        if (notice.kind == NoticeKind::gpsData) {
            if (line == shownPosition)
                return;
            shownPosition = line;
        }
        std::fprintf(options.output, "%s\n", line.c_str());
        std::fflush(options.output);
    };
    if (!watch.awaitReceiver())
        return session.interrupted() ? 0 : 1;
    if (!watch.command(kModeRead))
        return 1;
    reading = true;
    for (;;) {
        if (const auto notice = session.next(Clock::now() + std::chrono::hours(1)))
            watch.echo(*notice);
        else if (session.interrupted())
            break;
    }

    session.clearInterrupt();
    if (!watch.command(kModeStopReading))
        return 1;
    const auto deadline = Clock::now() + kStopPatience;
    session.waitFor(
        [](const Notice& notice) {
            return notice.kind == NoticeKind::traitError ||
                   (notice.kind == NoticeKind::gpsState && notice.integer(Corvane::key::gpsState).value_or(-1) <= 1);
        },
        deadline, watch.echo);
    return 0;
}

} // namespace Orvanta::gps
