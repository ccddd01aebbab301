#include "Arguments.h"

#include <charconv>

namespace Orvanta::modem {

bool ArgumentCursor::names(std::string_view name) const
{
    const std::string_view argument = current();
    return argument == name || (argument.starts_with(name) && argument.substr(name.size()).starts_with('='));
}

std::optional<std::string> ArgumentCursor::valueOf(std::string_view name)
{
    const std::string_view argument = current();
    if (argument == name) {
        if (index_ + 1 >= arguments_.size())
            return std::nullopt;
        return arguments_[++index_];
    }
    if (names(name))
        return std::string(argument.substr(name.size() + 1));
    return std::nullopt;
}

std::optional<int> wholeNumberOf(std::string_view text, int low, int high)
{
    // Digits only: no sign, no spaces, and not so many that the number could overflow.
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace Orvanta::modem
