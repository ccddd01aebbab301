#pragma once
// Enumeration names are kept as one comma-terminated list per enumeration
// ("a,b,c,"), and a value's text is the item at its index.

#include <cstddef>
#include <string_view>

namespace Corvane {

// The item at `index`, or an empty view when the list is shorter.
constexpr std::string_view nameFromList(std::string_view list, std::size_t index) noexcept
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        if (comma == std::string_view::npos)
            return {};
        if (index == 0)
            return list.substr(start, comma - start);
        --index;
        start = comma + 1;
    }
}

// Number of items in a comma-terminated list.
constexpr std::size_t nameListSize(std::string_view list) noexcept
{
    std::size_t n = 0;
    for (char c : list)
        n += c == ',' ? 1 : 0;
    return n;
}

// The name of an enumeration value, or "???" for a value outside the list.
constexpr std::string_view enumerationName(std::string_view list, long long value) noexcept
{
    const std::string_view name = value < 0 ? std::string_view{} : nameFromList(list, static_cast<std::size_t>(value));
    return name.empty() ? "???" : name;
}

} // namespace Corvane
