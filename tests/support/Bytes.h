#pragma once
// Byte strings for tests of binary formats, written as hex ("00 00 00 16 00 01") or
// assembled from parts.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::testing {

using Bytes = std::vector<std::uint8_t>;

// Pairs of hex digits; blanks between them are ignored.
Bytes hex(std::string_view digits);
std::string toHex(const std::uint8_t* data, std::size_t size);
inline std::string toHex(const Bytes& bytes) { return toHex(bytes.data(), bytes.size()); }

Bytes be16(std::uint16_t value);
Bytes be32(std::uint32_t value);
Bytes be64(std::uint64_t value);
Bytes text(std::string_view characters); // without terminator
Bytes concat(std::initializer_list<Bytes> parts);

// A VarArray buffer with a correct header around the given entries.
Bytes varArray(std::initializer_list<Bytes> entries);
// One dictionary pair: tag, key length, key, terminator, value.
Bytes pair(std::uint8_t tag, std::string_view key, const Bytes& value);

} // namespace Orvanta::testing
