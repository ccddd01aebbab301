#include "sim/cardsim/RowSupport.h"

#include <algorithm>
#include <charconv>

namespace Cardsim {

std::optional<int> wholeNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::vector<AtArgument>> splitArguments(std::string_view text)
{
    std::vector<AtArgument> arguments;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    for (;;) {
        AtArgument argument;
        skipBlanks();
        if (i < text.size() && text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            argument = {std::string(text.substr(i + 1, close - i - 1)), true};
            i = close + 1;
            skipBlanks();
            if (i < text.size() && text[i] != ',')
                return std::nullopt;
        } else {
            const std::size_t comma = std::min(text.find(',', i), text.size());
            std::string_view plain = text.substr(i, comma - i);
            while (!plain.empty() && plain.back() == ' ')
                plain.remove_suffix(1);
            if (plain.find('"') != std::string_view::npos)
                return std::nullopt;
            argument.text = plain;
            i = comma;
        }
        arguments.push_back(std::move(argument));
        if (i >= text.size())
            return arguments;
        ++i; // the comma
    }
}

std::optional<int> numberAt(const std::vector<AtArgument>& arguments, std::size_t index, int lowest, int highest)
{
    if (index >= arguments.size() || arguments[index].quoted)
        return std::nullopt;
    const auto value = wholeNumber(arguments[index].text);
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

FinalResult answer(CommandContext& context, std::string line)
{
    context.lines.push_back(std::move(line));
    return FinalResult::ok();
}

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string_view reportOf(std::string_view key)
{
    if (key.starts_with("AT"))
        key.remove_prefix(2);
    while (!key.empty() && (key.back() == '=' || key.back() == '?'))
        key.remove_suffix(1);
    return key;
}

} // namespace Cardsim
