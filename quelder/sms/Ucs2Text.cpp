#include "quelder/sms/Ucs2Text.h"

#include "quelder/at/Utf8.h"

namespace SMS {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

template <class UnitAt>
std::string unitsToUtf8(std::size_t count, UnitAt unitAt)
{
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t unit = unitAt(i);
        if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(unitAt(i + 1))) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            unit = kReplacement;
        }
        GSM::Utf8::Append(text, unit);
    }
    return text;
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string units;
    units.reserve(utf8.size());
    for (std::size_t position = 0; position < utf8.size();) {
        char32_t c = GSM::Utf8::Next(utf8, position);
        if (c >= 0x10000) {
            c -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (c >> 10));
            units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    return unitsToUtf8(utf16.size(), [utf16](std::size_t i) { return static_cast<char32_t>(utf16[i]); });
}

std::string Ucs2ToUtf8(std::span<const std::uint8_t> octets)
{
    return unitsToUtf8(octets.size() / 2, [octets](std::size_t i) {
        return static_cast<char32_t>(octets[2 * i] << 8 | octets[2 * i + 1]);
    });
}

std::size_t Utf16CutPoint(std::u16string_view text, std::size_t start, std::size_t limit) noexcept
{
    if (start >= text.size())
        return 0;
    if (text.size() - start <= limit)
        return text.size() - start;
    std::size_t taken = limit;
    if (taken > 0 && isHighSurrogate(text[start + taken - 1]))
        --taken;
    return taken;
}

} // namespace SMS
