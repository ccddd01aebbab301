#include "PinCommands.h"

#include "ModemReport.h"
#include "SecretInput.h"

#include "corvane/Enumerations.h"

#include <algorithm>
#include <string>

namespace Orvanta::modem {
namespace {

// Whether the SIM has said what it waits for; a SIM that waits for nothing says nothing,
// which only the settling shows.
bool simHasSpoken(const ModemView& view)
{
    const SimStatus status = view.simStatus();
    return status != SimStatus::ready && status != SimStatus::unknown;
}

std::string withAttempts(const char* prompt, std::optional<long long> attempts)
{
    if (!attempts)
        return std::string(prompt) + ": ";
    return std::string(prompt) + " (" + std::to_string(*attempts) + (*attempts == 1 ? " attempt left): " : " attempts left): ");
}

// A code from the reader, checked for its shape; the failure when there is none.
Outcome readCode(SecretReader& reader, const std::string& prompt, CodeKind kind, Secret& code)
{
    const char* name = kind == CodeKind::puk ? "PUK" : "PIN";
    switch (reader.read(prompt.c_str(), code)) {
    case ReadResult::read: break;
    case ReadResult::ended:
        return Failure{ExitCode::usage, std::string("no ") + name + " given on standard input"};
    case ReadResult::tooLong:
        return Failure{ExitCode::usage, kind == CodeKind::puk ? "a PUK is 8 digits" : "a PIN is 4 to 8 digits"};
    case ReadResult::cancelled: return Failure{ExitCode::interrupted, "interrupted"};
    case ReadResult::failed: return Failure{ExitCode::failed, "cannot read standard input"};
    }
    if (const std::optional<const char*> problem = codeProblem(code, kind))
        return Failure{ExitCode::usage, *problem};
    return std::nullopt;
}

// The new PIN, twice on a terminal, where a typing error could not be seen.
Outcome readNewPin(SecretReader& reader, Secret& newPin)
{
    if (Outcome failure = readCode(reader, "New PIN: ", CodeKind::pin, newPin))
        return failure;
    if (!reader.fromTerminal())
        return std::nullopt;
    Secret again;
    if (Outcome failure = readCode(reader, "Repeat the new PIN: ", CodeKind::pin, again))
        return failure;
    if (!(again == newPin))
        return Failure{ExitCode::usage, "the new PINs differ"};
    return std::nullopt;
}

// Whether the SIM is where `action` can start; the failure when it is not, or the success
// that needs no command (a PIN to enter where none is asked for).
std::optional<Outcome> simReadyFor(PinAction action, const ModemView& view, std::FILE* output)
{
    const SimStatus status = view.simStatus();
    if (status == SimStatus::missing)
        return Outcome(Failure{ExitCode::noSim, "no SIM"});
    if (status == SimStatus::blocked)
        return Outcome(Failure{ExitCode::simBlocked, "SIM blocked: no PUK attempts left"});
    if (status == SimStatus::otherCodeNeeded)
        return Outcome(Failure{ExitCode::failed, "the SIM asks for a code other than its PIN or PUK"});
    switch (action) {
    case PinAction::enter:
        if (status == SimStatus::pukNeeded)
            return Outcome(Failure{ExitCode::pukNeeded, "PUK needed: the SIM is blocked until its PUK is given (pin unblock)"});
        if (status == SimStatus::ready) {
            std::fputs("pin: not needed\n", output);
            return Outcome(std::nullopt);
        }
        return std::nullopt;
    case PinAction::unblock:
        if (status == SimStatus::pinNeeded)
            return Outcome(Failure{ExitCode::pinNeeded, "the SIM asks for its PIN, not for its PUK (pin enter)"});
        if (status == SimStatus::ready)
            return Outcome(Failure{ExitCode::failed, "the SIM is not blocked"});
        return std::nullopt;
    case PinAction::change:
    case PinAction::enable:
    case PinAction::disable:
        if (status == SimStatus::pinNeeded)
            return Outcome(Failure{ExitCode::pinNeeded, "PIN needed: the SIM waits for its PIN (pin enter)"});
        if (status == SimStatus::pukNeeded)
            return Outcome(Failure{ExitCode::pukNeeded, "PUK needed: the SIM is blocked until its PUK is given (pin unblock)"});
        return std::nullopt;
    }
    return std::nullopt;
}

const char* successLine(PinAction action)
{
    switch (action) {
    case PinAction::enter: return "pin: accepted";
    case PinAction::unblock: return "pin: accepted, new PIN set";
    case PinAction::change: return "pin: changed";
    case PinAction::enable: return "pin lock: on";
    case PinAction::disable: return "pin lock: off";
    }
    return "";
}

// Reads the codes `action` needs and sends its command.
Outcome sendCodes(ModemSession& modem, PinAction action)
{
    SecretReader& reader = modem.context().secrets;
    const ModemView& view = modem.view();
    Secret code;
    Secret newPin;
    Corvane::ErrorCode sent = Corvane::cNoError;
    switch (action) {
    case PinAction::enter:
        if (Outcome failure = readCode(reader, withAttempts("SIM PIN", view.pinCount), CodeKind::pin, code))
            return failure;
        sent = modem.session().enterPin(code.c_str());
        break;
    case PinAction::unblock:
        if (Outcome failure = readCode(reader, withAttempts("SIM PUK", view.pukCount), CodeKind::puk, code))
            return failure;
        if (Outcome failure = readNewPin(reader, newPin))
            return failure;
        sent = modem.session().enterPin(newPin.c_str(), code.c_str());
        break;
    case PinAction::change:
        if (Outcome failure = readCode(reader, "SIM PIN: ", CodeKind::pin, code))
            return failure;
        if (Outcome failure = readNewPin(reader, newPin))
            return failure;
        sent = modem.session().changePin(code.c_str(), newPin.c_str());
        break;
    case PinAction::enable:
    case PinAction::disable:
        if (Outcome failure = readCode(reader, "SIM PIN: ", CodeKind::pin, code))
            return failure;
        sent = modem.session().setPinMode(code.c_str(),
                                          action == PinAction::enable ? Corvane::cPinModeActive : Corvane::cPinModeInactive);
        break;
    }
    if (sent != Corvane::cNoError)
        return ModemSession::refused("the PIN command", sent);
    return std::nullopt;
}

} // namespace

Outcome showPinStatus(const ModemContext& context)
{
    ModemSession modem(context);
    if (Outcome failure = modem.awaitCard())
        return failure;
    modem.settle([&] { return simHasSpoken(modem.view()); });
    if (modem.view().simStatus() == SimStatus::missing)
        return Failure{ExitCode::noSim, "no SIM"};
    std::fprintf(context.output, "%s\n", simLine(modem.view()).c_str());
    if (modem.view().pinMode)
        std::fprintf(context.output, "pin lock: %s\n", *modem.view().pinMode != 0 ? "on" : "off");
    return std::nullopt;
}

Outcome runPinCommand(const ModemContext& context, PinAction action)
{
    ModemSession modem(context);
    if (Outcome failure = modem.awaitCard())
        return failure;
    // Until the library is quiet: it may tell the SIM's state more than once as the card
    // starts, and a report that came after the code would read as the SIM's answer.
    modem.settle();
    if (context.session.interrupted())
        return Failure{ExitCode::interrupted, "interrupted"};
    if (std::optional<Outcome> early = simReadyFor(action, modem.view(), context.output))
        return *early;
    if (Outcome failure = sendCodes(modem, action))
        return failure;

    const ModemView& view = modem.view();
    PinAnswer answer(action, action == PinAction::unblock ? view.pukCount
                              : action == PinAction::enter ? view.pinCount
                                                           : std::nullopt);
    const Outcome outcome = modem.awaitAnswer(
        [&](const client::Notice& notice) { return answer.take(notice) ? answer.answer() : std::nullopt; },
        [&] { return answer.answerOnSilence(); }, "the SIM did not answer");
    if (!outcome)
        std::fprintf(context.output, "%s\n", successLine(action));
    return outcome;
}

} // namespace Orvanta::modem
