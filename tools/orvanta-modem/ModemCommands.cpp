#include "ModemCommands.h"

#include "NetworkCommands.h"
#include "PinCommands.h"
#include "WatchModem.h"

namespace Orvanta::modem {

Outcome runCommand(const ModemContext& context)
{
    switch (context.request.command) {
    case Command::status: return showStatus(context);
    case Command::watch: return watchModem(context);
    case Command::pinStatus: return showPinStatus(context);
    case Command::pinEnter: return runPinCommand(context, PinAction::enter);
    case Command::pinUnblock: return runPinCommand(context, PinAction::unblock);
    case Command::pinChange: return runPinCommand(context, PinAction::change);
    case Command::pinEnable: return runPinCommand(context, PinAction::enable);
    case Command::pinDisable: return runPinCommand(context, PinAction::disable);
    case Command::radioOn: return switchRadio(context, true);
    case Command::radioOff: return switchRadio(context, false);
    case Command::networks: return listNetworks(context);
    case Command::selectNetwork:
    case Command::selectAutomatic: return selectNetwork(context);
    case Command::technology: return selectTechnology(context);
    // These run before any session starts (main).
    case Command::pduDecode:
    case Command::pduEncode:
    case Command::help:
    case Command::version: break;
    }
    return Failure{ExitCode::usage, "no command given"};
}

} // namespace Orvanta::modem
