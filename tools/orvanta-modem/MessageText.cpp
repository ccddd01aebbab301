#include "MessageText.h"

#include <array>
#include <optional>

namespace Orvanta::modem {

namespace {

std::variant<std::string, Failure> readAll(std::FILE* input)
{
    std::string text;
    std::array<char, 4096> block{};
    while (text.size() <= kMostInputBytes) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), input);
        text.append(block.data(), got);
        if (got < block.size())
            break;
    }
    if (std::ferror(input) != 0)
        return Failure{ExitCode::failed, "cannot read the text from standard input"};
    if (text.size() > kMostInputBytes)
        return Failure{ExitCode::usage, "the text on standard input is longer than " +
                                            std::to_string(kMostInputBytes) + " bytes"};
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

// The number of continuation bytes after a lead byte, and the smallest code point that
// many may encode; none for a byte that cannot lead.
struct Lead {
    int continuations;
    char32_t least;
    char32_t bits;
};

std::optional<Lead> leadOf(unsigned char byte) noexcept
{
    if (byte < 0x80)
        return Lead{0, 0, byte};
    if ((byte & 0xE0) == 0xC0)
        return Lead{1, 0x80, static_cast<char32_t>(byte & 0x1F)};
    if ((byte & 0xF0) == 0xE0)
        return Lead{2, 0x800, static_cast<char32_t>(byte & 0x0F)};
    if ((byte & 0xF8) == 0xF0)
        return Lead{3, 0x10000, static_cast<char32_t>(byte & 0x07)};
    return std::nullopt;
}

} // namespace

bool isUtf8(std::string_view text) noexcept
{
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<Lead> lead = leadOf(static_cast<unsigned char>(text[i++]));
        if (!lead || text.size() - i < static_cast<std::size_t>(lead->continuations))
            return false;
        char32_t point = lead->bits;
        for (int k = 0; k < lead->continuations; ++k) {
            const auto byte = static_cast<unsigned char>(text[i++]);
            if ((byte & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (byte & 0x3F);
        }
        if (point < lead->least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
    }
    return true;
}

std::variant<std::string, Failure> messageTextOf(const PduRequest& request, std::FILE* input)
{
    std::variant<std::string, Failure> read = request.textFromInput ? readAll(input) : request.text;
    if (std::holds_alternative<Failure>(read))
        return read;
    const std::string& text = std::get<std::string>(read);
    if (text.find('\0') != std::string::npos)
        return Failure{ExitCode::usage, "the text holds a NUL character"};
    if (!isUtf8(text))
        return Failure{ExitCode::usage, "the text is not UTF-8"};
    return read;
}

} // namespace Orvanta::modem
