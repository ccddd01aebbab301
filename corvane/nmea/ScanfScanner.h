#pragma once
// Reads text with a scanf-style format and counts conversions exactly as the C library's
// sscanf does on glibc, so that the accepted counts of the sentence formats keep their
// meaning, without sscanf's locale dependence (a German desktop would read "48.1" as 48)
// and without its cost. Directives understood: "%lf", "%d", "%c", "%s", a blank (any
// run of white space, none included) and every other character as itself.
//
// Values follow the C library too: "%lf" takes the longest number prefix, "inf",
// "infinity", "nan" and hexadecimal floats included, and is rounded as strtod rounds;
// "%d" saturates at the range of long, then keeps the low 32 bits, as glibc does.

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>

namespace Corvane {

class ScannedFields {
public:
    // More than the longest sentence format needs (19).
    static constexpr int capacity = 20;

    // Conversions made, or -1 when the text ended before the first one (scanf's EOF).
    int count() const noexcept { return count_; }

    // The value of conversion `index`; a neutral value (0, '\0', empty) for conversions
    // that were not made, so a caller never sees an unset field.
    double real(int index) const noexcept { return std::bit_cast<double>(slot(index)); }
    int integer(int index) const noexcept { return static_cast<int>(static_cast<std::uint32_t>(slot(index))); }
    char letter(int index) const noexcept { return static_cast<char>(slot(index)); }
    // A view into the scanned text.
    std::string_view word(int index) const noexcept
    {
        const std::uint64_t value = slot(index);
        return value == 0 ? std::string_view{} : std::string_view(text_ + (value >> 32), value & 0xFFFFFFFFu);
    }

private:
    friend class ScanfScanner;

    // Each conversion's value in 8 bytes (a double's bits, an int, a character, or a
    // word's offset and length), zero when not made: small enough to clear and return
    // on every sentence.
    std::uint64_t slot(int index) const noexcept
    {
        return index >= 0 && index < capacity ? slots_[static_cast<std::size_t>(index)] : 0;
    }

    int count_ = 0;
    const char* text_ = nullptr;
    std::array<std::uint64_t, capacity> slots_{};
};

// A format taken apart once, so that scanning many texts with it does not read the
// format again each time.
class ScanFormat {
public:
    // At most `maxSteps` directives ("%lf" is one, a run of blanks is one); a longer
    // format is cut there.
    static constexpr std::size_t maxSteps = 96;

    explicit ScanFormat(std::string_view format) noexcept;

private:
    friend class ScanfScanner;

    enum class Step : std::uint8_t { literal, blanks, real, integer, letter, word, unknown };
    struct Directive {
        Step step = Step::unknown;
        char literal = '\0';
    };

    std::array<Directive, maxSteps> directives_{};
    std::size_t size_ = 0;
};

class ScanfScanner {
public:
    // `format` must hold at most ScannedFields::capacity conversions; conversions past
    // that are scanned but not kept. Only the first 4 GiB - 1 of a text are read.
    static ScannedFields scan(std::string_view text, const ScanFormat& format) noexcept;
    static ScannedFields scan(std::string_view text, std::string_view format) noexcept
    {
        return scan(text, ScanFormat(format));
    }

private:
    // The conversion count, values in `slots`.
    static int run(std::string_view text, const ScanFormat& format,
                   std::array<std::uint64_t, ScannedFields::capacity>& slots) noexcept;
};

} // namespace Corvane
