#include "corvane/traits/ScanfScanner.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <locale.h>
#include <string>

namespace Corvane {

namespace {

// The white space of the "C" locale, whatever locale the process has chosen.
constexpr bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(char c) noexcept
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr char lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

class Input {
public:
    explicit Input(std::string_view text) noexcept : text_(text) {}

    bool atEnd() const noexcept { return position_ == text_.size(); }
    char peek() const noexcept { return text_[position_]; }
    void advance() noexcept { ++position_; }
    std::size_t position() const noexcept { return position_; }
    std::string_view since(std::size_t start) const noexcept { return text_.substr(start, position_ - start); }

    void skipBlanks() noexcept
    {
        while (!atEnd() && isBlank(peek()))
            advance();
    }
    // Consumes the characters of `word` (lower case) as long as they match without
    // regard to case; true when all of them did.
    bool consumeIgnoringCase(std::string_view word) noexcept
    {
        for (const char expected : word) {
            if (atEnd() || lower(peek()) != expected)
                return false;
            advance();
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// The one rounding authority for what from_chars does not take: hexadecimal floats and
// results that overflow or underflow, where strtod answers infinity, zero or a subnormal.
double strtodInCLocale(std::string_view number)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copy(number);
    return ::strtod_l(copy.c_str(), nullptr, cLocale);
}

// glibc's "%lf": characters are taken while they can continue a number, then the longest
// prefix that strtod accepts gives the value. A run strtod takes nothing of (".", "-",
// "0x") fails the conversion, but a dangling exponent ("1e", "1e+") is eaten and ignored.
bool scanReal(Input& in, double& out)
{
    const std::size_t start = in.position();
    bool negative = false;
    std::size_t signLength = 0;
    char c = in.peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        signLength = 1;
        in.advance();
        if (in.atEnd())
            return false;
        c = in.peek();
    }
    if (lower(c) == 'n') {
        if (!in.consumeIgnoringCase("nan"))
            return false;
        out = std::copysign(std::numeric_limits<double>::quiet_NaN(), negative ? -1.0 : 1.0);
        return true;
    }
    if (lower(c) == 'i') {
        if (!in.consumeIgnoringCase("inf"))
            return false;
        if (!in.atEnd() && lower(in.peek()) == 'i' && !in.consumeIgnoringCase("inity"))
            return false;
        out = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return true;
    }

    const std::size_t mantissa = in.position();
    bool hex = false;
    bool gotDigit = false;
    bool gotDot = false;
    bool gotExponent = false;
    bool afterExponentMark = false;
    char exponentMark = 'e';
    if (c == '0') {
        in.advance();
        if (!in.atEnd() && lower(in.peek()) == 'x') {
            hex = true;
            exponentMark = 'p';
            in.advance();
        } else {
            gotDigit = true;
        }
    }
    for (; !in.atEnd(); in.advance()) {
        c = in.peek();
        const bool mark = gotDigit && !gotExponent && lower(c) == exponentMark;
        if (isDigit(c) || (hex && !gotExponent && isHexDigit(c)))
            gotDigit = true;
        else if (afterExponentMark && (c == '+' || c == '-'))
            ;
        else if (mark)
            gotExponent = gotDot = true;
        else if (!gotDot && c == '.')
            gotDot = true;
        else
            break;
        afterExponentMark = mark;
    }

    const std::size_t taken = in.position() - start;
    if (taken == signLength || (hex && taken == signLength + 2) || (!hex && !gotDigit))
        return false;
    if (hex) {
        out = strtodInCLocale(in.since(start));
        return true;
    }
    const std::string_view number = in.since(mantissa);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc{})
        value = strtodInCLocale(number);
    out = negative ? -value : value;
    return true;
}

// glibc's "%d": strtol's value, saturated at the range of long, then cut to int.
bool scanInteger(Input& in, int& out)
{
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }
    constexpr std::uint64_t beyondLong = std::uint64_t{1} << 63; // |LONG_MIN|
    std::uint64_t magnitude = 0;
    bool gotDigit = false;
    for (; !in.atEnd() && isDigit(in.peek()); in.advance()) {
        gotDigit = true;
        const auto digit = static_cast<std::uint64_t>(in.peek() - '0');
        magnitude = magnitude > (beyondLong - digit) / 10 ? beyondLong : magnitude * 10 + digit;
    }
    if (!gotDigit)
        return false;
    std::int64_t value = 0;
    if (negative)
        value = magnitude >= beyondLong ? std::numeric_limits<std::int64_t>::min()
                                        : -static_cast<std::int64_t>(magnitude);
    else
        value = magnitude >= beyondLong ? std::numeric_limits<std::int64_t>::max()
                                        : static_cast<std::int64_t>(magnitude);
    out = static_cast<int>(value); // keeps the low 32 bits, as glibc's store does
    return true;
}

bool scanWord(Input& in, std::string_view& out)
{
    const std::size_t start = in.position();
    while (!in.atEnd() && !isBlank(in.peek()))
        in.advance();
    out = in.since(start);
    return !out.empty();
}

} // namespace

ScannedFields ScanfScanner::scan(std::string_view text, std::string_view format) noexcept
{
    ScannedFields fields;
    ScannedFields::Slot overflow; // conversions past the capacity land here
    Input in(text);
    int done = 0;
    // The text ran out: scanf's EOF when nothing was converted yet.
    auto inputFailure = [&] {
        fields.count_ = done == 0 ? -1 : done;
        return fields;
    };
    auto matchingFailure = [&] {
        fields.count_ = done;
        return fields;
    };

    for (std::size_t f = 0; f < format.size(); ++f) {
        const char directive = format[f];
        if (isBlank(directive)) {
            in.skipBlanks();
            continue;
        }
        if (directive != '%') {
            if (in.atEnd())
                return inputFailure();
            if (in.peek() != directive)
                return matchingFailure();
            in.advance();
            continue;
        }
        char conversion = ++f < format.size() ? format[f] : '\0';
        if (conversion == 'l')
            conversion = ++f < format.size() ? format[f] : '\0';
        ScannedFields::Slot& slot =
            done < ScannedFields::capacity ? fields.slots_[static_cast<std::size_t>(done)] : overflow;

        if (conversion == 'c') {
            if (in.atEnd())
                return inputFailure();
            slot.letter = in.peek();
            in.advance();
            ++done;
            continue;
        }
        in.skipBlanks();
        if (in.atEnd())
            return inputFailure();
        bool converted = false;
        try {
            switch (conversion) {
            case 'f': converted = scanReal(in, slot.real); break;
            case 'd': converted = scanInteger(in, slot.integer); break;
            case 's': converted = scanWord(in, slot.word); break;
            default: break;
            }
        } catch (const std::bad_alloc&) {
            // Only an absurdly long out-of-range number needs memory; count it as unread.
            converted = false;
        }
        if (!converted)
            return matchingFailure();
        ++done;
    }
    fields.count_ = done;
    return fields;
}

} // namespace Corvane
