#include "corvane/nmea/ScanfScanner.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
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
    void skip(std::size_t count) noexcept { position_ += count; }
    std::string_view rest() const noexcept { return text_.substr(position_); }
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

// The common case, a decimal number that from_chars reads whole and in range and that
// is followed by a character no number can continue with: there glibc stops where
// from_chars stops, with the same value. Everything else (hexadecimal, a dangling
// exponent, out-of-range values, no digits) takes the character-by-character path.
std::optional<double> readPlainDecimal(Input& in)
{
    const std::string_view rest = in.rest();
    // from_chars would take a second sign, which ends glibc's number.
    if (rest.empty() || rest[0] == '-' || (rest.size() >= 2 && rest[0] == '0' && lower(rest[1]) == 'x'))
        return std::nullopt;
    double value = 0.0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (result.ec != std::errc{})
        return std::nullopt;
    const auto taken = static_cast<std::size_t>(result.ptr - rest.data());
    if (taken < rest.size()) {
        const char next = rest[taken];
        if (isDigit(next) || next == '.' || lower(next) == 'e' || next == '+' || next == '-')
            return std::nullopt;
    }
    in.skip(taken);
    return value;
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
    if (const auto fast = readPlainDecimal(in)) {
        out = negative ? -*fast : *fast;
        return true;
    }
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

ScanFormat::ScanFormat(std::string_view format) noexcept
{
    for (std::size_t f = 0; f < format.size() && size_ < maxSteps; ++f) {
        Directive& directive = directives_[size_++];
        if (isBlank(format[f])) {
            directive.step = Step::blanks;
            while (f + 1 < format.size() && isBlank(format[f + 1]))
                ++f;
            continue;
        }
        if (format[f] != '%') {
            directive.step = Step::literal;
            directive.literal = format[f];
            continue;
        }
        char conversion = ++f < format.size() ? format[f] : '\0';
        if (conversion == 'l')
            conversion = ++f < format.size() ? format[f] : '\0';
        switch (conversion) {
        case 'f': directive.step = Step::real; break;
        case 'd': directive.step = Step::integer; break;
        case 'c': directive.step = Step::letter; break;
        case 's': directive.step = Step::word; break;
        default: directive.step = Step::unknown; break;
        }
    }
}

ScannedFields ScanfScanner::scan(std::string_view text, const ScanFormat& format) noexcept
{
    ScannedFields fields;
    text = text.substr(0, std::numeric_limits<std::uint32_t>::max() - 1);
    fields.text_ = text.data();
    fields.count_ = run(text, format, fields.slots_);
    return fields;
}

int ScanfScanner::run(std::string_view text, const ScanFormat& format,
                      std::array<std::uint64_t, ScannedFields::capacity>& slots) noexcept
{
    using Step = ScanFormat::Step;
    Input in(text);
    int done = 0;
    std::uint64_t overflow = 0; // conversions past the capacity land here
    for (std::size_t d = 0; d < format.size_; ++d) {
        const ScanFormat::Directive directive = format.directives_[d];
        if (directive.step == Step::blanks) {
            in.skipBlanks();
            continue;
        }
        if (directive.step == Step::literal) {
            if (in.atEnd())
                return done == 0 ? -1 : done; // the text ran out: scanf's EOF before a conversion
            if (in.peek() != directive.literal)
                return done;
            in.advance();
            continue;
        }
        std::uint64_t& slot = done < ScannedFields::capacity ? slots[static_cast<std::size_t>(done)] : overflow;
        if (directive.step != Step::letter)
            in.skipBlanks();
        if (in.atEnd())
            return done == 0 ? -1 : done;
        bool converted = false;
        try {
            switch (directive.step) {
            case Step::letter:
                slot = static_cast<unsigned char>(in.peek());
                in.advance();
                converted = true;
                break;
            case Step::real: {
                double value = 0.0;
                converted = scanReal(in, value);
                slot = std::bit_cast<std::uint64_t>(value);
                break;
            }
            case Step::integer: {
                int value = 0;
                converted = scanInteger(in, value);
                slot = static_cast<std::uint32_t>(value);
                break;
            }
            case Step::word: {
                const std::size_t start = in.position();
                std::string_view word;
                converted = scanWord(in, word);
                slot = (std::uint64_t{start} << 32) | word.size();
                break;
            }
            default: break;
            }
        } catch (const std::bad_alloc&) {
            // Only an absurdly long out-of-range number needs memory; count it as unread.
            converted = false;
        }
        if (!converted) {
            slot = 0;
            return done;
        }
        ++done;
    }
    return done;
}

} // namespace Corvane
