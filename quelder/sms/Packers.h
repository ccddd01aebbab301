#pragma once
// The packers that write a message's characters into its user data, and the unpackers
// that read them back.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SMS {

// Appends to an octet buffer. A packer that holds a partial octet writes it when it goes,
// so the buffer is complete once the packer is.
class Packer {
public:
    explicit Packer(std::vector<std::uint8_t>& out) noexcept : out_(out) {}
    virtual ~Packer() = default;
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    virtual void Pack(const std::uint8_t* bytes, std::size_t count) = 0;

protected:
    std::vector<std::uint8_t>& out_;
};

// Septets (one per byte, the top bit ignored), least significant bit first, after
// `fillBits` zero bits that put the first septet on a septet boundary behind a header.
class Packer7bit final : public Packer {
public:
    Packer7bit(std::vector<std::uint8_t>& out, int fillBits = 0) noexcept;
    ~Packer7bit() override;
    void Pack(const std::uint8_t* bytes, std::size_t count) override;

private:
    std::uint32_t pending_ = 0; // bits not yet written, lowest first
    int pendingBits_ = 0;
};

// Octets as they are.
class Packer8bit final : public Packer {
public:
    using Packer::Packer;
    void Pack(const std::uint8_t* bytes, std::size_t count) override;
};

// UTF-16 code units given as their bytes in host order, each written high byte first.
// An odd last byte is held until its partner comes; one left at the end is dropped.
class Packer16bit final : public Packer {
public:
    using Packer::Packer;
    void Pack(const std::uint8_t* bytes, std::size_t count) override;
    void Pack(std::u16string_view units);

private:
    std::uint8_t held_[2] = {};
    bool holding_ = false;
};

// `count` septets packed least significant bit first, the first starting `bitOffset`
// bits into `packed`; septets that would start beyond the octets are not there and the
// result is shorter.
std::string Unpack7bit(std::span<const std::uint8_t> packed, std::size_t count, std::size_t bitOffset = 0);
// The CDMA form: most significant bit first.
std::string UnpackCdma7bit(std::span<const std::uint8_t> packed, std::size_t count, std::size_t bitOffset = 0);

} // namespace SMS
