#include "tests/support/Bytes.h"

#include <cstdio>
#include <stdexcept>

namespace Orvanta::testing {

Bytes hex(std::string_view digits)
{
    Bytes out;
    int pending = -1;
    for (char c : digits) {
        if (c == ' ')
            continue;
        int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (nibble < 0)
            throw std::invalid_argument("not a hex digit in test data");
        if (pending < 0) {
            pending = nibble;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending << 4 | nibble));
            pending = -1;
        }
    }
    if (pending >= 0)
        throw std::invalid_argument("odd number of hex digits in test data");
    return out;
}

std::string toHex(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", data[i]);
        out += digits;
    }
    return out;
}

Bytes be16(std::uint16_t value) { return {std::uint8_t(value >> 8), std::uint8_t(value)}; }

Bytes be32(std::uint32_t value)
{
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
}

Bytes be64(std::uint64_t value) { return concat({be32(std::uint32_t(value >> 32)), be32(std::uint32_t(value))}); }

Bytes text(std::string_view characters) { return Bytes(characters.begin(), characters.end()); }

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes varArray(std::initializer_list<Bytes> entries)
{
    Bytes body;
    for (const Bytes& entry : entries)
        body = concat({body, be32(std::uint32_t(entry.size())), entry});
    return concat({be32(std::uint32_t(6 + body.size())), be16(std::uint16_t(entries.size())), body});
}

Bytes pair(std::uint8_t tag, std::string_view key, const Bytes& value)
{
    return concat({{tag, std::uint8_t(key.size())}, text(key), {0}, value});
}

} // namespace Orvanta::testing
