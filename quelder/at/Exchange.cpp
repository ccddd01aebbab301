#include "quelder/at/Exchange.h"

namespace GSM {
namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

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

std::string AskText(Modem& modem, std::string_view command, std::string_view prefix, std::chrono::milliseconds timeout)
{
    modem.SetTimeout(timeout);
    modem.Command(command).Send();
    if (!prefix.empty())
        modem.ExpectPrefix(prefix);
    std::string text(Trim(modem.RestOfLine()));
    modem.EndLine();
    modem.WaitFinal();
    return text;
}

std::vector<std::string> AskLines(Modem& modem, std::string_view command)
{
    modem.Command(command).Send();
    std::vector<std::string> lines;
    for (;;) {
        try {
            lines.emplace_back(modem.RestOfLine());
            modem.EndLine();
        } catch (const ResultError& error) {
            if (error.code() != kQdUnexpectedFinal)
                throw;
            return lines;
        }
    }
}

} // namespace GSM
