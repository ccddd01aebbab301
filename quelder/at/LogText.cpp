#include "quelder/at/LogText.h"

#include <cstdio>

namespace GSM {

std::string Printable(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        out += escaped;
    }
    return out;
}

std::string MaskQuoted(std::string_view command)
{
    std::string out(command);
    bool inside = false;
    for (char& c : out) {
        if (c == '"')
            inside = !inside;
        else if (inside)
            c = 'X';
    }
    return out;
}

void LogHexDump(const char* title, std::span<const std::uint8_t> bytes)
{
    if (!LogWanted(Nodekin::logVerbose))
        return;
    constexpr std::size_t kPerLine = 64;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kPerLine) {
        std::string line;
        char cell[16];
        std::snprintf(cell, sizeof cell, "0x%04x: ", static_cast<unsigned>(offset));
        line += cell;
        for (std::size_t i = offset; i < bytes.size() && i < offset + kPerLine; ++i) {
            std::snprintf(cell, sizeof cell, "%02x ", bytes[i]);
            line += cell;
        }
        Nodekin::xlog(Nodekin::logVerbose, "%s%s", title, line.c_str());
    }
}

} // namespace GSM
