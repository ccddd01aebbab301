// The dialect's rows for the card's SIM: the PIN state and its codes (+CPIN, +CLCK and
// +CPWD of 3GPP TS 27.007, and the maker's AT_TERCN, whose answer docs/at-dialect.md
// writes down), and the commands that read what the SIM stores, which wait for its PIN.
// The codes travel as strings; a host typing them without quotes is understood too.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/RowSupport.h"

#include <array>
#include <cassert>
#include <optional>

namespace Cardsim {
namespace {

Sim& simOf(CommandContext& context)
{
    assert(context.card != nullptr && "SIM rows in a session without a card state");
    return context.card->sim();
}

FinalResult simResult(SimOutcome outcome)
{
    switch (outcome) {
    case SimOutcome::done: return FinalResult::ok();
    case SimOutcome::noSim: return FinalResult::cme(kCmeSimNotInserted);
    case SimOutcome::pinRequired: return FinalResult::cme(kCmeSimPinRequired);
    case SimOutcome::pukRequired: return FinalResult::cme(kCmeSimPukRequired);
    case SimOutcome::wrongCode: return FinalResult::cme(kCmeIncorrectPassword);
    case SimOutcome::notAllowed: return FinalResult::cme(kCmeOperationNotAllowed);
    }
    return FinalResult::error();
}

// The code in argument `index`: a string, or digits without quotes; never an empty
// argument left out.
std::optional<std::string> codeAt(const std::vector<AtArgument>& arguments, std::size_t index)
{
    if (index >= arguments.size() || (!arguments[index].quoted && arguments[index].text.empty()))
        return std::nullopt;
    return arguments[index].text;
}

// The SIM's own lock is the only facility the card keeps.
bool isSimFacility(const std::vector<AtArgument>& arguments)
{
    return !arguments.empty() && arguments[0].quoted && (arguments[0].text == "SC" || arguments[0].text == "sc");
}

// PIN state -------------------------------------------------------------------------------

// +CPIN: READY | SIM PIN | SIM PUK; a blocked SIM still asks for its PUK, which it no
// longer takes.
FinalResult readPinState(CommandContext& context, std::string_view)
{
    switch (simOf(context).state()) {
    case SimState::absent: return FinalResult::cme(kCmeSimNotInserted);
    case SimState::pinNeeded: return answer(context, "+CPIN: SIM PIN");
    case SimState::pukNeeded:
    case SimState::blocked: return answer(context, "+CPIN: SIM PUK");
    case SimState::ready: break;
    }
    return answer(context, "+CPIN: READY");
}

// AT+CPIN="<pin>", or AT+CPIN="<puk>","<newpin>" while the PUK is needed.
FinalResult enterCode(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() > 2)
        return badParameter();
    const auto code = codeAt(*list, 0);
    if (!code)
        return badParameter();
    Sim& sim = simOf(context);
    if (list->size() == 1)
        return simResult(sim.enterPin(*code));
    const auto newPin = codeAt(*list, 1);
    if (!newPin)
        return badParameter();
    return simResult(sim.unblock(*code, *newPin));
}

// _TERCN: <pin1>,<puk1>,<pin2>,<puk2>; the card has no use for PIN2, whose counters stay
// those of a fresh SIM.
FinalResult readAttempts(CommandContext& context, std::string_view)
{
    const Sim& sim = simOf(context);
    if (!sim.present())
        return FinalResult::cme(kCmeSimNotInserted);
    return answer(context, "_TERCN: " + std::to_string(sim.pinAttemptsLeft()) + "," +
                               std::to_string(sim.pukAttemptsLeft()) + "," + std::to_string(Sim::kPinAttempts) +
                               "," + std::to_string(Sim::kPukAttempts));
}

// AT+CLCK="SC",2 reads the PIN lock (+CLCK: <0|1>); AT+CLCK="SC",<0|1>,"<pin>"[,<class>]
// switches it.
FinalResult facilityLock(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() < 2 || list->size() > 4 || !isSimFacility(*list))
        return badParameter();
    constexpr int kQuery = 2;
    const auto mode = numberAt(*list, 1, 0, kQuery);
    if (!mode)
        return badParameter();
    Sim& sim = simOf(context);
    if (*mode == kQuery) {
        if (const SimOutcome why = sim.readLock(); why != SimOutcome::done)
            return simResult(why);
        return answer(context, sim.lockOn() ? "+CLCK: 1" : "+CLCK: 0");
    }
    const auto pin = codeAt(*list, 2);
    if (!pin || (list->size() == 4 && !numberAt(*list, 3, 1, 255)))
        return badParameter();
    return simResult(sim.setLock(*mode == 1, *pin));
}

