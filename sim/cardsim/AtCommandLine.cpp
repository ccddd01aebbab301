#include "sim/cardsim/AtCommandLine.h"

#include <cctype>

namespace Cardsim {
namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool isExtendedPrefix(char c)
{
    return c == '+' || c == '_' || c == '^' || c == '*' || c == '$' || c == '%' || c == '!' || c == '#';
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool done() const { return pos_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
    char take() { return text_[pos_++]; }

    std::string digits()
    {
        std::string out;
        while (!done() && isDigit(peek()))
            out += take();
        return out;
    }

    // Up to the next ';' that is not inside double quotes, or the end.
    std::string argumentList()
    {
        std::string out;
        bool quoted = false;
        while (!done() && (quoted || peek() != ';')) {
            const char c = take();
            if (c == '"')
                quoted = !quoted;
            out += c;
        }
        return out;
    }

    std::string rest()
    {
        std::string out(text_.substr(pos_));
        pos_ = text_.size();
        return out;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

AtCommand extended(Reader& in)
{
    std::string name(1, in.take());
    while (!in.done() && isAlnum(in.peek()))
        name += upper(in.take());
    if (in.peek() == '=' && in.peek(1) == '?') {
        in.take(), in.take();
        return {"AT" + name + "=?", ""};
    }
    if (in.peek() == '?') {
        in.take();
        return {"AT" + name + "?", ""};
    }
    if (in.peek() == '=') {
        in.take();
        return {"AT" + name + "=", in.argumentList()};
    }
    return {"AT" + name, ""};
}

AtCommand basic(Reader& in)
{
    const char letter = upper(in.take());
    if (letter == 'D') // the dial string runs to the end of the line, ';' included
        return {"ATD", in.rest()};
    if (letter == '&') {
        std::string key = "AT&";
        if (!in.done())
            key += upper(in.take());
        return {key, in.digits()};
    }
    if (letter == 'S') { // S-registers: S7?, S7=60
        std::string arguments = in.digits();
        if (in.peek() == '?')
            arguments += in.take();
        else if (in.peek() == '=') {
            arguments += in.take();
            arguments += in.digits();
        }
        return {"ATS", arguments};
    }
    return {std::string("AT") + letter, in.digits()};
}

} // namespace

std::optional<std::vector<AtCommand>> parseCommandLine(std::string_view line)
{
    std::size_t prefix = std::string_view::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
        if (upper(line[i]) == 'A' && upper(line[i + 1]) == 'T') {
            prefix = i;
            break;
        }
    if (prefix == std::string_view::npos)
        return std::nullopt;

    Reader in(line.substr(prefix + 2));
    std::vector<AtCommand> commands;
    while (!in.done()) {
        const char c = in.peek();
        if (c == ';' || c == ' ') {
            in.take();
            continue;
        }
        commands.push_back(isExtendedPrefix(c) ? extended(in) : basic(in));
    }
    return commands;
}

} // namespace Cardsim
