#pragma once
// Hex digits as the card's protocols write them: either case.

namespace Os {

// The value of a hex digit, or -1 for anything else.
constexpr int hexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace Os
