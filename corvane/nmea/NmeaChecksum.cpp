#include "corvane/nmea/NmeaChecksum.h"

#include <limits>

namespace Corvane::nmea {

namespace {

constexpr bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr int hexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::uint8_t> computedChecksum(std::string_view text) noexcept
{
    std::size_t first = 1; // a sentence starts with its "$": one pass finds "*" and sums
    if (!text.starts_with('$')) {
        const std::size_t star = text.find('*');
        const std::size_t dollar = text.find('$');
        first = dollar < star ? dollar + 1 : 0;
    }
    std::uint8_t sum = 0;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] == '*')
            return sum;
        sum ^= static_cast<std::uint8_t>(text[i]);
    }
    return std::nullopt;
}

std::int64_t transmittedChecksum(std::string_view word) noexcept
{
    std::size_t i = 0;
    while (i < word.size() && isBlank(word[i]))
        ++i;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        negative = word[i] == '-';
        ++i;
    }
    if (i + 2 < word.size() && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X') &&
        hexDigitValue(word[i + 2]) >= 0)
        i += 2;
    constexpr std::uint64_t beyond = std::uint64_t{1} << 63; // |LONG_MIN|
    std::uint64_t magnitude = 0;
    for (; i < word.size() && hexDigitValue(word[i]) >= 0; ++i) {
        const auto digit = static_cast<std::uint64_t>(hexDigitValue(word[i]));
        magnitude = magnitude > (beyond - digit) / 16 ? beyond : magnitude * 16 + digit;
    }
    if (negative)
        return magnitude >= beyond ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
    return magnitude >= beyond ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(magnitude);
}

} // namespace Corvane::nmea
