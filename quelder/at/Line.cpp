#include "quelder/at/Line.h"

#include <charconv>
#include <climits>

namespace GSM {
namespace {

bool isBlank(char c) noexcept { return c == ' ' || c == '\t'; }

// "+CME ERROR: 10": the number must be all that follows (blanks before it allowed) and
// fit the 16 bits of the code; anything else is an error line without a usable number.
Classification errorLine(std::string_view rest, QdResult (*code)(std::uint32_t)) noexcept
{
    while (!rest.empty() && isBlank(rest.front()))
        rest.remove_prefix(1);
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    const bool whole = !rest.empty() && rest.front() != '+' && rest.front() != '-' && error == std::errc() &&
                       end == rest.data() + rest.size() && number <= 0xFFFF;
    return {LineKind::finalResult, whole ? code(number) : kQdMalformedError, std::nullopt};
}

} // namespace

Classification ClassifyLine(std::string_view line) noexcept
{
    constexpr std::string_view kCme = "+CME ERROR:";
    constexpr std::string_view kCms = "+CMS ERROR:";
    if (line == "OK")
        return {LineKind::finalResult, kQdSuccess, std::nullopt};
    if (line.starts_with(kCme))
        return errorLine(line.substr(kCme.size()), qdCmeError);
    if (line.starts_with(kCms))
        return errorLine(line.substr(kCms.size()), qdCmsError);
    if (line == "ERROR")
        return {LineKind::finalResult, kQdModemError, std::nullopt};
    if (const auto type = UnsolicitedTypeOf(line))
        return {LineKind::unsolicited, kQdSuccess, type};
    return {};
}

void Line::SkipBlanks() noexcept
{
    while (position_ < text_.size() && isBlank(text_[position_]))
        ++position_;
}

void Line::ExpectPrefix(std::string_view prefix)
{
    if (!HasPrefix(prefix))
        Raise(kQdNotAvailable);
    position_ += prefix.size();
}

int Line::ReadInt()
{
    const std::size_t start = position_;
    SkipBlanks();
    const char* first = text_.data() + position_;
    const char* last = text_.data() + text_.size();
    const bool plus = first != last && *first == '+';
    if (plus)
        ++first; // from_chars takes a minus but no plus
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || (plus && *first == '-')) {
        position_ = start;
        Raise(kQdNotAvailable);
    }
    position_ = static_cast<std::size_t>(end - text_.data());
    return value;
}

char Line::ReadChar()
{
    if (AtEnd())
        Raise(kQdNotAvailable);
    return text_[position_++];
}

std::string Line::ReadToken(std::string_view separators)
{
    const std::size_t start = position_;
    SkipBlanks();
    if (AtEnd()) {
        position_ = start;
        Raise(kQdNotAvailable);
    }
    const std::size_t end = std::min(text_.find_first_of(separators, position_), text_.size());
    std::string token = text_.substr(position_, end - position_);
    position_ = end < text_.size() ? end + 1 : end;
    return token;
}

QuotedString Line::ReadQuotedString(QuotedString::Mode mode)
{
    const std::size_t start = position_;
    SkipBlanks();
    const std::size_t close = AtEnd() || text_[position_] != '"' ? std::string::npos : text_.find('"', position_ + 1);
    if (close == std::string::npos) {
        position_ = start;
        Raise(kQdNotAvailable);
    }
    const std::string_view quoted = std::string_view(text_).substr(position_ + 1, close - position_ - 1);
    position_ = close + 1;
    return QuotedString::Decode(quoted, mode);
}

bool Line::SkipIf(char c) noexcept
{
    const std::size_t start = position_;
    SkipBlanks();
    if (!AtEnd() && text_[position_] == c) {
        ++position_;
        return true;
    }
    position_ = start;
    return false;
}

void Line::Skip(std::size_t count)
{
    if (count > text_.size() - std::min(position_, text_.size()))
        Raise(kQdNotAvailable);
    position_ += count;
}

} // namespace GSM
