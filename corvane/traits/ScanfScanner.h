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
    double real(int index) const noexcept { return slot(index).real; }
    int integer(int index) const noexcept { return slot(index).integer; }
    char letter(int index) const noexcept { return slot(index).letter; }
    // A view into the scanned text.
    std::string_view word(int index) const noexcept { return slot(index).word; }

private:
    friend class ScanfScanner;

    struct Slot {
        double real = 0.0;
        int integer = 0;
        char letter = '\0';
        std::string_view word;
    };
    const Slot& slot(int index) const noexcept
    {
        static const Slot none;
        return index >= 0 && index < capacity ? slots_[static_cast<std::size_t>(index)] : none;
    }

    int count_ = 0;
    std::array<Slot, capacity> slots_{};
};

class ScanfScanner {
public:
    // `format` must hold at most ScannedFields::capacity conversions; conversions past
    // that are scanned but not kept.
    static ScannedFields scan(std::string_view text, std::string_view format) noexcept;
};

} // namespace Corvane
