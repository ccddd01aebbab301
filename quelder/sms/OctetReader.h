#pragma once
// Walks the octets of a received PDU. Every read is checked against the end: one that
// would pass it logs the corrupted PDU and raises kQdMalformedPdu, so a decoder never
// reads what the card did not send.

#include "quelder/QdResult.h"

#include <cstdint>
#include <span>

namespace SMS {

class OctetReader {
public:
    explicit OctetReader(std::span<const std::uint8_t> octets) noexcept : octets_(octets) {}

    std::uint8_t Octet();
    std::span<const std::uint8_t> Take(std::size_t count);
    std::size_t Remaining() const noexcept { return octets_.size() - position_; }

private:
    std::span<const std::uint8_t> octets_;
    std::size_t position_ = 0;
};

// Logs the read past the end of a PDU and raises kQdMalformedPdu.
[[noreturn]] void RaiseCorruptedPdu();

} // namespace SMS
