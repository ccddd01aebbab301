#include "NetworkCommands.h"

#include "ModemReport.h"
#include "NoticeText.h"
#include "ScanProgress.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <string>

namespace Orvanta::modem {
namespace {

using client::Notice;
using client::NoticeKind;
using Decision = ModemSession::Decision;

void printLine(std::FILE* output, const std::string& line)
{
    std::fprintf(output, "%s\n", line.c_str());
}

std::string errorNameOf(const Notice& notice)
{
    return std::string(
        Corvane::errorName(static_cast<int>(notice.integer(Corvane::key::lastError).value_or(Corvane::cErrorUnknown))));
}

// The card once the library is quiet: commands sent while the card still starts would
// meet its start-up work (a radio switch ended by another worker's completion, an error
// that would read as the command's).
Outcome awaitSettledCard(ModemSession& modem)
{
    if (Outcome failure = modem.awaitCard())
        return failure;
    modem.settle();
    if (modem.session().interrupted())
        return Failure{ExitCode::interrupted, "interrupted"};
    return std::nullopt;
}

// The network machine exists once it has told the registration; commands sent before
// would find nobody to take them.
Outcome awaitNetwork(ModemSession& modem)
{
    if (Outcome failure = awaitSettledCard(modem))
        return failure;
    if (!modem.waitUntil([&] { return modem.view().registration.has_value(); }))
        return modem.unanswered("the card did not report its network");
    return std::nullopt;
}

void printRegistration(const ModemContext& context, const ModemView& view)
{
    printLine(context.output, "registration: " + client::registrationText(view.registration.value_or(-1)));
    if (view.mccmnc.value_or(0) != 0) {
        printLine(context.output, "operator: " + operatorText(view.longName, view.shortName));
        printLine(context.output, "mccmnc: " + mccmncLine(*view.mccmnc));
    }
}

bool isUnknownNetworkError(long long error)
{
    return error == Corvane::cErrorUnknown || error == Corvane::cErrorNotFound || error == Corvane::cErrorNoSuchItem ||
           error == Corvane::cErrorInvalidParameters;
}

} // namespace

Outcome showStatus(const ModemContext& context)
{
    ModemSession modem(context);
    if (Outcome failure = awaitSettledCard(modem))
        return failure;
    if (context.request.json) {
        printLine(context.output, statusJson(modem.view()).dump());
        return std::nullopt;
    }
    for (const std::string& line : statusLines(modem.view()))
        printLine(context.output, line);
    return std::nullopt;
}

Outcome switchRadio(const ModemContext& context, bool on)
{
    ModemSession modem(context);
    if (Outcome failure = awaitSettledCard(modem))
        return failure;
    // The radio machine takes commands once it has told the radio's state.
    if (!modem.waitUntil([&] { return modem.view().radioReported; }))
        return modem.unanswered("the card did not report its radio");
    const long long wanted = on ? Corvane::cRadioOn : Corvane::cRadioOff;
    const char* line = on ? "radio: on" : "radio: off";
    if (modem.view().radioState == wanted) {
        printLine(context.output, line);
        return std::nullopt;
    }
    if (const Corvane::ErrorCode sent = context.session.setRadioState(on ? Corvane::cRadioOn : Corvane::cRadioOff);
        sent != Corvane::cNoError)
        return ModemSession::refused("the radio command", sent);
    // The radio machine reports the state it goes to before the card's own report can
    // contradict it, so the switch counts once the reports have settled on it.
    bool reported = false;
    const Outcome outcome = modem.awaitAnswer(
        [&](const Notice& notice) -> Decision {
            if (notice.kind == NoticeKind::traitError)
                return Outcome(Failure{ExitCode::failed, "the card did not switch its radio: " + errorNameOf(notice)});
            reported = reported || (notice.kind == NoticeKind::flightMode &&
                                    notice.integer(Corvane::key::radioState) == wanted);
            return std::nullopt;
        },
        [&] {
            if (!reported)
                return Decision();
            if (modem.view().radioState == wanted)
                return Decision(Outcome(std::nullopt));
            return Decision(Outcome(Failure{ExitCode::failed, std::string("the radio did not switch: the card "
                                                                          "reports it still ") +
                                                                  (on ? "off" : "on")}));
        },
        "the radio did not switch");
    if (!outcome)
        printLine(context.output, line);
    return outcome;
}

Outcome listNetworks(const ModemContext& context)
{
    ModemSession modem(context);
    if (Outcome failure = awaitNetwork(modem))
        return failure;
    if (const Corvane::ErrorCode sent = context.session.scanNetworks(); sent != Corvane::cNoError)
        return ModemSession::refused("the scan", sent);

    const auto start = client::Clock::now();
    ScanProgress progress(context.messages);
    std::optional<std::string> error;
    std::optional<std::vector<client::FoundNetwork>> found;
    const bool finished = modem.waitUntil(
        [&] { return found.has_value(); },
        [&](const Notice& notice) {
            if (notice.kind == NoticeKind::traitError)
                error = errorNameOf(notice);
            else if (notice.kind == NoticeKind::networkScan &&
                     notice.integer(Corvane::key::networkScanActive).value_or(0) == 0)
                found = client::foundNetworks(notice);
            progress.show(client::Clock::now() - start);
        },
        std::chrono::milliseconds(250), [&] { progress.show(client::Clock::now() - start); });
    progress.finish();
    if (!finished)
        return modem.unanswered("the scan did not end");
    if (found->empty() && error)
        return Failure{ExitCode::failed, "the scan failed: " + *error};
    for (const client::FoundNetwork& network : *found)
        printLine(context.output, context.request.json ? networkJson(network).dump() : networkLine(network));
    if (found->empty() && !context.request.json)
        printLine(context.output, "networks: none found");
    return std::nullopt;
}

Outcome selectNetwork(const ModemContext& context)
{
    ModemSession modem(context);
    if (Outcome failure = awaitNetwork(modem))
        return failure;
    const Request& request = context.request;
    const bool automatic = request.command == Command::selectAutomatic;
    const Corvane::ErrorCode sent =
        automatic ? context.session.selectNetwork(Corvane::cNetworkSelectionAutomatic)
                  : context.session.selectNetwork(Corvane::cNetworkSelectionManual, request.mccmnc, request.technology);
    if (sent != Corvane::cNoError)
        return ModemSession::refused("the selection", sent);

    const std::string code = client::mccmncText(request.mccmnc).value_or("?");
    const ModemView& view = modem.view();
    auto there = [&] { return view.registered() && (automatic || view.mccmnc == request.mccmnc); };
    bool moved = false; // a registration change came after the selection
    const Outcome outcome = modem.awaitAnswer(
        [&](const Notice& notice) -> Decision {
            if (notice.kind == NoticeKind::traitError) {
                const long long error = notice.integer(Corvane::key::lastError).value_or(Corvane::cErrorUnknown);
                if (!automatic && isUnknownNetworkError(error))
                    return Outcome(Failure{ExitCode::unknownNetwork,
                                           "unknown network " + code + ": the card does not see it"});
                return Outcome(Failure{ExitCode::failed, "the card refused the selection: " + errorNameOf(notice)});
            }
            if (notice.kind == NoticeKind::registration) {
                moved = true;
                if (view.registration == Corvane::rmDenied)
                    return Outcome(Failure{ExitCode::failed, "the network denied the registration"});
            }
            // The network's name and code follow the registration; a manual selection
            // knows which to wait for, an automatic one takes them once all is quiet.
            if (moved && !automatic && there())
                return Outcome(std::nullopt);
            return std::nullopt;
        },
        // A card already on the network asked for may register again or say nothing.
        [&] { return there() ? Decision(Outcome(std::nullopt)) : Decision(); }, "the card did not register");
    if (!outcome)
        printRegistration(context, view);
    return outcome;
}

Outcome selectTechnology(const ModemContext& context)
{
    ModemSession modem(context);
    if (Outcome failure = awaitNetwork(modem))
        return failure;
    const Corvane::PsTechnology technology = context.request.technology.value_or(Corvane::cPsTechnologyAutomatic);
    if (const Corvane::ErrorCode sent = context.session.setNetworkTechnology(technology); sent != Corvane::cNoError)
        return ModemSession::refused("the technology", sent);
    // The card confirms only by not refusing.
    const Outcome outcome = modem.awaitAnswer(
        [&](const Notice& notice) -> Decision {
            if (notice.kind == NoticeKind::traitError)
                return Outcome(Failure{ExitCode::failed, "the card refused the technology: " + errorNameOf(notice)});
            return std::nullopt;
        },
        [] { return Decision(Outcome(std::nullopt)); }, "the card did not answer");
    if (!outcome)
        printLine(context.output,
                  std::string("technology: ") + (technology == Corvane::cPsTechnologyAutomatic ? "auto"
                                                                                               : client::technologyText(technology)));
    return outcome;
}

} // namespace Orvanta::modem