FinalResult testFacilityLock(CommandContext& context, std::string_view) { return answer(context, "+CLCK: (\"SC\")"); }

// AT+CPWD="SC","<old>","<new>"
FinalResult changePassword(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() != 3 || !isSimFacility(*list))
        return badParameter();
    const auto oldPin = codeAt(*list, 1);
    const auto newPin = codeAt(*list, 2);
    if (!oldPin || !newPin)
        return badParameter();
    return simResult(simOf(context).changePin(*oldPin, *newPin));
}

// The longest password of the facility.
FinalResult testChangePassword(CommandContext& context, std::string_view) { return answer(context, "+CPWD: (\"SC\",8)"); }

// What the SIM stores ------------------------------------------------------------------------

FinalResult imsi(CommandContext& context, std::string_view) { return answer(context, context.facts.imsi); }

FinalResult ownNumber(CommandContext& context, std::string_view)
{
    return answer(context, "+CNUM: \"Voice\",\"" + context.facts.phoneNumber + "\",145");
}

FinalResult messageStorage(CommandContext& context, std::string_view)
{
    const MessageStore& store = context.card->messaging().store();
    const std::string figures = "\"SM\"," + std::to_string(store.used()) + "," + std::to_string(store.capacity());
    return answer(context, "+CPMS: " + figures + "," + figures + "," + figures);
}

// Only the read of EF_ICCID ("AT+CRSM=176,12258,0,0,10") is known; its digits go in
// swapped pairs, padded with F. A SIM lets anyone read its serial number, PIN or not.
FinalResult restrictedSimAccess(CommandContext& context, std::string_view arguments)
{
    if (!simOf(context).present())
        return FinalResult::cme(kCmeSimNotInserted);
    if (arguments != "176,12258,0,0,10")
        return badParameter();
    std::string digits = context.facts.iccid;
    if (digits.size() % 2 != 0)
        digits += 'F';
    std::string swapped;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        swapped += digits[i + 1];
        swapped += digits[i];
    }
    return answer(context, "+CRSM: 144,0,\"" + swapped + "\"");
}

// _TBLS: 1 once the SIM is ready and its files are loaded, 0 before and without a SIM.
FinalResult simLoaded(CommandContext& context, std::string_view)
{
    return answer(context, simOf(context).ready() ? "_TBLS: 1" : "_TBLS: 0");
}

const std::array kSimCommandRows{
    CommandRow{"AT+CPIN?", readPinState},
    CommandRow{"AT+CPIN=", enterCode},
    CommandRow{"AT_TERCN?", readAttempts},
    CommandRow{"AT+CLCK=", facilityLock},
    CommandRow{"AT+CLCK=?", testFacilityLock},
    CommandRow{"AT+CPWD=", changePassword},
    CommandRow{"AT+CPWD=?", testChangePassword},
    CommandRow{"AT+CIMI", fromReadySim<imsi>},
    CommandRow{"AT+CNUM", fromReadySim<ownNumber>},
    CommandRow{"AT+CPMS?", fromReadySim<messageStorage>},
    CommandRow{"AT+CRSM=", restrictedSimAccess},
    CommandRow{"AT_TBLS", simLoaded},
};

} // namespace

std::span<const CommandRow> simCommandRows() { return kSimCommandRows; }

FinalResult simAccessResult(CommandContext& context) { return simResult(simOf(context).access()); }

} // namespace Cardsim
