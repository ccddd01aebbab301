#pragma once
// What the dialect's rows share: reading a command's arguments and writing its answer.

#include "sim/cardsim/Dialect.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

// A whole decimal number and nothing else ("-5" included).
std::optional<int> wholeNumber(std::string_view text);

// One argument of an extended command: its text, without the double quotes around a
// string.
struct AtArgument {
    std::string text;
    bool quoted = false;
    bool operator==(const AtArgument&) const = default;
};

// The comma-separated arguments of `text` ("1,2,\"00101\"", empty ones kept: "1,,2");
// nothing when a string is not closed or text follows its closing quote.
std::optional<std::vector<AtArgument>> splitArguments(std::string_view text);

// The number in argument `index`, if there is one and it lies in [lowest, highest].
std::optional<int> numberAt(const std::vector<AtArgument>& arguments, std::size_t index, int lowest, int highest);

// `line` as the answer's next information line; the command succeeded.
FinalResult answer(CommandContext& context, std::string line);

// A parameter that the command does not take: extended commands say why, basic ones
// ("ATE7") only ERROR.
inline FinalResult badParameter() { return FinalResult::cme(kCmeIncorrectParameters); }

// Whether what the SIM stores may be read now: OK, or the "+CME ERROR" that says why.
FinalResult simAccessResult(CommandContext& context);

// `command`, run only when `allowed` answers OK; otherwise its failure is the answer.
template <FinalResult (*allowed)(CommandContext&), FinalResult (*command)(CommandContext&, std::string_view)>
FinalResult guarded(CommandContext& context, std::string_view arguments)
{
    if (const FinalResult access = allowed(context); access.failed())
        return access;
    return command(context, arguments);
}

// Information the SIM stores is read only from a ready SIM.
template <FinalResult (*read)(CommandContext&, std::string_view)>
FinalResult fromReadySim(CommandContext& context, std::string_view arguments)
{
    return guarded<simAccessResult, read>(context, arguments);
}

// "\"text\"".
std::string inQuotes(std::string_view text);

// The report a command switches: "AT_TSQI=" switches "_TSQI", "AT+CREG=" "+CREG".
std::string_view reportOf(std::string_view key);

} // namespace Cardsim
