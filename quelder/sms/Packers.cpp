#include "quelder/sms/Packers.h"

#include <cstring>

namespace SMS {

Packer7bit::Packer7bit(std::vector<std::uint8_t>& out, int fillBits) noexcept
    : Packer(out), pendingBits_(fillBits > 0 && fillBits < 8 ? fillBits : 0)
{
}

Packer7bit::~Packer7bit()
{
    if (pendingBits_ > 0)
        out_.push_back(static_cast<std::uint8_t>(pending_ & 0xFF));
}

void Packer7bit::Pack(const std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        pending_ |= static_cast<std::uint32_t>(bytes[i] & 0x7F) << pendingBits_;
        pendingBits_ += 7;
        while (pendingBits_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(pending_ & 0xFF));
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
    }
}

void Packer8bit::Pack(const std::uint8_t* bytes, std::size_t count) { out_.insert(out_.end(), bytes, bytes + count); }

void Packer16bit::Pack(const std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        held_[holding_ ? 1 : 0] = bytes[i];
        if (!holding_) {
            holding_ = true;
            continue;
        }
        holding_ = false;
        char16_t unit;
        std::memcpy(&unit, held_, sizeof unit);
        out_.push_back(static_cast<std::uint8_t>(unit >> 8));
        out_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
}

void Packer16bit::Pack(std::u16string_view units)
{
    Pack(reinterpret_cast<const std::uint8_t*>(units.data()), units.size() * sizeof(char16_t));
}

namespace {

std::string unpackSeptets(std::span<const std::uint8_t> packed, std::size_t count, std::size_t bitOffset,
                          bool mostSignificantFirst)
{
    std::string septets;
    const std::size_t bits = packed.size() * 8;
    if (bitOffset >= bits)
        return septets;
    const std::size_t available = (bits - bitOffset) / 7;
    if (count > available)
        count = available;
    septets.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = bitOffset + 7 * i;
        const std::size_t octet = bit / 8;
        const unsigned shift = static_cast<unsigned>(bit % 8);
        std::uint8_t septet;
        if (mostSignificantFirst) {
            unsigned pair = static_cast<unsigned>(packed[octet]) << 8;
            if (octet + 1 < packed.size())
                pair |= packed[octet + 1];
            septet = static_cast<std::uint8_t>((pair >> (9 - shift)) & 0x7F);
        } else {
            unsigned pair = packed[octet];
            if (octet + 1 < packed.size())
                pair |= static_cast<unsigned>(packed[octet + 1]) << 8;
            septet = static_cast<std::uint8_t>((pair >> shift) & 0x7F);
        }
        septets[i] = static_cast<char>(septet);
    }
    return septets;
}

} // namespace

std::string Unpack7bit(std::span<const std::uint8_t> packed, std::size_t count, std::size_t bitOffset)
{
    return unpackSeptets(packed, count, bitOffset, false);
}

std::string UnpackCdma7bit(std::span<const std::uint8_t> packed, std::size_t count, std::size_t bitOffset)
{
    return unpackSeptets(packed, count, bitOffset, true);
}

} // namespace SMS
