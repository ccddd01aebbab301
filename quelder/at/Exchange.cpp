#include "quelder/at/Exchange.h"

namespace GSM {

void Do(Modem& modem, std::string_view command, std::chrono::milliseconds timeout)
{
    modem.SetTimeout(timeout);
    modem.Command(command).Send();
    modem.WaitFinal();
}

int AskInt(Modem& modem, std::string_view command, std::string_view prefix, std::chrono::milliseconds timeout)
{
    modem.SetTimeout(timeout);
    modem.Command(command).Send();
    modem.ExpectPrefix(prefix);
    const int value = modem.ReadInt();
    modem.EndLine();
    modem.WaitFinal();
    return value;
}

} // namespace GSM
